// Shared helpers for the unit tests: a Ui with scripted answers and file helpers.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <map>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "core/DocumentState.h"
#include "core/RowOperations.h"
#include "formats/FileFormat.h"
#include "platform/FileStore.h"
#include "platform/Profile.h"
#include "platform/Ui.h"

namespace wayloom::testing {

struct ShownMessage {
  int id;
  std::string text;  // formatted, UTF-8
  MessageIcon icon;
  MessageButtons buttons;
};

class ScriptedUi : public Ui {
 public:
  MessageResult ShowMessage(int id, const FormatArg& arg, MessageIcon icon, MessageButtons buttons,
                            bool defaultCancel) override {
    messages.push_back({id, TextToUtf8(FormatString(id, arg)), icon, buttons});
    return Next(answers, buttons == MessageButtons::Ok ? MessageResult::Ok : MessageResult::Cancel);
  }
  int AskDuplicate(TextView name) override {
    duplicateQuestions.push_back(TextToUtf8(name));
    return Next(duplicateAnswers, int{kKeep});
  }
  std::optional<FileChoice> ChooseFileDialog(TransferMode mode, TextView title, TextView initialName,
                                             TextView initialFolder, int listPosition) override {
    dialogPositions.push_back(listPosition);
    if (fileChoices.empty()) return std::nullopt;
    return Next(fileChoices, FileChoice{});
  }
  void ShowProgress(TextView text, int percent) override { progress.push_back(percent); }
  void ShowStatusText(TextView text) override { statusTexts.push_back(TextToUtf8(text)); }
  int AskOverwrite(TextView name) override {
    overwriteQuestions.push_back(TextToUtf8(name));
    return Next(overwriteAnswers, int{kOverwriteNo});
  }
  // Files without waypoints: the route points unless scripted otherwise, so that a
  // written route reads back.
  PathChoice AskPathChoice(TextView question, const PathSummary&) override {
    pathQuestions.push_back(TextToUtf8(question));
    return Next(pathChoices, PathChoice{PathAnswer::RoutePoints});
  }
  // Esc is "pressed" at the poll with this number (counted from 1); 0: never.
  bool PollStop(bool checkEsc) override { return checkEsc && ++polls == stopAtPoll; }

  std::vector<int> MessageIds() const {
    std::vector<int> ids;
    for (const auto& m : messages) ids.push_back(m.id);
    return ids;
  }

  std::vector<ShownMessage> messages;
  std::deque<MessageResult> answers;
  std::vector<std::string> duplicateQuestions;
  std::deque<int> duplicateAnswers;
  std::deque<FileChoice> fileChoices;
  std::vector<int> dialogPositions;
  std::vector<int> progress;
  std::vector<std::string> statusTexts;
  std::vector<std::string> overwriteQuestions;
  std::deque<int> overwriteAnswers;
  std::vector<std::string> pathQuestions;
  std::deque<PathChoice> pathChoices;
  int polls = 0;
  int stopAtPoll = 0;

 private:
  // The next scripted answer, or the fallback when the script has run out.
  template <class T>
  static T Next(std::deque<T>& script, T fallback) {
    if (script.empty()) return fallback;
    T answer = script.front();
    script.pop_front();
    return answer;
  }
};

// An output file in memory; with fail set every write fails.
class MemoryFile : public OutputFile {
 public:
  bool Write(const void* data, std::size_t size) override {
    if (!fail) bytes.append(static_cast<const char*>(data), size);
    return !fail;
  }
  bool Commit() override { return true; }
  std::string bytes;
  bool fail = false;
};

// A fresh folder for one test, removed afterwards.
class TempFolder {
 public:
  TempFolder() {
    static int count = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("wayloom-test-" + std::to_string(::getpid()) + "-" + std::to_string(++count) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline Text PathText(const std::filesystem::path& path) { return Utf8ToText(path.string()); }

// "name|lon|lat|status" per row, in the default display form.
inline std::vector<std::string> Rows(const DocumentState& doc) {
  std::vector<std::string> rows;
  for (std::size_t i = 0; i < doc.table.RowCount(); ++i) {
    const auto& entry = doc.table.Row(i);
    rows.push_back(TextToUtf8(entry.Name()) + "|" + TextToUtf8(entry.Cell(kLongitudeColumn)) + "|" +
                   TextToUtf8(entry.Cell(kLatitudeColumn)) + "|" + std::to_string(entry.status));
  }
  return rows;
}

using Lines = std::vector<std::string>;

struct ReadResultRows {
  int result;
  Lines rows;
  int format;  // the exact format the reader found (delimited text: 9-20)
};

// Reads bytes with the reader of context.format as the transfer driver does: the data
// followed by the format's terminator bytes, in a block of exactly that size.
inline int ReadBytesAs(ReadContext& context, const std::string& bytes, TransferMode mode = TransferMode::Open) {
  const FileFormat& format = GetFileFormat(context.format);
  std::vector<std::uint8_t> buffer(bytes.begin(), bytes.end());
  buffer.insert(buffer.end(), format.terminator.begin(), format.terminator.end());
  return format.reader(context, buffer, bytes.size(), mode);
}

inline ReadResultRows ReadRowsAs(int format, const std::string& bytes, TransferMode mode = TransferMode::Open,
                                 const TextCodec* codec = nullptr) {
  DocumentState doc;
  ScriptedUi ui;
  ReadContext context{doc, ui, nullptr, codec, format};
  const int result = ReadBytesAs(context, bytes, mode);
  return {result, Rows(doc), context.format};
}

// The bytes a format's writer gives for doc; the writer is expected to succeed.
inline std::string WriteAs(int format, const DocumentState& doc, TransferMode mode = TransferMode::Save,
                           const TextCodec* codec = nullptr) {
  MemoryFile file;
  BufferedWriter writer(file);
  WriteContext context{doc, writer, mode, nullptr, codec, format};
  EXPECT_EQ(GetFileFormat(format).writer(context), 0) << format;
  return file.bytes;
}

// A row with its coordinates given as decimal degrees ("" leaves a cell empty).
inline std::size_t AddRow(DocumentState& doc, TextView name, TextView lon, TextView lat, EntryStatus status = 2) {
  const std::size_t row = InsertRowRecorded(doc, SIZE_MAX, name, status, false);
  SetCoordinateFromText(doc, row, Axis::Longitude, lon, CoordinateSource::Degrees);
  SetCoordinateFromText(doc, row, Axis::Latitude, lat, CoordinateSource::Degrees);
  return row;
}

struct CommandRun {
  int exitCode = -1;
  std::string out, err;
};

// Runs a shell command, keeping its standard output and error apart.
inline CommandRun RunCommand(const std::string& command) {
  TempFolder scratch;
  CommandRun run;
  FILE* pipe = ::popen((command + " 2>'" + (scratch / "stderr").string() + "'").c_str(), "r");
  if (!pipe) return run;
  for (int c; (c = std::fgetc(pipe)) != EOF;) run.out.push_back(static_cast<char>(c));
  const int status = ::pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.err = ReadBytes(scratch / "stderr");
  return run;
}

inline std::string Quote(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

inline Text ProfileKey(TextView text) {
  Text out(text);
  for (char16_t& c : out)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  return out;
}

// Keeps keys in memory and records every write in order.
class MemoryProfile : public Profile {
 public:
  std::optional<Text> ReadString(TextView section, TextView key) override {
    const auto it = values_.find({ProfileKey(section), ProfileKey(key)});
    if (it == values_.end()) return std::nullopt;
    return it->second;
  }
  bool WriteString(TextView section, TextView key, TextView value) override {
    values_[{ProfileKey(section), ProfileKey(key)}] = Text(value);
    writes.push_back(TextToUtf8(section) + "/" + TextToUtf8(key) + "=" + TextToUtf8(value));
    return true;
  }
  bool DeleteKey(TextView section, TextView key) override {
    if (values_.erase({ProfileKey(section), ProfileKey(key)}) > 0)
      writes.push_back(TextToUtf8(section) + "/" + TextToUtf8(key) + " deleted");
    return true;
  }
  void Set(const char* section, const char* key, TextView value) {
    values_[{ProfileKey(AsciiToText(section)), ProfileKey(AsciiToText(key))}] = Text(value);
  }
  std::vector<std::string> writes;

 private:
  std::map<std::pair<Text, Text>, Text> values_;
};

inline const std::filesystem::path SharedDir() { return WAYLOOM_SHARED_DIR; }

}  // namespace wayloom::testing
