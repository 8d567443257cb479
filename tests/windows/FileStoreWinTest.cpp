// Reading and saving itineraries on a Windows file system: the read-only question, a save
// that fails half-way, Chinese file names.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/RowOperations.h"
#include "editing/DocumentCommands.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileStore.h"

namespace wayloom {
namespace {

namespace fs = std::filesystem;

class AnsweringUi : public Ui {
 public:
  MessageResult ShowMessage(int id, const FormatArg&, MessageIcon, MessageButtons, bool) override {
    shown.push_back(id);
    return answer;
  }
  std::vector<int> shown;
  MessageResult answer = MessageResult::Ok;
};

// The real file store, whose files stop writing after some bytes (a full disk).
class FullDiskStore : public Win32FileStore {
 public:
  class FailingFile : public OutputFile {
   public:
    explicit FailingFile(std::unique_ptr<OutputFile> file) : file_(std::move(file)) {}
    bool Write(const void* data, std::size_t size) override { return (written_ += size) < 100 && file_->Write(data, size); }
    bool Commit() override { return file_->Commit(); }

   private:
    std::unique_ptr<OutputFile> file_;
    std::size_t written_ = 0;
  };
  std::unique_ptr<OutputFile> CreateOutput(TextView path, CreateResult& result) override {
    auto file = Win32FileStore::CreateOutput(path, result);
    return file ? std::make_unique<FailingFile>(std::move(file)) : nullptr;
  }
};

class FileStoreWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    dir_ = fs::path(temp) / (std::wstring(L"wayloom \x6A94\x6848 ") +
                             fs::path(::testing::UnitTest::GetInstance()->current_test_info()->name()).wstring());
    std::error_code ec;
    fs::remove_all(dir_, ec);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    for (const auto& entry : fs::directory_iterator(dir_))
      SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
  }
  Text PathOf(const wchar_t* name) const { return FromWide((dir_ / name).wstring()); }
  std::size_t FileCount() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
  }
  fs::path dir_;
};

TEST_F(FileStoreWinTest, OpensAndSavesUnderAChineseName) {
  Write(dir_ / L"\x53F0\x5317.itn", "\xEF\xBB\xBF" "12150000|2503300|\xE5\x8F\xB0\xE5\x8C\x97|2\r\n");
  DocumentState doc;
  AnsweringUi ui;
  Win32FileStore files;
  CommandContext context{doc, ui, files};
  ASSERT_TRUE(OpenPath(context, PathOf(L"\x53F0\x5317.itn")));
  EXPECT_EQ(doc.document.title, u"台北");
  ASSERT_EQ(doc.table.RowCount(), 1u);
  EXPECT_EQ(doc.table.Row(0).Name(), u"台北");
  ASSERT_TRUE(TransferFile(context, TransferMode::Save, PathOf(L"copy.itn"), 1));
  EXPECT_EQ(Read(dir_ / L"copy.itn"), Read(dir_ / L"\x53F0\x5317.itn"));
  EXPECT_EQ(FileCount(), 2u);
  EXPECT_TRUE(ui.shown.empty());
}

TEST_F(FileStoreWinTest, ReadOnlyTargetIsReplacedOnlyAfterTheQuestion) {
  const fs::path target = dir_ / L"ro.itn";
  Write(target, "old");
  SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);
  DocumentState doc;
  InsertRowRecorded(doc, 0, u"new", 2, false);
  AnsweringUi ui;
  Win32FileStore files;
  CommandContext context{doc, ui, files};
  ui.answer = MessageResult::Cancel;
  EXPECT_FALSE(TransferFile(context, TransferMode::Save, PathOf(L"ro.itn"), 1));
  EXPECT_EQ(Read(target), "old");
  ui.answer = MessageResult::Ok;
  EXPECT_TRUE(TransferFile(context, TransferMode::Save, PathOf(L"ro.itn"), 1));
  EXPECT_EQ(ui.shown, (std::vector<int>{14255, 14255}));
  EXPECT_EQ(Read(target), "18012345|18012345|new|2\r\n");
}

TEST_F(FileStoreWinTest, AFailedSaveKeepsTheOldFile) {
  const fs::path target = dir_ / L"keep.itn";
  Write(target, "precious");
  DocumentState doc;
  for (int i = 0; i < 40; ++i) InsertRowRecorded(doc, SIZE_MAX, u"a name long enough to fill the buffer", 2, false);
  AnsweringUi ui;
  FullDiskStore files;
  CommandContext context{doc, ui, files};
  EXPECT_FALSE(TransferFile(context, TransferMode::Save, PathOf(L"keep.itn"), 1));
  EXPECT_EQ(ui.shown, std::vector<int>{14222});
  EXPECT_EQ(Read(target), "precious");
  EXPECT_EQ(FileCount(), 1u);
}

TEST_F(FileStoreWinTest, MissingAndFolderPathsCannotBeRead) {
  Win32FileStore files;
  std::vector<std::uint8_t> data;
  EXPECT_EQ(files.ReadWholeFile(PathOf(L"missing.itn"), data, 10), ReadResult::OpenFailed);
  EXPECT_EQ(files.ReadWholeFile(FromWide(dir_.wstring()), data, 10), ReadResult::OpenFailed);
  EXPECT_TRUE(files.IsDirectory(FromWide(dir_.wstring())));
  EXPECT_FALSE(files.Exists(PathOf(L"missing.itn")));
}

}  // namespace
}  // namespace wayloom
