#include "formats/BatchConversion.h"

#include "formats/FileFormat.h"
#include "formats/FileTransfer.h"

namespace wayloom {

namespace {

constexpr int kConvertingStatus = 13172;
constexpr int kConvertingFileStatus = 13173;
constexpr int kFolderProblem = 14405;

// Sources when converting into itineraries, by extension: kml, gpx, gpi, csv, asc, poi, ov2, txt.
int SourceFormat(TextView extension) {
  if (extension.empty() || EqualsIgnoringAsciiCase(extension, u"itn")) return 0;
  const int format = FormatForOpening(extension);
  if (format == 8 && !EqualsIgnoringAsciiCase(extension, u"txt")) return 0;
  return format;
}

// The source name with its last three characters replaced by the target's extension.
Text TargetName(TextView source, TextView extension) {
  Text name(source);
  name.resize(name.size() >= 3 ? name.size() - 3 : 0);
  name += extension;
  return name;
}

class Conversion {
 public:
  Conversion(CommandContext& context, ConversionChoice& choice) : context_(context), choice_(choice) {
    // A scratch document with the user's reading options; decimal texts, nothing pinned,
    // no dialogs but the duplicate and overwrite questions, no progress texts.
    scratch_.settings = context.doc.settings;
    scratch_.settings.Set(Option::DmsFormat, false);
    scratch_.document.autoSaving = true;
  }

  ConversionResult Run(TextView folder) {
    choice_.lastFolder = Text(folder);
    context_.ui.SetWaitCursor(true);
    context_.ui.ShowStatusText(LoadText(kConvertingStatus));
    std::vector<FolderEntry> entries;
    if (!context_.files.ListFolder(folder, entries)) return Finish(kFolderProblem, u"");
    for (const FolderEntry& entry : entries) {
      if (context_.ui.PollStop(true)) break;
      const Step step = Convert(folder, entry);
      if (step.stop) return Finish(step.message, step.name);
    }
    return Finish(kConversionDone, u"");
  }

 private:
  struct Step {
    bool stop = false;
    int message = 0;
    Text name;
  };

  Step Convert(TextView folder, const FolderEntry& entry) {
    if (entry.isFolder || entry.name.empty() || entry.name[0] == u'.') return {};
    const TextView extension = PathExtension(entry.name);
    int sourceFormat;
    int targetFormat;
    Text targetName;
    if (choice_.toItn) {
      sourceFormat = SourceFormat(extension);
      if (sourceFormat == 0) return {};
      targetFormat = kItnFormat;
      targetName = TargetName(entry.name, u"itn");
    } else {
      if (!EqualsIgnoringAsciiCase(extension, u"itn")) return {};
      sourceFormat = kItnFormat;
      targetFormat = ConversionTargetFormat(choice_.target);
      targetName = TargetName(entry.name, ConversionTargetExtension(choice_.target));
    }
    const Text source = JoinPath(folder, entry.name);
    const Text target = JoinPath(folder, targetName);

    if (context_.files.Exists(target)) {
      if (overwrite_ != kOverwriteAll && overwrite_ != kOverwriteNone) overwrite_ = context_.ui.AskOverwrite(targetName);
      if (overwrite_ == kOverwriteCancel) return {true, kConversionDone, Text()};
      if (overwrite_ == kOverwriteNo || overwrite_ == kOverwriteNone) return {};
      context_.files.ClearReadOnly(target);
    }
    context_.ui.ShowStatusText(FormatString(kConvertingFileStatus, {converted_, entry.name}));

    FileAccess access{context_.ui, context_.files, context_.codec, nullptr};
    const int read = ReadDocumentFile(access, scratch_, TransferMode::Open, source, sourceFormat);
    if (read != 0) return {true, read, entry.name};
    if (scratch_.table.Empty()) return {};
    const int written = WriteDocumentFile(access, scratch_, TransferMode::Save, target, targetFormat);
    if (written == kReadOnlyQuestion) return {true, kCannotSaveFile, targetName};
    if (written != 0) return {true, written, targetName};
    ++converted_;
    return {};
  }

  ConversionResult Finish(int message, TextView name) {
    scratch_.table.Clear();
    context_.ui.SetWaitCursor(false);
    context_.doc.statusResetPending = true;
    if (message == kConversionDone) {
      context_.ui.ShowMessage(message, converted_, MessageIcon::Information);
    } else {
      context_.ui.ShowMessage(message, name, MessageIcon::Warning);
    }
    return {converted_, message};
  }

  CommandContext& context_;
  ConversionChoice& choice_;
  DocumentState scratch_;
  int overwrite_ = 0;  // the remembered answer of the overwrite question: ask
  int converted_ = 0;
};

}  // namespace

int ConversionTargetFormat(int position) {
  if (position <= 0) return 2;
  if (position == 1) return 3;
  if (position == kOv2ConversionTarget) return kOv2Format;
  return position < kOv2ConversionTarget ? position + 7 : 20;
}

TextView ConversionTargetExtension(int position) { return GetFileFormat(ConversionTargetFormat(position)).Extension(); }

int ConversionTargetForFormat(int format) {
  if (format == 2) return 0;
  if (format == 3) return 1;
  if (format == kOv2Format) return kOv2ConversionTarget;
  return format >= 9 && format <= 20 ? format - 7 : -1;
}

ConversionResult ConvertFolder(CommandContext& context, TextView folder, ConversionChoice& choice) {
  Conversion conversion(context, choice);
  return conversion.Run(folder);
}

}  // namespace wayloom
