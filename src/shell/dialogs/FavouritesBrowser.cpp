#include "shell/dialogs/FavouritesBrowser.h"

#include "core/CommandIds.h"
#include "editing/DocumentCommands.h"
#include "shell/dialogs/FolderBrowser.h"

namespace wayloom {
namespace {

constexpr int kCaptionString = 14398, kStatusString = 14399, kIncludeString = 14400;
constexpr int kIncludeBox = 5010;
constexpr int kBoxHeight = 18;

class FavouritesBrowser : public FolderBrowser {
 public:
  FavouritesBrowser(DialogFrame& frame, FileStore& files, FavouritesChoice& choice)
      : FolderBrowser(frame, kCaptionString, kStatusString, choice.lastFolder), files_(files), choice_(choice) {}

 private:
  int AddControls(HWND browser) override {
    HWND box = CreateControl(browser, TreeOf(browser), L"BUTTON", kIncludeBox,
                             BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, kIncludeString);
    SendMessageW(box, BM_SETCHECK, choice_.includeHomeAndRecent ? BST_CHECKED : BST_UNCHECKED, 0);
    return kBoxHeight;
  }
  void PlaceControls(HWND browser, int left, int top, int right) override {
    SetWindowPos(GetDlgItem(browser, kIncludeBox), nullptr, left, top, right - left, kBoxHeight, SWP_NOZORDER);
  }
  bool Accepts(TextView folder) const override {
    return !folder.empty() && RecentItemEnabled(files_, FavouritesPath(folder));
  }
  void OnOk(HWND browser) override { choice_.includeHomeAndRecent = IsTicked(browser, kIncludeBox); }

  FileStore& files_;
  FavouritesChoice& choice_;
};

}  // namespace

void OpenFavouritesFromBrowser(CommandContext& context, DialogFrame frame, FavouritesChoice& choice) {
  Document& document = context.doc.document;
  if (document.modified && !ConfirmDiscard(context)) return;
  context.ui.PressToolbarButton(IDM_OPEN_FAVOURITES, true);
  const auto folder = FavouritesBrowser(frame, context.files, choice).Run();
  context.ui.PressToolbarButton(IDM_OPEN_FAVOURITES, false);
  if (!folder) return;
  choice.lastFolder = *folder;
  // The question about unsaved changes was answered before the browser opened; a failed
  // read leaves a new document either way.
  document.modified = false;
  OpenFavourites(context, *folder, choice.includeHomeAndRecent);
}

}  // namespace wayloom
