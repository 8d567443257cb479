#include "shell/dialogs/AboutDialog.h"

#include "core/StringTable.h"
#include "platform/win32/WideText.h"

namespace wayloom {
namespace {

constexpr int kNameControl = 6100, kVersionControl = 6101, kCopyrightControl = 6102;

// The about box's texts: the name, the version and the copyright of the program.
struct AboutTexts {
  std::wstring version;
  std::wstring copyright;
};

std::wstring VersionValue(const wchar_t* name) {
  wchar_t module[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(module, &ignored);
  if (size == 0) return std::wstring();
  std::wstring block(size / sizeof(wchar_t) + 1, L'\0');
  if (!GetFileVersionInfoW(module, 0, size, block.data())) return std::wstring();
  void* value = nullptr;
  UINT units = 0;
  const std::wstring key = std::wstring(L"\\StringFileInfo\\040404B0\\") + name;
  if (!VerQueryValueW(block.data(), key.c_str(), &value, &units) || !value) return std::wstring();
  return static_cast<const wchar_t*>(value);
}

INT_PTR CALLBACK AboutProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetDlgItemTextW(dialog, kNameControl, ToWide(LoadText(kProductNameString)).c_str());
      SetDlgItemTextW(dialog, kVersionControl, VersionValue(L"ProductVersion").c_str());
      SetDlgItemTextW(dialog, kCopyrightControl, VersionValue(L"LegalCopyright").c_str());
      OpenDialogFrame(dialog, *reinterpret_cast<DialogFrame*>(lParam));
      return TRUE;
    }
    case WM_COMMAND:
    case WM_LBUTTONDOWN:
      CloseDialogFrame(dialog, IDOK);
      return TRUE;
    case WM_CLOSE:
      CloseDialogFrame(dialog, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

void RunAboutDialog(HINSTANCE instance, DialogFrame& frame) {
  RunFramedDialog(instance, kAboutDialogId, frame, nullptr, AboutProcedure);
}

}  // namespace wayloom
