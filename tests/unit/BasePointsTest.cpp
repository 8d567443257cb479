#include "planning/BasePoints.h"

#include <gtest/gtest.h>

#include "EditingTestSupport.h"
#include "platform/posix/IniFileProfile.h"

namespace wayloom {
namespace {

using testing::Picture;

// Presses the buttons in order; the result of the press that closed the dialog, else 0.
int Drive(BasePointDialog& dialog, std::initializer_list<int> presses) {
  for (int id : presses)
    if (const BasePointStep step = dialog.Press(id); step.closes) return step.result;
  return 0;
}

std::string EntryText(const BasePointEntry& e) {
  return TextToUtf8(e.name + u"|" + e.longitude + u"|" + e.latitude) + (e.selected ? "|*" : "");
}

std::vector<std::string> EntryTexts(const BasePointDialog& dialog) {
  std::vector<std::string> texts;
  for (const auto& e : dialog.entries) texts.push_back(EntryText(e));
  return texts;
}

Text Numbered(const char* prefix, int n, const char* suffix = "") {
  std::string text(prefix);
  text.append(std::to_string(n)).append(suffix);
  return AsciiToText(text);
}
Text ListKey(int n) { return Numbered("BP List ", n); }

struct BaseFixture : testing::EditFixture {
  void SetList(std::initializer_list<std::pair<int, const char*>> keys) {
    for (const auto& [n, value] : keys) profile.WriteString(u"Base Points", ListKey(n), Utf8ToText(value));
    profile.writes.clear();
  }
  std::string Key(TextView key) { return TextToUtf8(profile.ReadText(u"Base Points", key, u"-")); }
  std::vector<std::string> StoredList() {
    std::vector<std::string> values;
    for (int n = 1; n <= 101; ++n)
      if (auto value = profile.ReadString(u"Base Points", ListKey(n))) values.push_back(TextToUtf8(*value));
    return values;
  }
  // Command 1042 with a dialog that selects a row (-1: as opened) and presses buttons.
  void RunDialog(long long row, std::initializer_list<int> presses) {
    ui.basePoints = [row, presses](BasePointDialog& dialog) {
      if (row >= 0) dialog.SelectOnly(row);
      return Drive(dialog, presses);
    };
    MyBasePoints(context, ui);
  }
};

struct BasePointsTest : ::testing::Test, BaseFixture {};

TEST(BasePointValue, ReadsNameAndCoordinatesAsTheTableWouldStoreThem) {
  const Text spaces30(30, u' ');
  const std::pair<Text, const char*> cases[] = {  // value, "name|lon|lat" or "-": not an entry
      {u"Home>121.5>25.03", "Home|121.50000|25.03000"},
      {u"  A|B\tC  >-0.000004>+0", "A B C|0.00000|0.00000"},
      {u"A>121.5abc>25 rest>more", "A|121.50000|25.00000"},
      {u"A>" + spaces30 + u"5>1", "A|5.00000|1.00000"},  // 31 characters are read
      {u"A>" + spaces30 + u" 5>1", "-"},
      {u"A>180.000004>-90", "A|180.00000|-90.00000"},
      {u"A>180.00001>0", "-"}, {u"A>0>90.00001", "-"}, {u">121>25", "-"}, {u"   >121>25", "-"},
      {u"A>abc>25", "-"}, {u"A>0x10>25", "-"}, {u"A>1e999>25", "-"}, {u"A>121>", "-"}, {u"A>121", "-"}, {u"", "-"},
  };
  for (const auto& [value, expected] : cases) {
    const auto entry = ReadBasePointValue(value, {});
    EXPECT_EQ(entry ? EntryText(*entry) : "-", expected) << TextToUtf8(value);
  }
  const auto west = ReadBasePointValue(u"W>-121.5>-25.25", {true, true});
  EXPECT_EQ(EntryText(*west), "W|W 121\u00B0 30' 00.00\"|S 25\u00B0 15' 00.00\"");
  EXPECT_EQ(TextToUtf8(BasePointValue(*west, {true, true})), "W>-121.50000>-25.25000");
  const auto east = ReadBasePointValue(u"E>121.5>25", {false, true});
  EXPECT_EQ(EntryText(*east), "E|E 121.50000|N 25.00000");
  EXPECT_EQ(TextToUtf8(BasePointValue(*east, {false, true})), "E>121.50000>25.00000");
}

TEST_F(BasePointsTest, ListReadingStopsAtAMissingKeyWhileTheInsertSearchPassesIt) {
  SetList({{1, "A>1>1"}, {2, ">2>2"}, {3, "C>3>bad"}, {4, "D>4>4"}, {6, "F>6>6"}});
  doc.settings.baseListIndex = 5;
  BasePointDialog dialog(context);
  EXPECT_EQ(EntryTexts(dialog), (std::vector<std::string>{"A|1.00000|1.00000", "D|4.00000|4.00000|*"}));
  EXPECT_FALSE(dialog.Enabled(kBasePointOk) || dialog.Enabled(kBasePointMoveDown) || dialog.Enabled(kBasePointAdd));

  const struct {
    int remembered;  // 0-based
    std::initializer_list<std::pair<int, const char*>> keys;
    const char* row0;
    int rememberedAfter;
    const char* insertList;
  } cases[] = {
      {2, {{1, "A>1>1"}, {3, "C>3>3"}}, "C", 2, "-"},
      {4, {{1, "A>1>1"}, {2, "B>2>2"}}, "B", 1, "2"},
      {2, {{1, "A>1>1"}, {2, ">2>2"}}, "x", 2, "-"},  // a '>' value ends the search
      {1, {{1, "A>1>1"}, {2, "B>x>2"}}, "x", 1, "-"},  // so does a bad coordinate
      {0, {}, "x", 0, "-"},
  };
  for (const auto& c : cases) {
    BaseFixture f;
    f.Load({"x|10|10|3", "y|11|11"});
    f.SetList(c.keys);
    f.doc.settings.baseListIndex = c.remembered;
    const bool inserted = InsertBasePointRow(f.context);
    EXPECT_EQ(inserted, f.doc.baseRowPinned);
    EXPECT_EQ(f.Names().front() + f.Key(u"Insert List"), std::string(c.row0) + c.insertList);
    EXPECT_EQ(f.doc.settings.baseListIndex, c.rememberedAfter);
    if (inserted) {
      EXPECT_EQ(f.Statuses(), (std::vector<int>{3, 3, 2}));  // with the passed bit of the old row 0
      EXPECT_EQ(f.Column(kOrderColumn).back(), "3");
    }
  }
  BaseFixture empty;
  empty.SetList({{1, "Home>121.5>25"}});
  ASSERT_TRUE(InsertBasePointRow(empty.context));
  EXPECT_EQ(testing::Rows(empty.doc), (std::vector<std::string>{"Home|121.50000|25.00000|2"}));
}

TEST_F(BasePointsTest, SetBasePointOnRowFiveRemovesThePinnedRowFirstAndUndoesAsOneStep) {
  Load({"a|1|1", "b|2|2", "c|3|3", "d|4|4", "e|5|5", "f|6|6"});
  SetList({{1, "Home>0>0"}});
  ASSERT_TRUE(InsertBasePointRow(context));
  SetBaseRow(context, 0, false);
  Select({5});
  testing::ExpectUndoRedo(*this, [&] { SetBasePointFromSelection(context); });
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b", "c", "d", "e", "f"}));
  EXPECT_FALSE(doc.baseRowPinned || doc.document.modified);
  EXPECT_EQ(doc.baseRow, 4);
}

TEST_F(BasePointsTest, SetInsertsThePinnedRowThenReplacesItAndEachUndoes) {
  Load({"a|1|1|1", "b|2|2"});
  SetList({{1, "Home>121.5>25"}, {2, "Work>121.6>25.1"}});
  Select({1});
  SetBasePointFromSelection(context);  // b is the base row
  const auto start = Picture(doc);

  RunDialog(-1, {kBasePointSet});  // Home, the remembered entry
  EXPECT_EQ(testing::Rows(doc), (std::vector<std::string>{"Home|121.50000|25.00000|3", "a|1.00000|1.00000|1",
                                                          "b|2.00000|2.00000|2"}));
  EXPECT_TRUE(doc.baseRowPinned && doc.baseRow == 0 && !doc.document.modified);
  EXPECT_EQ(Selected(), (std::vector<std::size_t>{0}));
  EXPECT_EQ(Key(u"Insert List"), "1");
  const auto pinnedHome = Picture(doc);

  RunDialog(1, {kBasePointSet});
  EXPECT_EQ(testing::Rows(doc), (std::vector<std::string>{"Work|121.60000|25.10000|3", "a|1.00000|1.00000|1",
                                                          "b|2.00000|2.00000|2"}));
  EXPECT_EQ(std::to_string(doc.settings.baseListIndex) + Key(u"Insert List"), "12");
  EXPECT_EQ(StoredList(), (std::vector<std::string>{"Home>121.5>25", "Work>121.6>25.1"}));  // not rewritten

  Undo(context);
  EXPECT_EQ(Picture(doc), pinnedHome);
  Undo(context);
  EXPECT_EQ(Picture(doc), start);
}

TEST_F(BasePointsTest, MovesCarryTheRememberedEntryAndOkRemembersItsNewPlace) {
  SetList({{1, "A>1>1"}, {2, "B>2>2"}, {3, "C>3>3"}, {4, "D>4>4"}, {5, "E>5>5"}, {6, "F>6>6"}});
  doc.settings.baseListIndex = 1;  // B
  BasePointDialog dialog(context);
  EXPECT_EQ(dialog.Press(kBasePointMoveDown).showRow, 5);
  EXPECT_EQ(dialog.Press(kBasePointMoveDown).showRow, 5);  // clamped to the list
  dialog.SelectOnly(1);
  EXPECT_EQ(dialog.Press(kBasePointMoveUp).showRow, 0);  // C passes A: B stays
  EXPECT_EQ(dialog.remembered, 3);
  dialog.SelectOnly(4);
  dialog.Press(kBasePointMoveUp);  // E onto B's place: B goes down
  EXPECT_EQ(std::make_pair(dialog.remembered, dialog.FirstSelected()), std::make_pair(4LL, 3LL));
  EXPECT_EQ(Drive(dialog, {kBasePointOk}), 2);
  EXPECT_EQ(doc.settings.baseListIndex, 4);
  EXPECT_EQ(StoredList(), (std::vector<std::string>{"C>3.00000>3.00000", "A>1.00000>1.00000", "D>4.00000>4.00000",
                                                    "E>5.00000>5.00000", "B>2.00000>2.00000", "F>6.00000>6.00000"}));
  EXPECT_EQ(Key(u"Insert List"), "5");
}

TEST_F(BasePointsTest, DeletingFollowsTheRememberedEntry) {
  const struct {
    std::vector<std::size_t> deleted;
    long long remembered, rememberedAfter, selectedAfter;
  } cases[] = {
      {{1}, 3, 2, 1}, {{3}, 3, 0, 3}, {{4}, 3, 3, 3}, {{0, 2}, 3, 1, 0}, {{2, 3, 4}, 3, 0, 1}, {{4}, 9, 8, 3},
  };
  for (const auto& c : cases) {
    BaseFixture f;
    f.SetList({{1, "A>1>1"}, {2, "B>2>2"}, {3, "C>3>3"}, {4, "D>4>4"}, {5, "E>5>5"}});
    f.doc.settings.baseListIndex = static_cast<int>(c.remembered);
    BasePointDialog dialog(f.context);
    dialog.SelectOnly(-1);
    for (auto row : c.deleted) dialog.entries[row].selected = true;
    EXPECT_EQ(dialog.Press(kBasePointDelete).showRow, c.selectedAfter);
    EXPECT_EQ(dialog.entries.size() + c.deleted.size(), 5u);
    EXPECT_EQ(dialog.remembered, c.rememberedAfter);
    EXPECT_EQ(dialog.SelectedCount(), 1u);
  }
  SetList({{1, "A>1>1"}, {2, "B>2>2"}, {3, "C>3>3"}});
  doc.settings.baseListIndex = 1;
  BasePointDialog dialog(context);
  Drive(dialog, {kBasePointDeleteAll, kBasePointOk});
  EXPECT_EQ(dialog.remembered, 0);
  EXPECT_TRUE(StoredList().empty());
  EXPECT_EQ(Key(u"Insert List"), "1");
}

TEST_F(BasePointsTest, AddUpdatesEqualNamesAndStopsAtOneHundredEntries) {
  for (int n = 1; n <= 97; ++n) profile.WriteString(u"Base Points", ListKey(n), Numbered("P", n, ">1>1"));
  Load({"P5|5|5", "nowhere||", "home|7|7", "P5|6|6", "x|8|8", "y|9|9", "P9|9|9"});
  for (std::size_t row = 0; row < doc.table.RowCount(); ++row) doc.table.SetSelected(row, true);
  BasePointDialog dialog(context);
  EXPECT_EQ(dialog.Press(kBasePointAdd).showRow, 4);
  const auto texts = EntryTexts(dialog);
  ASSERT_EQ(texts.size(), 100u);
  EXPECT_EQ(std::vector<std::string>(texts.end() - 3, texts.end()),
            (std::vector<std::string>{"home|7.00000|7.00000", "x|8.00000|8.00000", "y|9.00000|9.00000"}));
  EXPECT_EQ(texts[4], "P5|6.00000|6.00000|*");  // updated twice: the later row wins
  EXPECT_EQ(texts[8], "P9|1.00000|1.00000");    // not reached
  EXPECT_FALSE(dialog.Enabled(kBasePointAdd));
  Drive(dialog, {kBasePointOk});
  EXPECT_EQ(StoredList().size(), 100u);
}

TEST_F(BasePointsTest, ExportAllAppendsRowsThatCancelKeepsAndUndoRemoves) {
  Load({"a|1|1"});
  SetList({{1, "Home>121.5>25"}, {2, "Work>-1>-2"}});
  const auto before = Picture(doc);
  ui.basePoints = [](BasePointDialog& dialog) {
    dialog.Press(kBasePointExportAll);
    dialog.Press(kBasePointExportAll);  // disabled now
    return Drive(dialog, {kBasePointDeleteAll, kBasePointCancel});  // the edit is not saved
  };
  Select({0});
  MyBasePoints(context, ui);
  EXPECT_EQ(testing::Rows(doc), (std::vector<std::string>{"a|1.00000|1.00000|2", "Home|121.50000|25.00000|2",
                                                          "Work|-1.00000|-2.00000|2"}));
  EXPECT_EQ(Selected(), (std::vector<std::size_t>{1, 2}));
  EXPECT_EQ(Column(kOrderColumn).back(), "3");
  EXPECT_TRUE(doc.document.modified);
  EXPECT_EQ(StoredList(), (std::vector<std::string>{"Home>121.5>25", "Work>-1>-2"}));
  Undo(context);
  EXPECT_EQ(Picture(doc), before);
}

TEST_F(BasePointsTest, SavingRewritesTheSectionWholeInTheIniFile) {
  testing::TempFolder folder;
  IniFileProfile ini(folder / "Wayloom.ini");
  for (int n = 1; n <= 4; ++n) ini.WriteString(u"Base Points", ListKey(n), Numbered("N", n, ">1>2"));
  ini.WriteString(u"Options", u"Show Distance", u"1");
  doc.settings.baseListIndex = 3;
  doc.settings.Set(Option::DmsFormat, true);
  CommandContext iniContext{doc, ui, files, nullptr, nullptr, nullptr, &ini};
  {
    BasePointDialog dialog(iniContext);
    dialog.SelectOnly(1);
    Drive(dialog, {kBasePointDelete, kBasePointOk});  // N4 moves up to position 3
  }
  std::string expected = "\xFF\xFE";
  for (char c : std::string("[Base Points]\r\nBP List 1=N1>1.00000>2.00000\r\nBP List 2=N3>1.00000>2.00000\r\n"
                            "BP List 3=N4>1.00000>2.00000\r\nInsert List=3\r\nWidth=360\r\nHeight=360\r\n"
                            "[Options]\r\nShow Distance=1\r\n"))
    expected += std::string{c, '\0'};
  EXPECT_EQ(testing::ReadBytes(folder / "Wayloom.ini"), expected);
  // Without the stale fourth key, the search from a remembered 4 finds the third.
  doc.settings.baseListIndex = 3;
  ASSERT_TRUE(InsertBasePointRow(iniContext));
  EXPECT_EQ(Names().front() + std::to_string(doc.settings.baseListIndex), "N42");
}

}  // namespace
}  // namespace wayloom
