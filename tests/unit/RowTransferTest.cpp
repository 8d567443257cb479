#include <gtest/gtest.h>

#include "EditingTestSupport.h"
#include "editing/RowTransfer.h"

namespace wayloom {
namespace {

using testing::EditFixture;
using testing::ExpectUndoRedo;

std::u16string BlockText(const std::vector<char16_t>& block) { return std::u16string(block.begin(), block.end()); }

TEST(RowTransfer, BlocksHoldTheSelectedRowsInTheirLayoutAndReadBack) {
  EditFixture f({"台北|121.565|25.033|3", "b|||0", "c|-0.5|51.25|2"});
  f.Select({0, 2});
  const std::vector<char16_t> plain = BuildTransferBlock(f.doc, TransferLayout::Plain);
  EXPECT_EQ(plain.size(), 2 * kTransferRowBytes / 2);
  const std::u16string expected(u"台北\0" u"121.56500\0" u"25.03300\0" u"c\0" u"-0.50000\0" u"51.25000\0\0", 43);
  EXPECT_EQ(BlockText(plain).substr(0, 44), expected + u'\0');  // then NULs to the block's size
  const std::vector<char16_t> own = BuildTransferBlock(f.doc, TransferLayout::OwnDrag);
  EXPECT_EQ(own[0], u'\x3');  // a destination: (status & 2) + 1
  const auto rows = ReadTransferBlock(own, TransferLayout::OwnDrag);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(TextToUtf8(rows[0].name), "台北");
  EXPECT_EQ(rows[0].status, 2);
  EXPECT_EQ(TextToUtf8(rows[1].longitude), "-0.50000");
}

TEST(RowTransfer, DamagedBlocksAreReadOnlyAsFarAsTheyHold) {
  const std::u16string name300(300, u'x');
  const struct {
    std::u16string block;
    TransferLayout layout;
    std::size_t rows;
  } cases[] = {
      {std::u16string(u"a\0" u"1\0" u"2\0" u"b\0" u"3", 9), TransferLayout::Plain, 1},  // the last string has no NUL
      {std::u16string(u"a\0" u"1\0" u"2\0" u"x\0", 8), TransferLayout::SiblingDrag, 0},   // a sibling row is cut short
      {std::u16string(u"a\0" u"1\0" u"2\0" u"x\0" u"y\0\0", 11), TransferLayout::SiblingDrag, 1},
      {name300 + std::u16string(u"\0" u"1\0" u"2\0\0", 6), TransferLayout::Plain, 1},
      {std::u16string(u"abc", 3), TransferLayout::OwnDrag, 0},
      {std::u16string(), TransferLayout::Plain, 0},
  };
  for (const auto& c : cases) {
    const auto rows = ReadTransferBlock(std::span<const char16_t>(c.block.data(), c.block.size()), c.layout);
    EXPECT_EQ(rows.size(), c.rows);
    for (const auto& row : rows) EXPECT_LE(row.name.size(), kTransferNameUnits);
  }
}

TEST(RowTransfer, ReceivedRowsGoBeforeTheSelectionWithItsPassedBitAsOneStep) {
  EditFixture f({"base|121|25|2", "p|121.1|25|3", "q|121.2|25|2"});
  f.Pin();
  f.Select({0});  // the pinned base row: the rows go after it
  const std::u16string block(u"n1\0" u"121.3\0" u"25.1\0" u"n2\0\0\0\0", 20);
  ExpectUndoRedo(f, [&] {
    ReceiveTransferRows(f.context, std::span<const char16_t>(block.data(), block.size()), TransferLayout::Plain,
                        std::nullopt);
  });
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"base", "n1", "n2", "p", "q"}));
  EXPECT_EQ(f.Statuses(), (std::vector<int>{2, 3, 3, 3, 2}));  // destinations with p's passed bit
  EXPECT_EQ(f.Selected(), (std::vector<std::size_t>{1, 2}));
  EXPECT_EQ(f.Column(kLongitudeColumn)[1], "121.30000");
}

TEST(RowTransfer, DeviceFavouriteAddressEncodesTheName) {
  EditFixture f({"台北 A&B%c/d|121.565|-25.5|2"});
  EXPECT_EQ(TextToUtf8(DeviceFavouriteAddress(f.doc, 0)),
            "tomtomhome:geo:lat=-25.50000&long=121.56500&name=%E5%8F%B0%E5%8C%97%20A%20B%20c/d");
}

}  // namespace
}  // namespace wayloom
