// Random sequences of commands as a user makes them, then Undo of every group and Redo of
// every group: the table, the statuses, the base row and the modified flag must come
// back exactly.
#include <gtest/gtest.h>

#include <random>

#include "EditingTestSupport.h"
#include "editing/UndoCommands.h"
#include "planning/Distances.h"
#include "planning/RouteOrder.h"
#include "planning/SortTable.h"

namespace wayloom {
namespace {

using testing::DocumentPicture;
using testing::EditFixture;

const char* const kNames[] = {"Stop 2", "Stop 10", "abc", "ABC", "台北", "Home", "x"};
const char* const kLongitudes[] = {"", "121.50000", "-0.25000", "121.50000", "10.00000"};
const char* const kLatitudes[] = {"", "25.03300", "1.00000", "-33.86782", "25.03300"};

// What Undo must restore. The Distance cells say nothing while the column is hidden, and
// the distance keys nothing while there is no base row (a new row's key is 0 until the
// distances are next computed).
DocumentPicture Visible(const DocumentState& doc) {
  DocumentPicture picture = testing::Picture(doc);
  const bool shown = doc.settings.Get(Option::ShowDistance);
  for (auto& row : picture.rows) {
    // name|lon|lat|order|distance|status|key
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t bar; (bar = row.find('|', start)) != std::string::npos; start = bar + 1)
      fields.push_back(row.substr(start, bar - start));
    fields.push_back(row.substr(start));
    if (!shown) fields[4].clear();
    if (!shown || doc.baseRow < 0) fields[6].clear();
    row.clear();
    for (const auto& field : fields) row.append(field).append("|");
  }
  return picture;
}

bool PassedRowsLead(const DocumentState& doc) {
  bool toPassSeen = false;
  for (std::size_t i = 0; i < doc.table.RowCount(); ++i) {
    const bool passed = (doc.table.Row(i).status & kStatusPassed) != 0;
    if (passed && toPassSeen) return false;
    toPassSeen = toPassSeen || !passed;
  }
  return true;
}

class Session {
 public:
  explicit Session(unsigned seed) : random_(seed) {}

  EditFixture f;

  std::size_t Pick(std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(random_); }
  bool Chance(int percent) { return static_cast<int>(Pick(100)) < percent; }
  std::size_t Rows() const { return f.doc.table.RowCount(); }
  std::size_t FirstMovable() const { return f.doc.baseRowPinned ? 1 : 0; }

  void SelectSome() {
    f.doc.table.ClearSelectionAndFocus();
    for (std::size_t i = 0; i < Rows(); ++i)
      if (Chance(35)) f.doc.table.SetSelected(i, true);
  }

  void SelectOne() {
    f.doc.table.ClearSelectionAndFocus();
    if (Rows() == 0) return;
    const std::size_t row = Pick(Rows());
    f.doc.table.SetSelected(row, true);
    f.doc.table.SetFocused(row);
  }

  void MarkModified(std::size_t row) {
    if (!(row == 0 && f.doc.baseRowPinned)) f.doc.SetModified(true);
  }

  // The commit of one in-place cell edit.
  void EditCell() {
    if (Rows() == 0) return;
    const std::size_t row = Pick(Rows());
    const int column = static_cast<int>(Pick(3));
    Text text;
    if (column == kNameColumn) {
      text = Utf8ToText(kNames[Pick(std::size(kNames))]);
    } else {
      text = Utf8ToText(column == kLongitudeColumn ? kLongitudes[Pick(std::size(kLongitudes))]
                                                   : kLatitudes[Pick(std::size(kLatitudes))]);
      if (text.empty() && row == 0 && f.doc.baseRowPinned) return;  // refused by the editor
    }
    BeginUndoGroup(f.doc.journal);
    if (f.doc.table.Cell(row, column) == text) return;
    SetCellRecorded(f.doc, row, column, text);
    if (column != kNameColumn) {
      RenumberOrder(f.doc.table);
      if (f.doc.baseRow >= 0) UpdateRowDistance(f.context, row);
    }
    MarkModified(row);
  }

  // Rows pasted at one place, each selected; the base row moves down past them.
  void Paste() {
    const std::size_t count = 1 + Pick(3);
    const std::size_t at = FirstMovable() + Pick(Rows() - FirstMovable() + 1);
    BeginUndoGroup(f.doc.journal);
    f.doc.table.ClearSelectionAndFocus();
    for (std::size_t k = 0; k < count; ++k) {
      const std::size_t index = at + k;
      const EntryStatus passed = index < Rows() ? (f.doc.table.Row(index).status & kStatusPassed) : 0;
      const std::size_t row = InsertRowRecorded(f.doc, index, Utf8ToText(kNames[Pick(std::size(kNames))]),
                                                kStatusDestination | passed, true);
      SetCellRecorded(f.doc, row, kLongitudeColumn, Utf8ToText(kLongitudes[Pick(std::size(kLongitudes))]));
      SetCellRecorded(f.doc, row, kLatitudeColumn, Utf8ToText(kLatitudes[Pick(std::size(kLatitudes))]));
      if (f.doc.baseRow >= static_cast<long long>(row)) ++f.doc.baseRow;
    }
    RenumberOrder(f.doc.table);
    SetBaseRow(f.context, -1, false);
    f.doc.SetModified(true);
  }

  // Add or insert (1011, 1012): the new row's insert is held until the row is named; Esc
  // abandons it without a trace.
  void AddRow() {
    SelectOne();
    std::size_t at = Rows();
    if (Chance(50) && Rows() > 0) {
      at = static_cast<std::size_t>(f.doc.table.FirstSelected());
      if (at == 0 && f.doc.baseRowPinned) at = 1;
    }
    const EntryStatus passed = at < Rows() ? (f.doc.table.Row(at).status & kStatusPassed) : 0;
    HoldNextRecord(f.doc.journal);
    const std::size_t row = InsertRowRecorded(f.doc, at, u"", kStatusDestination | passed, true);
    if (f.doc.baseRow >= static_cast<long long>(row)) ++f.doc.baseRow;
    if (f.doc.baseRow >= 0) {
      ComputeDistances(f.context, static_cast<long long>(row), false);
      if (f.doc.settings.adjacentDistance != 0) ComputeDistances(f.context, static_cast<long long>(row) + 1, false);
    }
    BeginUndoGroup(f.doc.journal);  // the editor opens on the new row
    if (Chance(20)) {
      DiscardHeldRecord(f.doc.journal);
      f.doc.table.Remove(row);
      if (f.doc.baseRow > static_cast<long long>(row)) --f.doc.baseRow;
      RenumberOrder(f.doc.table);
      SetBaseRow(f.context, f.doc.baseRow, false);
      return;
    }
    CommitHeldRecord(f.doc.journal);
    SetCellRecorded(f.doc, row, kNameColumn, Utf8ToText(kNames[Pick(std::size(kNames))]));
    MarkModified(row);
  }

  // Delete (1015): every selected row, from the top down.
  void Delete() {
    SelectSome();
    std::vector<std::uint32_t> rows;
    for (std::size_t i = 0; i < Rows(); ++i)
      if (f.doc.table.Row(i).selected) rows.push_back(static_cast<std::uint32_t>(i));
    if (rows.empty()) return;
    BeginUndoGroup(f.doc.journal);
    const bool onlyPinned = rows.size() == 1 && rows[0] == 0 && f.doc.baseRowPinned;
    if (rows[0] == 0 && f.doc.baseRowPinned) f.doc.baseRowPinned = false;
    DeleteRowsRecorded(f.doc, rows);
    RenumberOrder(f.doc.table);
    SetBaseRow(f.context, -1, false);
    if (!onlyPinned) f.doc.SetModified(true);
  }

  // Set base point (1041).
  void SetBasePoint() {
    SelectOne();
    const long long first = f.doc.table.FirstSelected();
    if (first < 0 || !f.doc.settings.Get(Option::ShowDistance) || (first == 0 && f.doc.baseRowPinned) ||
        !f.doc.table.Row(static_cast<std::size_t>(first)).HasBothCoordinates())
      return;
    BeginUndoGroup(f.doc.journal);
    if (f.doc.baseRowPinned) {
      DeleteRowRecorded(f.doc, 0);
      f.doc.baseRowPinned = false;
      RenumberOrder(f.doc.table);
    }
    const long long row = f.doc.table.FirstSelected();
    RecordBaseRowChange(f.doc, row);
    SetBaseRow(f.context, row, true);
  }

  // A base point put at the top as the pinned row (my base points, 5351).
  void PinBasePoint() {
    if (f.doc.baseRowPinned || !f.doc.settings.Get(Option::ShowDistance)) return;
    BeginUndoGroup(f.doc.journal);
    const EntryStatus passed = Rows() > 0 ? (f.doc.table.Row(0).status & kStatusPassed) : 0;
    f.doc.baseRowPinned = true;
    InsertRowRecorded(f.doc, 0, u"Base point", kStatusDestination | passed, false);
    SetCellRecorded(f.doc, 0, kLongitudeColumn, u"121.00000");
    SetCellRecorded(f.doc, 0, kLatitudeColumn, u"24.00000");
    f.doc.table.ClearSelectionAndFocus();
    f.doc.table.SetSelected(0, true);
    f.doc.table.SetFocused(0);
    RenumberOrder(f.doc.table);
    SetBaseRow(f.context, 0, true);
  }

  void Step() {
    switch (Pick(13)) {
      case 12: AddRow(); break;
      case 0: EditCell(); break;
      case 1: Paste(); break;
      case 2: Delete(); break;
      case 3: SelectSome(); SetDestination(f.context, Chance(50)); break;
      case 4: SelectOne(); SetPassed(f.context, Chance(60)); break;
      case 5: SelectOne(); Chance(50) ? MoveUp(f.context) : MoveDown(f.context); break;
      case 6: ReverseRoute(f.context); break;
      case 7: HeaderClick(f.context, static_cast<int>(Pick(kColumnCount))); break;
      case 8: SortNames(f.context, Chance(50)); break;
      case 9: SetBasePoint(); break;
      case 10: if (Chance(30)) ToggleDistanceColumn(f.context); break;
      default: PinBasePoint(); break;
    }
  }

 private:
  std::mt19937 random_;
};

TEST(UndoProperty, UndoingEveryGroupRestoresTheDocumentAndRedoingEveryGroupRepeatsIt) {
  for (unsigned seed = 1; seed <= 1000; ++seed) {
    Session session(seed);
    EditFixture& f = session.f;
    std::vector<std::string> rows;
    const std::size_t count = session.Pick(9);
    const std::size_t passed = session.Pick(3);  // a leading run
    for (std::size_t i = 0; i < count; ++i)
      rows.push_back(std::string(kNames[session.Pick(std::size(kNames))]) + "|" +
                     (session.Chance(80) ? std::to_string(session.Pick(40)) : "") + "|" +
                     (session.Chance(80) ? std::to_string(session.Pick(40)) : "") + "|" +
                     std::to_string(i < passed ? 3 : 2));
    if (session.Chance(30)) f.doc.settings.adjacentDistance = 0;
    f.Load(rows);
    if (session.Chance(50)) SetBaseRow(f.context, static_cast<long long>(session.Pick(count + 1)), false);
    if (session.Chance(30)) f.doc.SetModified(true);
    const DocumentPicture start = Visible(f.doc);

    const int steps = 1 + static_cast<int>(session.Pick(40));
    for (int i = 0; i < steps; ++i) {
      session.Step();
      ASSERT_TRUE(PassedRowsLead(f.doc)) << "seed " << seed << " step " << i;
      ASSERT_TRUE(f.doc.baseRow < static_cast<long long>(f.doc.table.RowCount())) << "seed " << seed;
    }
    const DocumentPicture end = Visible(f.doc);

    int undone = 0;
    while (CanUndo(f.doc.journal)) {
      Undo(f.context);
      ++undone;
    }
    ASSERT_EQ(Visible(f.doc), start) << "seed " << seed << " after " << undone << " undos";
    while (CanRedo(f.doc.journal)) Redo(f.context);
    ASSERT_EQ(Visible(f.doc), end) << "seed " << seed;
  }
}

}  // namespace
}  // namespace wayloom
