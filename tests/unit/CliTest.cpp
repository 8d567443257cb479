// wayloom-cli from outside: output bytes, exit codes and messages.
#include <gtest/gtest.h>

#include "TestSupport.h"

namespace wayloom {
namespace {

using testing::Quote;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;
using CliRun = testing::CommandRun;

CliRun RunCli(const std::string& arguments) { return testing::RunCommand(std::string(WAYLOOM_CLI) + " " + arguments); }

TEST(Cli, DumpPrintsOneLinePerRow) {
  TempFolder folder;
  WriteBytes(folder / "a.itn", "\xEF\xBB\xBF" "12150000|2503300|\xE5\x8F\xB0\xE5\x8C\x97|3\r\n18012345|-050000|blank|0\r\n");
  const CliRun run = RunCli("dump " + Quote(folder / "a.itn"));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "台北\t121.50000\t25.03300\t3\nblank\t\t-0.50000\t0\n");
  EXPECT_EQ(run.err, "");
}

TEST(Cli, ConvertWritesTheProgramsBytes) {
  TempFolder folder;
  WriteBytes(folder / "in.itn", "+1046348|+5364352|bei D 22959,Linau|4|\n");
  const CliRun run = RunCli("convert " + Quote(folder / "in.itn") + " " + Quote(folder / "out.gpi"));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_FALSE(std::filesystem::exists(folder / "out.gpi"));
  EXPECT_EQ(ReadBytes(folder / "out.itn"), "1046348|5364352|bei D 22959,Linau|2\r\n");
}

TEST(Cli, FailuresPrintTheMessageAndExitNonZero) {
  TempFolder folder;
  WriteBytes(folder / "bad.itn", "garbage");
  CliRun run = RunCli("dump " + Quote(folder / "bad.itn"));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "檔案的內容有問題\n\nbad.itn\n");
  run = RunCli("dump " + Quote(folder / "missing.itn"));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "無法開啟檔案\n\nmissing.itn\n");
  WriteBytes(folder / "ok.itn", "1|1|a|2\r\n");
  run = RunCli("convert " + Quote(folder / "ok.itn") + " " + Quote(folder / "nowhere" / "x.itn"));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "無法儲存檔案\n\nx.itn\n");
  EXPECT_EQ(RunCli("frobnicate").exitCode, 2);
  EXPECT_EQ(RunCli("dump").exitCode, 2);
}

TEST(Cli, ConvertChoosesTheWriterByNameOrExtension) {
  TempFolder folder;
  WriteBytes(folder / "in.itn", "12150000|2503300|Caf\xE9|2\r\n");
  const std::string in = Quote(folder / "in.itn");
  // Without --to: the extension, with the ANSI text encoding.
  ASSERT_EQ(RunCli("convert " + in + " " + Quote(folder / "a.txt") + " --codepage 1252").exitCode, 0);
  EXPECT_EQ(ReadBytes(folder / "a.txt").find("Caf\xE9"), 0u);
  // --to decides whatever the extension says.
  ASSERT_EQ(RunCli("convert " + in + " " + Quote(folder / "b.dat") + " --to txt-utf8").exitCode, 0);
  EXPECT_EQ(ReadBytes(folder / "b.dat").substr(0, 8), "\xEF\xBB\xBF" "Caf\xC3\xA9");
  ASSERT_EQ(RunCli("convert " + in + " " + Quote(folder / "c.out") + " --to gpx").exitCode, 0);
  EXPECT_NE(ReadBytes(folder / "c.out").find("<wpt lat=\"25.03300\" lon=\"121.50000\">"), std::string::npos);
  // The same bytes as the program writes: csv Unicode is UTF-16LE with its mark.
  ASSERT_EQ(RunCli("convert " + in + " " + Quote(folder / "d.csv") + " --to csv-unicode").exitCode, 0);
  EXPECT_EQ(ReadBytes(folder / "d.csv").substr(0, 2), "\xFF\xFE");
  // What was written reads back the same.
  for (const char* name : {"a.txt", "d.csv"}) {
    const CliRun dump = RunCli("dump " + Quote(folder / name) + " --codepage 1252");
    EXPECT_EQ(dump.out, "Café\t121.50000\t25.03300\t2\n") << name;
  }
  EXPECT_EQ(RunCli("convert " + in + " " + Quote(folder / "e.x") + " --to nonsense").exitCode, 2);
  EXPECT_EQ(RunCli("dump " + in + " --codepage 0").exitCode, 2);
  EXPECT_EQ(RunCli("dump " + in + " --codepage").exitCode, 2);
}

TEST(Cli, ConvertFolderBothWays) {
  TempFolder folder;
  WriteBytes(folder / "a.itn", "12150000|2503300|A|2\r\n");
  WriteBytes(folder / "b.itn", "100|200|B|0\r\n1|1|B|0\r\n");
  WriteBytes(folder / "a.kml", "old");
  const std::string dir = Quote(folder.path());
  // Without --overwrite existing targets are left alone.
  CliRun run = RunCli("convert-folder " + dir + " --from-itn kml");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "已經完成轉換 1 個檔案\n");
  EXPECT_EQ(ReadBytes(folder / "a.kml"), "old");
  run = RunCli("convert-folder " + dir + " --from-itn kml --overwrite all");
  EXPECT_EQ(run.out, "已經完成轉換 2 個檔案\n");
  EXPECT_NE(ReadBytes(folder / "a.kml"), "old");
  // Back into itineraries, dropping duplicate names.
  std::filesystem::remove(folder / "a.itn");
  std::filesystem::remove(folder / "b.itn");
  run = RunCli("convert-folder " + dir + " --to-itn --check-names drop");
  EXPECT_EQ(run.out, "已經完成轉換 2 個檔案\n");
  EXPECT_EQ(ReadBytes(folder / "b.itn"), "000100|000200|B|0\r\n");
  EXPECT_EQ(RunCli("convert-folder " + dir).exitCode, 2);
  EXPECT_EQ(RunCli("convert-folder " + dir + " --to-itn --from-itn kml").exitCode, 2);
  EXPECT_EQ(RunCli("convert-folder " + dir + " --from-itn itn").exitCode, 2);
  EXPECT_EQ(RunCli("convert-folder " + Quote(folder / "none") + " --to-itn").exitCode, 1);
}

// Planning writes the rows in the planned order with the writer convert would use.
TEST(Cli, PlanReordersByStraightLine) {
  TempFolder folder;
  // On the equator at longitudes 0, -2, 1, 3; the first two rows passed.
  const std::string a = "0|0|A|3\r\n", b = "-200000|0|B|3\r\n", c = "100000|0|C|2\r\n", d = "300000|0|D|0\r\n";
  WriteBytes(folder / "in.itn", a + b + c + d);
  WriteBytes(folder / "planned.itn", "0|0|A|2\r\n" + c + d + "-200000|0|B|2\r\n");
  const std::string in = Quote(folder / "in.itn");
  ASSERT_EQ(RunCli("convert " + Quote(folder / "planned.itn") + " " + Quote(folder / "expected.kml")).exitCode, 0);
  for (const char* mode : {"round", "open"}) {
    const CliRun run = RunCli("plan " + in + " " + Quote(folder / "out.kml") + " --mode " + mode);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadBytes(folder / "out.kml"), ReadBytes(folder / "expected.kml")) << mode;
  }
  // A fixed last row: the plan is the table order, written unchanged (passed bits kept).
  ASSERT_EQ(RunCli("plan " + in + " " + Quote(folder / "fixed.itn") + " --mode fixed").exitCode, 0);
  ASSERT_EQ(RunCli("convert " + in + " " + Quote(folder / "same.itn")).exitCode, 0);
  EXPECT_EQ(ReadBytes(folder / "fixed.itn"), ReadBytes(folder / "same.itn"));
  ASSERT_EQ(RunCli("plan " + in + " " + Quote(folder / "to.dat") + " --mode open --to gpx").exitCode, 0);
  EXPECT_NE(ReadBytes(folder / "to.dat").find("<gpx"), std::string::npos);

  WriteBytes(folder / "blank.itn", a + b + "|0|blank|2\r\n");
  const CliRun blank = RunCli("plan " + Quote(folder / "blank.itn") + " " + Quote(folder / "x.itn") + " --mode open");
  EXPECT_EQ(blank.exitCode, 1);
  EXPECT_EQ(blank.err, "規劃行程的路線順序\n座標值不可以是空白\n");
  EXPECT_FALSE(std::filesystem::exists(folder / "x.itn"));
  EXPECT_EQ(RunCli("plan " + in + " " + Quote(folder / "x.itn")).exitCode, 2);
  EXPECT_EQ(RunCli("plan " + in + " " + Quote(folder / "x.itn") + " --mode circle").exitCode, 2);
}

// --best plans the shortest order (the walk's first step, to the nearest place C, is not
// the best one), with the passed bits cleared.
TEST(Cli, PlanBestWritesTheShortestOrder) {
  TempFolder folder;
  const std::string a = "0|0|A|3\r\n", b = "-200000|0|B|3\r\n", c = "100000|100000|C|2\r\n", d = "300000|0|D|0\r\n",
                    e = "-400000|0|E|0\r\n", f = "-450000|0|F|0\r\n";
  WriteBytes(folder / "in.itn", a + b + c + d + e + f);
  WriteBytes(folder / "planned.itn", "0|0|A|2\r\n" + d + c + "-200000|0|B|2\r\n" + e + f);
  ASSERT_EQ(RunCli("convert " + Quote(folder / "planned.itn") + " " + Quote(folder / "expected.itn")).exitCode, 0);
  const std::string in = Quote(folder / "in.itn");
  for (const char* mode : {"open", "fixed"}) {
    const CliRun run = RunCli("plan " + in + " " + Quote(folder / "out.itn") + " --mode " + mode + " --best");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadBytes(folder / "out.itn"), ReadBytes(folder / "expected.itn")) << mode;
  }
  EXPECT_EQ(RunCli("convert " + in + " " + Quote(folder / "x.itn") + " --best").exitCode, 2);
}

// POI files in folder conversion both ways; a route-only GPX file is no waypoint file there
// (no question is asked) and is passed over as empty.
TEST(Cli, ConvertFolderWithOv2) {
  TempFolder folder;
  WriteBytes(folder / "c.itn", "12150000|2503300|C|0\r\n-100|-200|D|2\r\n");
  WriteBytes(folder / "route.gpx", "<gpx><rte><rtept lat=\"1\" lon=\"2\"></rtept></rte></gpx>");
  const std::string dir = Quote(folder.path());
  EXPECT_EQ(RunCli("convert-folder " + dir + " --from-itn ov2").out, "已經完成轉換 1 個檔案\n");
  EXPECT_EQ(RunCli("dump " + Quote(folder / "c.ov2")).out, "C\t121.50000\t25.03300\t2\nD\t-0.00100\t-0.00200\t2\n");
  std::filesystem::remove(folder / "c.itn");
  const CliRun run = RunCli("convert-folder " + dir + " --to-itn --route");
  EXPECT_EQ(run.out, "已經完成轉換 1 個檔案\n");
  EXPECT_EQ(ReadBytes(folder / "c.itn"), "12150000|2503300|C|2\r\n-000100|-000200|D|2\r\n");
  EXPECT_FALSE(std::filesystem::exists(folder / "route.itn"));
}

// A route or track file: nothing without --route or --track (as before), the chosen
// points with them; past 48 entries a plain note, once, instead of the program's question.
TEST(Cli, RoutesTracksAndTheEntryLimitNote) {
  TempFolder folder;
  std::string gpx = "<gpx><rte>";
  for (int i = 0; i < 50; ++i) gpx += "<rtept lat=\"25\" lon=\"121." + std::to_string(10 + i) + "\"></rtept>";
  gpx += "</rte><trk><trkseg><trkpt lat=\"1\" lon=\"2\"/><trkpt lat=\"1.5\" lon=\"2\"/><trkpt lat=\"1\" lon=\"3\"/>";
  WriteBytes(folder / "in.gpx", gpx + "</trkseg></trk></gpx>");
  const std::string in = Quote(folder / "in.gpx"), out = Quote(folder / "out.itn");
  EXPECT_EQ(RunCli("dump " + in).out, "");
  EXPECT_EQ(RunCli("dump " + in + " --track 2").out, "軌跡點 1\t2.00000\t1.00000\t0\n軌跡點 3\t3.00000\t1.00000\t0\n");
  const CliRun route = RunCli("convert " + in + " " + out + " --route");
  EXPECT_EQ(route.exitCode, 0);
  EXPECT_EQ(route.err, "共 50 個行程，導航裝置只會取用前 48 個\n");
  const std::string itn = ReadBytes(folder / "out.itn");
  EXPECT_EQ(itn.rfind("\xEF\xBB\xBF" "12110000|2500000|路線點 1|0\r\n12111000|2500000|路線點 2|0\r\n", 0), 0u);
  EXPECT_EQ(std::count(itn.begin(), itn.end(), '\n'), 50);
  for (const char* bad : {" --track 1", " --track x", " --track", " --route --track 5", " --route --route"})
    EXPECT_EQ(RunCli("dump " + in + bad).exitCode, 2) << bad;
}

}  // namespace
}  // namespace wayloom
