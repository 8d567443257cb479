#include <gtest/gtest.h>

#include "EditingTestSupport.h"
#include "planning/RowDrag.h"

namespace wayloom {
namespace {

using testing::EditFixture;
using testing::ExpectUndoRedo;

const std::vector<std::string> kFive = {"a|121.0|25.0|2", "b|121.1|25.0|0", "c|121.2|25.0|2", "d|121.3|25.0|0",
                                        "e|121.4|25.0|2"};

TEST(RowDrag, DropPositionAndEffectFollowTheSelection) {
  const struct {
    std::initializer_list<std::size_t> selected;
    long long hit;
    bool copy;
    bool pinned;
    std::size_t drop;
    DragEffect effect;
  } cases[] = {
      {{1, 2}, -1, false, false, 5, DragEffect::Move},  // below the last row: the end
      {{1, 2}, 1, false, false, 1, DragEffect::None},   // onto itself
      {{1, 2}, 3, false, false, 3, DragEffect::None},   // directly after the block
      {{1, 2}, 4, false, false, 4, DragEffect::Move},
      {{1, 2}, 0, false, false, 0, DragEffect::Move},
      {{1, 2}, 2, true, false, 2, DragEffect::Copy},    // Ctrl copies even onto itself
      {{1, 3}, 2, false, false, 2, DragEffect::Move},   // not one block: always a move
      {{2}, 0, false, true, 1, DragEffect::Move},       // the pinned base row stays first
      {{0, 1}, 4, false, true, 4, DragEffect::None},    // a drag starting at the pinned row
      {{}, 4, true, false, 4, DragEffect::None},
  };
  for (const auto& c : cases) {
    EditFixture f(kFive);
    if (c.pinned) f.Pin();
    f.Select(c.selected);
    const std::size_t drop = DropPosition(f.doc, c.hit);
    EXPECT_EQ(drop, c.drop) << "hit " << c.hit;
    EXPECT_EQ(InsideDragEffect(f.doc, drop, c.copy), c.effect) << "hit " << c.hit << " copy " << c.copy;
  }
}

TEST(RowDrag, MoveKeepsDestinationBitsTakesThePassedBitAndCarriesTheBaseRow) {
  EditFixture f({"a|121.0|25.0|3", "b|121.1|25.0|1", "c|121.2|25.0|2", "d|121.3|25.0|0", "e|121.4|25.0|2"});
  SetBaseRow(f.context, 3, false);
  f.Select({3, 4});
  ExpectUndoRedo(f, [&] { DropSelectedRows(f.context, 1, DragEffect::Move); });
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"a", "d", "e", "b", "c"}));
  EXPECT_EQ(f.Statuses(), (std::vector<int>{3, 1, 3, 1, 2}));  // the passed bit of b, where they landed
  EXPECT_EQ(f.Selected(), (std::vector<std::size_t>{1, 2}));
  EXPECT_EQ(f.doc.baseRow, 1);  // d, the base row, moved with its copy
  EXPECT_EQ(f.Column(kOrderColumn), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
  EXPECT_TRUE(f.doc.document.modified);
}

TEST(RowDrag, CopyAndMoveDownwardsAcrossTheBlockAndUndoAsOneStep) {
  EditFixture f(kFive);
  f.Select({0, 2});
  ExpectUndoRedo(f, [&] { DropSelectedRows(f.context, 4, DragEffect::Copy); });
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"a", "b", "c", "d", "a", "c", "e"}));
  EXPECT_EQ(f.Selected(), (std::vector<std::size_t>{4, 5}));  // the sources are deselected

  EditFixture g(kFive);
  g.Select({0, 1});
  ExpectUndoRedo(g, [&] { DropSelectedRows(g.context, 5, DragEffect::Move); });
  EXPECT_EQ(g.Names(), (std::vector<std::string>{"c", "d", "e", "a", "b"}));
  // A drop the rules refuse changes nothing.
  g.Select({3, 4});
  const auto before = testing::Picture(g.doc);
  DropSelectedRows(g.context, 5, DragEffect::Move);
  EXPECT_EQ(testing::Picture(g.doc), before);
}

}  // namespace
}  // namespace wayloom
