#include <gtest/gtest.h>

#include "TestSupport.h"
#include "core/CommandStates.h"
#include "core/RowOperations.h"

namespace wayloom {
namespace {

DocumentState Table(int rows, bool pinned, std::initializer_list<std::size_t> selected = {}) {
  DocumentState doc;
  for (int i = 0; i < rows; ++i) {
    InsertRowRecorded(doc, SIZE_MAX, u"row", 2, false);
    SetCoordinateFromText(doc, i, Axis::Longitude, u"1", CoordinateSource::Degrees);
    SetCoordinateFromText(doc, i, Axis::Latitude, u"1", CoordinateSource::Degrees);
  }
  doc.baseRowPinned = pinned;
  doc.table.ClearSelection();
  for (std::size_t row : selected) doc.table.SetSelected(row, true);
  return doc;
}

TEST(UpdateCommandStates, FollowsRowsSelectionAndDocument) {
  const struct { int rows; bool pinned, modified; std::initializer_list<std::size_t> selected; int command; bool enabled; } cases[] = {
      {0, false, false, {}, 1004, false}, {1, true, true, {}, 1003, false}, {1, false, false, {}, 1003, false},
      {1, false, true, {}, 1003, true},   {1, false, false, {}, 1004, true}, {3, false, false, {}, 1015, false},
      {3, false, false, {0, 2}, 1015, true}, {3, false, false, {0, 2}, 1014, false}, {3, false, false, {2}, 1014, true},
      {3, false, false, {0}, 1038, false}, {3, false, false, {1}, 1038, true}, {3, false, false, {2}, 1039, false},
      {2, false, false, {}, 1037, false}, {3, false, false, {}, 1037, true}, {0, false, false, {}, 1013, false},
      // A pinned base row cannot move, and the rows below it cannot move over it; with
      // one row besides it there is nothing to reverse or sort.
      {2, true, false, {1}, 1038, false}, {2, true, false, {1}, 1040, false}, {2, true, false, {1}, 1043, false},
      {2, true, false, {0}, 1039, false}, {2, true, false, {0}, 1041, false}, {2, false, false, {0}, 1039, true},
      {2, false, false, {0}, 1040, true}, {2, false, false, {0}, 1041, true},
  };
  for (const auto& c : cases) {
    DocumentState doc = Table(c.rows, c.pinned, c.selected);
    doc.document.modified = c.modified;
    EXPECT_EQ(UpdateCommandStates(doc, {}, false)[c.command].enabled, c.enabled)
        << c.command << " with " << c.rows << " rows";
  }
}

TEST(UpdateCommandStates, OutsideStateAndTheMenuExtras) {
  DocumentState doc = Table(3, false, {1});
  CommandStateInputs in;
  const auto enabled = [&](std::initializer_list<int> commands, std::vector<bool> result = {}) {
    for (int command : commands) result.push_back(UpdateCommandStates(doc, in, true)[command].enabled);
    return result;
  };
  EXPECT_EQ(enabled({1009, 1019, 1024, 1029, 1021, 1020}), std::vector({false, false, false, false, false, true}));
  in.canUndo = in.rowClipboardAvailable = in.deviceServiceInstalled = in.plainTextOnClipboard = true;
  in.findTextEmpty = false;
  in.toolbarShown = false;
  EXPECT_EQ(enabled({1009, 1019, 1024, 1029, 1021, 1050}), std::vector({true, true, true, true, true, false}));
  EXPECT_FALSE(UpdateCommandStates(doc, in, true)[1049].checked);
  // A selected row without a latitude cannot become a favourite.
  SetCoordinateFromText(doc, 1, Axis::Latitude, u"", CoordinateSource::DegreesClearing);
  doc.settings.Set(Option::ShowDistance, false);
  EXPECT_EQ(enabled({1029, 1042}), std::vector({false, false}));
}

TEST(HeaderMenuCommandStates, SortAndClearFollowTheClickedColumn) {
  DocumentState doc = Table(3, true);
  const auto on = [](const DocumentState& d, int column, int id) { return HeaderMenuCommandStates(d, column)[id].enabled; };
  // The Distance column sorts only with a base row; with one row besides the pinned one
  // there is nothing to sort.
  EXPECT_EQ(std::vector({on(doc, kLatitudeColumn, 1207), on(doc, kLatitudeColumn, 1208), on(doc, kLatitudeColumn, 1213),
                         on(doc, kOrderColumn, 1213), on(doc, -1, 1214), on(doc, kDistanceColumn, 1213)}),
            std::vector({true, false, true, false, false, false}));
  doc.baseRow = 0;
  EXPECT_TRUE(on(doc, kDistanceColumn, 1213));
  DocumentState two = Table(2, true);
  EXPECT_EQ(std::vector({on(two, kNameColumn, 1213), on(two, kNameColumn, 1208)}), std::vector({false, true}));
  two.settings.Set(Option::ShowDistance, false);
  EXPECT_FALSE(on(two, kNameColumn, 1211) || HeaderMenuCommandStates(two, kNameColumn)[1209].checked);
}

}  // namespace
}  // namespace wayloom
