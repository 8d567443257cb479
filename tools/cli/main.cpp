// wayloom-cli: the program's readers and writers for scripts.
//
//   wayloom-cli dump FILE
//   wayloom-cli convert IN OUT [--to NAME]
//   wayloom-cli convert-folder DIR (--to-itn | --from-itn NAME) [--overwrite all|none] [--check-names keep|drop]
//   wayloom-cli plan IN OUT --mode round|open|fixed [--best] [--to NAME]
//   wayloom-cli page IN OUT [--lang N]
//   common options: --codepage N (the ANSI code page of delimited text); --route or
//   --track N (a GPX or KML file without waypoints: read its route points, or its track
//   reduced to at most N entries)
//
// Failures print the program's own message to stderr and exit with 1; usage errors exit with 2.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/DocumentState.h"
#include "editing/Editor.h"
#include "editing/DocumentCommands.h"
#include "formats/BatchConversion.h"
#include "formats/FileFormat.h"
#include "formats/FileTransfer.h"
#include "formats/ItnFormat.h"
#include "map/MapPage.h"
#include "planning/RoutePlanner.h"
#include "planning/ShortestRoute.h"
#include "platform/posix/SystemClock.h"

namespace wayloom {
namespace {

constexpr int kEntryLimitQuestion = 14220;
constexpr int kEntryLimitNote = 14614;

// Messages go to stderr; questions take the answer a script wants: write past the entry
// limit (noting it once per file instead of printing a question nobody answers), never
// clear a file's read-only attribute, and the answers given on the command line for
// duplicates, existing conversion targets and the paths of files without waypoints.
class ConsoleUi : public EditorUi {
 public:
  MessageResult ShowMessage(int stringId, const FormatArg& arg, MessageIcon icon, MessageButtons buttons,
                            bool defaultCancel) override {
    if (stringId == kEntryLimitQuestion) {
      // One output file per run, so one note.
      if (!entryLimitNoted) {
        const long long rows = static_cast<long long>(doc->table.RowCount() - doc->FirstWrittenRow());
        std::fprintf(stderr, "%s\n", TextToUtf8(FormatString(kEntryLimitNote, {rows, arg})).c_str());
      }
      entryLimitNoted = true;
      return MessageResult::Ok;
    }
    const std::string text = TextToUtf8(FormatString(stringId, arg));
    std::fprintf(icon == MessageIcon::Information && reportToStdout ? stdout : stderr, "%s\n", text.c_str());
    if (buttons == MessageButtons::OkCancel) return stringId == kReadOnlyQuestion ? MessageResult::Cancel : MessageResult::Ok;
    if (buttons == MessageButtons::YesNoCancel) return MessageResult::Cancel;
    return MessageResult::Ok;
  }
  int AskDuplicate(TextView) override { return duplicateAnswer; }
  int AskOverwrite(TextView) override { return overwriteAnswer; }
  PathChoice AskPathChoice(TextView, const PathSummary&) override { return pathChoice; }

  const DocumentState* doc = nullptr;  // the rows counted in the entry-limit note
  bool entryLimitNoted = false;
  PathChoice pathChoice;  // --route / --track N; cancel without them
  int duplicateAnswer = kKeepAll;
  int overwriteAnswer = kOverwriteNone;
  bool reportToStdout = false;  // a folder conversion's final report is its output
};

// The format of a --to or --from-itn name.
std::optional<int> TargetFormat(const std::string& name) {
  const int format = FormatByName(name);
  return format >= 0 ? std::optional<int>(format) : std::nullopt;
}

struct Arguments {
  std::vector<std::string> positional;
  std::optional<std::string> to, fromItn, overwrite, checkNames, mode;
  std::optional<int> language;  // page: the map language index 0..8
  bool toItn = false;
  bool best = false;  // plan: the shortest-route planner
  PathChoice path;
  unsigned codePage = 0;
  bool ok = true;
};

Arguments Parse(int argc, char** argv) {
  Arguments args;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= argc) {
        args.ok = false;
        return std::nullopt;
      }
      return std::string(argv[++i]);
    };
    if (arg == "--to") {
      args.to = value();
    } else if (arg == "--from-itn") {
      args.fromItn = value();
    } else if (arg == "--to-itn") {
      args.toItn = true;
    } else if (arg == "--best") {
      args.best = true;
    } else if (arg == "--overwrite") {
      args.overwrite = value();
    } else if (arg == "--mode") {
      args.mode = value();
    } else if (arg == "--check-names") {
      args.checkNames = value();
    } else if (arg == "--route") {
      args.ok = args.ok && args.path.answer == PathAnswer::Cancel;
      args.path.answer = PathAnswer::RoutePoints;
    } else if (arg == "--track") {
      const auto text = value();
      char* end = nullptr;
      const unsigned long entries = text ? std::strtoul(text->c_str(), &end, 10) : 0;
      if (!text || *end != '\0' || entries < 2 || entries > 1000000 || args.path.answer != PathAnswer::Cancel)
        args.ok = false;
      args.path = {PathAnswer::Track, entries};
    } else if (arg == "--lang") {
      const auto text = value();
      char* end = nullptr;
      const unsigned long language = text ? std::strtoul(text->c_str(), &end, 10) : 0;
      if (!text || text->empty() || *end != '\0' || language > 8) args.ok = false;
      args.language = static_cast<int>(language);
    } else if (arg == "--codepage") {
      const auto text = value();
      char* end = nullptr;
      const unsigned long codePage = text ? std::strtoul(text->c_str(), &end, 10) : 0;
      if (!text || *end != '\0' || codePage == 0 || codePage > 65535) args.ok = false;
      args.codePage = static_cast<unsigned>(codePage);
    } else if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
      args.ok = false;
    } else {
      args.positional.push_back(arg);
    }
  }
  if (args.overwrite && *args.overwrite != "all" && *args.overwrite != "none") args.ok = false;
  if (args.checkNames && *args.checkNames != "keep" && *args.checkNames != "drop") args.ok = false;
  if (args.mode && *args.mode != "round" && *args.mode != "open" && *args.mode != "fixed") args.ok = false;
  return args;
}

Text ArgumentText(const std::string& argument) { return Utf8ToText(argument); }

bool ReadInput(CommandContext& context, TextView path) {
  return TransferFile(context, TransferMode::Open, path, FormatForOpening(PathExtension(path)));
}

int Dump(CommandContext& context, TextView path) {
  if (!ReadInput(context, path)) return 1;
  const ItineraryTable& table = context.doc.table;
  std::string out;
  for (std::size_t row = 0; row < table.RowCount(); ++row) {
    const ItineraryEntry& entry = table.Row(row);
    out += TextToUtf8(entry.Name());
    out += '\t';
    out += TextToUtf8(DisplayToDecimal(entry.Cell(kLongitudeColumn), context.doc.Format()));
    out += '\t';
    out += TextToUtf8(DisplayToDecimal(entry.Cell(kLatitudeColumn), context.doc.Format()));
    out += '\t';
    out += static_cast<char>('0' + entry.status);
    out += '\n';
    if (out.size() > (1 << 16)) {
      std::fwrite(out.data(), 1, out.size(), stdout);
      out.clear();
    }
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

int WriteOutput(CommandContext& context, TextView out, std::optional<int> format) {
  // Without --to the extension decides, as Save As decides it, with the ANSI text types
  // (those of a chosen list entry without an encoding).
  const SaveTarget target = format ? SaveTarget{Text(out), *format} : SaveTargetFor(out, SaveListPosition(kItnFormat));
  return TransferFile(context, TransferMode::Save, target.path, target.format) ? 0 : 1;
}

int Convert(CommandContext& context, TextView in, TextView out, std::optional<int> format) {
  if (!ReadInput(context, in)) return 1;
  return WriteOutput(context, out, format);
}

// Plans the order by straight-line distances as command 1037 does (with best, as its
// shortest-route choice does), then writes it.
int Plan(CommandContext& context, TextView in, TextView out, const std::string& mode, bool best, std::optional<int> format) {
  if (!ReadInput(context, in)) return 1;
  const DocumentState& doc = context.doc;
  if (!RowsWithoutCoordinates(doc).empty()) {
    context.ui.ShowMessage(kBlankCoordinateMessage, FormatArg(), MessageIcon::Information);
    return 1;
  }
  const TripMode tripMode = mode == "round" ? TripMode::RoundTrip : mode == "fixed" ? TripMode::FixedLast : TripMode::OpenEnd;
  const std::size_t rows = doc.table.RowCount();
  // As in the program: three rows at least, four with a fixed last row.
  if (rows >= (tripMode == TripMode::FixedLast ? 4u : 3u)) {
    const StopPoll never = [] { return false; };
    const PlanOutcome outcome = best ? PlanShortestByStraightLine(doc, tripMode, never) : PlanByStraightLine(doc, tripMode, never);
    if (outcome.message != 0) {
      context.ui.ShowMessage(outcome.message, FormatArg(), MessageIcon::Information);
      return 1;
    }
    ApplyPlannedOrder(context, outcome.tour);
  }
  return WriteOutput(context, out, format);
}

// The map page command 1045 would write for IN with default settings; the program folder
// (marker images, "MapTypeId4.js") is the CLI's own.
int Page(CommandContext& context, TextView in, TextView out, int language) {
  if (!ReadInput(context, in)) return 1;
  context.doc.settings.googleMapsLang = language;
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  const Text folder = error ? Text(u".") : Utf8ToText(program.parent_path().string());
  const Text script = JoinPath(folder, LoadText(14327));
  MapPageInputs inputs{context.doc, MapPageFont{}, folder,
                       context.files.Exists(script) && !context.files.IsDirectory(script) ? script : Text(),
                       ReadMapServices(nullptr)};
  const std::string page = BuildMapPage(inputs);
  CreateResult created;
  std::unique_ptr<OutputFile> file = context.files.CreateOutput(out, created);
  if (created != CreateResult::Ok || !file || !file->Write(page.data(), page.size()) || !file->Commit()) {
    context.ui.ShowMessage(kDiskWriteError, FormatArg(out), MessageIcon::Warning);
    return 1;
  }
  return 0;
}

int ConvertFolderCommand(CommandContext& context, ConsoleUi& ui, TextView folder, const Arguments& args) {
  ConversionChoice choice;
  choice.toItn = args.toItn;
  if (!args.toItn) {
    const auto format = TargetFormat(*args.fromItn);
    const int position = format ? ConversionTargetForFormat(*format) : -1;
    if (position < 0) return -1;
    choice.target = position;
  }
  ui.reportToStdout = true;
  ui.overwriteAnswer = args.overwrite && *args.overwrite == "all" ? kOverwriteAll : kOverwriteNone;
  if (args.checkNames) {
    context.doc.settings.Set(Option::CheckName, true);
    ui.duplicateAnswer = *args.checkNames == "drop" ? kDropAll : kKeepAll;
  }
  const ConversionResult result = ConvertFolder(context, folder, choice);
  return result.message == kConversionDone ? 0 : 1;
}

// The names of the written formats in table order, wrapped at 80 columns.
std::string NameList() {
  constexpr std::size_t kWidth = 80;
  std::string list = "  NAME:";
  const std::size_t indent = list.size();
  std::size_t column = indent;
  for (int index = 0; index < kFormatCount; ++index) {
    const char* name = GetFileFormat(index).name;
    if (!name) continue;
    const std::size_t width = 1 + std::strlen(name);
    if (column + width > kWidth) {
      list += '\n';
      list.append(indent, ' ');
      column = indent;
    }
    list += ' ';
    list += name;
    column += width;
  }
  list += '\n';
  return list;
}

int Usage() {
  std::fprintf(stderr,
               "usage:\n"
               "  wayloom-cli dump FILE\n"
               "  wayloom-cli convert IN OUT [--to NAME]\n"
               "  wayloom-cli convert-folder DIR (--to-itn | --from-itn NAME) [--overwrite all|none]\n"
               "                             [--check-names keep|drop]\n"
               "  wayloom-cli plan IN OUT --mode round|open|fixed [--best] [--to NAME]\n"
               "  wayloom-cli page IN OUT [--lang N] (the map page; N the map language 0..8)\n"
               "  options of every command: --codepage N (the ANSI code page; default %u)\n"
               "    --route | --track N (a gpx or kml file without waypoints: its route points,\n"
               "                         or its track reduced to at most N entries)\n"
               "%s",
               MakeSystemTextCodec()->SystemCodePage(), NameList().c_str());
  return 2;
}

}  // namespace
}  // namespace wayloom

int main(int argc, char** argv) {
  using namespace wayloom;
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  const Arguments args = Parse(argc, argv);
  if (!args.ok) return Usage();

  ConsoleUi ui;
  ui.pathChoice = args.path;
  auto files = MakeSystemFileStore();
  auto codec = MakeSystemTextCodec(args.codePage);
  if (args.codePage != 0 && !codec->IsAvailable(args.codePage)) {
    std::fprintf(stderr, "code page %u is not available\n", args.codePage);
    return 2;
  }
  const SystemClock clock;
  Editor editor(ui, {*files, clock, codec.get()});
  editor.doc.settings = DefaultSettings(true);
  editor.doc.settings.Set(Option::RecentFile, false);
  // Conversions show no table: the distance column (never written to a file) and its
  // base row are left out, which spares a million rows their distance arithmetic.
  if (command == "convert" || command == "convert-folder") editor.doc.settings.Set(Option::ShowDistance, false);
  CommandContext& context = editor.context;
  ui.doc = &editor.doc;
  const auto& positional = args.positional;
  if (args.best && command != "plan") return Usage();
  if (args.language && command != "page") return Usage();
  if (command == "page" && positional.size() == 2 && !args.to)
    return Page(context, ArgumentText(positional[0]), ArgumentText(positional[1]), args.language.value_or(0));
  if (command == "dump" && positional.size() == 1 && !args.to) return Dump(context, ArgumentText(positional[0]));
  if (command == "convert" && positional.size() == 2) {
    std::optional<int> format;
    if (args.to) {
      format = TargetFormat(*args.to);
      if (!format) return Usage();
    }
    return Convert(context, ArgumentText(positional[0]), ArgumentText(positional[1]), format);
  }
  if (command == "plan" && positional.size() == 2 && args.mode) {
    std::optional<int> format;
    if (args.to) {
      format = TargetFormat(*args.to);
      if (!format) return Usage();
    }
    return Plan(context, ArgumentText(positional[0]), ArgumentText(positional[1]), *args.mode, args.best, format);
  }
  if (command == "convert-folder" && positional.size() == 1 && (args.toItn != args.fromItn.has_value())) {
    const int result = ConvertFolderCommand(context, ui, ArgumentText(positional[0]), args);
    return result < 0 ? Usage() : result;
  }
  return Usage();
}
