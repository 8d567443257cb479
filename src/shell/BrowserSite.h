// The map pane's embedded web-browser control: the site object the browser talks to (client
// site, in-place frame and site, document host), the browser's creation, navigation and
// release, and the page's script reached by name (a ScriptHost over the document).
#pragma once

#include <windows.h>
#include <ole2.h>
#include <exdisp.h>
#include <mshtml.h>
#include <mshtmhst.h>

#include <functional>
#include <optional>

#include "platform/ScriptHost.h"

namespace wayloom {

// The page's global functions, called through the held document's script object.
class DocumentScriptHost : public ScriptHost {
 public:
  void SetDocument(IHTMLDocument2* document) { document_ = document; }
  std::optional<Text> Call(TextView name, const std::vector<ScriptArg>& args) override;

 private:
  IHTMLDocument2* document_ = nullptr;  // not owned
};

// One object for the main window's lifetime; AddRef and Release only count.
class BrowserSite : public IOleClientSite,
                    public IOleInPlaceFrame,
                    public IOleInPlaceSite,
                    public IDocHostUIHandler {
 public:
  // pane: the window that holds the browser. keys: accelerator table 2000, run for owner
  // while the page has the focus. statusText: the browser's status-bar texts.
  void Attach(HWND pane, HWND owner, HACCEL keys, std::function<void(TextView)> statusText);
  ~BrowserSite();

  bool Exists() const { return oleObject_ != nullptr; }
  // Creates the browser in the pane, shown, at (1, 1). False (nothing kept) on failure.
  bool Create();
  // Navigates to url; with holdDocument, the new document is held for the script host.
  // False when the browser refused or has no document.
  bool Navigate(TextView url, bool holdDocument);
  // The document interfaces, the in-place object and the browser, released.
  void ReleaseBrowser();
  // The browser's rectangle inside the pane.
  void Place(const RECT& area);
  // The in-place object's keys (the message loop, for messages of the pane's children).
  bool TranslateKeys(MSG& message);
  ScriptHost& Script() { return script_; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override { return references_ > 0 ? --references_ : 0; }
  // IOleClientSite
  STDMETHODIMP SaveObject() override { return S_OK; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
  STDMETHODIMP GetContainer(IOleContainer** container) override;
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return S_OK; }
  // IOleWindow (the frame's and the site's)
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return S_OK; }
  // IOleInPlaceUIWindow, IOleInPlaceFrame
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return OLE_E_INVALIDRECT; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
  STDMETHODIMP SetStatusText(LPCOLESTR text) override;
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) override;
  STDMETHODIMP Scroll(SIZE) override { return S_OK; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return S_OK; }
  STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
  STDMETHODIMP OnPosRectChange(LPCRECT position) override;
  // IDocHostUIHandler
  STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_FALSE; }
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
  STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                      IOleInPlaceUIWindow*) override {
    return S_OK;
  }
  STDMETHODIMP HideUI() override { return S_OK; }
  STDMETHODIMP UpdateUI() override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG message, const GUID*, DWORD) override;
  STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD) override;
  STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget**) override { return E_NOTIMPL; }
  STDMETHODIMP GetExternal(IDispatch** external) override;
  STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) override;
  STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** result) override;

 private:
  void ReleaseDocument();

  HWND pane_ = nullptr;
  HWND owner_ = nullptr;
  HACCEL keys_ = nullptr;
  std::function<void(TextView)> statusText_;
  ULONG references_ = 0;

  IOleObject* oleObject_ = nullptr;
  IOleInPlaceObject* inPlace_ = nullptr;
  IWebBrowser2* browser_ = nullptr;
  IDispatch* document_ = nullptr;
  IHTMLDocument2* htmlDocument_ = nullptr;
  DocumentScriptHost script_;
};

}  // namespace wayloom
