// The bridge between the table and the map page, against a page that records every
// PutGoogleMaps call and answers GetGoogleMaps from a queue of messages.
#include <deque>

#include "EditingTestSupport.h"
#include "map/ScriptBridge.h"

namespace wayloom::testing {
namespace {

class FakePage : public ScriptHost {
 public:
  std::optional<Text> Call(TextView name, const std::vector<ScriptArg>& args) override {
    if (name == u"GetGoogleMaps") {
      if (messages.empty()) return Text();
      Text message = messages.front();
      messages.pop_front();
      return message;
    }
    std::string call;
    for (const ScriptArg& arg : args) {
      if (!call.empty()) call += ",";
      call += std::holds_alternative<int>(arg) ? std::to_string(std::get<int>(arg)) : TextToUtf8(std::get<Text>(arg));
    }
    puts.push_back(call);
    const int command = std::get<int>(args[0]);
    // A flush question from marker n - 17 on: the next changed marker queues its change.
    if (command >= 18) {
      for (auto& [marker, change] : changedNames) {
        if (marker >= command - 17) {
          messages.push_back(change);
          const int number = marker;
          changedNames.erase(marker);
          return AsciiToText(std::to_string(number));
        }
      }
    }
    return u"0";
  }
  void Queue(const std::string& message) { messages.push_back(Utf8ToText(message)); }
  std::deque<Text> messages;
  std::vector<std::string> puts;
  std::map<int, Text> changedNames;
};

class FakePane : public MapPane {
 public:
  bool PaneVisible() const override { return visible; }
  void ClosePane() override {
    visible = false;
    ++closed;
  }
  void RestoreStatusText() override { status = "(normal)"; }
  void ShowHint(TextView text) override { status = TextToUtf8(text); }
  bool visible = true;
  int closed = 0;
  std::string status;
};

struct BridgeFixture : EditFixture {
  explicit BridgeFixture(const std::vector<std::string>& rows) : EditFixture(rows) {
    doc.map = &bridge;
    bridge.PageNavigated(&page);
  }
  void Ready() {
    page.Queue("Wayloom");
    bridge.Poll();
    page.puts.clear();
  }
  void Message(const std::string& text) {
    page.Queue(text);
    bridge.Poll();
  }
  FakePage page;
  FakePane pane;
  ScriptBridge bridge{context, editor, pane};
};

const std::vector<std::string> kFour = {"台北|121.565|25.033", "無座標||", "高雄|120.30123|22.62|2", "基隆|121.74|25.13|1"};

TEST(ScriptBridge, NothingReachesAPageBeforeItIsReadyAndTheFailureTokenClosesThePane) {
  BridgeFixture f(kFour);
  f.page.Queue("某個訊息");
  f.bridge.Poll();
  MapSyncAll(f.doc);
  MapSelectEntry(f.doc);
  EXPECT_TRUE(f.page.puts.empty());
  EXPECT_FALSE(f.bridge.PageReady());

  f.page.Queue("Wayloom");
  f.bridge.Poll();
  EXPECT_TRUE(f.bridge.PageReady());
  EXPECT_TRUE(f.doc.selectPending);  // the selection is pushed on this tick
  EXPECT_EQ(f.pane.status, "(normal)");

  f.bridge.PageNavigated(&f.page);  // a new page: not ready again
  f.page.Queue("Terminate Google Maps");
  f.bridge.Poll();
  EXPECT_EQ(f.pane.closed, 1);
  MapSyncAll(f.doc);
  EXPECT_TRUE(f.page.puts.empty());
}

TEST(ScriptBridge, SyncNumbersOnlyRowsWithCoordinatesAndSelectionFollowsThatNumbering) {
  BridgeFixture f(kFour);
  ReformatAllCoordinates(f.doc, CoordinateSwitch::Dms);
  ReformatAllCoordinates(f.doc, CoordinateSwitch::Compass);
  f.Ready();
  MapSyncAll(f.doc);
  EXPECT_EQ(f.page.puts, (std::vector<std::string>{"0,1,台北,121.56500,25.03300,1", "0,2,高雄,120.30123,22.62000,1",
                                                   "0,3,基隆,121.74000,25.13000,0", "0,-4"}));
  f.page.puts.clear();
  for (std::size_t row : {1, 3}) {
    f.Select({row});
    MapSelectEntry(f.doc);
  }
  EXPECT_EQ(f.page.puts, (std::vector<std::string>{"1,0", "1,3"}));
}

TEST(ScriptBridge, MarkersAddedOnTheMapBecomeRowsAsOneUndoStep) {
  struct Case {
    const char* what;
    std::vector<std::size_t> selected;
    bool pinned;
    std::string message;
    std::size_t newRow;
    int status;
  };
  const Case cases[] = {
      {"added at the end", {1}, false, "<\t0\t新行程 12/5 PM 10:05:09\t121.50000\t-0.00000", 4, kStatusDestination},
      {"inserted before a passed row", {3}, false, "<\t1\t新地點\t121.50000\t25.00000", 3, kStatusDestination | kStatusPassed},
      {"inserted after the pinned base", {0}, true, "<\t1\t新地點\t121.50000\t25.00000", 1, kStatusDestination},
      {"inserted at the end with nothing selected", {}, false, "<\t1\t新地點\t121.5\t25", 4, kStatusDestination},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BridgeFixture f(kFour);
    if (c.pinned) f.Pin();
    f.doc.table.ClearSelectionAndFocus();
    for (std::size_t row : c.selected) f.doc.table.SetSelected(row, true);
    const DocumentPicture before = Picture(f.doc);
    f.Ready();
    f.Message(c.message);
    ASSERT_EQ(f.doc.table.RowCount(), 5u);
    EXPECT_EQ(f.doc.table.Row(c.newRow).status, c.status);
    EXPECT_EQ(f.Selected(), std::vector<std::size_t>{c.newRow});
    EXPECT_TRUE(f.doc.document.modified);
    EXPECT_FALSE(f.doc.selectPending);
    if (c.message.ends_with("-0.00000")) {
      EXPECT_EQ(f.Column(kLatitudeColumn)[c.newRow], "0.00000");
    }
    EXPECT_EQ(f.page.puts.back(), "0,-5");  // the markers synchronised once more
    Undo(f.context);
    EXPECT_EQ(Picture(f.doc), before);
  }
}

TEST(ScriptBridge, ChangeSelectDeleteAndEditFindTheirRowByNameAndFiveDecimalPosition) {
  BridgeFixture f(kFour);
  f.Ready();
  // A latitude that differs in the fifth decimal matches nothing.
  f.Message("<\t4\t高雄\t120.30123\t22.62001");
  EXPECT_EQ(f.doc.table.RowCount(), 4u);

  f.Message("<\t3\t高雄\t120.30123\t22.62000");
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{2});
  EXPECT_FALSE(f.doc.document.modified);

  f.Message("<\t2\t基隆\t121.74000\t25.13000\t基隆@港\t121.75000\t25.14000");
  EXPECT_EQ(f.Rows()[3], "基隆@港|121.75000|25.14000|1");
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{3});

  f.Message("<\t4\t台北\t121.56500\t25.03300");
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"無座標", "高雄", "基隆@港"}));
  EXPECT_EQ(f.Column(kOrderColumn), (std::vector<std::string>{"", "1", "2"}));

  f.Message("<\t5\t高雄\t120.30123\t22.62000\t2");
  ASSERT_TRUE(f.editor.open);
  EXPECT_EQ(f.editor.row, 1u);
  EXPECT_EQ(f.editor.column, kLatitudeColumn);

  // A change arriving while a cell is edited cancels the edit and changes nothing.
  const DocumentPicture editing = Picture(f.doc);
  f.Message("<\t2\t高雄\t120.30123\t22.62000\t別的\t1\t2");
  EXPECT_FALSE(f.editor.open);
  EXPECT_EQ(Picture(f.doc), editing);

  // Three undo steps: the delete, the change, and nothing more (select and edit record none).
  Undo(f.context);
  Undo(f.context);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"台北", "無座標", "高雄", "基隆"}));
}

TEST(ScriptBridge, MessagesOfAnyOtherShapeAreDropped) {
  BridgeFixture f(kFour);
  f.Ready();
  const DocumentPicture before = Picture(f.doc);
  const std::string oversized = "<\t0\t" + std::string(5000, 'x') + "\t121\t25";
  for (const std::string& bad : {std::string("<\t9\tx\t1\t2"), std::string("<\t0\tx\t1"), std::string("<\t0\tx\t1\t2\t3"),
                                 std::string("<\t5\t台北\t121.56500\t25.03300\t7"), std::string("<0\tx\t1\t2"),
                                 std::string(">\t0\tx\t1\t2"), std::string("<\t2\ta\tb\tc\td\te\tf\tg"), oversized,
                                 std::string("<\t0\t \t121\t25")}) {
    SCOPED_TRACE(bad);
    f.Message(bad);
    EXPECT_EQ(Picture(f.doc).rows, before.rows);
  }
}

TEST(ScriptBridge, FlushingNamesAppliesEveryChangedNameAsOneUndoStep) {
  BridgeFixture f(kFour);
  f.Ready();
  f.page.changedNames[1] = u"<\t2\t台北\t121.56500\t25.03300\t台北@信義路\t121.56500\t25.03300";
  f.page.changedNames[3] = u"<\t2\t基隆\t121.74000\t25.13000\t基隆@港\t121.74000\t25.13000";
  const DocumentPicture before = Picture(f.doc);
  f.Message("<\t2");  // the page closed its information window
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"台北@信義路", "無座標", "高雄", "基隆@港"}));
  EXPECT_FALSE(f.bridge.FlushingNames());
  // Asked from 1, from 2 (after marker 1), from 4 (after marker 3); then one sync.
  EXPECT_EQ(std::count(f.page.puts.begin(), f.page.puts.end(), "18"), 1);
  EXPECT_EQ(std::count(f.page.puts.begin(), f.page.puts.end(), "19"), 1);
  EXPECT_EQ(std::count(f.page.puts.begin(), f.page.puts.end(), "21"), 1);
  EXPECT_EQ(f.page.puts.back(), "0,-4");
  Undo(f.context);
  EXPECT_EQ(Picture(f.doc), before);
}

TEST(ScriptBridge, StatusTextsBecomeHints) {
  BridgeFixture f(kFour);
  const std::pair<const char*, const char*> cases[] = {
      {"javascript:OnAdd(3)", "新增標記所標示的行程資料"},
      {"javascript:OnLsImage(1)", "顯示關於行程的 Google 圖片"},
      {"javascript:OnFwRemove()", "將標記從地圖上移除"},
      {"javascript:OnIqrClose()", "關閉行車指示的視窗"},
      {"javascript:void(0)", "(normal)"},
      {"javascript:OnAddMore()", "javascript:OnAddMore()"},  // not a name of ours: shown as it is
      {"https://www.openstreetmap.org/copyright", "https://www.openstreetmap.org/copyright"},
      {"", "(normal)"},
  };
  for (const auto& [text, shown] : cases) {
    f.bridge.StatusTextChanged(Utf8ToText(text), false);
    EXPECT_EQ(f.pane.status, shown) << text;
  }
  std::vector<std::string> done;
  for (int i = 0; i < 8; ++i) {
    f.bridge.StatusTextChanged(u"完成", false);
    done.push_back(f.pane.status);
  }
  EXPECT_EQ(done[3], "備妥  (中鍵: 切換街景模式, 右鍵: 移除街景視點)");
  EXPECT_EQ(done[7], "備妥  (Shift: 隱藏資訊視窗, Ctrl+左鍵: 鎖定在道路/路徑)");
  EXPECT_EQ(done[0], "(normal)");
  f.pane.status = "kept";
  f.bridge.StatusTextChanged(u"javascript:OnAdd(1)", /*splitterDragging=*/true);
  EXPECT_EQ(f.pane.status, "kept");
}

}  // namespace
}  // namespace wayloom::testing
