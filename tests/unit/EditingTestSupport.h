// Helpers for the tests of editing and planning commands: a document with a command
// context, a Ui that remembers what the commands showed, a map that counts its calls.
#pragma once

#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/RowOperations.h"
#include "editing/DocumentCommands.h"
#include "planning/Distances.h"
#include "platform/posix/PortableCollation.h"
#include "platform/posix/PosixFileStore.h"

namespace wayloom::testing {

class RecordingUi : public ScriptedUi {
 public:
  void PressToolbarButton(int command, bool pressed) override {
    (pressed ? pressedButtons : releasedButtons).push_back(command);
  }
  void ShowSortArrow(int column, bool ascending) override {
    arrowColumn = column;
    arrowAscending = ascending;
  }
  void EnsureRowVisible(long long row) override { scrolledTo.push_back(row); }
  void SuspendRedraw(bool suspend) override { redrawSuspended = suspend; }
  void FitColumn(int column, bool explicitFit) override { fitted.push_back(column); }

  std::vector<int> pressedButtons, releasedButtons;
  int arrowColumn = -2;  // -2: never set
  bool arrowAscending = false;
  std::vector<long long> scrolledTo;
  bool redrawSuspended = false;
  std::vector<int> fitted;
};

class CountingMap : public MapLink {
 public:
  void SyncAll(const DocumentState&) override { ++syncs; }
  void SetOption(int option) override { options.push_back(option); }
  int syncs = 0;
  std::vector<int> options;
};

struct EditFixture {
  EditFixture() {
    doc.collation = &collation;
    doc.map = &map;
  }

  // Rows "name|longitude|latitude|status" (coordinates in degrees, either may be empty),
  // added as opening a file adds them: without undo records, then numbered and with the
  // distances computed. The document is unmodified.
  void Load(const std::vector<std::string>& rows) {
    SuspendRecording(doc.journal);
    for (const std::string& row : rows) {
      std::vector<std::string> fields(1);
      for (char c : row) c == '|' ? void(fields.emplace_back()) : fields.back().push_back(c);
      fields.resize(4);
      const int status = fields[3].empty() ? kStatusDestination : std::stoi(fields[3]);
      const std::size_t index =
          InsertRowRecorded(doc, SIZE_MAX, Utf8ToText(fields[0]), static_cast<EntryStatus>(status), false);
      SetCoordinateFromText(doc, index, Axis::Longitude, Utf8ToText(fields[1]), CoordinateSource::Degrees);
      SetCoordinateFromText(doc, index, Axis::Latitude, Utf8ToText(fields[2]), CoordinateSource::Degrees);
    }
    RenumberOrder(doc.table);
    SetBaseRow(context, -1, false);
    doc.SetModified(false);
  }

  void Select(std::initializer_list<std::size_t> rows) {
    doc.table.ClearSelectionAndFocus();
    for (std::size_t row : rows) doc.table.SetSelected(row, true);
    if (rows.size() > 0) doc.table.SetFocused(*rows.begin());
  }

  std::vector<std::size_t> Selected() const {
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < doc.table.RowCount(); ++i)
      if (doc.table.Row(i).selected) rows.push_back(i);
    return rows;
  }

  std::vector<std::string> Names() const { return Column(kNameColumn); }

  std::vector<int> Statuses() const {
    std::vector<int> statuses;
    for (std::size_t i = 0; i < doc.table.RowCount(); ++i) statuses.push_back(doc.table.Row(i).status);
    return statuses;
  }

  std::vector<std::string> Column(int column) const {
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < doc.table.RowCount(); ++i) texts.push_back(TextToUtf8(doc.table.Cell(i, column)));
    return texts;
  }

  DocumentState doc;
  RecordingUi ui;
  PosixFileStore files;
  CommandContext context{doc, ui, files};
  PortableCollation collation;
  CountingMap map;
};

// Everything undo must bring back: every cell, status and distance key, the base row, the
// pinned flag and the modified flag.
struct DocumentPicture {
  std::vector<std::string> rows;
  long long baseRow;
  bool pinned;
  bool modified;
  bool operator==(const DocumentPicture&) const = default;
};

inline DocumentPicture Picture(const DocumentState& doc) {
  DocumentPicture picture{{}, doc.baseRow, doc.baseRowPinned, doc.document.modified};
  for (std::size_t i = 0; i < doc.table.RowCount(); ++i) {
    const ItineraryEntry& entry = doc.table.Row(i);
    std::string row;
    for (int column = 0; column < kColumnCount; ++column) row += TextToUtf8(entry.Cell(column)) + "|";
    picture.rows.push_back(row + std::to_string(entry.status) + "|" + std::to_string(entry.sortKey));
  }
  return picture;
}

inline void PrintTo(const DocumentPicture& picture, std::ostream* out) {
  *out << "base " << picture.baseRow << (picture.pinned ? " pinned" : "") << (picture.modified ? " modified" : "");
  for (const auto& row : picture.rows) *out << "\n  " << row;
}

}  // namespace wayloom::testing
