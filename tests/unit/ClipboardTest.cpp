#include <gtest/gtest.h>

#include "core/CommandIds.h"
#include "EditingTestSupport.h"

namespace wayloom {
namespace {

using testing::EditFixture;
using testing::Picture;
using testing::MemoryClipboard;
using Bytes = std::vector<std::uint8_t>;
using namespace std::literals;

// Block pieces: little-endian int32 and UTF-16 units.
Bytes& operator<<(Bytes& out, std::int32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
  return out;
}
Bytes& operator<<(Bytes& out, std::u16string_view units) {
  for (char16_t unit : units) out.insert(out.end(), {static_cast<std::uint8_t>(unit), static_cast<std::uint8_t>(unit >> 8)});
  return out;
}
Bytes Units(std::u16string_view units) {
  Bytes out;
  return out << units;
}

// ---- blocks, byte for byte ----

TEST(CopiedRows, OwnBlockAndTextLinesByteForByte) {
  EditFixture f({"Home|121.565|25.033|2", "A|-0.5||1", "skipped|1|1|0"});
  f.Select({0, 1});
  const auto copied = BuildCopiedRows(f.doc);
  ASSERT_TRUE(copied);
  Bytes rows;
  rows << 2 << 5 << 10 << 9 << 0 << 0 << u"Home\0" u"121.56500\0" u"25.03300\0" u"\x02"sv;
  rows << 2 << 9 << 1 << 0 << 0 << u"A\0" u"-0.50000\0\0\x01"sv;
  EXPECT_EQ(copied->rowBlock, rows);
  EXPECT_EQ(copied->textBlock, Units(u"\xFEFFHome\t25.03300\t121.56500\t2\r\nA\t\t-0.50000\t1\r\n\0"sv));

  // Lng First swaps the text's columns; degrees-minutes-seconds and compass display
  // still give plain decimals.
  f.doc.settings.Set(Option::LngFirst, true);
  ReformatAllCoordinates(f.doc, CoordinateSwitch::Dms);
  ReformatAllCoordinates(f.doc, CoordinateSwitch::Compass);
  f.Select({0});
  ASSERT_EQ(TextToUtf8(f.doc.table.Cell(0, kLatitudeColumn)), "N 25° 01' 58.80\"");
  EXPECT_EQ(BuildCopiedRows(f.doc)->textBlock, Units(u"\xFEFFHome\t121.56500\t25.03300\t2\r\n\0"sv));
}

TEST(CopiedRows, ThousandsOfRowsCrossTheBlockStepsIntact) {
  // Lines of 100 units, records of 216 bytes: both blocks grow past 608,000 bytes.
  EditFixture source, target;
  for (int i = 0; i < 3000; ++i) source.doc.table.Insert(SIZE_MAX, Text(90, u'x') + AsciiToText(std::to_string(1000 + i)), 2, true);
  ASSERT_TRUE(CopyRows(source.context));
  target.context.clipboard = &source.clipboard;
  PasteRows(target.context);
  EXPECT_EQ(target.Names(), source.Names());
}

// "name|longitude|latitude|status" per row read.
std::vector<std::string> Read(const Bytes& block, RowBlockFormat format) {
  std::vector<std::string> out;
  const auto rows = ReadRowBlock(block, format);
  if (!rows) return {"refused"};
  for (const ClipboardRow& row : *rows)
    out.push_back(TextToUtf8(row.name + u"|" + row.longitude + u"|" + row.latitude + u"|") + std::to_string(row.status));
  return out;
}

TEST(ReadRowBlock, OwnAndSiblingRecords) {
  // Padding after the rows (odd size) is ignored. A text without its NUL ends with its
  // field, one with an inner NUL there; the sibling's two further texts are stepped over.
  Bytes own, sibling, none;
  own << 2 << 3 << 6 << 1 << 0 << 0 << u"Hi\0" u"-12.5\0\0\x03"sv;
  own << 1 << 2 << 2 << 0 << 0 << u"\0" u"7\0" u"8\0\x00"sv;
  own.push_back(0xAB);
  EXPECT_EQ(Read(own, RowBlockFormat::Own), (std::vector<std::string>{"Hi|-12.5||3", "|7|8|0"}));
  sibling << 2 << 2 << 3 << 3 << 4 << 1 << u"AB" u"1\0x" u"2\0\0" u"note" u"z"sv;
  sibling << 1 << 0 << 0 << 0 << 0 << u"C"sv;
  EXPECT_EQ(Read(sibling, RowBlockFormat::Sibling), (std::vector<std::string>{"AB|1|2|2", "C|||2"}));
  EXPECT_EQ(Read(none << 0, RowBlockFormat::Own), std::vector<std::string>{});
}

TEST(ReadRowBlock, RefusesCountsAndLengthsThatDoNotFit) {
  const Bytes record = [] {
    Bytes b;
    return b << 2 << 1 << 1 << 0 << 0 << u"A\0\0\0\x02"sv;
  }();
  auto block = [](std::int32_t count, Bytes rows) {
    Bytes head;
    head << count;
    rows.insert(rows.begin(), head.begin(), head.end());
    return rows;
  };
  Bytes negative, huge, wrapping;
  negative << -1 << 1 << 1 << 0 << 0 << u"\0\0\0\x02"sv;
  huge << 0x7FFFFFFF << 1 << 1 << 0 << 0 << u"A\0\0\0\x02"sv;
  wrapping << 0x7FFFFFFF << 0x7FFFFFFF << 3 << 0 << 0 << u"A\0\0\0\x02"sv;  // 2^32 + 1 units
  for (const Bytes& bad : {Bytes{}, Bytes{1, 0, 0}, block(-1, record), block(2, record), block(1, negative), block(1, huge), block(1, wrapping), block(1, Bytes(19, 0))}) {
    EXPECT_FALSE(ReadRowBlock(bad, RowBlockFormat::Own)) << bad.size();
    EXPECT_FALSE(ReadRowBlock(bad, RowBlockFormat::Sibling)) << bad.size();
  }
  EXPECT_TRUE(ReadRowBlock(block(1, record), RowBlockFormat::Own));
  EXPECT_FALSE(ReadRowBlock(block(1, Bytes(record.begin(), record.end() - 1)), RowBlockFormat::Own));
  EXPECT_EQ(ReadTextBlock(Units(u"ab\0cd"sv)), u"ab");
  EXPECT_EQ(ReadTextBlock(Bytes{'a', 0, 'b'}), u"a");  // no NUL, odd size
}

// ---- pasting rows ----

TEST(PasteRows, TwoInstancesExchangeRowsThroughTheOwnBlock) {
  EditFixture source, target;
  MemoryClipboard& store = source.clipboard;
  target.context.clipboard = &store;
  source.Load({"Home|121.565|25.033|3", "Via|-70.25|-33.5|1", "Bare|||2"});
  source.Select({0, 1, 2});
  ASSERT_TRUE(CopyRows(source.context));
  EXPECT_FALSE(store.open);
  EXPECT_EQ(source.ui.releasedButtons, std::vector<int>{IDM_COPY_ROWS});

  target.Load({"Passed|1|1|1", "Next|2|2|2"});
  // Appended and selected; destination bits kept, passed bits from the insertion point (none at the end).
  testing::ExpectUndoRedo(target, [&] { PasteRows(target.context); },
                          {"Passed|1.00000|1.00000|1", "Next|2.00000|2.00000|2", "Home|121.56500|25.03300|2",
                           "Via|-70.25000|-33.50000|0", "Bare|||2"});
  EXPECT_EQ(target.Selected(), (std::vector<std::size_t>{2, 3, 4}));
  EXPECT_EQ(target.doc.table.FocusedRow(), 4);
  EXPECT_EQ(target.Column(kOrderColumn), (std::vector<std::string>{"1", "2", "3", "4", ""}));
  EXPECT_TRUE(target.doc.document.modified && !target.ui.redrawSuspended && target.ui.messages.empty());
  EXPECT_EQ(target.ui.scrolledTo.front(), 2);
  EXPECT_EQ(target.ui.releasedButtons.front(), IDM_PASTE_ROWS);

  // Before a passed row the pasted rows are passed too.
  Undo(target.context);
  target.Select({0});
  PasteRows(target.context);
  EXPECT_EQ(target.Names(), (std::vector<std::string>{"Home", "Via", "Bare", "Passed", "Next"}));
  EXPECT_EQ(target.Statuses(), (std::vector<int>{3, 1, 3, 1, 2}));
}

TEST(PasteRows, DuplicateQuestionsAndBlankNames) {
  EditFixture f;
  Bytes block;
  block << 6;
  for (std::u16string_view name : {u"Home"sv, u"  "sv, u"Work"sv, u"New"sv, u"New"sv, u"A|B"sv})
    block << static_cast<std::int32_t>(name.size() + 1) << 1 << 1 << 0 << 0 << name << u"\0\0\0\x02"sv;
  f.clipboard.blocks[ClipboardFormat::OwnRows] = block;
  f.Load({"Home|1|1|2", "Work|2|2|2"});
  f.doc.settings.Set(Option::CheckName, true);
  f.Select({});
  f.ui.duplicateAnswers = {kDrop, kDrop, kKeep};
  PasteRows(f.context);
  // The blank name is no row and no duplicate; the second "New" is asked about the first,
  // pasted just before it.
  EXPECT_EQ(f.ui.duplicateQuestions, (std::vector<std::string>{"Home", "Work", "New"}));
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"Home", "Work", "New", "New", "A B"}));
  ASSERT_EQ(f.ui.MessageIds(), std::vector<int>{14214});
  EXPECT_EQ(f.ui.messages[0].text, "總共剔除 2 筆相同的行程資料");
  EXPECT_EQ(f.ui.messages[0].icon, MessageIcon::Information);
}

TEST(PasteRows, SiblingBlockAndBadBlocks) {
  EditFixture f;
  Bytes sibling;
  sibling << 1 << 5 << 10 << 4 << 2 << 1 << u"Café\0" u"121.56500\0" u"abc\0" u"x\0" u"\0"sv;
  f.clipboard.blocks[ClipboardFormat::SiblingRows] = sibling;
  f.Load({"Passed|1|1|1"});
  f.Select({0});
  PasteRows(f.context);
  EXPECT_EQ(testing::Rows(f.doc), (std::vector<std::string>{"Café|121.56500||3", "Passed|1.00000|1.00000|1"}));

  // The own block wins over the sibling's; a bad one pastes nothing and says so.
  const auto before = Picture(f.doc);
  Bytes bad;
  f.clipboard.blocks[ClipboardFormat::OwnRows] = bad << 3 << 2;
  PasteRows(f.context);
  EXPECT_EQ(Picture(f.doc), before);
  EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{14257});
  EXPECT_FALSE(f.clipboard.open || f.ui.redrawSuspended);
  Bytes empty;
  f.clipboard.blocks[ClipboardFormat::OwnRows] = empty << 0;
  f.doc.SetModified(false);
  PasteRows(f.context);
  EXPECT_FALSE(f.doc.table.RowCount() != 2 || f.doc.document.modified);
}

// ---- failures of copy and cut ----

TEST(CopyRows, FailuresLeaveTheClipboardAndTheTableAlone) {
  EditFixture f;
  f.Load({"A|1|1|2", "B|2|2|2"});
  f.Select({0});
  f.clipboard.blocks[ClipboardFormat::UnicodeText] = Units(u"old\0"sv);
  const auto before = Picture(f.doc);

  CutRows(f.context, 600000);  // the first block cannot be allocated
  EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{14257});
  EXPECT_EQ(f.clipboard.blocks.size(), 1u);
  f.clipboard.putFails = true;
  CutRows(f.context);
  EXPECT_EQ(f.ui.MessageIds(), (std::vector<int>{14257, 14257}));
  f.clipboard.putFails = false;
  f.clipboard.openFails = true;
  EXPECT_FALSE(CopyRows(f.context));
  f.context.clipboard = nullptr;
  EXPECT_FALSE(CopyRows(f.context));
  PasteRows(f.context);
  PasteCoordinates(f.context);
  CopyCoordinates(f.context);
  EXPECT_EQ(f.ui.MessageIds(), (std::vector<int>{14257, 14257, 14256, 14256, 14256, 14256, 14256}));
  EXPECT_EQ(Picture(f.doc), before);
  EXPECT_TRUE(!f.clipboard.open && f.ui.pressedButtons.size() == f.ui.releasedButtons.size());
}

// ---- coordinates as text ----

TEST(CopyCoordinates, LatitudeFirstWithCompassLetters) {
  EditFixture f;
  f.Load({"A|121.565|25.033|2", "B|-70.25|-33.5|2", "C|5||2"});
  auto copied = [&](std::size_t row) {
    f.Select({row});
    CopyCoordinates(f.context);
    return TextToUtf8(ReadTextBlock(f.clipboard.blocks.at(ClipboardFormat::UnicodeText)));
  };
  f.clipboard.blocks[ClipboardFormat::OwnRows] = {0, 0, 0, 0};
  EXPECT_EQ(copied(0), "N 25.03300, E 121.56500");
  EXPECT_EQ(f.clipboard.blocks.size(), 1u);  // the row block is gone, so 1021 can take the text
  EXPECT_EQ(copied(1), "S 33.50000, W 70.25000");
  EXPECT_EQ(copied(2), ", E 5.00000");
  ReformatAllCoordinates(f.doc, CoordinateSwitch::Dms);
  EXPECT_EQ(copied(1), "S 33° 30' 00.00\", W 70° 15' 00.00\"");
  ReformatAllCoordinates(f.doc, CoordinateSwitch::Compass);
  EXPECT_EQ(copied(0), "N 25° 01' 58.80\", E 121° 33' 54.00\"");

  // Pasted back with "Lng First" on, the values are the same.
  ReformatAllCoordinates(f.doc, CoordinateSwitch::Dms);
  ReformatAllCoordinates(f.doc, CoordinateSwitch::Compass);
  f.doc.settings.Set(Option::LngFirst, true);
  copied(1);
  f.Select({2});
  PasteCoordinates(f.context);
  EXPECT_EQ(testing::Rows(f.doc)[2], "C|-70.25000|-33.50000|2");
}

TEST(ReadPastedCoordinates, SplitAndAxisRules) {
  struct Case {
    std::u16string_view text;
    bool lngFirst;
    const char* longitude;  // "" for missing
    const char* latitude;
  };
  const std::u16string longText = u"25.033," + std::u16string(56, u' ') + u"121.565";
  for (const Case& c : {
           Case{u"25.033, 121.565", false, "121.56500", "25.03300"},
           Case{u"25.033, 121.565", true, "25.03300", "121.56500"},
           Case{u"121.565E 25.033N", false, "121.56500", "25.03300"},
           Case{u"N 25.03300, E 121.56500", true, "121.56500", "25.03300"},
           Case{u"S 33.5 W 70.25", false, "-70.25000", "-33.50000"},
           Case{u"e121.565 n25.033", false, "121.56500", "25.03300"},
           Case{u"W 70.25 E 1", false, "1.00000", "-70.25000"},  // the second letter decides
           Case{u"25.033\t121.565\r\n", false, "121.56500", "25.03300"},
           Case{u"25.033 121.565", true, "25.03300", "121.56500"},
           Case{u"25°01'58.8\"N, 121°33'54\"E", false, "121.56500", "25.03300"},
           Case{u"25.033, 121.565E", false, "121.56500", "25.03300"},
           Case{u"121.565", false, "", ""},
           Case{u"25.033,", false, "", ""},
           Case{longText, false, "", ""},
           Case{u"hello world", false, "", ""},
           Case{u"", false, "", ""},
       }) {
    const PastedCoordinates values = ReadPastedCoordinates(c.text, c.lngFirst);
    EXPECT_EQ(TextToUtf8(values.longitude.value_or(Text())), c.longitude) << TextToUtf8(c.text);
    EXPECT_EQ(TextToUtf8(values.latitude.value_or(Text())), c.latitude) << TextToUtf8(c.text);
  }
}

TEST(PasteCoordinates, SetsOrClearsEverySelectedRowAsOneUndoStep) {
  EditFixture f;
  f.Load({"Base|1|1|2", "A|2|2|2", "B|3|3|2", "C|4|4|2"});
  f.Pin();
  f.Select({1, 3});
  f.clipboard.blocks[ClipboardFormat::UnicodeText] = Units(u"121.565E 25.033N\0"sv);
  PasteCoordinates(f.context);
  EXPECT_EQ(f.Column(kLongitudeColumn), (std::vector<std::string>{"1.00000", "121.56500", "3.00000", "121.56500"}));
  EXPECT_EQ(f.Column(kLatitudeColumn), (std::vector<std::string>{"1.00000", "25.03300", "3.00000", "25.03300"}));
  EXPECT_TRUE(!f.clipboard.open && f.doc.document.modified);

  // An out-of-range latitude clears its cell (a text without a split clears both: see
  // the pinned row's table in EntryEditingTest).
  f.Select({0, 2});
  f.clipboard.blocks[ClipboardFormat::UnicodeText] = Units(u"95, 10"sv);
  PasteCoordinates(f.context);
  EXPECT_EQ(f.Rows()[2], "B|10.00000||2");
  EXPECT_EQ(f.Column(kOrderColumn)[2], "");
}

}  // namespace
}  // namespace wayloom
