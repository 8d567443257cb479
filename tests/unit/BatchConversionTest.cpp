#include <gtest/gtest.h>

#include <algorithm>

#include "TestSupport.h"
#include "formats/BatchConversion.h"
#include "platform/posix/PosixFileStore.h"

namespace wayloom {
namespace {

using testing::PathText;
using testing::ReadBytes;
using testing::ScriptedUi;
using testing::TempFolder;
using testing::WriteBytes;

constexpr char kKml[] =
    "<?xml version=\"1.0\"?><kml><Document><Placemark><name>A</name><Point><coordinates>121.5,25.033"
    "</coordinates></Point></Placemark></Document></kml>";
constexpr char kTabText[] = "B\t25.03300\t121.50000\r\n";

struct ConversionRun {
  DocumentState doc;
  ScriptedUi ui;
  PosixFileStore files;
  CommandContext context{doc, ui, files};
  ConversionChoice choice;

  ConversionResult Convert(const TempFolder& folder) { return ConvertFolder(context, PathText(folder.path()), choice); }
};

std::vector<std::string> Names(const TempFolder& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ConvertFolder, EveryReadableFileBecomesAnItinerary) {
  TempFolder folder;
  WriteBytes(folder / "a.kml", kKml);
  WriteBytes(folder / "b.txt", kTabText);
  WriteBytes(folder / "c.doc", "not an itinerary");
  WriteBytes(folder / ".hidden.kml", kKml);
  std::filesystem::create_directory(folder / "sub.kml");
  ConversionRun run;
  const ConversionResult result = run.Convert(folder);
  EXPECT_EQ(result.converted, 2);
  EXPECT_EQ(run.ui.MessageIds(), std::vector<int>{14460});
  EXPECT_EQ(run.ui.messages[0].text, "已經完成轉換 2 個檔案");
  EXPECT_EQ(Names(folder), (std::vector<std::string>{".hidden.kml", "a.itn", "a.kml", "b.itn", "b.txt", "c.doc", "sub.kml"}));
  EXPECT_EQ(ReadBytes(folder / "a.itn"), "12150000|2503300|A|0\r\n");
  EXPECT_EQ(ReadBytes(folder / "b.itn"), "12150000|2503300|B|2\r\n");
  EXPECT_EQ(run.choice.lastFolder, PathText(folder.path()));
  // The user's document is not touched.
  EXPECT_TRUE(run.doc.table.Empty());
  EXPECT_FALSE(run.doc.document.modified);
}

TEST(ConvertFolder, ItinerariesIntoTheChosenFormat) {
  TempFolder folder;
  WriteBytes(folder / "route.itn", "12150000|2503300|Taipei|2\r\n");
  WriteBytes(folder / "x.ITN", "100|200|x|0\r\n");
  WriteBytes(folder / "a.kml", kKml);
  ConversionRun run;
  run.choice.toItn = false;
  run.choice.target = 4;  // csv (UTF-8)
  EXPECT_EQ(run.Convert(folder).converted, 2);
  EXPECT_EQ(ReadBytes(folder / "route.csv").substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_TRUE(std::filesystem::exists(folder / "x.csv"));
  EXPECT_FALSE(std::filesystem::exists(folder / "a.csv"));
  run.choice.target = 0;  // kml
  run.ui.messages.clear();
  EXPECT_EQ(run.Convert(folder).converted, 2);
  EXPECT_NE(ReadBytes(folder / "route.kml").find("<name>Taipei</name>"), std::string::npos);
}

TEST(ConvertFolder, ExistingTargetsAskOnceForAll) {
  TempFolder folder;
  for (const std::string name : {"a", "b", "c"}) {
    WriteBytes(folder / (name + ".itn"), "1|1|" + name + "|2\r\n");
    WriteBytes(folder / (name + ".gpx"), "old");
  }
  ::chmod((folder / "b.gpx").c_str(), 0444);  // a read-only target is cleared first
  for (const auto& [answer, converted] : {std::pair{kOverwriteNone, 0}, {kOverwriteCancel, 0}, {kOverwriteAll, 3}}) {
    ConversionRun run;
    run.choice.toItn = false;
    run.choice.target = 1;  // gpx
    run.ui.overwriteAnswers = {answer};
    EXPECT_EQ(run.Convert(folder).converted, converted);
    EXPECT_EQ(run.ui.overwriteQuestions.size(), 1u);
    EXPECT_EQ(run.ui.MessageIds(), std::vector<int>{14460});
    EXPECT_EQ(ReadBytes(folder / "c.gpx") == "old", converted == 0);
  }
  EXPECT_NE(ReadBytes(folder / "b.gpx"), "old");
}

TEST(ConvertFolder, EmptySourcesAreNotCountedAndEscStops) {
  TempFolder folder;
  WriteBytes(folder / "empty.gpx", "<gpx></gpx>");
  ConversionRun run;
  EXPECT_EQ(run.Convert(folder).converted, 0);
  EXPECT_FALSE(std::filesystem::exists(folder / "empty.itn"));

  TempFolder many;
  for (int i = 0; i < 5; ++i) WriteBytes(many / ("f" + std::to_string(i) + ".kml"), kKml);
  ConversionRun stopped;
  stopped.ui.stopAtPoll = 3;
  EXPECT_EQ(stopped.Convert(many).converted, 2);
  EXPECT_EQ(stopped.ui.messages.back().text, "已經完成轉換 2 個檔案");
}

TEST(ConvertFolder, TheFirstErrorEndsTheRunWithItsMessage) {
  TempFolder folder;
  WriteBytes(folder / "bad.itn", "broken");
  ConversionRun run;
  run.choice.toItn = false;
  const ConversionResult result = run.Convert(folder);
  EXPECT_EQ(result.message, 14225);
  ASSERT_EQ(run.ui.messages.size(), 1u);
  EXPECT_EQ(run.ui.messages[0].text, "檔案的內容有問題\n\nbad.itn");

  ConversionRun missing;
  EXPECT_EQ(missing.Convert(TempFolder()).message, 14460);
  const ConversionResult noFolder = ConvertFolder(missing.context, u"/nonexistent/folder", missing.choice);
  EXPECT_EQ(noFolder.message, 14405);
}

}  // namespace
}  // namespace wayloom
