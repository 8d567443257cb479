// Random sequences of the real editing commands as a user gives them, then Undo of every
// group and Redo of every group: the table, the statuses, the base row, the pinned flag
// and the modified flag must come back exactly. A command that changes the table past
// the journal fails here.
#include <gtest/gtest.h>

#include <numeric>
#include <random>

#include "EditingTestSupport.h"
#include "planning/RouteOrder.h"
#include "planning/SortTable.h"

namespace wayloom {
namespace {

using namespace testing;

const char* const kNames[] = {"Stop 2", "Stop 10", "abc", "ABC", "台北", "Home", "x"};
const char* const kLongitudes[] = {"", "121.5", "-0.25", "W 70 15", "10", "181"};
const char* const kLatitudes[] = {"", "25.033", "1", "-33.86782", "N 25 2", "-91"};
const char16_t* const kFinds[] = {u"Stop", u"a", u"1", u".5", u"0"};
const char16_t* const kReplacements[] = {u"", u"B", u"2", u".75", u"|"};

// What Undo must restore. The Distance cells say nothing while the column is hidden, and
// the distance keys nothing while there is no base row (a new row's key is 0 until the
// distances are next computed).
DocumentPicture Visible(const DocumentState& doc) {
  DocumentPicture picture = testing::Picture(doc);
  const bool shown = doc.settings.Get(Option::ShowDistance);
  for (auto& row : picture.rows) {  // name|lon|lat|order|distance|status|key
    std::size_t distance = 0;
    for (int i = 0; i < 4; ++i) distance = row.find('|', distance) + 1;
    const std::size_t status = row.find('|', distance) + 1, key = row.find('|', status) + 1;
    if (!shown || doc.baseRow < 0) row.erase(key);
    if (!shown) row.erase(distance, status - 1 - distance);
  }
  return picture;
}

struct Session {
  // A random start: up to 8 rows, a leading run of them passed, most coordinates given.
  explicit Session(unsigned seed) : random_(seed) {
    f.profile.WriteString(u"Base Points", u"BP List 1", u"Home>121>24");
    f.profile.WriteString(u"Base Points", u"BP List 2", u"Work>-0.5>51.5");
    std::vector<std::string> rows(Pick(9));
    const std::size_t passed = Pick(3);
    for (std::size_t i = 0; i < rows.size(); ++i)
      rows[i] = std::string(Any(kNames)) + "|" + Number() + "|" + Number() + "|" + (i < passed ? "3" : "2");
    if (Chance(30)) f.doc.settings.adjacentDistance = 0;
    f.Load(rows);
    if (Chance(50)) SetBaseRow(f.context, static_cast<long long>(Pick(rows.size() + 1)), false);
    if (Chance(30)) f.doc.SetModified(true);
  }
  std::string Number() { return Chance(85) ? std::to_string(Pick(40)) : ""; }
  std::size_t Pick(std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(random_); }
  bool Chance(int percent) { return static_cast<int>(Pick(100)) < percent; }
  template <typename T, std::size_t N>
  const T& Any(const T (&values)[N]) { return values[Pick(N)]; }
  std::size_t Rows() const { return f.doc.table.RowCount(); }

  void SelectSome() {
    f.doc.table.ClearSelectionAndFocus();
    for (std::size_t i = 0; i < Rows(); ++i) f.doc.table.SetSelected(i, Chance(35));
  }
  void SelectOne() { Rows() > 0 ? f.Select({Pick(Rows())}) : f.doc.table.ClearSelectionAndFocus(); }
  // Texts typed into the editor, Enter or Tab then Enter; refused ones leave the editor open.
  std::string Typed() {
    const int c = f.editor.column;
    return c == kNameColumn ? Any(kNames) : c == kLongitudeColumn ? Any(kLongitudes) : Any(kLatitudes);
  }
  void Type() { Chance(50) ? f.Enter(Typed()) : f.Tab(Typed(), Chance(50)) && f.Enter(Typed()); }
  // A planned route, or a random order with row 0 first as the planner hands it over.
  void Plan() {
    f.ui.plan = PlanOptions{Chance(50), Chance(50), false};
    if (Chance(30)) return PlanRoute(f.context, f.ui, planOptions_, u"");
    std::vector<std::uint32_t> tour(Rows());
    std::iota(tour.begin(), tour.end(), 0u);
    if (tour.size() > 1) std::shuffle(tour.begin() + 1, tour.end(), random_);
    ApplyPlannedOrder(f.context, tour);
  }
  void BasePoints() {
    f.ui.basePoints = [entry = static_cast<long long>(Pick(2)), exportAll = Chance(25)](BasePointDialog& dialog) {
      dialog.SelectOnly(entry);
      const BasePointStep step = dialog.Press(exportAll ? kBasePointExportAll : kBasePointSet);
      return step.closes ? step.result : dialog.Press(kBasePointOk).result;
    };
    MyBasePoints(f.context, f.ui);
  }
  void MergeOrClear() {
    SelectSome();
    const MergeField other = Chance(50) ? MergeField::Text : MergeField::Sequence;
    const Text text = other == MergeField::Text ? u" @" : u"07";
    const MergeFieldsChoice merge = Chance(50) ? MergeFieldsChoice{other, MergeField::Name, text}
                                               : MergeFieldsChoice{MergeField::Name, other, text};
    Chance(50) ? ApplyClearFields(f.context, {Chance(50), Chance(50), Chance(20), Chance(20)}) : ApplyMergeFields(f.context, merge);
  }
  void Replace() {
    search_ = {Any(kFinds), Any(kReplacements), false, Chance(30), true};
    SelectOne();
    if (Chance(50)) return ReplaceNext(f.context, search_);
    f.ui.search = search_;
    wayloom::Replace(f.context, f.ui, search_);
  }

  void Step() {
    switch (Pick(17)) {
      case 0: if (Rows() > 0) BeginCellEdit(f.context, f.editor, Pick(Rows()), static_cast<int>(Pick(3))), Type(); break;
      case 1:  // Esc below abandons a new row without a trace
        Chance(50) ? AddEntry(f.context, f.editor) : (SelectOne(), InsertEntry(f.context, f.editor));
        if (Chance(80)) Type();
        break;
      case 2:
        SelectSome();
        Chance(30) ? CutRows(f.context) : void(CopyRows(f.context));
        Chance(30) ? f.doc.table.ClearSelectionAndFocus() : SelectOne();
        PasteRows(f.context);
        break;
      case 3: {
        const std::u16string text = Chance(80) ? u"25.5, 121.25" : u"nonsense";
        std::vector<std::uint8_t> block;
        for (char16_t unit : text + u'\0') block.insert(block.end(), {std::uint8_t(unit), std::uint8_t(unit >> 8)});
        f.clipboard.blocks = {{ClipboardFormat::UnicodeText, block}};
        SelectSome();
        PasteCoordinates(f.context);
        break;
      }
      case 4: SelectSome(); DeleteSelectedEntries(f.context); break;
      case 5: SelectSome(); SetDestination(f.context, Chance(50)); break;
      case 6: SelectOne(); SetPassed(f.context, Chance(60)); break;
      case 7: SelectOne(); Chance(50) ? MoveUp(f.context) : MoveDown(f.context); break;
      case 8: ReverseRoute(f.context); break;
      case 9: HeaderClick(f.context, static_cast<int>(Pick(kColumnCount))); break;
      case 10: SortNames(f.context, Chance(50)); break;
      case 11: Plan(); break;
      case 12: SelectOne(); SetBasePointFromSelection(f.context); break;
      case 13: BasePoints(); break;
      case 14: MergeOrClear(); break;
      case 15: Replace(); break;
      default: Chance(50) ? NudgeCoordinates(f.context, f.clock) : ToggleDistanceColumn(f.context); break;
    }
    if (f.editor.open) f.Esc();
  }

  EditFixture f;
  std::mt19937 random_;
  PlanOptions planOptions_;
  SearchOptions search_;
};

TEST(UndoProperty, UndoingEveryGroupRestoresTheDocumentAndRedoingEveryGroupRepeatsIt) {
  for (unsigned seed = 1; seed <= 2000; ++seed) {
    Session session(seed);
    EditFixture& f = session.f;
    const DocumentPicture start = Visible(f.doc);

    const int steps = 1 + static_cast<int>(session.Pick(30));  // at most two groups each
    for (int i = 0; i < steps; ++i) {
      session.Step();
      ASSERT_TRUE(PassedRowsLead(f.doc)) << "seed " << seed << " step " << i;
      ASSERT_LT(f.doc.baseRow, static_cast<long long>(f.doc.table.RowCount())) << "seed " << seed;
    }
    const DocumentPicture end = Visible(f.doc);

    int undone = 0;
    for (; CanUndo(f.doc.journal); ++undone) Undo(f.context);
    ASSERT_EQ(Visible(f.doc), start) << "seed " << seed << " after " << undone << " undos";
    while (CanRedo(f.doc.journal)) Redo(f.context);
    ASSERT_EQ(Visible(f.doc), end) << "seed " << seed;
  }
}

}  // namespace
}  // namespace wayloom
