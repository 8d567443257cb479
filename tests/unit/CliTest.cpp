// wayloom-cli from outside: output bytes, exit codes, messages, and the real-world files.
#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

#include "TestSupport.h"

namespace wayloom {
namespace {

using testing::ReadBytes;
using testing::SharedDir;
using testing::TempFolder;
using testing::WriteBytes;

struct CliRun {
  int exitCode;
  std::string out;
  std::string err;
};

CliRun RunCli(const std::string& arguments) {
  TempFolder scratch;
  const std::string errFile = (scratch / "stderr").string();
  const std::string command = std::string(WAYLOOM_CLI) + " " + arguments + " 2>'" + errFile + "'";
  CliRun run{-1, "", ""};
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int status = ::pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.err = ReadBytes(errFile);
  return run;
}

std::string Quote(const std::filesystem::path& path) {
  std::string quoted = "'";
  quoted += path.string();
  quoted += '\'';
  return quoted;
}

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
  auto itn = [](std::initializer_list<const char*> rows) {
    std::string bytes;
    for (const char* row : rows) bytes += row;
    return bytes;
  };
  // On the equator at longitudes 0, -2, 1, 3; the first two rows passed.
  const char* a = "0|0|A|3\r\n";
  const char* b = "-200000|0|B|3\r\n";
  const char* c = "100000|0|C|2\r\n";
  const char* d = "300000|0|D|0\r\n";
  WriteBytes(folder / "in.itn", itn({a, b, c, d}));
  WriteBytes(folder / "planned.itn", itn({"0|0|A|2\r\n", c, d, "-200000|0|B|2\r\n"}));
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

  WriteBytes(folder / "blank.itn", itn({a, b, "|0|blank|2\r\n"}));
  const CliRun blank = RunCli("plan " + Quote(folder / "blank.itn") + " " + Quote(folder / "x.itn") + " --mode open");
  EXPECT_EQ(blank.exitCode, 1);
  EXPECT_EQ(blank.err, "規劃行程的路線順序\n座標值不可以是空白\n");
  EXPECT_FALSE(std::filesystem::exists(folder / "x.itn"));
  EXPECT_EQ(RunCli("plan " + in + " " + Quote(folder / "x.itn")).exitCode, 2);
  EXPECT_EQ(RunCli("plan " + in + " " + Quote(folder / "x.itn") + " --mode circle").exitCode, 2);
}

// The real-world itineraries: what the reading rules give, and a write that reads back
// the same rows.
struct CorpusCase {
  const char* file;
  std::size_t rows;
  const char* firstRow;  // dump line
};

TEST(Cli, RealWorldItinerariesReadAndRoundTrip) {
  const auto corpus = SharedDir() / "corpus";
  if (!std::filesystem::exists(corpus)) GTEST_SKIP() << "no shared corpus";
  const CorpusCase cases[] = {
      // Latitude and longitude swapped by its writer: still a valid itinerary.
      {"GPSBabel_gpsbabel/tomtom_itn.itn", 46, nullptr},
      // Latin-1, LF only, "+" signs, statuses 4, 1, 1, 3: 4 is read as 2, which ends the
      // leading run of passed rows, so 1, 1, 3 become 0, 0, 2.
      {"cpesch_RouteConverter/tomtom-sample-file.itn", 4, "bei D 22959,Linau\t10.46348\t53.64352\t2"},
      {"gpsbabel-generated/Lctns_Instinct.itn", 10, "Greenwich ele46\t0.00000\t51.47726\t0"},
      {"gpsbabel-generated/Lctns_Instinct_places.itn", 10, nullptr},
  };
  TempFolder folder;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const CliRun dump = RunCli("dump " + Quote(corpus / c.file));
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    EXPECT_EQ(static_cast<std::size_t>(std::count(dump.out.begin(), dump.out.end(), '\n')), c.rows);
    if (c.firstRow) {
      EXPECT_EQ(dump.out.substr(0, dump.out.find('\n')), c.firstRow);
    }
    const auto copy = folder / "copy.itn";
    ASSERT_EQ(RunCli("convert " + Quote(corpus / c.file) + " " + Quote(copy)).exitCode, 0);
    EXPECT_EQ(RunCli("dump " + Quote(copy)).out, dump.out);
    const auto again = folder / "again.itn";
    ASSERT_EQ(RunCli("convert " + Quote(copy) + " " + Quote(again)).exitCode, 0);
    EXPECT_EQ(ReadBytes(again), ReadBytes(copy));
  }
  const CliRun sample = RunCli("dump " + Quote(corpus / "cpesch_RouteConverter/tomtom-sample-file.itn"));
  EXPECT_NE(sample.out.find("Alt Mölln"), std::string::npos);
  EXPECT_NE(sample.out.find("\t0\n"), std::string::npos);
  const CliRun instinct = RunCli("dump " + Quote(corpus / "gpsbabel-generated/Lctns_Instinct.itn"));
  EXPECT_NE(instinct.out.find("Händelstraße"), std::string::npos);
  EXPECT_NE(instinct.out.find("North pole ele2\t0.00000\t90.00000\t0"), std::string::npos);
}

}  // namespace
}  // namespace wayloom
