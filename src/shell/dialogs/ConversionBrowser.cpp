#include "shell/dialogs/ConversionBrowser.h"

#include "core/CommandIds.h"
#include "platform/FileStore.h"
#include "platform/win32/WideText.h"
#include "shell/dialogs/FolderBrowser.h"

namespace wayloom {
namespace {

constexpr int kCaptionString = 14442, kToItnString = 14443, kFromItnString = 14444, kStatusString = 14445;
// The list's texts: 14446-14459 for the first fourteen targets, then ov2.
constexpr int kFirstTargetString = 14446, kOv2TargetString = 14615;
constexpr int kToItnRadio = 5000, kFromItnRadio = 5001, kTargetList = 5004;
constexpr int kBrowserSize = 520;
constexpr int kRowHeight = 24, kListWidth = 150, kListDropHeight = 300;

class ConversionBrowser : public FolderBrowser {
 public:
  ConversionBrowser(DialogFrame& frame, ConversionChoice& choice, TextView startFolder)
      : FolderBrowser(frame, kCaptionString, kStatusString, startFolder), choice_(choice) {}

 private:
  int AddControls(HWND browser) override {
    HWND toItn = CreateControl(browser, TreeOf(browser), L"BUTTON", kToItnRadio,
                               BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, kToItnString);
    HWND fromItn = CreateControl(browser, toItn, L"BUTTON", kFromItnRadio, BS_AUTORADIOBUTTON, kFromItnString);
    HWND list = CreateControl(browser, fromItn, L"COMBOBOX", kTargetList,
                              CBS_DROPDOWNLIST | WS_VSCROLL | WS_GROUP | WS_TABSTOP, 0);
    for (int position = 0; position < kConversionTargetCount; ++position) {
      const int text = position == kOv2ConversionTarget ? kOv2TargetString : kFirstTargetString + position;
      SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(LoadText(text)).c_str()));
    }
    SendMessageW(list, CB_SETCURSEL, choice_.target, 0);
    CheckRadioButton(browser, kToItnRadio, kFromItnRadio, choice_.toItn ? kToItnRadio : kFromItnRadio);
    EnableWindow(list, !choice_.toItn);
    return 2 * kRowHeight;
  }
  void PlaceControls(HWND browser, int left, int top, int right) override {
    SetWindowPos(GetDlgItem(browser, kToItnRadio), nullptr, left, top, right - left, kRowHeight, SWP_NOZORDER);
    HWND fromItn = GetDlgItem(browser, kFromItnRadio);
    const int radioWidth = ButtonWidth(fromItn);
    SetWindowPos(fromItn, nullptr, left, top + kRowHeight, radioWidth, kRowHeight, SWP_NOZORDER);
    SetWindowPos(GetDlgItem(browser, kTargetList), nullptr, left + radioWidth, top + kRowHeight, kListWidth,
                 kListDropHeight, SWP_NOZORDER);
  }
  SIZE WindowSize() const override { return {kBrowserSize, kBrowserSize}; }
  void OnCommand(HWND browser, int control, int notification) override {
    if (notification != BN_CLICKED || (control != kToItnRadio && control != kFromItnRadio)) return;
    HWND list = GetDlgItem(browser, kTargetList);
    const bool fromItn = control == kFromItnRadio;
    EnableWindow(list, fromItn);
    if (!fromItn) return;
    SetFocus(list);
    SendMessageW(list, CB_SHOWDROPDOWN, TRUE, 0);
  }
  void OnOk(HWND browser) override {
    choice_.toItn = IsTicked(browser, kToItnRadio);
    const auto target = SendDlgItemMessageW(browser, kTargetList, CB_GETCURSEL, 0, 0);
    if (target >= 0) choice_.target = static_cast<int>(target);
  }

  ConversionChoice& choice_;
};

}  // namespace

void ConvertFolderFromBrowser(CommandContext& context, DialogFrame frame, ConversionChoice& choice) {
  // The first time, the browser opens at the document's folder.
  const TextView start = choice.lastFolder.empty() ? PathFolder(context.doc.document.path) : TextView(choice.lastFolder);
  context.ui.PressToolbarButton(IDM_CONVERT, true);
  const auto folder = ConversionBrowser(frame, choice, start).Run();
  if (folder) ConvertFolder(context, *folder, choice);
  context.ui.PressToolbarButton(IDM_CONVERT, false);
}

}  // namespace wayloom
