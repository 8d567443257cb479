#include "shell/BrowserSite.h"

#include <oleauto.h>

#include <string>
#include <vector>

#include "core/StringTable.h"
#include "platform/win32/WideText.h"

namespace wayloom {
namespace {

template <typename Interface>
void ReleaseInterface(Interface*& object) {
  if (object) object->Release();
  object = nullptr;
}

// A BSTR released when it goes out of scope.
class Bstr {
 public:
  explicit Bstr(TextView text) : value_(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                                          static_cast<UINT>(text.size()))) {}
  ~Bstr() { SysFreeString(value_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return value_; }

 private:
  BSTR value_;
};

}  // namespace

std::optional<Text> DocumentScriptHost::Call(TextView name, const std::vector<ScriptArg>& args) {
  if (!document_) return std::nullopt;
  IDispatch* script = nullptr;
  if (FAILED(document_->get_Script(&script)) || !script) return std::nullopt;
  Bstr function(name);
  BSTR names[] = {function.get()};
  DISPID id = DISPID_UNKNOWN;
  std::optional<Text> result;
  if (function.get() && SUCCEEDED(script->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
    // IDispatch takes the arguments last first.
    std::vector<VARIANT> values(args.size());
    for (std::size_t i = 0; i < args.size(); ++i) {
      VARIANT& value = values[args.size() - 1 - i];
      VariantInit(&value);
      if (const int* number = std::get_if<int>(&args[i])) {
        value.vt = VT_INT;
        value.intVal = *number;
      } else {
        const Text& text = std::get<Text>(args[i]);
        value.vt = VT_BSTR;
        value.bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
      }
    }
    DISPPARAMS parameters{values.data(), nullptr, static_cast<UINT>(values.size()), 0};
    VARIANT answer;
    VariantInit(&answer);
    if (SUCCEEDED(script->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, &answer, nullptr,
                                 nullptr))) {
      if (answer.vt == VT_EMPTY || answer.vt == VT_NULL) {
        result = Text();
      } else if (SUCCEEDED(VariantChangeType(&answer, &answer, 0, VT_BSTR))) {
        result = answer.bstrVal ? FromWide(std::wstring_view(answer.bstrVal, SysStringLen(answer.bstrVal))) : Text();
      }
    }
    VariantClear(&answer);
    for (VARIANT& value : values) VariantClear(&value);
  }
  script->Release();
  return result;
}

void BrowserSite::Attach(HWND pane, HWND owner, HACCEL keys, std::function<void(TextView)> statusText) {
  pane_ = pane;
  owner_ = owner;
  keys_ = keys;
  statusText_ = std::move(statusText);
}

BrowserSite::~BrowserSite() { ReleaseBrowser(); }

bool BrowserSite::Create() {
  if (Exists()) return true;
  if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                              reinterpret_cast<void**>(&oleObject_))) ||
      !oleObject_) {
    oleObject_ = nullptr;
    return false;
  }
  const std::wstring product = ToWide(LoadText(kProductNameString));
  RECT empty{};
  bool created = SUCCEEDED(oleObject_->SetClientSite(this)) &&
                 SUCCEEDED(oleObject_->SetHostNames(product.c_str(), nullptr)) &&
                 SUCCEEDED(OleSetContainedObject(oleObject_, TRUE)) &&
                 SUCCEEDED(oleObject_->DoVerb(OLEIVERB_SHOW, nullptr, this, 0, pane_, &empty)) &&
                 SUCCEEDED(oleObject_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace_))) &&
                 SUCCEEDED(oleObject_->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser_)));
  if (!created) {
    ReleaseBrowser();
    return false;
  }
  RECT client{};
  GetClientRect(pane_, &client);
  Place(client);
  return true;
}

bool BrowserSite::Navigate(TextView url, bool holdDocument) {
  if (!browser_) return false;
  ReleaseDocument();
  Bstr address(url);
  VARIANT none;
  VariantInit(&none);
  if (FAILED(browser_->Navigate(address.get(), &none, &none, &none, &none))) return false;
  if (!holdDocument) return true;
  if (FAILED(browser_->get_Document(&document_)) || !document_) {
    document_ = nullptr;
    return false;
  }
  if (FAILED(document_->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(&htmlDocument_))) ||
      !htmlDocument_) {
    htmlDocument_ = nullptr;
    ReleaseDocument();
    return false;
  }
  script_.SetDocument(htmlDocument_);
  return true;
}

void BrowserSite::ReleaseDocument() {
  script_.SetDocument(nullptr);
  ReleaseInterface(htmlDocument_);
  ReleaseInterface(document_);
}

void BrowserSite::ReleaseBrowser() {
  ReleaseDocument();
  ReleaseInterface(inPlace_);
  if (browser_) browser_->Stop();
  ReleaseInterface(browser_);
  if (oleObject_) {
    oleObject_->Close(OLECLOSE_NOSAVE);
    oleObject_->SetClientSite(nullptr);
  }
  ReleaseInterface(oleObject_);
}

void BrowserSite::Place(const RECT& paneClient) {
  if (!inPlace_) return;
  // The pane draws its left and top edge; the browser starts inside them.
  RECT area{paneClient.left + 1, paneClient.top + 1, paneClient.right, paneClient.bottom};
  inPlace_->SetObjectRects(&area, &area);
}

bool BrowserSite::TranslateKeys(MSG& message) {
  if (!browser_) return false;
  IOleInPlaceActiveObject* active = nullptr;
  if (FAILED(browser_->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(&active))) || !active)
    return false;
  const bool taken = active->TranslateAccelerator(&message) == S_OK;
  active->Release();
  return taken;
}

STDMETHODIMP BrowserSite::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
    *object = static_cast<IOleClientSite*>(this);
  } else if (iid == IID_IOleInPlaceFrame) {
    *object = static_cast<IOleInPlaceFrame*>(this);
  } else if (iid == IID_IOleInPlaceSite) {
    *object = static_cast<IOleInPlaceSite*>(this);
  } else if (iid == IID_IDocHostUIHandler) {
    *object = static_cast<IDocHostUIHandler*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP BrowserSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP BrowserSite::GetContainer(IOleContainer** container) {
  if (container) *container = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP BrowserSite::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = pane_;
  return S_OK;
}

STDMETHODIMP BrowserSite::SetStatusText(LPCOLESTR text) {
  if (statusText_) statusText_(text ? FromWide(text) : Text());
  return S_OK;
}

STDMETHODIMP BrowserSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                           LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) {
  if (frame) {
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
  }
  if (document) *document = nullptr;
  RECT client{};
  GetClientRect(pane_, &client);
  if (position) *position = client;
  if (clip) *clip = client;
  if (frameInfo) {
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = pane_;
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
  }
  return S_OK;
}

STDMETHODIMP BrowserSite::OnPosRectChange(LPCRECT position) {
  if (inPlace_ && position) inPlace_->SetObjectRects(position, position);
  return S_OK;
}

STDMETHODIMP BrowserSite::GetHostInfo(DOCHOSTUIINFO* info) {
  if (!info) return E_POINTER;
  info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_THEME;
  info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
  return S_OK;
}

// The program's keys work while the page has the focus, except the editing keys the page
// needs itself (they are not in the table).
STDMETHODIMP BrowserSite::TranslateAccelerator(LPMSG message, const GUID*, DWORD) {
  return message && keys_ && ::TranslateAcceleratorW(owner_, keys_, message) ? S_OK : S_FALSE;
}

STDMETHODIMP BrowserSite::GetOptionKeyPath(LPOLESTR* key, DWORD) {
  if (key) *key = nullptr;
  return S_FALSE;
}

STDMETHODIMP BrowserSite::GetExternal(IDispatch** external) {
  if (external) *external = nullptr;
  return S_FALSE;
}

STDMETHODIMP BrowserSite::TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) {
  if (translated) *translated = nullptr;
  return S_FALSE;
}

STDMETHODIMP BrowserSite::FilterDataObject(IDataObject*, IDataObject** result) {
  if (result) *result = nullptr;
  return S_FALSE;
}

}  // namespace wayloom
