#include <gtest/gtest.h>

#include <sys/stat.h>

#include "ProfileCases.h"
#include "TestSupport.h"
#include "core/RowOperations.h"
#include "editing/UndoCommands.h"
#include "core/UndoJournal.h"
#include "editing/DocumentCommands.h"
#include "formats/FileFormat.h"
#include "platform/posix/PosixFileStore.h"
#include "platform/posix/PortableCollation.h"

namespace wayloom {
namespace {

using testing::ReadBytes;
using testing::Rows;
using testing::ScriptedUi;
using testing::TempFolder;
using testing::WriteBytes;
using testing::PathText;

struct Fixture {
  DocumentState doc;
  ScriptedUi ui;
  PosixFileStore files;
  CommandContext context{doc, ui, files};
};

std::string Records(int count) {
  std::string bytes;
  for (int i = 0; i < count; ++i) bytes += std::to_string(i) + "|" + std::to_string(i) + "|row " + std::to_string(i) + "|2\r\n";
  return bytes;
}

TEST(OpenPath, ReadsTheFileAndBecomesTheDocument) {
  TempFolder folder;
  WriteBytes(folder / "trip.itn", "12150000|2503300|Taipei|2|\r\n");
  Fixture f;
  f.doc.SetModified(false);
  ASSERT_TRUE(OpenPath(f.context, PathText(folder / "trip.itn")));
  EXPECT_EQ(f.doc.document.title, u"trip");
  EXPECT_EQ(f.doc.document.format, 1);
  EXPECT_FALSE(f.doc.document.modified);
  EXPECT_EQ(WindowTitle(f.doc.document), u"trip - Wayloom");
  EXPECT_EQ(Rows(f.doc), (std::vector<std::string>{"Taipei|121.50000|25.03300|2"}));
  EXPECT_EQ(f.doc.table.Cell(0, kOrderColumn), u"1");
  EXPECT_TRUE(f.doc.table.Row(0).selected);
  EXPECT_EQ(f.doc.settings.recentFiles.front(), PathText(folder / "trip.itn"));
  EXPECT_TRUE(f.ui.messages.empty());
}

TEST(OpenPath, AMalformedFileGivesTheMessageAndANewDocument) {
  TempFolder folder;
  WriteBytes(folder / "bad.itn", "1|1|first|2|\r\nbroken");
  Fixture f;
  EXPECT_FALSE(OpenPath(f.context, PathText(folder / "bad.itn")));
  ASSERT_EQ(f.ui.MessageIds(), std::vector<int>{14225});
  EXPECT_EQ(f.ui.messages[0].text, "檔案的內容有問題\n\nbad.itn");
  EXPECT_EQ(f.ui.messages[0].icon, MessageIcon::Warning);
  EXPECT_TRUE(f.doc.table.Empty());
  EXPECT_EQ(f.doc.document.title, u"未命名");
  EXPECT_TRUE(f.doc.document.path.empty());
  EXPECT_EQ(WindowTitle(f.doc.document), u"未命名 - Wayloom");
}

TEST(OpenPath, AMissingFileCannotBeOpened) {
  TempFolder folder;
  Fixture f;
  EXPECT_FALSE(OpenPath(f.context, PathText(folder / "missing.itn")));
  EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{14217});
  EXPECT_TRUE(f.doc.table.Empty());
}

TEST(OpenPath, DroppedDuplicatesLeaveTheDocumentModified) {
  TempFolder folder;
  WriteBytes(folder / "dups.itn", "1|1|a|2\r\n1|1|b|2\r\n1|1|a|2\r\n1|1|b|2\r\n1|1|a|2\r\n");
  Fixture f;
  f.doc.settings.Set(Option::CheckName, true);
  f.ui.duplicateAnswers = {kDropAll};
  ASSERT_TRUE(OpenPath(f.context, PathText(folder / "dups.itn")));
  EXPECT_EQ(f.ui.duplicateQuestions.size(), 1u);
  ASSERT_EQ(f.ui.MessageIds(), std::vector<int>{14214});
  EXPECT_EQ(f.ui.messages[0].text, "總共剔除 3 筆相同的行程資料");
  EXPECT_TRUE(f.doc.document.modified);
  EXPECT_EQ(WindowTitle(f.doc.document), u"dups* - Wayloom");
}

TEST(TransferFile, SavingMoreThan48RowsAsks) {
  TempFolder folder;
  WriteBytes(folder / "many.itn", Records(49));
  Fixture f;
  ASSERT_TRUE(OpenPath(f.context, PathText(folder / "many.itn")));
  const Text target = PathText(folder / "out.itn");
  f.ui.answers = {MessageResult::Cancel};
  EXPECT_FALSE(TransferFile(f.context, TransferMode::Save, target, 1));
  EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{14220});
  EXPECT_EQ(f.ui.messages[0].text, "導航裝置只會取用前 48 個行程\n要繼續儲存檔案嗎？");
  EXPECT_FALSE(std::filesystem::exists(folder / "out.itn"));
  f.ui.answers = {MessageResult::Ok};
  EXPECT_TRUE(TransferFile(f.context, TransferMode::Save, target, 1));
  const std::string written = ReadBytes(folder / "out.itn");
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 49);

  // With a pinned base row 49 rows do not ask.
  f.ui.messages.clear();
  f.doc.baseRowPinned = true;
  EXPECT_TRUE(TransferFile(f.context, TransferMode::Save, target, 1));
  EXPECT_TRUE(f.ui.messages.empty());
}

TEST(TransferFile, SaveWritesTheSameBytesItRead) {
  const std::pair<const char*, std::string> files[] = {
      {"in.itn", "\xEF\xBB\xBF" "12150000|2503300|\xE5\x8F\xB0\xE5\x8C\x97|1\r\n18012345|-050000|blank|0\r\n"},
      // A UTF-16 csv keeps its byte-order mark and its encoding.
      {"in.csv", testing::Utf16Bytes(u"121.50000,25.03300,\u53F0\u5317,2\r\n-0.50000,51.50000,London,0\r\n")},
  };
  for (const auto& [name, bytes] : files) {
    SCOPED_TRACE(name);
    TempFolder folder;
    WriteBytes(folder / name, bytes);
    Fixture f;
    ASSERT_TRUE(OpenPath(f.context, PathText(folder / name)));
    f.doc.SetModified(true);
    ASSERT_TRUE(SaveDocument(f.context));
    EXPECT_FALSE(f.doc.document.modified);
    EXPECT_EQ(ReadBytes(folder / name), bytes);
  }
}

TEST(TransferFile, ReadOnlyTargetAsksAndReplacesOnOk) {
  TempFolder folder;
  WriteBytes(folder / "ro.itn", "old");
  ::chmod((folder / "ro.itn").c_str(), 0444);
  Fixture f;
  InsertRowRecorded(f.doc, 0, u"new", 2, false);
  const Text target = PathText(folder / "ro.itn");
  f.ui.answers = {MessageResult::Cancel};
  EXPECT_FALSE(TransferFile(f.context, TransferMode::Save, target, 1));
  EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{14255});
  EXPECT_EQ(ReadBytes(folder / "ro.itn"), "old");
  f.ui.answers = {MessageResult::Ok};
  EXPECT_TRUE(TransferFile(f.context, TransferMode::Save, target, 1));
  EXPECT_EQ(ReadBytes(folder / "ro.itn"), "18012345|18012345|new|2\r\n");
}

TEST(TransferFile, AFailedSaveLeavesTheOldFileUntouched) {
  TempFolder folder;
  WriteBytes(folder / "keep.itn", "precious");
  DocumentState doc;
  ScriptedUi ui;
  testing::FullDiskStore<PosixFileStore> files;
  CommandContext context{doc, ui, files};
  for (int i = 0; i < 3000; ++i) InsertRowRecorded(doc, SIZE_MAX, u"a name long enough to fill the buffer", 2, false);
  doc.SetModified(true);
  ui.answers = {MessageResult::Ok};  // write past the device's entry limit
  EXPECT_FALSE(TransferFile(context, TransferMode::Save, PathText(folder / "keep.itn"), 1));
  EXPECT_EQ(ui.MessageIds(), (std::vector<int>{14220, 14222}));
  EXPECT_TRUE(doc.document.modified);
  EXPECT_EQ(ReadBytes(folder / "keep.itn"), "precious");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);  // no temporary left
}

TEST(TransferFile, AnUncreatableFileReportsIt) {
  TempFolder folder;
  Fixture f;
  InsertRowRecorded(f.doc, 0, u"row", 2, false);
  EXPECT_FALSE(TransferFile(f.context, TransferMode::Save, PathText(folder / "no" / "such.itn"), 1));
  ASSERT_EQ(f.ui.MessageIds(), std::vector<int>{14221});
  EXPECT_EQ(f.ui.messages[0].text, "無法儲存檔案\n\nsuch.itn");
}

TEST(TransferFile, AutomaticSaveOpensNoDialog) {
  TempFolder folder;
  WriteBytes(folder / "auto.itn", Records(60));
  Fixture f;
  ASSERT_TRUE(OpenPath(f.context, PathText(folder / "auto.itn")));
  f.doc.SetModified(true);
  f.ui.progress.clear();
  f.doc.document.autoSaving = true;
  EXPECT_TRUE(SaveDocument(f.context));
  EXPECT_TRUE(f.ui.messages.empty());
  EXPECT_TRUE(f.ui.progress.empty());
  EXPECT_FALSE(f.doc.document.modified);
}

TEST(TransferFile, ImportIsOneUndoStepAndOpenStartsANewHistory) {
  TempFolder folder;
  WriteBytes(folder / "a.itn", "1|1|a1|2\r\n2|2|a2|2\r\n");
  WriteBytes(folder / "b.itn", "3|3|b1|2\r\n4|4|b2|2\r\n");
  Fixture f;
  ASSERT_TRUE(OpenPath(f.context, PathText(folder / "a.itn")));
  EXPECT_FALSE(CanUndo(f.doc.journal));
  ASSERT_TRUE(TransferFile(f.context, TransferMode::Import, PathText(folder / "b.itn"), 1));
  EXPECT_EQ(f.doc.table.RowCount(), 4u);
  EXPECT_TRUE(f.doc.document.modified);
  Undo(f.context);
  EXPECT_EQ(Rows(f.doc), (std::vector<std::string>{"a1|0.00001|0.00001|2", "a2|0.00002|0.00002|2"}));
  EXPECT_FALSE(f.doc.document.modified);
  Redo(f.context);
  EXPECT_EQ(f.doc.table.RowCount(), 4u);
  EXPECT_EQ(f.doc.table.Cell(3, kOrderColumn), u"4");
  // Opening another file (discarding the changes) forgets the old history.
  f.ui.answers = {MessageResult::No};
  ASSERT_TRUE(OpenPath(f.context, PathText(folder / "b.itn")));
  EXPECT_FALSE(CanUndo(f.doc.journal));
  EXPECT_FALSE(CanRedo(f.doc.journal));
}

TEST(ConfirmDiscard, AsksTheRightQuestion) {
  Fixture f;
  f.doc.document.title = u"trip";
  f.ui.answers = {MessageResult::Cancel, MessageResult::Ok};
  EXPECT_FALSE(ConfirmDiscard(f.context));
  EXPECT_TRUE(ConfirmDiscard(f.context));
  EXPECT_EQ(f.ui.messages[0].text, "放棄目前編修的檔案？\n\ntrip");
  InsertRowRecorded(f.doc, 0, u"row", 2, false);
  f.ui.messages.clear();
  f.ui.answers = {MessageResult::No, MessageResult::Cancel};
  EXPECT_TRUE(ConfirmDiscard(f.context));
  EXPECT_FALSE(ConfirmDiscard(f.context));
  EXPECT_EQ(f.ui.messages[0].text, "儲存目前的檔案？\n\ntrip");
  // Yes saves; with no path that is the save-as dialog, and cancelling it stops.
  f.ui.answers = {MessageResult::Yes};
  f.doc.SetModified(true);
  EXPECT_FALSE(ConfirmDiscard(f.context));
}

TEST(ChooseFile, SaveAsFollowsTheTypedExtension) {
  TempFolder folder;
  Fixture f;
  InsertRowRecorded(f.doc, 0, u"row", 2, false);
  f.ui.fileChoices = {{PathText(folder / "x.gpi"), 1}};
  ASSERT_TRUE(SaveDocumentAs(f.context));
  EXPECT_TRUE(std::filesystem::exists(folder / "x.itn"));
  EXPECT_FALSE(std::filesystem::exists(folder / "x.gpi"));
  EXPECT_EQ(f.doc.document.title, u"x");
  EXPECT_EQ(f.doc.document.format, 1);
  // A name without an extension gets the chosen type's.
  f.ui.fileChoices = {{PathText(folder / "plain"), 1}};
  ASSERT_TRUE(SaveDocumentAs(f.context));
  EXPECT_TRUE(std::filesystem::exists(folder / "plain.itn"));
  EXPECT_EQ(f.ui.dialogPositions, (std::vector<int>{1, 1}));
}

TEST(OpenFavourites, ReadsTheDeviceFileAsANewUntitledItinerary) {
  TempFolder folder;
  // One favourite record: category 3, longitude 121.5, latitude 25.033, name "Home".
  std::string record = {4, 0, 3, 0, 0, 0, 8, 0};
  auto int32 = [&](std::int32_t v) {
    for (int i = 0; i < 4; ++i) record.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  int32(12150000);
  int32(2503300);
  record += std::string{8, 0};
  record.resize(26, '\0');
  record += std::string{27, 27, static_cast<char>(27 + 4)} + "Home" + std::string(8, '\0');
  WriteBytes(folder / "MapSettings.cfg", record);
  Fixture f;
  ASSERT_TRUE(OpenFavourites(f.context, PathText(folder.path()), false));
  EXPECT_EQ(Rows(f.doc), (std::vector<std::string>{"Home|121.50000|25.03300|2"}));
  EXPECT_EQ(WindowTitle(f.doc.document), u"Favorites - Wayloom");
  EXPECT_TRUE(f.doc.document.path.empty());
  EXPECT_EQ(f.doc.document.format, 1);
  // Saving now asks for a name.
  EXPECT_FALSE(SaveDocument(f.context));
  EXPECT_EQ(f.ui.dialogPositions.size(), 1u);
  // A folder without the file cannot be opened.
  Fixture missing;
  EXPECT_FALSE(OpenFavourites(missing.context, PathText(folder / "none"), false));
  EXPECT_EQ(missing.ui.MessageIds(), std::vector<int>{14217});
}

TEST(FileFormats, ExtensionsAndListPositions) {
  EXPECT_EQ(FormatForOpening(u"ITN"), 1);
  EXPECT_EQ(FormatForOpening(u"dat"), 8);
  EXPECT_EQ(FormatForOpening(u""), 8);
  EXPECT_EQ(FormatForSaving(u"txt", 6), 20);  // csv UTF-8 chosen, name x.txt: tab-separated UTF-8
  EXPECT_EQ(FormatForSaving(u"asc", 6), 14);
  EXPECT_EQ(FormatForSaving(u"csv", 2), 9);   // kml chosen: the ANSI encoding
  EXPECT_EQ(FormatForSaving(u"gpi", 9), 4);
  EXPECT_EQ(OpenListPosition(14), 6);
  EXPECT_EQ(SaveListPosition(4), 1);
  EXPECT_EQ(SaveListPosition(20), 15);
  EXPECT_EQ(FormatFromSaveListPosition(15), 20);
  const auto open = FileDialogFilters(false);
  const auto save = FileDialogFilters(true);
  ASSERT_EQ(open.size(), 8u);
  ASSERT_EQ(save.size(), 15u);
  EXPECT_EQ(TextToUtf8(open[0].text), "TomTom 行程檔案 (*.itn)");
  EXPECT_EQ(TextToUtf8(open[7].pattern), "*.txt");
}

TEST(RecentFiles, MoveToTheTopAndDropTheOldest) {
  Settings settings = DefaultSettings(true);
  settings.fileCount = 3;
  const PortableCollation collation;
  for (const char16_t* path : {u"a", u"b", u"c", u"d"}) AddRecentFile(settings, path, &collation);
  EXPECT_EQ(settings.recentFiles, (std::vector<Text>{u"d", u"c", u"b"}));
  AddRecentFile(settings, u"B", &collation);
  EXPECT_EQ(settings.recentFiles, (std::vector<Text>{u"B", u"d", u"c"}));
  // Windows folds the case of every letter in a path, accented ones too.
  AddRecentFile(settings, u"C:\\Café\\Ä.itn", &collation);
  AddRecentFile(settings, u"c:\\CAFÉ\\ä.ITN", &collation);
  EXPECT_EQ(settings.recentFiles, (std::vector<Text>{u"c:\\CAFÉ\\ä.ITN", u"B", u"d"}));
  settings.Set(Option::RecentFile, false);
  AddRecentFile(settings, u"e", &collation);
  EXPECT_EQ(settings.recentFiles.size(), 3u);
}

TEST(RecentFiles, ReopeningAnEntryMovesItToTheTop) {
  TempFolder folder;
  Fixture f;
  f.doc.settings.fileCount = 4;
  std::vector<Text> paths;
  for (const char* name : {"a.itn", "b.itn", "c.itn", "d.itn"}) {
    WriteBytes(folder / name, "1|1|x|2\r\n");
    paths.push_back(PathText(folder / name));
    AddRecentFile(f.doc.settings, paths.back(), nullptr);
  }
  ASSERT_TRUE(OpenRecent(f.context, 2));  // b.itn, the third entry
  EXPECT_EQ(f.doc.settings.recentFiles, (std::vector<Text>{paths[1], paths[3], paths[2], paths[0]}));
  EXPECT_EQ(f.doc.document.title, u"b");
  EXPECT_FALSE(OpenRecent(f.context, 4));
  EXPECT_FALSE(RecentItemEnabled(f.files, PathText(folder / "gone.itn")));
  EXPECT_FALSE(RecentItemEnabled(f.files, PathText(folder.path())));
  EXPECT_TRUE(RecentItemEnabled(f.files, paths[0]));
}

TEST(RecentFiles, MenuTextNamesTheShellFolders) {
  const ShellFolders xp{u"C:\\Documents and Settings\\Bob", u"C:\\Documents and Settings\\All Users", u"C:", 5};
  const ShellFolders win7{u"C:\\Users\\Bob", u"C:\\ProgramData", u"C:", 6};
  const struct {
    const ShellFolders& folders;
    const char16_t* path;
    const char* text;
  } cases[] = {
      {win7, u"C:\\Users\\Bob\\Desktop\\trip.itn", "&1 桌面\\trip.itn"},
      {win7, u"c:\\users\\bob\\documents\\trip.itn", "&1 我的文件\\trip.itn"},
      {win7, u"C:\\Users\\Public\\Documents\\trip.itn", "&1 公用文件\\trip.itn"},
      {win7, u"C:\\Users\\Bob\\Desktops\\trip.itn", "&1 C:\\Users\\Bob\\Desktops\\trip.itn"},
      {win7, u"D:\\Users\\Bob\\Desktop\\trip.itn", "&1 D:\\Users\\Bob\\Desktop\\trip.itn"},
      {win7, u"C:\\Users\\Bob\\Desktop", "&1 桌面"},
      {xp, u"C:\\Documents and Settings\\Bob\\My Documents\\a.itn", "&1 我的文件\\a.itn"},
      {xp, u"C:\\Documents and Settings\\All Users\\Documents\\a.itn", "&1 共用文件\\a.itn"},
      {xp, u"C:\\Documents and Settings\\Bob\\Desktop\\a.itn", "&1 桌面\\a.itn"},
  };
  for (const auto& c : cases) EXPECT_EQ(TextToUtf8(RecentMenuText(0, c.path, c.folders)), c.text) << TextToUtf8(c.path);
  EXPECT_EQ(TextToUtf8(RecentMenuText(8, u"x.itn", win7)), "&9 x.itn");
}

TEST(DroppedFiles, OneKnownFileOpensAnythingElseIsRefused) {
  TempFolder folder;
  WriteBytes(folder / "trip.TXT", "Home\t121.5\t25\r\n");
  Fixture f;
  OpenDroppedFiles(f.context, {u"a.itn", u"b.itn"}, false);
  OpenDroppedFiles(f.context, {u"C:\\x\\notes.doc"}, false);
  OpenDroppedFiles(f.context, {u"a.doc", u"b.doc"}, true);  // on the map pane: ignored
  ASSERT_EQ(f.ui.MessageIds(), (std::vector<int>{14293, 14423}));
  EXPECT_EQ(f.ui.messages[1].text, "檔案的副檔名並不支援\n\nnotes.doc");
  OpenDroppedFiles(f.context, {PathText(folder / "trip.TXT")}, false);
  EXPECT_EQ(f.ui.messages.size(), 2u);
  EXPECT_EQ(f.doc.document.title, u"trip");
  EXPECT_EQ(f.doc.table.RowCount(), 1u);
}

class TimerUi : public ScriptedUi {
 public:
  void RestartAutoSaveTimer(int minutes) override { restarts.push_back(minutes); }
  std::vector<int> restarts;
};

TEST(AutoSave, SavesOnlyAModifiedDocumentWithAPathAndRestartsTheTimer) {
  TempFolder folder;
  WriteBytes(folder / "trip.itn", "1|1|a|2|\r\n");
  DocumentState doc;
  TimerUi ui;
  PosixFileStore files;
  CommandContext context{doc, ui, files};
  doc.settings.Set(Option::BackupFile, true);
  doc.settings.backupInterval = 5;
  ASSERT_TRUE(OpenPath(context, PathText(folder / "trip.itn")));
  EXPECT_EQ(ui.restarts, std::vector<int>{5});
  AutoSave(context);  // not modified: nothing
  EXPECT_EQ(ui.restarts.size(), 1u);
  InsertRowRecorded(doc, SIZE_MAX, u"b", 2, false);
  doc.SetModified(true);
  AutoSave(context);
  EXPECT_FALSE(doc.document.modified);
  EXPECT_FALSE(doc.document.autoSaving);
  EXPECT_EQ(ReadBytes(folder / "trip.itn"), "000001|000001|a|2\r\n18012345|18012345|b|2\r\n");
  EXPECT_EQ(ui.restarts.size(), 2u);
  // An untitled document is never saved automatically, and no dialog opens.
  doc.document.path.clear();
  doc.SetModified(true);
  AutoSave(context);
  EXPECT_TRUE(doc.document.modified);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(ui.dialogPositions.empty());
}

TEST(OpenPath, AutoBasePointPinsTheRememberedEntryAboveTheFile) {
  TempFolder folder;
  WriteBytes(folder / "trip.itn", "12150000|2503300|Taipei|2|\r\n");
  Fixture f;
  testing::MemoryProfile profile;
  profile.Set("Base Points", "BP List 1", u"Home>121.56500>25.03300");
  f.context.profile = &profile;
  f.doc.settings.Set(Option::ShowDistance, true);
  f.doc.settings.Set(Option::AutoBP, true);
  ASSERT_TRUE(OpenPath(f.context, PathText(folder / "trip.itn")));
  EXPECT_EQ(Rows(f.doc), (std::vector<std::string>{"Home|121.56500|25.03300|2", "Taipei|121.50000|25.03300|2"}));
  EXPECT_TRUE(f.doc.baseRowPinned);
  EXPECT_EQ(f.doc.baseRow, 0);
  EXPECT_FALSE(f.doc.document.modified);
  EXPECT_FALSE(CanUndo(f.doc.journal));
  // The pinned row is never saved.
  f.doc.SetModified(true);
  ASSERT_TRUE(SaveDocument(f.context));
  EXPECT_EQ(ReadBytes(folder / "trip.itn"), "12150000|2503300|Taipei|2\r\n");
}

}  // namespace
}  // namespace wayloom
