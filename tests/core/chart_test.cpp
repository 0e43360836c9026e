// The balance chart's state: round axes, rows left out for a missing number,
// a colour per side, and the point under the mouse.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <map>

#include "presentation/chart_state.h"

namespace qm::presentation {
namespace {

TEST(ChartAxisTest, RoundTicksOverTheRange) {
  struct Case {
    double low, high, first, last;
    std::vector<std::string> texts;
  };
  const Case cases[] = {
      {97, 0, 0, 100, {"0", "20", "40", "60", "80", "100"}},  // given the wrong way round
      {3, 3, 2.6, 3.4, {"2.6", "2.8", "3.0", "3.2", "3.4"}},  // one value: widened around it
      {0, 0, -1, 1, {"-1.0", "-0.5", "0.0", "0.5", "1.0"}},
      {-0.3, 0.7, -0.4, 0.8, {"-0.4", "-0.2", "0.0", "0.2", "0.4", "0.6", "0.8"}},  // no "-0.0"
      {1e6, 3e6, 1e6, 3e6, {"1000000", "1500000", "2000000", "2500000", "3000000"}},
      {0, 1e12, 0, 1e12, {"0", "2e+11", "4e+11", "6e+11", "8e+11", "1e+12"}},
      {-30,
       -29.9,
       -30,
       -29.9,
       {"-30.00", "-29.98", "-29.96", "-29.94", "-29.92", "-29.90"}},  // 0.1 / 5 a hair over 0.02
      {0.001, 0.0042, 0.001, 0.005, {"0.001", "0.002", "0.003", "0.004", "0.005"}},
  };
  for (const Case& c : cases) {
    const ChartAxis a = niceAxis(c.low, c.high);
    EXPECT_NEAR(a.low, c.first, 1e-9 * (c.last - c.first)) << c.low;
    EXPECT_NEAR(a.high, c.last, 1e-9 * (c.last - c.first)) << c.low;
    EXPECT_EQ(a.tickTexts, c.texts) << c.low;
  }
  // Numbers at the ends of what a double holds: an axis that holds them with
  // a few finite ticks; no number at all: 0 to 1.
  const std::pair<double, double> extremes[] = {
      {-DBL_MAX, DBL_MAX}, {DBL_MAX, DBL_MAX}, {0, DBL_MIN}, {1e17, 1e17 + 32}, {-1e300, -1e-300}};
  for (auto [low, high] : extremes) {
    const ChartAxis a = niceAxis(low, high);
    EXPECT_TRUE(a.low <= low && a.high >= high && a.low < a.high) << low << " " << high;
    EXPECT_TRUE(a.ticks.size() >= 2 && a.ticks.size() <= 51) << low << " " << high;
    for (double t : a.ticks) EXPECT_TRUE(std::isfinite(t)) << low << " " << high;
  }
  EXPECT_EQ(niceAxis(std::nan(""), HUGE_VAL).high, 1);
}

// Rows of columns "cost", "dps", "range"; NaN for a cell without a number.
struct Row {
  std::string name, side;
  double cost, dps, range;
};
const double kNone = std::nan("");
ChartSource source(const std::vector<Row>& rows) {
  ChartSource s{{"cost", "dps", "range"}, {}, {}, [rows](std::size_t row, std::size_t column) {
                  const double v = column == 0 ? rows[row].cost : column == 1 ? rows[row].dps : rows[row].range;
                  return std::isnan(v) ? std::nullopt : std::optional<double>(v);
                }};
  for (const Row& r : rows) s.rowNames.push_back(r.name), s.rowSides.push_back(r.side);
  return s;
}

TEST(ChartStateTest, PlotsRowsWithBothNumbersColouredBySide) {
  const std::vector<Row> rows = {
      {"ARMFLASH", "ARM", 105, 30, kNone}, {"CORGATOR", "core", 110, 28, 180}, {"ARMWAR", " Arm ", kNone, 40, 200},
      {"GOKTANK", "GOK", 150, 55, 300},    {"ROCKO", "", 90, 20, HUGE_VAL},    {"ZEPHYR", "AAA", 200, 70, kNone},
      {"\xC9LAN", "CORE", 300, 90, 500},
  };
  ChartState chart(source(rows));
  std::map<std::string, std::size_t> colours;
  for (const ChartPoint& p : chart.points()) colours[rows[p.row].name] = p.colour;
  // ARM and CORE their own colours whatever the letter case; other sides by
  // their names' order; no side the last.
  const std::size_t none = chartPalette().size() - 1;
  EXPECT_EQ(colours,
            (std::map<std::string, std::size_t>{
                {"ARMFLASH", 0}, {"CORGATOR", 1}, {"GOKTANK", 3}, {"ROCKO", none}, {"ZEPHYR", 2}, {"\xC9LAN", 1}}));
  EXPECT_EQ(chart.missingNote(), "1 of 7 rows not plotted: no number in cost or dps.");
  std::string legend;
  for (const auto& item : chart.legend()) legend += item.caption + "=" + std::to_string(item.colour) + " ";
  EXPECT_EQ(legend, "ARM=0 CORE=1 AAA=2 GOK=3 No side=" + std::to_string(none) + " ");
  EXPECT_EQ(std::vector<double>({chart.xAxis().low, chart.xAxis().high, chart.yAxis().low, chart.yAxis().high}),
            std::vector<double>({50, 300, 20, 100}));
  EXPECT_EQ(chart.pointText(5), "\xC3\x89LAN (CORE): cost 300, dps 90");

  // Other columns leave out other rows (an infinite number too); the
  // colours stay.
  chart.setX(2);
  EXPECT_EQ(chart.missingNote(), "3 of 7 rows not plotted: no number in range or dps.");
  EXPECT_EQ(chart.points().front().row, 1u);
  EXPECT_EQ(chart.points().front().colour, 1u);
  chart.setY(2);
  chart.setY(3);  // no such column: not taken
  EXPECT_EQ(chart.missingNote(), "3 of 7 rows not plotted: no number in range.");

  ChartSource nothing = source(rows);
  nothing.columns.clear();
  EXPECT_EQ(ChartState(nothing).missingNote(), "No number columns to chart.");
  EXPECT_TRUE(ChartState(nothing).points().empty());
}

TEST(ChartStateTest, ThePointNearestTheMouse) {
  // cost 0..100 and dps 0..100 over a box of 200 x 100 pixels at (10, 20).
  const ChartState chart(source({{"LOW", "ARM", 0, 0, 0},
                                 {"HIGH", "CORE", 100, 100, 0},
                                 {"MID", "", 50, 50, 0},
                                 {"MID2", "", 50, 50, 0},
                                 {"NEAR", "", 53, 50, 0}}));
  const PlotFrame frame{10, 20, 200, 100};
  const std::tuple<double, double, std::optional<std::size_t>> cases[] = {
      {10, 120, 0},             // the bottom left corner is (0, 0)
      {215, 20, 1},             // within reach of the top right (100, 100)
      {218, 20, std::nullopt},  // beyond it
      {110, 70, 3},             // of two points in one place, the one drawn on top
      {116, 70, 4},             // nearer NEAR (x 116) than MID (x 110)
      {112.9, 70, 3},
  };
  for (auto [x, y, point] : cases) EXPECT_EQ(chart.pointAt(x, y, frame, 6), point) << x << "," << y;
  // The widest numbers still land at the box's edges.
  const ChartState widest(source({{"A", "", -DBL_MAX, -DBL_MAX, 0}, {"B", "", DBL_MAX, DBL_MAX, 0}}));
  EXPECT_EQ(widest.pointAt(210, 20, frame, 1), 1u);
  EXPECT_EQ(widest.pointAt(10, 120, frame, 1), 0u);
}

}  // namespace
}  // namespace qm::presentation
