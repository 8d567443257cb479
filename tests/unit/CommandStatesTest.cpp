#include <gtest/gtest.h>

#include "TestSupport.h"
#include "core/CommandStates.h"
#include "core/RowOperations.h"

namespace wayloom {
namespace {

DocumentState Table(int rows, bool pinned) {
  DocumentState doc;
  for (int i = 0; i < rows; ++i) {
    InsertRowRecorded(doc, SIZE_MAX, u"row", 2, false);
    SetCoordinateFromText(doc, i, Axis::Longitude, u"1", CoordinateSource::Degrees);
    SetCoordinateFromText(doc, i, Axis::Latitude, u"1", CoordinateSource::Degrees);
  }
  doc.baseRowPinned = pinned;
  return doc;
}

void Select(DocumentState& doc, std::initializer_list<std::size_t> rows) {
  doc.table.ClearSelection();
  for (std::size_t row : rows) doc.table.SetSelected(row, true);
}

TEST(UpdateCommandStates, FollowsRowsSelectionAndDocument) {
  struct Case {
    int rows;
    bool pinned, modified;
    std::initializer_list<std::size_t> selected;
    int command;
    bool enabled;
  } cases[] = {
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
    DocumentState doc = Table(c.rows, c.pinned);
    doc.document.modified = c.modified;
    Select(doc, c.selected);
    EXPECT_EQ(UpdateCommandStates(doc, {}, false)[c.command].enabled, c.enabled)
        << c.command << " with " << c.rows << " rows";
  }
}

TEST(UpdateCommandStates, OutsideStateAndTheMenuExtras) {
  DocumentState doc = Table(3, false);
  Select(doc, {1});
  CommandStateInputs in;
  CommandStates states = UpdateCommandStates(doc, in, true);
  EXPECT_FALSE(states[1009].enabled);
  EXPECT_FALSE(states[1019].enabled);
  EXPECT_FALSE(states[1024].enabled);
  EXPECT_FALSE(states[1029].enabled);
  EXPECT_FALSE(states[1021].enabled);
  EXPECT_TRUE(states[1020].enabled);
  in.canUndo = in.rowClipboardAvailable = in.deviceServiceInstalled = in.plainTextOnClipboard = true;
  in.findTextEmpty = false;
  in.toolbarShown = false;
  states = UpdateCommandStates(doc, in, true);
  EXPECT_TRUE(states[1009].enabled && states[1019].enabled && states[1024].enabled && states[1029].enabled);
  EXPECT_TRUE(states[1021].enabled);
  EXPECT_FALSE(states[1050].enabled);
  EXPECT_FALSE(states[1049].checked);
  // A selected row without a latitude cannot become a favourite.
  SetCoordinateFromText(doc, 1, Axis::Latitude, u"", CoordinateSource::DegreesClearing);
  EXPECT_FALSE(UpdateCommandStates(doc, in, true)[1029].enabled);
  doc.settings.Set(Option::ShowDistance, false);
  EXPECT_FALSE(UpdateCommandStates(doc, in, true)[1042].enabled);
}

TEST(HeaderMenuCommandStates, SortAndClearFollowTheClickedColumn) {
  DocumentState doc = Table(3, true);
  HeaderMenuStates states = HeaderMenuCommandStates(doc, kLatitudeColumn);
  EXPECT_TRUE(states[1207].enabled);
  EXPECT_FALSE(states[1208].enabled);
  EXPECT_TRUE(states[1213].enabled);
  EXPECT_FALSE(HeaderMenuCommandStates(doc, kOrderColumn)[1213].enabled);
  EXPECT_FALSE(HeaderMenuCommandStates(doc, -1)[1214].enabled);
  EXPECT_FALSE(HeaderMenuCommandStates(doc, kDistanceColumn)[1213].enabled);  // no base row
  doc.baseRow = 0;
  EXPECT_TRUE(HeaderMenuCommandStates(doc, kDistanceColumn)[1213].enabled);
  DocumentState two = Table(2, true);  // one row besides the pinned one
  EXPECT_FALSE(HeaderMenuCommandStates(two, kNameColumn)[1213].enabled);
  EXPECT_TRUE(HeaderMenuCommandStates(two, kNameColumn)[1208].enabled);
  two.settings.Set(Option::ShowDistance, false);
  EXPECT_FALSE(HeaderMenuCommandStates(two, kNameColumn)[1211].enabled);
  EXPECT_FALSE(HeaderMenuCommandStates(two, kNameColumn)[1209].checked);
}

}  // namespace
}  // namespace wayloom
