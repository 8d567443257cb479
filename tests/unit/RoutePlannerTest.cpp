// The route planner: the planned orders against a literal run of the algorithm (pick
// matrix with its two marks, exchange passes with their limits), the edge cases, and
// the command (1037) on a table: blank coordinates, dialog, Esc, road replies, the apply
// step as one undo step.
#include <gtest/gtest.h>

#include <random>

#include "EditingTestSupport.h"

namespace wayloom {
namespace {

using testing::EditFixture;
using testing::Picture;

const StopPoll kNeverStop = [] { return false; };

CostMatrix Matrix(std::size_t n, const std::vector<std::int32_t>& values) {
  CostMatrix costs;
  EXPECT_TRUE(costs.Allocate(n));
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < n; ++j) costs.set(i, j, values[i * n + j]);
  return costs;
}

std::vector<std::uint32_t> Plan(const CostMatrix& costs, TripMode mode, bool road = false) {
  std::vector<std::uint32_t> tour;
  EXPECT_TRUE(PlanTour(costs, mode, road, kNeverStop, tour));
  return tour;
}

// The algorithm as written out step by step: the pick matrix B with 0x7FFFFFFF for a row
// taken and 0x7FFFFFFE for the reserved last row, the tour T[0..n], then the passes.
struct LiteralRun {
  std::vector<std::uint32_t> nearest, exchanged;
};

LiteralRun RunLiterally(const std::vector<std::int32_t>& a, std::size_t n, TripMode mode, bool road) {
  auto A = [&](std::size_t i, std::size_t j) -> std::int64_t { return a[i * n + j]; };
  std::vector<std::int32_t> b = a;
  if (mode == TripMode::FixedLast)
    for (std::size_t i = 0; i + 1 < n; ++i) b[i * n + n - 1] = b[(n - 1) * n + i] = 0x7FFFFFFE;
  std::vector<std::uint32_t> t(n + 1, 0);
  std::size_t cur = 0;
  for (std::size_t r = 1; r < n; ++r) {
    std::int32_t best = 0x7FFFFFFF;
    std::size_t pick = 0;
    for (std::size_t m = 1; m < n; ++m)
      if (m != cur && b[cur * n + m] < best) best = b[cur * n + m], pick = m;
    t[r] = static_cast<std::uint32_t>(pick);
    for (std::size_t row = 1; row < n; ++row) b[row * n + pick] = 0x7FFFFFFF;
    cur = pick;
  }
  LiteralRun run{{t.begin(), t.begin() + n}, {}};
  const std::size_t limit = mode == TripMode::FixedLast ? n - 1 : n;
  std::size_t budget = std::min<std::size_t>(n, 1000);
  for (bool improved = true; improved && budget > 0; --budget) {
    improved = false;
    for (std::size_t p = 1; p + 1 < limit; ++p) {
      for (std::size_t q = p + 1; q < limit; ++q) {
        const std::size_t pa = t[p - 1], pb = t[p], pc = t[q], pd = t[q + 1];
        const bool hasD = !(mode == TripMode::OpenEnd && q == n - 1);
        std::int64_t before = A(pa, pb) + (hasD ? A(pc, pd) : 0);
        std::int64_t after = A(pa, pc) + (hasD ? A(pb, pd) : 0);
        if (road) before += A(pb, pc), after += A(pc, pb);
        if (after < before) std::swap(t[p], t[q]), improved = true;
      }
    }
  }
  run.exchanged.assign(t.begin(), t.begin() + n);
  return run;
}

std::int64_t Length(const std::vector<std::int32_t>& a, std::size_t n, const std::vector<std::uint32_t>& tour, TripMode mode) {
  std::int64_t total = 0;
  for (std::size_t k = 0; k + 1 < n; ++k) total += a[tour[k] * n + tour[k + 1]];
  return mode == TripMode::RoundTrip ? total + a[tour[n - 1] * n] : total;
}

TEST(RoutePlanner, MatchesTheAlgorithmAndKeepsTheWalkWhenTheExchangesLengthenIt) {
  std::mt19937 random(7);
  int walksKept = 0, exchangesKept = 0;
  for (int run = 0; run < 1500; ++run) {
    const std::size_t n = run < 1400 ? 3 + run % 10 : 40 + run % 30;
    const bool road = run % 3 == 0;
    const TripMode mode = static_cast<TripMode>(run % 7 % 3);
    // Few distinct costs make ties common; the larger tables get wide costs.
    const int top = run % 2 == 0 ? 6 : 100000;
    std::vector<std::int32_t> a(n * n, 0);
    for (std::size_t i = 0; i < n; ++i)
      for (std::size_t j = i + 1; j < n; ++j) {
        a[i * n + j] = static_cast<std::int32_t>(random() % top);
        a[j * n + i] = road ? static_cast<std::int32_t>(random() % top) : a[i * n + j];
      }
    const LiteralRun literal = RunLiterally(a, n, mode, road);
    const bool longer = Length(a, n, literal.exchanged, mode) > Length(a, n, literal.nearest, mode);
    const auto& expected = longer ? literal.nearest : literal.exchanged;
    ASSERT_EQ(Plan(Matrix(n, a), mode, road), expected) << "run " << run;
    if (longer) ++walksKept;
    if (!longer && literal.exchanged != literal.nearest) ++exchangesKept;
  }
  EXPECT_GT(walksKept, 10);
  EXPECT_GT(exchangesKept, 10);
}

TEST(RoutePlanner, TinyAndHugeTables) {
  EXPECT_EQ(Plan(Matrix(1, {0}), TripMode::RoundTrip), std::vector<std::uint32_t>{0});
  EXPECT_EQ(Plan(Matrix(2, {0, 7, 7, 0}), TripMode::FixedLast), (std::vector<std::uint32_t>{0, 1}));
  // Costs at the top of the range neither overflow the sums nor hide a row from the walk.
  const std::int32_t big = 0x7FFFFFFF;
  EXPECT_EQ(Plan(Matrix(4, {0, big, big, big, big, 0, big, big, big, big, 0, big, big, big, big, 0}), TripMode::FixedLast),
            (std::vector<std::uint32_t>{0, 1, 2, 3}));
  EXPECT_EQ(Plan(Matrix(3, {0, big, 5, big, 0, big, 5, big, 0}), TripMode::OpenEnd, true), (std::vector<std::uint32_t>{0, 2, 1}));
  // Esc after the improving pass (after the 3 walk steps) abandons the plan.
  int polls = 0;
  std::vector<std::uint32_t> tour;
  EXPECT_FALSE(PlanTour(Matrix(4, {0, 1, 2, 3, 1, 0, 5, 2, 2, 5, 0, 9, 3, 2, 9, 0}), TripMode::RoundTrip, false,
                        [&] { return ++polls == 4; }, tour));
  EXPECT_EQ(polls, 4);
  CostMatrix huge;
  EXPECT_FALSE(huge.Allocate(std::size_t{1} << 40));
  EXPECT_EQ(huge.size(), 0u);
}

// The costs are DistanceBetweenRows' values, bit for bit, in every display form.
TEST(RoutePlanner, StraightLineCostsAreTheDistanceColumnsValues) {
  std::mt19937 random(3);
  for (int form = 0; form < 3; ++form) {
    EditFixture f;
    f.doc.settings.Set(Option::DmsFormat, form == 1);
    f.doc.settings.Set(Option::CompassDirection, form == 2);
    std::vector<std::string> rows = {"same|121.5|25.03", "same again|121.5|25.03", "pole|0|90", "south|-179.99999|-90",
                                     "antipode|-58.5|-25.03", "no latitude|10|"};
    for (int i = 0; i < 40; ++i) {
      rows.push_back("r|" + std::to_string(static_cast<int>(random() % 36000000) / 100000.0 - 180) + "|" +
                     std::to_string(static_cast<int>(random() % 18000000) / 100000.0 - 90));
    }
    f.Load(rows);
    const std::size_t n = f.doc.table.RowCount();
    CostMatrix costs;
    ASSERT_TRUE(costs.Allocate(n));
    ASSERT_TRUE(FillStraightLineCosts(f.doc, costs, kNeverStop));
    for (std::size_t i = 0; i < n; ++i)
      for (std::size_t j = i + 1; j < n; ++j) {
        ASSERT_EQ(costs.at(i, j), DistanceBetweenRows(f.doc, i, j)) << form << " " << i << " " << j;
        ASSERT_EQ(costs.at(j, i), costs.at(i, j));
      }
  }
}

// ---- the command ----

struct PlanFixture : EditFixture {
  using EditFixture::EditFixture;
  // Runs the command with the dialog answering choice.
  void Run(PlanOptions choice, TextView host = u"http://127.0.0.1:9") {
    ui.plan = choice;
    PlanRoute(context, ui, options, host);
  }
  PlanOptions options;
};

PlanOptions Mode(TripMode mode, bool road = false) {
  return {mode == TripMode::RoundTrip, mode == TripMode::FixedLast, road};
}

// Four places on the equator at longitudes 0, -2, 1, 3, statuses with passed bits.
const std::vector<std::string> kLine = {"A|0|0|3", "B|-2|0|3", "C|1|0|2", "D|3|0|0"};

// The check-results list hears which new row took each old row's place.
struct ReplacedRows : RowRecorder {
  void RowReplaced(std::size_t source, std::size_t newRow) override { replaced.emplace_back(source, newRow); }
  std::vector<std::pair<std::size_t, std::size_t>> replaced;
};

TEST(PlanRoute, AppliesThePlanAsOneUndoStep) {
  PlanFixture f(kLine);
  ReplacedRows listener;
  // Every row loses its passed bit, row 0 included; coordinates travel with their names.
  testing::ExpectUndoRedo(f, [&] {
    f.doc.recorder = &listener;
    f.Run(Mode(TripMode::OpenEnd));
    f.doc.recorder = nullptr;
  }, {"A|0.00000|0.00000|2", "C|1.00000|0.00000|2", "D|3.00000|0.00000|0", "B|-2.00000|0.00000|2"});
  EXPECT_EQ(listener.replaced, (std::vector<std::pair<std::size_t, std::size_t>>{{2, 4}, {3, 5}, {1, 6}}));
  EXPECT_EQ(f.Column(kOrderColumn), (std::vector<std::string>{"1", "2", "3", "4"}));
  EXPECT_TRUE(f.doc.document.modified);
  EXPECT_EQ(f.map.syncs, 3);  // the plan, its undo and its redo
  EXPECT_EQ(f.ui.marquees, std::vector<std::string>{"正在規劃行程的順序, 按 Esc 鍵停止..."});
  EXPECT_EQ(f.ui.progressEnded, 1);
  EXPECT_EQ(f.ui.pressedButtons.front(), 1037);
  EXPECT_EQ(f.ui.releasedButtons.front(), 1037);
  EXPECT_TRUE(f.ui.messages.empty());
}

TEST(PlanRoute, ModesAndTheNoChangeCase) {
  struct Case {
    TripMode mode;
    std::vector<std::string> rows;
    std::vector<std::string> names;
    bool changes;
  };
  const Case cases[] = {
      {TripMode::RoundTrip, kLine, {"A", "C", "D", "B"}, true},
      // The last row stays; the exchange puts the rows back in table order: no change.
      {TripMode::FixedLast, kLine, {"A", "B", "C", "D"}, false},
      // Three rows: the two after the start swap in round trips and open ends.
      {TripMode::RoundTrip, {"A|0|0", "far|2|0", "near|1|0"}, {"A", "near", "far"}, true},
      {TripMode::OpenEnd, {"A|0|0", "far|2|0", "near|1|0"}, {"A", "near", "far"}, true},
      // Three rows with a fixed last row: nothing can move.
      {TripMode::FixedLast, {"A|0|0", "far|2|0", "near|1|0"}, {"A", "far", "near"}, false},
      // Already in order: the passed bits stay too.
      {TripMode::OpenEnd, {"A|0|0|1", "B|1|0|1", "C|2|0"}, {"A", "B", "C"}, false},
  };
  for (const auto& c : cases) {
    PlanFixture f;
    f.Load(c.rows);
    const auto before = Picture(f.doc);
    f.Run(Mode(c.mode));
    EXPECT_EQ(f.Names(), c.names);
    EXPECT_EQ(f.ui.planShown.size(), 1u);
    EXPECT_TRUE(f.ui.messages.empty());
    EXPECT_EQ(CanUndo(f.doc.journal), c.changes);
    EXPECT_EQ(f.doc.document.modified, c.changes);
    EXPECT_EQ(f.map.syncs, c.changes ? 1 : 0);
    if (!c.changes) {
      EXPECT_EQ(Picture(f.doc), before);
    }
  }
}

TEST(PlanRoute, BlankCoordinatesAreSelectedAndReported) {
  PlanFixture f({"A|0|0", "B||1", "C|1|1", "D|2|", "E|3|3"});
  f.Select({2});
  f.Run(Mode(TripMode::OpenEnd));
  EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{14430});
  EXPECT_EQ(f.ui.messages[0].icon, MessageIcon::Information);
  EXPECT_EQ(f.Selected(), (std::vector<std::size_t>{1, 3}));
  EXPECT_EQ(f.doc.table.FocusedRow(), 1);
  EXPECT_EQ(f.ui.scrolledTo, std::vector<long long>{1});
  EXPECT_TRUE(f.ui.planShown.empty());
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"A", "B", "C", "D", "E"}));
  EXPECT_FALSE(CanUndo(f.doc.journal));
}

TEST(PlanRoute, CancelAndTheRoadChoiceOfLargeTables) {
  PlanFixture f(kLine);
  f.options.roadDistance = true;
  PlanRoute(f.context, f.ui, f.options, u"");
  EXPECT_TRUE(f.ui.planShown.back().roadDistance);  // 4 rows: the choice stays
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"A", "B", "C", "D"}));
  std::vector<std::string> eleven;
  for (int i = 0; i < 11; ++i) eleven.push_back("r|" + std::to_string(i % 2 ? i : -i) + "|0");
  f.Load(eleven);
  PlanRoute(f.context, f.ui, f.options, u"");
  EXPECT_FALSE(f.ui.planShown.back().roadDistance);
  EXPECT_FALSE(f.options.roadDistance);  // even though the dialog was cancelled
  EXPECT_FALSE(CanUndo(f.doc.journal));
}

// Esc at any poll abandons the run: the table, the journal and the flags stay.
TEST(PlanRoute, EscAtEveryPollLeavesTheTableUntouched) {
  PlanFixture counting(kLine);
  counting.Run(Mode(TripMode::RoundTrip));
  const int polls = counting.ui.polls;
  EXPECT_EQ(polls, 3 + 3);  // matrix rows and walk steps; no pass improves
  for (int stopAt = 1; stopAt <= polls; ++stopAt) {
    PlanFixture f;
    f.Load(kLine);
    const auto before = Picture(f.doc);
    f.ui.stopAtPoll = stopAt;
    f.Run(Mode(TripMode::RoundTrip));
    EXPECT_EQ(Picture(f.doc), before) << stopAt;
    EXPECT_TRUE(f.ui.messages.empty());
    EXPECT_FALSE(CanUndo(f.doc.journal));
    EXPECT_EQ(f.ui.progressEnded, 1);
  }
}

// A canned reply for every request; the address asked for is kept.
class CannedHttp : public HttpClient {
 public:
  struct Request : HttpRequest {
    std::string body;
    std::size_t at = 0;
    long Read(char* buffer, std::size_t size) override {
      const std::size_t n = std::min(size, body.size() - at);
      body.copy(buffer, n, at);
      at += n;
      return static_cast<long>(n);
    }
  };
  struct Session : HttpSession {
    CannedHttp& owner;
    explicit Session(CannedHttp& o) : owner(o) {}
    std::unique_ptr<HttpRequest> OpenUrl(TextView url) override {
      owner.urls.push_back(TextToUtf8(url));
      auto request = std::make_unique<Request>();
      request->body = owner.reply;
      return request;
    }
  };
  std::unique_ptr<HttpSession> OpenSession(TextView agent) override {
    agents.push_back(TextToUtf8(agent));
    return std::make_unique<Session>(*this);
  }
  std::string reply;
  std::vector<std::string> urls, agents;
};

std::string Reply(const std::vector<int>& metres) {
  std::string reply = "<DistanceMatrixResponse><status>OK</status><row>";
  for (int m : metres) reply += "<element><status>OK</status><duration><value>1</value></duration><distance><value>" +
                                std::to_string(m) + "</value><text>x</text></distance></element>";
  return reply + "</row></DistanceMatrixResponse>";
}

TEST(PlanRoute, RoadDistancesDecideAndFailuresLeaveTheTable) {
  // In a straight line the table order is the plan; by road A to near is long. The
  // request sends plain signed decimals, latitude first, whatever the display form.
  const std::vector<std::string> rows = {"A|-121.5|-25.03301", "near|179.99999|0", "far|0.00001|89.99999"};
  const std::string list = "-25.03301,-121.50000|0.00000,179.99999|89.99999,0.00001";
  const std::vector<int> metres = {0, 900, 5, 900, 0, 1, 5, 1, 0};
  std::string missing = Reply(metres);
  missing.replace(missing.find("<distance>"), 10, "<nothing>");
  const struct {
    std::string reply;
    int message;
  } cases[] = {{Reply(metres), 0}, {missing, 14435}, {"<status>ZERO_RESULTS</status>", 14434}, {"", 14434}};
  for (const auto& c : cases) {
    PlanFixture f;
    CannedHttp http;
    http.reply = c.reply;
    f.context.http = &http;
    f.doc.settings.Set(Option::DmsFormat, true);
    f.doc.settings.Set(Option::CompassDirection, true);
    f.Load(rows);
    const auto before = Picture(f.doc);
    f.Run(Mode(TripMode::OpenEnd, true), u"https://maps.example");
    EXPECT_EQ(http.agents, std::vector<std::string>{"Wayloom"});
    EXPECT_EQ(http.urls, std::vector<std::string>{"https://maps.example/maps/api/distancematrix/xml?origins=" + list +
                                                  "&sensor=false&destinations=" + list});
    if (c.message == 0) {
      EXPECT_EQ(f.Names(), (std::vector<std::string>{"A", "far", "near"}));
    } else {
      EXPECT_EQ(Picture(f.doc), before);
    }
    EXPECT_EQ(f.ui.MessageIds(), c.message ? std::vector<int>{c.message} : std::vector<int>{});
  }
  PlanFixture f(rows);
  f.Run(Mode(TripMode::OpenEnd, true));  // no internet session
  EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{14433});
  EXPECT_EQ(f.ui.progressEnded, 1);
}

TEST(PlanRoute, TheHostComesFromTheIniFile) {
  testing::MemoryProfile profile;
  EXPECT_EQ(DistanceMatrixHost(nullptr), u"https://maps.googleapis.com");
  EXPECT_EQ(DistanceMatrixHost(&profile), u"https://maps.googleapis.com");
  profile.Set("Services", "Distance Matrix", u"http://127.0.0.1:8080");
  EXPECT_EQ(DistanceMatrixHost(&profile), u"http://127.0.0.1:8080");
}

}  // namespace
}  // namespace wayloom
