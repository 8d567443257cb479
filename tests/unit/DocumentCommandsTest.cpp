#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

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

using namespace testing;

struct TimerUi : ScriptedUi {
  void RestartAutoSaveTimer(int minutes) override { restarts.push_back(minutes); }
  std::vector<int> restarts;
};

template <typename Files = PosixFileStore>
struct FixtureOf {
  Text Path(const std::string& name) const { return PathText(folder / name); }
  // Writes the file (when bytes are given) and opens it.
  bool Open(const std::string& name, std::optional<std::string> bytes = {}) {
    if (bytes) WriteBytes(folder / name, *bytes);
    return OpenPath(context, Path(name));
  }
  bool Save(const std::string& name) { return TransferFile(context, TransferMode::Save, Path(name), 1); }
  TempFolder folder;
  DocumentState doc;
  TimerUi ui;
  Files files;
  CommandContext context{doc, ui, files};
};
using Fixture = FixtureOf<>;

std::string Records(int count) {
  std::string bytes;
  for (int i = 0; i < count; ++i) bytes += std::to_string(i) + "|" + std::to_string(i) + "|row " + std::to_string(i) + "|2\r\n";
  return bytes;
}

TEST(OpenPath, ReadsTheFileAndBecomesTheDocument) {
  Fixture f;
  f.doc.SetModified(false);
  ASSERT_TRUE(f.Open("trip.itn", "12150000|2503300|Taipei|2|\r\n"));
  EXPECT_EQ(f.doc.document.format, 1);
  EXPECT_EQ(WindowTitle(f.doc.document), u"trip - Wayloom");
  EXPECT_EQ(Rows(f.doc), (std::vector<std::string>{"Taipei|121.50000|25.03300|2"}));
  EXPECT_EQ(f.doc.table.Cell(0, kOrderColumn), u"1");
  EXPECT_TRUE(f.doc.table.Row(0).selected);
  EXPECT_EQ(f.doc.settings.recentFiles.front(), f.Path("trip.itn"));
  EXPECT_TRUE(f.ui.messages.empty());
  // With AutoBP the remembered base point is pinned above the file's rows, and never saved.
  testing::MemoryProfile profile;
  profile.Set("Base Points", "BP List 1", u"Home>121.56500>25.03300");
  f.context.profile = &profile;
  f.doc.settings.Set(Option::ShowDistance, true);
  f.doc.settings.Set(Option::AutoBP, true);
  ASSERT_TRUE(f.Open("trip.itn"));
  EXPECT_EQ(Rows(f.doc), (std::vector<std::string>{"Home|121.56500|25.03300|2", "Taipei|121.50000|25.03300|2"}));
  EXPECT_EQ(std::pair(f.doc.baseRowPinned, f.doc.baseRow), std::pair(true, 0LL));
  EXPECT_FALSE(f.doc.document.modified || CanUndo(f.doc.journal));
  f.doc.SetModified(true);
  ASSERT_TRUE(SaveDocument(f.context));
  EXPECT_EQ(ReadBytes(f.folder / "trip.itn"), "12150000|2503300|Taipei|2\r\n");
}

TEST(DocumentCommands, FilesThatCannotBeReadOrWrittenAreReported) {
  const struct { const char* name; bool (*run)(Fixture&); int id; const char* text; } cases[] = {
      {"malformed", [](Fixture& f) { return f.Open("bad.itn", "1|1|first|2|\r\nbroken"); }, 14225,
       "檔案的內容有問題\n\nbad.itn"},
      {"missing", [](Fixture& f) { return f.Open("missing.itn"); }, 14217, "無法開啟檔案\n\nmissing.itn"},
      {"no favourites file", [](Fixture& f) { return OpenFavourites(f.context, f.Path("none"), false); }, 14217,
       "無法開啟檔案\n\nMapSettings.cfg"},
      {"cannot create", [](Fixture& f) { return InsertRowRecorded(f.doc, 0, u"row", 2, false), f.Save("no/such.itn"); },
       14221, "無法儲存檔案\n\nsuch.itn"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    EXPECT_FALSE(c.run(f));
    ASSERT_EQ(f.ui.MessageIds(), std::vector<int>{c.id});
    EXPECT_EQ(f.ui.messages[0].text, c.text);
    EXPECT_EQ(f.ui.messages[0].icon, MessageIcon::Warning);
    // What could not be opened leaves a new, empty document.
    if (c.id == 14221) continue;
    EXPECT_TRUE(f.doc.table.Empty() && f.doc.document.path.empty());
    EXPECT_EQ(WindowTitle(f.doc.document), u"未命名 - Wayloom");
  }
}

TEST(OpenPath, DroppedDuplicatesLeaveTheDocumentModified) {
  Fixture f;
  f.doc.settings.Set(Option::CheckName, true);
  f.ui.duplicateAnswers = {kDropAll};
  ASSERT_TRUE(f.Open("dups.itn", "1|1|a|2\r\n1|1|b|2\r\n1|1|a|2\r\n1|1|b|2\r\n1|1|a|2\r\n"));
  EXPECT_EQ(f.ui.duplicateQuestions.size(), 1u);
  ASSERT_EQ(f.ui.MessageIds(), std::vector<int>{14214});
  EXPECT_EQ(f.ui.messages[0].text, "總共剔除 3 筆相同的行程資料");
  EXPECT_EQ(WindowTitle(f.doc.document), u"dups* - Wayloom");
}

TEST(TransferFile, SavingMoreThan48RowsAsks) {
  Fixture f;
  ASSERT_TRUE(f.Open("many.itn", Records(49)));
  f.ui.answers = {MessageResult::Cancel, MessageResult::Ok};
  EXPECT_FALSE(f.Save("out.itn"));
  EXPECT_FALSE(std::filesystem::exists(f.folder / "out.itn"));
  EXPECT_TRUE(f.Save("out.itn"));
  EXPECT_EQ(f.ui.MessageIds(), (std::vector<int>{14220, 14220}));
  EXPECT_EQ(f.ui.messages[0].text, "導航裝置只會取用前 48 個行程\n要繼續儲存檔案嗎？");
  EXPECT_EQ(std::ranges::count(ReadBytes(f.folder / "out.itn"), '\n'), 49);
  // With a pinned base row 49 rows do not ask.
  f.doc.baseRowPinned = true;
  EXPECT_TRUE(f.Save("out.itn"));
  EXPECT_EQ(f.ui.messages.size(), 2u);
}

TEST(TransferFile, SaveWritesTheSameBytesItRead) {
  const std::pair<const char*, std::string> files[] = {
      {"in.itn", "\xEF\xBB\xBF" "12150000|2503300|\xE5\x8F\xB0\xE5\x8C\x97|1\r\n18012345|-050000|blank|0\r\n"},
      // A UTF-16 csv keeps its byte-order mark and its encoding.
      {"in.csv", testing::Utf16Bytes(u"121.50000,25.03300,\u53F0\u5317,2\r\n-0.50000,51.50000,London,0\r\n")},
  };
  for (const auto& [name, bytes] : files) {
    SCOPED_TRACE(name);
    Fixture f;
    ASSERT_TRUE(f.Open(name, bytes));
    f.doc.SetModified(true);
    ASSERT_TRUE(SaveDocument(f.context));
    EXPECT_FALSE(f.doc.document.modified);
    EXPECT_EQ(ReadBytes(f.folder / name), bytes);
  }
}

TEST(TransferFile, ReadOnlyTargetAsksAndReplacesOnOk) {
  Fixture f;
  WriteBytes(f.folder / "ro.itn", "old");
  ::chmod((f.folder / "ro.itn").c_str(), 0444);
  InsertRowRecorded(f.doc, 0, u"new", 2, false);
  f.ui.answers = {MessageResult::Cancel, MessageResult::Ok};
  EXPECT_FALSE(f.Save("ro.itn"));
  EXPECT_EQ(ReadBytes(f.folder / "ro.itn"), "old");
  EXPECT_TRUE(f.Save("ro.itn"));
  EXPECT_EQ(f.ui.MessageIds(), (std::vector<int>{14255, 14255}));
  EXPECT_EQ(ReadBytes(f.folder / "ro.itn"), "18012345|18012345|new|2\r\n");
}

// Large files are mapped and given back page by page as the reader passes them; they must
// read exactly as a copied file, also when the file ends on a page boundary so that the
// reader's terminator lies past the mapped file.
struct CopyingFileStore : PosixFileStore {
  ReadResult OpenWholeFile(TextView path, std::size_t extraBytes, std::unique_ptr<FileBytes>& bytes) override {
    return FileStore::OpenWholeFile(path, extraBytes, bytes);
  }
};

TEST(TransferFile, MappedLargeFilesReadAsCopiedFiles) {
  const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  const std::size_t large = PosixFileStore::kMappedFileSize + 3 * page;
  std::string itn, gpx = "<gpx>\n", csv;
  for (int i = 0; itn.size() < large; ++i) {
    const std::string n = std::to_string(i), name = (i % 3 ? "\xE5\x8F\xB0\xE5\x8C\x97 " : "row ") + n;
    itn += std::to_string(12150000 + i) + "|" + std::to_string(2503300 - i) + "|" + name + "|2\r\n";
    gpx += "<wpt lat=\"25." + n + "\" lon=\"121." + n + "\"><name>" + name + "</name></wpt>\n";
    csv += "121." + n + ",25." + n + "," + name + ",0\r\n";
  }
  // The last ITN record has no line end and fills the file up to a page boundary.
  std::string last = "1|2|" + std::string(page - (itn.size() + 6) % page, 'x') + "|2";
  itn += last;
  ASSERT_EQ(itn.size() % page, 0u);
  gpx += "</gpx>\n";
  for (const auto& [name, bytes] : {std::pair{"big.itn", itn}, {"big.gpx", gpx}, {"big.csv", csv}}) {
    SCOPED_TRACE(name);
    Fixture mapped;
    FixtureOf<CopyingFileStore> copied;
    ASSERT_TRUE(mapped.Open(name, bytes));
    ASSERT_TRUE(copied.Open(name, bytes));
    EXPECT_GT(mapped.doc.table.RowCount(), 100000u);
    EXPECT_TRUE(Rows(mapped.doc) == Rows(copied.doc));
  }
}

TEST(TransferFile, AFailedSaveLeavesTheOldFileUntouched) {
  FixtureOf<testing::FullDiskStore<PosixFileStore>> f;
  WriteBytes(f.folder / "keep.itn", "precious");
  for (int i = 0; i < 3000; ++i) InsertRowRecorded(f.doc, SIZE_MAX, u"a name long enough to fill the buffer", 2, false);
  f.doc.SetModified(true);
  f.ui.answers = {MessageResult::Ok};  // write past the device's entry limit
  EXPECT_FALSE(f.Save("keep.itn"));
  EXPECT_EQ(f.ui.MessageIds(), (std::vector<int>{14220, 14222}));
  EXPECT_TRUE(f.doc.document.modified);
  EXPECT_EQ(ReadBytes(f.folder / "keep.itn"), "precious");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(f.folder.path()), {}), 1);  // no temporary left
}

TEST(TransferFile, ImportIsOneUndoStepAndOpenStartsANewHistory) {
  Fixture f;
  WriteBytes(f.folder / "b.itn", "3|3|b1|2\r\n4|4|b2|2\r\n");
  ASSERT_TRUE(f.Open("a.itn", "1|1|a1|2\r\n2|2|a2|2\r\n"));
  ASSERT_TRUE(TransferFile(f.context, TransferMode::Import, f.Path("b.itn"), 1));
  EXPECT_EQ(std::pair(f.doc.table.RowCount(), f.doc.document.modified), std::pair(std::size_t{4}, true));
  Undo(f.context);
  EXPECT_EQ(Rows(f.doc), (std::vector<std::string>{"a1|0.00001|0.00001|2", "a2|0.00002|0.00002|2"}));
  EXPECT_FALSE(f.doc.document.modified);
  Redo(f.context);
  EXPECT_EQ(f.doc.table.Cell(3, kOrderColumn), u"4");
  // Opening another file (discarding the changes) forgets the old history.
  f.ui.answers = {MessageResult::No};
  ASSERT_TRUE(f.Open("b.itn"));
  EXPECT_FALSE(CanUndo(f.doc.journal) || CanRedo(f.doc.journal));
}

TEST(ConfirmDiscard, AsksTheRightQuestion) {
  Fixture f;
  f.doc.document.title = u"trip";
  f.ui.answers = {MessageResult::Cancel, MessageResult::Ok};
  EXPECT_EQ(std::vector({ConfirmDiscard(f.context), ConfirmDiscard(f.context)}), std::vector({false, true}));
  EXPECT_EQ(f.ui.messages[0].text, "放棄目前編修的檔案？\n\ntrip");
  InsertRowRecorded(f.doc, 0, u"row", 2, false);
  f.ui.answers = {MessageResult::No, MessageResult::Cancel};
  EXPECT_EQ(std::vector({ConfirmDiscard(f.context), ConfirmDiscard(f.context)}), std::vector({true, false}));
  EXPECT_EQ(f.ui.messages.at(2).text, "儲存目前的檔案？\n\ntrip");
  // Yes saves; with no path that is the save-as dialog, and cancelling it stops.
  f.ui.answers = {MessageResult::Yes};
  f.doc.SetModified(true);
  EXPECT_FALSE(ConfirmDiscard(f.context));
}

TEST(OpenFavourites, ReadsTheDeviceFileAsANewUntitledItinerary) {
  Fixture f;
  // One favourite record: category 3, longitude 121.5, latitude 25.033, name "Home".
  WriteBytes(f.folder / "MapSettings.cfg", std::string("\4\0\3\0\0\0\x08\0\xF0\x64\xB9\0\x84\x32\x26\0\x08\0", 18) +
                                                std::string(8, '\0') + "\x1B\x1B\x1FHome" + std::string(8, '\0'));
  ASSERT_TRUE(OpenFavourites(f.context, PathText(f.folder.path()), false));
  EXPECT_EQ(Rows(f.doc), (std::vector<std::string>{"Home|121.50000|25.03300|2"}));
  EXPECT_EQ(WindowTitle(f.doc.document), u"Favorites - Wayloom");
  EXPECT_TRUE(f.doc.document.path.empty());
  EXPECT_EQ(f.doc.document.format, 1);
  // Saving asks for a name. The name typed decides the extension; one without an
  // extension gets the chosen type's.
  f.ui.fileChoices = {{f.Path("x.gpi"), 1}, {f.Path("plain"), 1}};
  ASSERT_TRUE(SaveDocument(f.context));
  EXPECT_FALSE(std::filesystem::exists(f.folder / "x.gpi"));
  EXPECT_EQ(f.doc.document.format, 1);
  EXPECT_EQ(WindowTitle(f.doc.document), u"x - Wayloom");
  ASSERT_TRUE(SaveDocumentAs(f.context));
  EXPECT_TRUE(std::filesystem::exists(f.folder / "x.itn") && std::filesystem::exists(f.folder / "plain.itn"));
  EXPECT_EQ(f.ui.dialogPositions, (std::vector<int>{1, 1}));
}

TEST(FileFormats, ExtensionsAndListPositions) {
  // csv UTF-8 chosen, name x.txt: tab-separated UTF-8; kml chosen, name x.csv: the ANSI encoding.
  EXPECT_EQ(std::vector({FormatForOpening(u"ITN"), FormatForOpening(u"dat"), FormatForOpening(u""),
                         FormatForSaving(u"txt", 6), FormatForSaving(u"asc", 6), FormatForSaving(u"csv", 2),
                         FormatForSaving(u"gpi", 9), OpenListPosition(14), SaveListPosition(4),
                         SaveListPosition(20), FormatFromSaveListPosition(15)}),
            std::vector({1, 8, 8, 20, 14, 9, 4, 6, 1, 15, 20}));
  EXPECT_EQ(TextToUtf8(FileDialogFilters(false).at(0).text), "TomTom 行程檔案 (*.itn)");
  EXPECT_EQ(TextToUtf8(FileDialogFilters(false).at(7).pattern), "*.txt");
}

TEST(RecentFiles, MoveToTheTopDropTheOldestAndReopen) {
  Fixture f;
  Settings& settings = f.doc.settings;
  settings.fileCount = 3;
  const PortableCollation collation;
  for (const char16_t* path : {u"a", u"b", u"c", u"d"}) AddRecentFile(settings, path, &collation);
  EXPECT_EQ(settings.recentFiles, (std::vector<Text>{u"d", u"c", u"b"}));
  AddRecentFile(settings, u"B", &collation);
  EXPECT_EQ(settings.recentFiles, (std::vector<Text>{u"B", u"d", u"c"}));
  // Windows folds the case of every letter in a path, accented ones too.
  AddRecentFile(settings, u"C:\\Café\\Ä.itn", &collation);
  AddRecentFile(settings, u"c:\\CAFÉ\\ä.ITN", &collation);
  settings.Set(Option::RecentFile, false);
  AddRecentFile(settings, u"e", &collation);
  EXPECT_EQ(settings.recentFiles, (std::vector<Text>{u"c:\\CAFÉ\\ä.ITN", u"B", u"d"}));
  // Reopening an entry moves it to the top.
  settings.Set(Option::RecentFile, true);
  settings.fileCount = 4;
  std::vector<Text> paths;
  for (const char* name : {"a.itn", "b.itn", "c.itn", "d.itn"}) {
    WriteBytes(f.folder / name, "1|1|x|2\r\n");
    AddRecentFile(settings, paths.emplace_back(f.Path(name)), nullptr);
  }
  ASSERT_TRUE(OpenRecent(f.context, 2));  // b.itn, the third entry
  EXPECT_EQ(settings.recentFiles, (std::vector<Text>{paths[1], paths[3], paths[2], paths[0]}));
  EXPECT_EQ(f.doc.document.title, u"b");
  EXPECT_FALSE(OpenRecent(f.context, 4));
  EXPECT_EQ(std::vector({RecentItemEnabled(f.files, f.Path("gone.itn")), RecentItemEnabled(f.files, PathText(f.folder.path())),
                         RecentItemEnabled(f.files, paths[0])}),
            std::vector({false, false, true}));
}

TEST(RecentFiles, MenuTextNamesTheShellFolders) {
  const ShellFolders xp{u"C:\\Documents and Settings\\Bob", u"C:\\Documents and Settings\\All Users", u"C:", 5};
  const ShellFolders win7{u"C:\\Users\\Bob", u"C:\\ProgramData", u"C:", 6};
  const struct { const ShellFolders& folders; const char16_t* path; const char* text; } cases[] = {
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
  Fixture f;
  WriteBytes(f.folder / "trip.TXT", "Home\t121.5\t25\r\n");
  OpenDroppedFiles(f.context, {u"a.itn", u"b.itn"}, false);
  OpenDroppedFiles(f.context, {u"C:\\x\\notes.doc"}, false);
  OpenDroppedFiles(f.context, {u"a.doc", u"b.doc"}, true);  // on the map pane: ignored
  OpenDroppedFiles(f.context, {f.Path("trip.TXT")}, false);
  ASSERT_EQ(f.ui.MessageIds(), (std::vector<int>{14293, 14423}));
  EXPECT_EQ(f.ui.messages[1].text, "檔案的副檔名並不支援\n\nnotes.doc");
  EXPECT_EQ(f.doc.document.title, u"trip");
  EXPECT_EQ(f.doc.table.RowCount(), 1u);
}

TEST(AutoSave, SavesOnlyAModifiedDocumentWithAPathAndRestartsTheTimer) {
  Fixture f;
  f.doc.settings.Set(Option::BackupFile, true);
  f.doc.settings.backupInterval = 5;
  ASSERT_TRUE(f.Open("trip.itn", "1|1|a|2|\r\n"));
  AutoSave(f.context);  // not modified: nothing
  EXPECT_EQ(f.ui.restarts, std::vector<int>{5});
  InsertRowRecorded(f.doc, SIZE_MAX, u"b", 2, false);
  f.doc.SetModified(true);
  AutoSave(f.context);
  EXPECT_FALSE(f.doc.document.modified || f.doc.document.autoSaving);
  EXPECT_EQ(ReadBytes(f.folder / "trip.itn"), "000001|000001|a|2\r\n18012345|18012345|b|2\r\n");
  EXPECT_EQ(f.ui.restarts, (std::vector<int>{5, 5}));
  // An untitled document is never saved automatically, and no dialog opens.
  f.doc.document.path.clear();
  f.doc.SetModified(true);
  AutoSave(f.context);
  EXPECT_TRUE(f.doc.document.modified && f.ui.messages.empty() && f.ui.dialogPositions.empty());
  // A big document saved automatically shows neither the 48-row question nor progress.
  f.doc.SetModified(false);
  ASSERT_TRUE(f.Open("auto.itn", Records(60)));
  f.doc.SetModified(true);
  f.ui.progress.clear();
  AutoSave(f.context);
  EXPECT_TRUE(f.ui.messages.empty() && f.ui.progress.empty());
  EXPECT_FALSE(f.doc.document.modified);
}

}  // namespace
}  // namespace wayloom
