// The shell's folder browser (SHBrowseForFolderW) dressed as one of our dialogs: the
// command's icon, centred over the main window, faded, a status line "label:  path" and
// controls of our own placed under the folder tree. The favourites and the conversion
// browsers derive from it.
#pragma once

#include <optional>

#include "shell/DialogSupport.h"

namespace wayloom {

// A drive came or went (WM_DEVICECHANGE event) while a folder browser is open: the browser
// is cancelled and its command posted to owner again, so that it reopens on the drives as
// they are now.
void ReopenFolderBrowser(HWND owner, WPARAM event);

class FolderBrowser {
 public:
  FolderBrowser(DialogFrame& frame, int captionString, int statusString, TextView startFolder)
      : frame_(frame), captionString_(captionString), statusString_(statusString), startFolder_(startFolder) {}
  virtual ~FolderBrowser() = default;
  FolderBrowser(const FolderBrowser&) = delete;
  FolderBrowser& operator=(const FolderBrowser&) = delete;

  // The chosen folder after OK; nothing after Cancel.
  std::optional<Text> Run();

 protected:
  // Creates the browser's own controls (children of browser, in tab order) and returns the
  // height they need under the tree.
  virtual int AddControls(HWND browser) = 0;
  // Places them in the band from top, left to right edge.
  virtual void PlaceControls(HWND browser, int left, int top, int right) = 0;
  // The window's outer size: 0 keeps the system's width or height.
  virtual SIZE WindowSize() const { return {0, 0}; }
  virtual bool Accepts(TextView folder) const { return !folder.empty(); }
  virtual void OnCommand(HWND browser, int control, int notification) {}
  // OK was pressed on an accepted folder: copy the controls out.
  virtual void OnOk(HWND browser) = 0;

  static HWND TreeOf(HWND browser);
  // The width a check box or radio needs for its text in its font.
  static int ButtonWidth(HWND button);
  // A control of the browser's font, placed after previous in the tab order.
  HWND CreateControl(HWND browser, HWND previous, const wchar_t* windowClass, int control, DWORD style,
                     int textString);

 private:
  static int CALLBACK Callback(HWND browser, UINT message, LPARAM lParam, LPARAM self);
  static LRESULT CALLBACK Subclass(HWND browser, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR self);
  void Initialise(HWND browser);
  void Layout(HWND browser);
  void SelectionChanged(HWND browser, TextView folder);
  void EnableOk(HWND browser) const;

  DialogFrame& frame_;
  int captionString_;
  int statusString_;
  Text startFolder_;
  Text selected_;
};

}  // namespace wayloom
