#include <gtest/gtest.h>

#include "TestSupport.h"
#include "core/RowOperations.h"
#include "formats/ItnFormat.h"

namespace wayloom {
namespace {

using testing::Rows;
using testing::MemoryFile;
using testing::ReadResultRows;
using testing::ScriptedUi;

// Reads bytes as the open (or import) command does: the data, then the terminator.
int Read(DocumentState& doc, ScriptedUi& ui, const std::string& bytes, TransferMode mode = TransferMode::Open) {
  return testing::ReadBytesWith(ReadItn, doc, ui, bytes, kItnTerminator, mode);
}

ReadResultRows ReadAll(const std::string& bytes, TransferMode mode = TransferMode::Open) {
  return testing::ReadRowsWith(ReadItn, bytes, kItnTerminator, mode);
}

std::string Write(const DocumentState& doc, TransferMode mode = TransferMode::Save) {
  MemoryFile file;
  BufferedWriter writer(file);
  WriteContext context{doc, writer, mode};
  EXPECT_EQ(WriteItn(context), 0);
  return file.bytes;
}

using Lines = std::vector<std::string>;

TEST(ReadItn, PlainRecordsAndTheirEnds) {
  // A last record without CR LF reads normally; blank lines between records vanish.
  auto read = ReadAll("12150000|2503300|Taipei 101|2|\r\n\r\n\r\n-050000|000000|Zero|0|\r\n+1046348|+5364352|Plus|3");
  EXPECT_EQ(read.result, 0);
  EXPECT_EQ(read.rows, (Lines{"Taipei 101|121.50000|25.03300|2", "Zero|-0.50000|0.00000|0", "Plus|10.46348|53.64352|2"}));
  // Four fields with no trailing bar, LF line ends.
  read = ReadAll("100|200|a|1\n300|400|b|0\n");
  EXPECT_EQ(read.result, 0);
  EXPECT_EQ(read.rows, (Lines{"a|0.00100|0.00200|1", "b|0.00300|0.00400|0"}));
}

TEST(ReadItn, StatusIsOneByte) {
  const auto read = ReadAll("1|1|four|4|\r\n1|1|nine|9|\r\n1|1|letter|x|\r\n1|1|empty||\r\n1|1|end|\r\n");
  EXPECT_EQ(read.result, 0);
  EXPECT_EQ(read.rows, (Lines{"four|0.00001|0.00001|2", "nine|0.00001|0.00001|2", "letter|0.00001|0.00001|2",
                              "empty|0.00001|0.00001|2", "end|0.00001|0.00001|2"}));
  // "02": the status is the "0"; the "2" starts a next record, which runs into the end.
  const auto twoDigits = ReadAll("1|1|two|02|\r\n");
  EXPECT_EQ(twoDigits.result, kFileContentProblem);
  EXPECT_EQ(twoDigits.rows.front(), "two|0.00001|0.00001|0");
}

TEST(ReadItn, PassedRowsStayALeadingRun) {
  const std::string file = "1|1|a|1|\r\n1|1|b|3|\r\n1|1|c|0|\r\n1|1|d|1|\r\n";
  auto statuses = [](const ReadResultRows& read) {
    std::string s;
    for (const auto& row : read.rows) s += row.back();
    return s;
  };
  EXPECT_EQ(statuses(ReadAll(file)), "1300");
  EXPECT_EQ(statuses(ReadAll(file, TransferMode::Import)), "0200");
  // A dropped (blank) record does not end the run.
  EXPECT_EQ(statuses(ReadAll("1|1|a|1|\r\n1|1| |0|\r\n1|1|b|1|\r\n")), "11");
}

TEST(ReadItn, ImportAppendsSelectedRows) {
  DocumentState doc;
  ScriptedUi ui;
  ASSERT_EQ(Read(doc, ui, "1|1|old|2|\r\n"), 0);
  doc.table.SetSelected(0, true);
  doc.table.ClearSelection();
  ASSERT_EQ(Read(doc, ui, "2|2|new1|2|\r\n3|3|new2|2|\r\n", TransferMode::Import), 0);
  ASSERT_EQ(doc.table.RowCount(), 3u);
  EXPECT_FALSE(doc.table.Row(0).selected);
  EXPECT_TRUE(doc.table.Row(1).selected);
  EXPECT_TRUE(doc.table.Row(2).selected);
  EXPECT_EQ(doc.table.FocusedRow(), 2);
}

TEST(ReadItn, CoordinatesOutsideTheRangeLeaveTheCellEmpty) {
  const auto read = ReadAll(
      "18012345|18012345|blank|2|\r\n18000001|9000001|over|2|\r\n18000000|-9000000|edge|2|\r\n"
      "0|0|zero|2|\r\nabc|-x|letters|2|\r\n0.092200|5147725.598900|fraction|2|\r\n121.5| 7 |half|2|\r\n");
  EXPECT_EQ(read.result, 0);
  EXPECT_EQ(read.rows, (Lines{"blank|||2", "over|||2", "edge|180.00000|-90.00000|2", "zero|0.00000|0.00000|2",
                              "letters|||2", "fraction|0.00000|51.47726|2", "half|0.00122|0.00007|2"}));
}

TEST(ReadItn, NamesInEachEncoding) {
  // Byte form: one character per byte (Latin-1).
  auto read = ReadAll("1|1|Alt M\xF6lln|2|\r\n");
  EXPECT_EQ(read.rows, (Lines{"Alt Mölln|0.00001|0.00001|2"}));
  // UTF-8 form, with the mark; a bar inside a multi-byte lead's reach is not a separator.
  read = ReadAll("\xEF\xBB\xBF" "1|1|\xE5\x8F\xB0\xE5\x8C\x97|2|\r\n1|1|a\xC3|b|3|\r\n");
  EXPECT_EQ(read.result, 0);
  ASSERT_EQ(read.rows.size(), 2u);
  EXPECT_EQ(read.rows[0], "台北|0.00001|0.00001|2");
  EXPECT_EQ(read.rows[1], "a\xEF\xBF\xBD b|0.00001|0.00001|2");  // passed bit: not in the leading run
  // Without the mark, UTF-8 bytes are Latin-1 characters.
  read = ReadAll("1|1|\xC3\xA9|2|\r\n");
  EXPECT_EQ(read.rows, (Lines{"Ã©|0.00001|0.00001|2"}));
}

TEST(ReadItn, CodedNameRecords) {
  // ">>", name units low byte first up to the aligned CR LF unit, then lon|lat|, an
  // optional empty name field, the status.
  const std::string coded = std::string(">>") + "\x41\x21\x42\x21" + "\x0D\x0A" + "100|200||3\r\n" +
                            ">>" + "\x43\x21" + "\x0D\x0A" + "300|400|1\r\n";
  const auto read = ReadAll(coded);
  EXPECT_EQ(read.result, 0);
  EXPECT_EQ(read.rows, (Lines{"AB|0.00100|0.00200|3", "C|0.00300|0.00400|1"}));
  // A CR LF that is not aligned on a unit does not end the name.
  const auto misaligned = ReadAll(std::string(">>") + "\x41\x0D\x0A\x21" + "\x0D\x0A" + "1|2|2\r\n");
  EXPECT_EQ(misaligned.result, 0);
  ASSERT_EQ(misaligned.rows.size(), 1u);
  // In a UTF-8 file ">>" is an ordinary longitude field.
  EXPECT_EQ(ReadAll("\xEF\xBB\xBF>>|1|x|2|\r\n").rows, (Lines{"x||0.00001|2"}));
}

TEST(ReadItn, MalformedDataEndsWithTheMessageAndKeepsEarlierRows) {
  EXPECT_EQ(ReadAll("").result, kFileContentProblem);
  EXPECT_EQ(ReadAll("\r\n").result, kFileContentProblem);
  const auto partial = ReadAll("1|1|kept|2|\r\n5|6");
  EXPECT_EQ(partial.result, kFileContentProblem);
  EXPECT_EQ(partial.rows.front(), "kept|0.00001|0.00001|2");
  // A coded name with no aligned line end before the end of the data.
  const auto coded = ReadAll("1|1|kept|2|\r\n>>\x41\x21\x42");
  EXPECT_EQ(coded.result, kFileContentProblem);
  EXPECT_EQ(coded.rows, (Lines{"kept|0.00001|0.00001|2"}));
  EXPECT_EQ(ReadAll("no bars at all").result, kFileContentProblem);
}

TEST(ReadItn, NeverReadsPastTheBufferWithoutTerminator) {
  // Even handed bytes without the terminator, the scanner stays inside them.
  for (const std::string bytes : {"1|2|", "1|2|name", ">>\x41\x21", "\xEF\xBB\xBF" "1|2|\xF0"}) {
    std::vector<std::uint8_t> buffer(bytes.begin(), bytes.end());
    DocumentState doc;
    ScriptedUi ui;
    ReadContext context{doc, ui, nullptr};
    EXPECT_EQ(ReadItn(context, buffer, buffer.size(), TransferMode::Open), kFileContentProblem);
  }
}

TEST(ReadItn, LongNamesKeep255Characters) {
  const std::string longName(5000, 'n');
  const auto read = ReadAll("1|1|" + longName + "|2|\r\n");
  ASSERT_EQ(read.rows.size(), 1u);
  EXPECT_EQ(read.rows[0], std::string(255, 'n') + "|0.00001|0.00001|2");
}

TEST(ReadItn, DuplicateNamesWithCheckName) {
  DocumentState doc;
  doc.settings.Set(Option::CheckName, true);
  ScriptedUi ui;
  ui.duplicateAnswers = {kDropAll};
  ASSERT_EQ(Read(doc, ui, "1|1|a|2|\r\n1|1|b|2|\r\n1|1|a|2|\r\n1|1|c|2|\r\n1|1|b|2|\r\n1|1|a|2|\r\n"), 0);
  EXPECT_EQ(ui.duplicateQuestions, (std::vector<std::string>{"a"}));
  EXPECT_EQ(doc.document.duplicatesDropped, 3);
  EXPECT_EQ(doc.table.RowCount(), 3u);

  DocumentState keep;
  keep.settings.Set(Option::CheckName, true);
  ScriptedUi keepUi;
  keepUi.duplicateAnswers = {kDrop, kKeepAll};
  ASSERT_EQ(Read(keep, keepUi, "1|1|a|2|\r\n1|1|a|2|\r\n1|1|a|2|\r\n1|1|a|2|\r\n"), 0);
  EXPECT_EQ(keepUi.duplicateQuestions.size(), 2u);
  EXPECT_EQ(keep.table.RowCount(), 3u);
  EXPECT_EQ(keep.document.duplicatesDropped, 1);
}

TEST(DecodeNameUnit, HandWorkedUnits) {
  EXPECT_EQ(DecodeNameUnit(0x2141), u'A');
  EXPECT_EQ(DecodeNameUnit(0x21E9), u'\u00E9');
  EXPECT_EQ(DecodeNameUnit(0x3021), 0x09FA);  // 49 * 213 + 33 - 0x1EEC
  EXPECT_EQ(DecodeNameUnit(0xFFFF), 0x063C);  // wraps on 16 bits after adding 0x5000
  EXPECT_EQ(DecodeNameUnit(0x0000), 0x32BE);
}

DocumentState SampleTable() {
  DocumentState doc;
  const std::pair<const char16_t*, EntryStatus> names[] = {{u"Taipei", 3}, {u"Zero", 1}, {u"Blank", 0}};
  for (const auto& [name, status] : names) InsertRowRecorded(doc, SIZE_MAX, name, status, false);
  SetCoordinateFromText(doc, 0, Axis::Longitude, u"121.5", CoordinateSource::Degrees);
  SetCoordinateFromText(doc, 0, Axis::Latitude, u"25.033", CoordinateSource::Degrees);
  SetCoordinateFromText(doc, 1, Axis::Longitude, u"-0.5", CoordinateSource::Degrees);
  SetCoordinateFromText(doc, 1, Axis::Latitude, u"0", CoordinateSource::Degrees);
  SetCoordinateFromText(doc, 2, Axis::Latitude, u"-33.86782", CoordinateSource::Degrees);
  return doc;
}

TEST(WriteItn, ByteExactRecords) {
  DocumentState doc = SampleTable();
  EXPECT_EQ(Write(doc),
            "12150000|2503300|Taipei|3\r\n-050000|000000|Zero|1\r\n18012345|-3386782|Blank|0\r\n");
  // The display form does not change the file.
  ReformatAllCoordinates(doc, CoordinateSwitch::Dms);
  ReformatAllCoordinates(doc, CoordinateSwitch::Compass);
  EXPECT_EQ(doc.table.Cell(2, kLatitudeColumn), u"S 33\u00B0 52' 04.15\"");
  EXPECT_EQ(Write(doc),
            "12150000|2503300|Taipei|3\r\n-050000|000000|Zero|1\r\n18012345|-3386782|Blank|0\r\n");
}

TEST(WriteItn, ChoosesUtf8OnlyForCharactersAboveLatin1) {
  DocumentState latin;
  InsertRowRecorded(latin, 0, u"Alt M\u00F6lln", 2, false);
  EXPECT_EQ(Write(latin), "18012345|18012345|Alt M\xF6lln|2\r\n");
  DocumentState wide;
  InsertRowRecorded(wide, 0, u"Alt M\u00F6lln", 2, false);
  InsertRowRecorded(wide, 1, u"\u53F0\u5317 \U0001F600", 2, false);
  EXPECT_EQ(Write(wide), "\xEF\xBB\xBF" "18012345|18012345|Alt M\xC3\xB6lln|2\r\n"
                         "18012345|18012345|\xE5\x8F\xB0\xE5\x8C\x97 \xF0\x9F\x98\x80|2\r\n");
}

TEST(WriteItn, SaveSkipsThePinnedBaseRowAndExportWritesTheSelection) {
  DocumentState doc = SampleTable();
  doc.baseRowPinned = true;
  EXPECT_EQ(Write(doc), "-050000|000000|Zero|1\r\n18012345|-3386782|Blank|0\r\n");
  doc.table.SetSelected(0, true);
  doc.table.SetSelected(2, true);
  EXPECT_EQ(Write(doc, TransferMode::Export), "12150000|2503300|Taipei|3\r\n18012345|-3386782|Blank|0\r\n");
}

TEST(WriteItn, AFailedWriteReportsTheDiskError) {
  DocumentState doc = SampleTable();
  MemoryFile file;
  file.failAfter = 0;
  BufferedWriter writer(file);
  WriteContext context{doc, writer, TransferMode::Save};
  EXPECT_EQ(WriteItn(context), kDiskWriteError);
}

TEST(WriteItn, RoundTripKeepsEveryCell) {
  DocumentState doc = SampleTable();
  InsertRowRecorded(doc, SIZE_MAX, u"\u53F0\u5317 101", 2, false);
  const std::string bytes = Write(doc);
  DocumentState again;
  ScriptedUi ui;
  ASSERT_EQ(Read(again, ui, bytes), 0);
  EXPECT_EQ(Rows(again), Rows(doc));
  EXPECT_EQ(Write(again), bytes);
}

}  // namespace
}  // namespace wayloom
