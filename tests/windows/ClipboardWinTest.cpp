// The clipboard commands on the real clipboard: two editors, each with its own hidden
// window and store, exchange rows; other programs see the rows as Unicode text, and the
// companion editor's rows and plain ANSI text are taken from them.
#include <array>
#include <cstring>
#include <string>

#include "WinTestSupport.h"
#include "core/RowOperations.h"
#include "editing/Clipboard.h"
#include "platform/win32/Win32ClipboardStore.h"
#include "platform/win32/Win32FileStore.h"

namespace wayloom {
namespace {

// One editor: a document, a hidden window owning its clipboard data, and its store.
struct Editor {
  Editor() : window(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr)),
             store(window) {
    context.clipboard = &store;
  }
  ~Editor() { DestroyWindow(window); }

  void Load(std::initializer_list<std::array<const char16_t*, 3>> rows) {
    SuspendRecording(doc.journal);
    for (const auto& [name, longitude, latitude] : rows) {
      const std::size_t row = InsertRowRecorded(doc, SIZE_MAX, name, kStatusDestination, true);
      SetCoordinateFromText(doc, row, Axis::Longitude, longitude, CoordinateSource::Degrees);
      SetCoordinateFromText(doc, row, Axis::Latitude, latitude, CoordinateSource::Degrees);
    }
  }
  std::u16string Row(std::size_t row) const {
    const ItineraryEntry& entry = doc.table.Row(row);
    return Text(entry.Name()) + u"|" + Text(entry.Cell(kLongitudeColumn)) + u"|" + Text(entry.Cell(kLatitudeColumn));
  }

  HWND window;
  Win32ClipboardStore store;
  DocumentState doc;
  testing::AnsweringUi ui;
  Win32FileStore files;
  CommandContext context{doc, ui, files};
};

// Puts one block on the clipboard as another program would.
void PutRaw(UINT format, const void* data, std::size_t size) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  std::memcpy(GlobalLock(block), data, size);
  GlobalUnlock(block);
  EXPECT_TRUE(SetClipboardData(format, block));
  CloseClipboard();
}

// The Unicode text on the clipboard, as another program reads it.
std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return L"(clipboard not opened)";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

TEST(Win32Clipboard, TwoEditorsExchangeRowsAndOthersReadTheText) {
  Editor first, second;
  ASSERT_TRUE(first.window && second.window);
  first.Load({{u"台北車站", u"121.517", u"25.0478"}, {u"Home", u"-0.5", u""}});
  ASSERT_TRUE(CopyRows(first.context));
  EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatW(L"Wayloom")));

  EXPECT_EQ(ClipboardText(), L"\xFEFF台北車站\t25.04780\t121.51700\t2\r\nHome\t\t-0.50000\t2\r\n");

  second.Load({{u"Start", u"1", u"1"}});
  second.doc.table.ClearSelectionAndFocus();
  PasteRows(second.context);
  ASSERT_EQ(second.doc.table.RowCount(), 3u);
  EXPECT_EQ(second.Row(1), u"台北車站|121.51700|25.04780");
  EXPECT_EQ(second.Row(2), u"Home|-0.50000|");
  EXPECT_TRUE(second.ui.shown.empty());
}

TEST(Win32Clipboard, TakesTheCompanionRowsAndPlainText) {
  Editor editor;
  // name, longitude, latitude and two further texts; no status.
  std::u16string record = std::u16string(u"Pin\0" u"120.5\0" u"23.25\0" u"x\0" u"\0", 19);
  std::string block(4, '\0');
  block[0] = 1;
  for (int length : {4, 6, 6, 2, 1}) block += std::string{static_cast<char>(length), 0, 0, 0};
  block.append(reinterpret_cast<const char*>(record.data()), 2 * record.size());
  PutRaw(RegisterClipboardFormatW(L"Pinloom"), block.data(), block.size());
  PasteRows(editor.context);
  ASSERT_EQ(editor.doc.table.RowCount(), 1u);
  EXPECT_EQ(editor.Row(0), u"Pin|120.50000|23.25000");

  // ANSI text from an older program reaches the coordinates as Unicode text.
  const char ansi[] = "25.033, 121.565";
  PutRaw(CF_TEXT, ansi, sizeof ansi);
  EXPECT_TRUE(editor.store.Has(ClipboardFormat::UnicodeText));
  PasteCoordinates(editor.context);
  EXPECT_EQ(editor.Row(0), u"Pin|121.56500|25.03300");

  CopyCoordinates(editor.context);
  EXPECT_EQ(ClipboardText(), L"N 25.03300, E 121.56500");
  EXPECT_TRUE(editor.ui.shown.empty());
}

}  // namespace
}  // namespace wayloom
