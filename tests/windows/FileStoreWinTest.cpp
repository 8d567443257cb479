// Reading and saving itineraries on a Windows file system: the read-only question, a save
// that fails half-way, Chinese file names.
#include "WinTestSupport.h"
#include "core/RowOperations.h"
#include "editing/DocumentCommands.h"
#include "platform/win32/Win32FileStore.h"

namespace wayloom {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

struct Editor {
  testing::WinTempFolder dir;
  DocumentState doc;
  testing::AnsweringUi ui;
  Win32FileStore files;
  CommandContext context{doc, ui, files};
};

TEST(FileStoreWinTest, OpensAndSavesUnderAChineseName) {
  Editor e;
  WriteBytes(e.dir / L"\x53F0\x5317.itn", "\xEF\xBB\xBF" "12150000|2503300|\xE5\x8F\xB0\xE5\x8C\x97|2\r\n");
  ASSERT_TRUE(OpenPath(e.context, e.dir.PathOf(L"\x53F0\x5317.itn")));
  EXPECT_EQ(e.doc.document.title, u"台北");
  ASSERT_EQ(e.doc.table.RowCount(), 1u);
  EXPECT_EQ(e.doc.table.Row(0).Name(), u"台北");
  ASSERT_TRUE(TransferFile(e.context, TransferMode::Save, e.dir.PathOf(L"copy.itn"), 1));
  EXPECT_EQ(ReadBytes(e.dir / L"copy.itn"), ReadBytes(e.dir / L"\x53F0\x5317.itn"));
  EXPECT_EQ(e.dir.FileCount(), 2u);
  EXPECT_TRUE(e.ui.shown.empty());
}

TEST(FileStoreWinTest, ReadOnlyTargetIsReplacedOnlyAfterTheQuestion) {
  Editor e;
  WriteBytes(e.dir / L"ro.itn", "old");
  SetFileAttributesW((e.dir / L"ro.itn").c_str(), FILE_ATTRIBUTE_READONLY);
  InsertRowRecorded(e.doc, 0, u"new", 2, false);
  e.ui.answer = MessageResult::Cancel;
  EXPECT_FALSE(TransferFile(e.context, TransferMode::Save, e.dir.PathOf(L"ro.itn"), 1));
  EXPECT_EQ(ReadBytes(e.dir / L"ro.itn"), "old");
  e.ui.answer = MessageResult::Ok;
  EXPECT_TRUE(TransferFile(e.context, TransferMode::Save, e.dir.PathOf(L"ro.itn"), 1));
  EXPECT_EQ(e.ui.shown, (std::vector<int>{14255, 14255}));
  EXPECT_EQ(ReadBytes(e.dir / L"ro.itn"), "18012345|18012345|new|2\r\n");
}

TEST(FileStoreWinTest, AFailedSaveKeepsTheOldFile) {
  testing::WinTempFolder dir;
  WriteBytes(dir / L"keep.itn", "precious");
  DocumentState doc;
  for (int i = 0; i < 40; ++i) InsertRowRecorded(doc, SIZE_MAX, u"a name long enough to fill the buffer", 2, false);
  testing::AnsweringUi ui;
  testing::FullDiskStore<Win32FileStore> files;
  CommandContext context{doc, ui, files};
  EXPECT_FALSE(TransferFile(context, TransferMode::Save, dir.PathOf(L"keep.itn"), 1));
  EXPECT_EQ(ui.shown, std::vector<int>{14222});
  EXPECT_EQ(ReadBytes(dir / L"keep.itn"), "precious");
  EXPECT_EQ(dir.FileCount(), 1u);
}

TEST(FileStoreWinTest, MissingAndFolderPathsCannotBeRead) {
  testing::WinTempFolder dir;
  Win32FileStore files;
  std::vector<std::uint8_t> data;
  EXPECT_EQ(files.ReadWholeFile(dir.PathOf(L"missing.itn"), data, 10), ReadResult::OpenFailed);
  EXPECT_EQ(files.ReadWholeFile(dir.PathOf(L""), data, 10), ReadResult::OpenFailed);
  EXPECT_TRUE(files.IsDirectory(dir.PathOf(L"")));
  EXPECT_FALSE(files.Exists(dir.PathOf(L"missing.itn")));
}

}  // namespace
}  // namespace wayloom
