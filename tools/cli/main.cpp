// wayloom-cli: the program's readers and writers for scripts.
//
//   wayloom-cli dump FILE        one line per row: name, longitude, latitude, status (TAB separated)
//   wayloom-cli convert IN OUT   reads IN and writes OUT, formats chosen from the extensions
//
// Failures print the program's own message to stderr and exit with 1; usage errors exit with 2.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/DocumentState.h"
#include "formats/DocumentCommands.h"
#include "formats/FileFormat.h"

namespace wayloom {
namespace {

constexpr int kReadOnlyQuestion = 14255;

// Messages go to stderr; questions take the answer a script wants: write past the entry
// limit, but never clear a file's read-only attribute.
class ConsoleUi : public Ui {
 public:
  MessageResult ShowMessage(int stringId, const FormatArg& arg, MessageIcon icon, MessageButtons buttons,
                            bool defaultCancel) override {
    const std::string text = TextToUtf8(FormatString(stringId, arg));
    std::fprintf(stderr, "%s\n", text.c_str());
    if (buttons == MessageButtons::OkCancel) return stringId == kReadOnlyQuestion ? MessageResult::Cancel : MessageResult::Ok;
    if (buttons == MessageButtons::YesNoCancel) return MessageResult::Cancel;
    return MessageResult::Ok;
  }
};

Text ArgumentText(const char* argument) { return Utf8ToText(argument); }

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

int Convert(CommandContext& context, TextView in, TextView out) {
  if (!ReadInput(context, in)) return 1;
  Text target(out);
  int format = FormatForSaving(PathExtension(target), 4);  // list position 4: the ANSI text type
  if (format == 4) {  // Garmin POI files cannot be written: an itinerary is written instead
    target.resize(target.size() - 3);
    target += u"itn";
    format = kItnFormat;
  }
  return TransferFile(context, TransferMode::Save, target, format) ? 0 : 1;
}

int Usage() {
  std::fprintf(stderr,
               "usage:\n"
               "  wayloom-cli dump FILE\n"
               "  wayloom-cli convert IN OUT\n");
  return 2;
}

}  // namespace
}  // namespace wayloom

int main(int argc, char** argv) {
  using namespace wayloom;
  if (argc < 2) return Usage();
  DocumentState doc;
  doc.settings = DefaultSettings(true);
  doc.settings.Set(Option::RecentFile, false);
  ConsoleUi ui;
  auto files = MakeSystemFileStore();
  CommandContext context{doc, ui, *files};
  const std::string command = argv[1];
  if (command == "dump" && argc == 3) return Dump(context, ArgumentText(argv[2]));
  if (command == "convert" && argc == 4) return Convert(context, ArgumentText(argv[2]), ArgumentText(argv[3]));
  return Usage();
}
