#include "shell/TableLook.h"

#include <commctrl.h>
#include <commdlg.h>

#include <string>

#include "core/StringTable.h"
#include "platform/win32/WideText.h"
#include "shell/DialogSupport.h"
#include "shell/MainWindow.h"

namespace wayloom {
namespace {

constexpr int kChangingFontString = 13135;
constexpr int kPictureFilterString = 14286;
constexpr int kPictureTitleString = 14287;
constexpr int kApplyButton = 0x0402;     // psh3 of the font chooser
constexpr int kColourList = 0x0473;      // cmb4
constexpr int kStrikeOutBox = 0x0410;    // chx1
constexpr int kUnderlineBox = 0x0411;    // chx2
constexpr int kScriptList = 0x0474;      // cmb5

struct FontChoice {
  MainWindowState* state;
};


// The new font on the table, its header and the editor; the text colour; the settings kept
// for the next start.
void ApplyTableFont(MainWindowState& state, const LOGFONTW& font, COLORREF colour) {
  state.statusBar.SetText(0, LoadText(kChangingFontString));
  HFONT created = CreateFontIndirectW(&font);
  if (!created) return;
  HWND list = state.table.Handle();
  SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(created), TRUE);
  if (HWND header = ListView_GetHeader(list)) SendMessageW(header, WM_SETFONT, reinterpret_cast<WPARAM>(created), TRUE);
  state.cellEditor.SetFont(created);
  ListView_SetTextColor(list, colour);
  if (state.tableFont) DeleteObject(state.tableFont);
  state.tableFont = created;
  state.table.ChooseStatusImages(font.lfHeight);
  FontSettings& kept = state.editor.doc.settings.font;
  kept.name = FromWide(font.lfFaceName);
  kept.height = font.lfHeight;
  kept.weight = font.lfWeight;
  kept.italic = font.lfItalic != 0;
  kept.color = colour;
  state.table.FitColumns(false);
  Relayout(state);
  InvalidateRect(list, nullptr, TRUE);
  state.editor.doc.statusResetPending = true;
}

UINT_PTR CALLBACK FontHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto& chooser = *reinterpret_cast<CHOOSEFONTW*>(lParam);
    SetWindowLongPtrW(dialog, DWLP_USER, static_cast<LONG_PTR>(chooser.lCustData));
    for (int control : {kStrikeOutBox, kUnderlineBox, kScriptList}) EnableWindow(GetDlgItem(dialog, control), FALSE);
    CentreDialog(dialog);
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == kApplyButton) {
    auto* state = reinterpret_cast<MainWindowState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    LOGFONTW font{};
    SendMessageW(dialog, WM_CHOOSEFONT_GETLOGFONT, 0, reinterpret_cast<LPARAM>(&font));
    HWND colours = GetDlgItem(dialog, kColourList);
    const LRESULT chosen = SendMessageW(colours, CB_GETCURSEL, 0, 0);
    const COLORREF colour = chosen >= 0 ? static_cast<COLORREF>(SendMessageW(colours, CB_GETITEMDATA, chosen, 0))
                                        : CurrentTextColour(*state);
    if (state) ApplyTableFont(*state, font, colour);
    return TRUE;
  }
  return FALSE;
}

bool SetPicture(MainWindowState& state, const std::wstring& path) {
  LVBKIMAGEW image{};
  image.ulFlags = LVBKIF_SOURCE_URL | LVBKIF_STYLE_TILE;
  image.pszImage = const_cast<wchar_t*>(path.c_str());
  return SendMessageW(state.table.Handle(), LVM_SETBKIMAGEW, 0, reinterpret_cast<LPARAM>(&image)) != FALSE;
}

// With a picture the rows' text has no background of its own and the selection shows
// without the focus too.
void ApplyPictureStyle(MainWindowState& state, bool picture) {
  HWND list = state.table.Handle();
  ListView_SetTextBkColor(list, picture ? CLR_NONE : GetSysColor(COLOR_WINDOW));
  LONG_PTR style = GetWindowLongPtrW(list, GWL_STYLE);
  const bool always = picture || state.modernVisuals;
  SetWindowLongPtrW(list, GWL_STYLE, always ? (style | LVS_SHOWSELALWAYS) : (style & ~LVS_SHOWSELALWAYS));
  InvalidateRect(list, nullptr, TRUE);
}

}  // namespace

LOGFONTW CurrentLogFont(const MainWindowState& state) {
  LOGFONTW font{};
  HFONT shown = reinterpret_cast<HFONT>(SendMessageW(state.table.Handle(), WM_GETFONT, 0, 0));
  HGDIOBJ object = shown ? static_cast<HGDIOBJ>(shown) : GetStockObject(DEFAULT_GUI_FONT);
  GetObjectW(object, sizeof font, &font);
  if (HDC dc = GetDC(state.table.Handle())) {
    HGDIOBJ old = SelectObject(dc, object);
    GetTextFaceW(dc, LF_FACESIZE, font.lfFaceName);
    SelectObject(dc, old);
    ReleaseDC(state.table.Handle(), dc);
  }
  return font;
}

COLORREF CurrentTextColour(const MainWindowState& state) {
  const COLORREF colour = ListView_GetTextColor(state.table.Handle());
  return colour == CLR_DEFAULT ? GetSysColor(COLOR_WINDOWTEXT) : colour;
}

void ApplyStoredTableLook(MainWindowState& state) {
  const Settings& settings = state.editor.doc.settings;
  if (settings.font.name) {
    LOGFONTW font = CurrentLogFont(state);
    const std::wstring face = ToWide(*settings.font.name);
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
    font.lfFaceName[std::min<std::size_t>(face.size(), LF_FACESIZE - 1)] = L'\0';
    font.lfHeight = settings.font.height;
    font.lfWidth = 0;
    font.lfWeight = settings.font.weight;
    font.lfItalic = settings.font.italic ? TRUE : FALSE;
    ApplyTableFont(state, font, settings.font.color);
  }
  const bool picture = settings.font.useBackground && !settings.font.background.empty() &&
                       state.files.Exists(settings.font.background) &&
                       !state.files.IsDirectory(settings.font.background) &&
                       SetPicture(state, ToWide(settings.font.background));
  state.editor.doc.settings.font.useBackground = picture;
  ApplyPictureStyle(state, picture);
}

void ChooseTableFont(MainWindowState& state) {
  LOGFONTW font = CurrentLogFont(state);
  CHOOSEFONTW chooser{};
  chooser.lStructSize = sizeof chooser;
  chooser.hwndOwner = state.window;
  chooser.lpLogFont = &font;
  chooser.rgbColors = CurrentTextColour(state);
  chooser.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_APPLY | CF_INITTOLOGFONTSTRUCT | CF_ENABLEHOOK | CF_NOSCRIPTSEL;
  chooser.lpfnHook = FontHook;
  chooser.lCustData = reinterpret_cast<LPARAM>(&state);
  state.ui.PressToolbarButton(IDM_TABLE_FONT, true);
  // Cancel keeps what Apply already showed.
  ModalScope modal;
  if (ChooseFontW(&chooser)) ApplyTableFont(state, font, chooser.rgbColors);
  state.ui.PressToolbarButton(IDM_TABLE_FONT, false);
}

void ToggleTablePicture(MainWindowState& state) {
  FontSettings& kept = state.editor.doc.settings.font;
  state.ui.PressToolbarButton(IDM_TABLE_PICTURE, true);
  if (kept.useBackground) {
    LVBKIMAGEW none{};
    none.ulFlags = LVBKIF_SOURCE_NONE;
    SendMessageW(state.table.Handle(), LVM_SETBKIMAGEW, 0, reinterpret_cast<LPARAM>(&none));
    kept.useBackground = false;
  } else {
    std::wstring filter = ToWide(LoadText(kPictureFilterString)) + L" (*.*)" + L'\0' + L"*.*" + L'\0' + L'\0';
    const std::wstring title = ToWide(LoadText(kPictureTitleString));
    std::wstring path(32768, L'\0');
    std::wstring folder;
    if (!kept.background.empty() && state.files.Exists(kept.background)) {
      const std::wstring current = ToWide(kept.background);
      current.copy(path.data(), std::min<std::size_t>(current.size(), path.size() - 1));
      const std::size_t slash = current.find_last_of(L"\\/");
      if (slash != std::wstring::npos) folder = current.substr(0, slash);
    }
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = state.window;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = title.c_str();
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    DialogFrame frame = state.ui.FrameFor(IDM_TABLE_PICTURE);
    FrameFileDialog(dialog, frame);
    ModalScope modal;
    if (GetOpenFileNameW(&dialog)) {
      path.resize(wcslen(path.c_str()));
      const Text chosen = FromWide(path);
      // A picture the table cannot show leaves it without one and keeps the old path.
      if (!state.files.IsDirectory(chosen) && SetPicture(state, path)) {
        kept.background = chosen;
        kept.useBackground = true;
      }
    }
  }
  ApplyPictureStyle(state, kept.useBackground);
  state.ui.PressToolbarButton(IDM_TABLE_PICTURE, false);
}

}  // namespace wayloom
