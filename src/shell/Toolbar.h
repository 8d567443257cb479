// The main window's toolbar: its buttons from the "Toolbar Button" layout, the state of
// every command's button (kept for buttons the user removed, too), the drawn background
// and chevron, the overflow pop-up, the customisation dialog and the colour chooser.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/CommandStates.h"
#include "core/Settings.h"
#include "core/ToolbarLayout.h"

namespace wayloom {

// An image list cut from a 32-bit bitmap strip of the resources (alpha kept); the caller
// destroys it.
HIMAGELIST LoadImageStrip(HINSTANCE instance, int bitmapId, int imageWidth);

struct ToolbarEvents {
  // Before a click reaches a button (the window refreshes the command states and commits
  // the in-place editor); false swallows the click.
  std::function<bool()> beforeClick;
  // A button is hovered or its tooltip shows: its command's help in status part 0; 0 when
  // the tooltip hides (the status text is reset).
  std::function<void(int command)> showHelp;
};

class Toolbar {
 public:
  Toolbar();
  Toolbar(const Toolbar&) = delete;
  Toolbar& operator=(const Toolbar&) = delete;
  ~Toolbar();

  // Destroys any toolbar and builds a new one from the settings and the profile's layout;
  // hidden unless "Show Toolbar".
  bool Create(HWND parent, HINSTANCE instance, Settings& settings, Profile& profile, bool modernVisuals);
  HWND Handle() const { return toolbar_; }
  bool Visible() const;
  void Show(bool visible);  // and "Show Toolbar"
  // The height the window gives the toolbar at its current width: the bottom of the last
  // button + 8, the button height without buttons, 0 while hidden.
  int LayoutHeight() const;

  // Enabled and checked onto the buttons, or into the store for buttons not on the toolbar.
  void ApplyStates(const CommandStates& states);
  // Shows the command's button pressed (or records it) and repaints at once.
  void Press(int command, bool pressed);
  // TBSTATE_* bits of the command's button, from the toolbar or the store; 0 without a button.
  int ButtonState(int command) const;

  // The parent's WM_NOTIFY: nothing when the notification is not the toolbar's.
  std::optional<LRESULT> OnNotify(const NMHDR& header);
  // A right click at the overflow strip opens the pop-up of the hidden buttons; false when
  // the click is elsewhere (the caller opens the Toolbar pop-up).
  bool OnRightClick(POINT screen, HWND owner);

  // Commands 1050-1053; the caller lays the window out afterwards.
  void ToggleLarge();
  void ToggleWrap();
  void ChooseBackground(HWND owner);
  void Customise();

  // The 16-pixel images, for menu images and dialog icons.
  HIMAGELIST SmallImages() const { return smallImages_; }
  int ImageOf(int command) const { return ToolbarImageOf(command); }
  // One 16-pixel image as an opaque menu-item bitmap on the menu colour (the caller deletes it).
  HBITMAP MenuBitmap(int image) const;

  ToolbarEvents events;

 private:
  void Destroy();
  void AddButtons(const ToolbarLayout& layout);
  ToolbarLayout CurrentLayout() const;
  void LayoutChanged();  // writes "Toolbar Button", lays the window out, updates the dialog
  void ResetLayout();
  void SaveState(int command);
  void ApplySpacing();
  void ApplyBackground(COLORREF colour);
  bool Overflowing() const;
  int FirstRowTop() const;
  void PaintBackground(HDC dc) const;
  void PaintBand() const;
  LRESULT OnCustomDraw(NMTBCUSTOMDRAW& draw);
  bool OnButtonInfo(NMTOOLBARW& info) const;
  void ExtendCustomiseDialog(HWND dialog);
  void UpdateCustomiseButtons() const;
  void OnSpacingEdited(bool focusLost);

  static LRESULT CALLBACK ToolbarProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  static LRESULT CALLBACK CustomiseProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  static UINT_PTR CALLBACK ColourHook(HWND, UINT, WPARAM, LPARAM);

  HWND toolbar_ = nullptr;
  HWND parent_ = nullptr;
  HINSTANCE instance_ = nullptr;
  Settings* settings_ = nullptr;
  Profile* profile_ = nullptr;
  bool modern_ = false;
  HIMAGELIST images_ = nullptr, hotImages_ = nullptr, disabledImages_ = nullptr;
  HIMAGELIST smallImages_ = nullptr, chevron_ = nullptr;
  std::vector<std::uint32_t> smallPixels_;  // bitmap 3001 top-down, for the pop-up's item images
  // The state bits of each image's button (checked 1, pressed 2, enabled 4) while it is not
  // on the toolbar, so that a removed button keeps them.
  std::array<BYTE, kToolbarImageCount> store_{};
  HWND customiseDialog_ = nullptr;
  bool restoringSpacing_ = false;
};

}  // namespace wayloom
