// The balance chart's state: round axes, rows left out for a missing number,
// a colour per side, and the point under the mouse.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <map>

#include "presentation/chart_state.h"

namespace qm::presentation {
namespace {

TEST(ChartAxisTest, RoundTicksOverTheRange) {
  struct Case {
    double low, high;
    double first, last, step;
    std::vector<std::string> texts;
  };
  const Case cases[] = {
      {0, 97, 0, 100, 20, {"0", "20", "40", "60", "80", "100"}},
      {97, 0, 0, 100, 20, {"0", "20", "40", "60", "80", "100"}},   // given the wrong way round
      {3, 3, 2.6, 3.4, 0.2, {"2.6", "2.8", "3.0", "3.2", "3.4"}},  // one value: widened around it
      {0, 0, -1, 1, 0.5, {"-1.0", "-0.5", "0.0", "0.5", "1.0"}},
      {-0.3, 0.7, -0.4, 0.8, 0.2, {"-0.4", "-0.2", "0.0", "0.2", "0.4", "0.6", "0.8"}},  // no "-0.0"
      {1e6, 3e6, 1e6, 3e6, 5e5, {"1000000", "1500000", "2000000", "2500000", "3000000"}},
      {0, 1e12, 0, 1e12, 2e11, {"0", "2e+11", "4e+11", "6e+11", "8e+11", "1e+12"}},
      {0.001, 0.0042, 0.001, 0.005, 0.001, {"0.001", "0.002", "0.003", "0.004", "0.005"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.low) + " .. " + std::to_string(c.high));
    const ChartAxis a = niceAxis(c.low, c.high);
    EXPECT_NEAR(a.low, c.first, 1e-9 * c.step);
    EXPECT_NEAR(a.high, c.last, 1e-9 * c.step);
    EXPECT_NEAR(a.step, c.step, 1e-9 * c.step);
    EXPECT_EQ(a.tickTexts, c.texts);
    EXPECT_EQ(a.ticks.size(), a.tickTexts.size());
  }
}

// Numbers at the ends of what a double holds give an axis that holds them,
// with a few finite ticks, and never loop.
TEST(ChartAxisTest, ExtremeNumbersGiveAFiniteAxis) {
  const double big = DBL_MAX, tiny = DBL_MIN, inf = std::numeric_limits<double>::infinity();
  const std::pair<double, double> cases[] = {
      {-big, big}, {0, big}, {big, big}, {0, tiny}, {tiny, 2 * tiny}, {1e17, 1e17 + 32}, {-1e300, -1e-300},
  };
  for (auto [low, high] : cases) {
    SCOPED_TRACE(std::to_string(low) + " .. " + std::to_string(high));
    const ChartAxis a = niceAxis(low, high);
    EXPECT_LE(a.low, low);
    EXPECT_GE(a.high, high);
    EXPECT_LT(a.low, a.high);
    EXPECT_GE(a.ticks.size(), 2u);
    EXPECT_LE(a.ticks.size(), 51u);
    for (double t : a.ticks) EXPECT_TRUE(std::isfinite(t));
  }
  for (double bad : {inf, -inf, std::nan("")}) {
    const ChartAxis a = niceAxis(bad, 1);
    EXPECT_EQ(a.low, 0);
    EXPECT_EQ(a.high, 1);
  }
}

// Rows: name, side, and the numbers of columns "cost", "dps", "range"
// (NaN for an empty cell).
struct Row {
  std::string name, side;
  double cost, dps, range;
};
ChartSource source(const std::vector<Row>& rows, std::size_t x = 0, std::size_t y = 1) {
  ChartSource s;
  s.columns = {"cost", "dps", "range"};
  for (const Row& r : rows) s.rowNames.push_back(r.name), s.rowSides.push_back(r.side);
  s.value = [rows](std::size_t row, std::size_t column) -> std::optional<double> {
    const Row& r = rows.at(row);
    const double v = column == 0 ? r.cost : column == 1 ? r.dps : r.range;
    if (std::isnan(v)) return std::nullopt;
    return v;
  };
  s.initialX = x;
  s.initialY = y;
  return s;
}
const double kNone = std::nan("");

TEST(ChartStateTest, PlotsRowsWithBothNumbersColouredBySide) {
  const std::vector<Row> rows = {
      {"ARMFLASH", "ARM", 105, 30, kNone}, {"CORGATOR", "core", 110, 28, 180}, {"ARMWAR", " Arm ", kNone, 40, 200},
      {"GOKTANK", "GOK", 150, 55, 300},    {"ROCKO", "", 90, 20, 400},         {"ZEPHYR", "AAA", 200, 70, kNone},
      {"\xC9LAN", "CORE", 300, 90, 500},
  };
  ChartState chart(source(rows));
  std::vector<std::size_t> plotted;
  std::map<std::string, std::size_t> colours;
  for (const ChartPoint& p : chart.points()) {
    plotted.push_back(p.row);
    colours[rows[p.row].name] = p.colour;
  }
  EXPECT_EQ(plotted, (std::vector<std::size_t>{0, 1, 3, 4, 5, 6}));
  EXPECT_EQ(chart.missing(), 1u);
  EXPECT_EQ(chart.missingNote(), "1 of 7 rows not plotted: no number in cost or dps.");
  const std::size_t none = chartPalette().size() - 1;
  // ARM and CORE their own colours whatever the letter case; other sides by
  // their names' order; no side the last.
  EXPECT_EQ(colours,
            (std::map<std::string, std::size_t>{
                {"ARMFLASH", 0}, {"CORGATOR", 1}, {"GOKTANK", 3}, {"ROCKO", none}, {"ZEPHYR", 2}, {"\xC9LAN", 1}}));
  std::vector<std::string> legend;
  for (const auto& item : chart.legend()) legend.push_back(item.caption + "=" + std::to_string(item.colour));
  EXPECT_EQ(legend, (std::vector<std::string>{"ARM=0", "CORE=1", "AAA=2", "GOK=3", "No side=" + std::to_string(none)}));
  EXPECT_EQ(chart.xAxis().low, 50);
  EXPECT_EQ(chart.xAxis().high, 300);
  EXPECT_EQ(chart.yAxis().low, 20);
  EXPECT_EQ(chart.yAxis().high, 100);
  EXPECT_EQ(chart.pointText(5), "\xC3\x89LAN (CORE): cost 300, dps 90");

  // Another pair of columns: other rows are left out, the colours stay.
  chart.setX(2);
  EXPECT_EQ(chart.xCaption(), "range");
  EXPECT_EQ(chart.missing(), 2u);
  EXPECT_EQ(chart.points().front().row, 1u);
  EXPECT_EQ(chart.points().front().colour, 1u);
  chart.setY(2);
  EXPECT_EQ(chart.missingNote(), "2 of 7 rows not plotted: no number in range.");
  chart.setX(3);  // no such column: not taken
  EXPECT_EQ(chart.xColumn(), 2u);
  EXPECT_EQ(ChartState(source(rows, 1, 2)).missing(), 2u);
}

TEST(ChartStateTest, SourcesThatGiveNothingToPlot) {
  ChartSource empty;
  empty.rowNames = {"A"};
  EXPECT_EQ(ChartState(empty).missingNote(), "No number columns to chart.");
  EXPECT_TRUE(ChartState(empty).points().empty());
  ChartSource noValues = source({{"A", "ARM", 1, 2, 3}}, 7, 9);  // columns out of range start at the first two
  noValues.value = nullptr;
  const ChartState chart(noValues);
  EXPECT_EQ(chart.xColumn(), 0u);
  EXPECT_EQ(chart.yColumn(), 1u);
  EXPECT_EQ(chart.missing(), 1u);
  EXPECT_TRUE(chart.legend().empty());
  const std::vector<Row> infinite = {{"A", "", std::numeric_limits<double>::infinity(), 1, 1}, {"B", "", 1, 1, 1}};
  EXPECT_EQ(ChartState(source(infinite)).missing(), 1u);
}

TEST(ChartStateTest, ThePointNearestTheMouse) {
  // cost 0..100 and dps 0..100 over a box of 200 x 100 pixels at (10, 20).
  const ChartState chart(source({{"LOW", "ARM", 0, 0, 0},
                                 {"HIGH", "CORE", 100, 100, 0},
                                 {"MID", "", 50, 50, 0},
                                 {"MID2", "", 50, 50, 0},
                                 {"NEAR", "", 53, 50, 0}}));
  const PlotFrame frame{10, 20, 200, 100};
  struct Case {
    double x, y;
    std::optional<std::size_t> point;
  };
  const Case cases[] = {
      {10, 120, 0},             // the bottom left corner is (0, 0)
      {210, 20, 1},             // the top right (100, 100)
      {110, 70, 3},             // of two points in one place, the one drawn on top
      {116, 70, 4},             // nearer NEAR (x 116) than MID (x 110)
      {112.9, 70, 3},           // nearer MID
      {215, 20, 1},             // within the reach
      {218, 20, std::nullopt},  // beyond it
      {60, 45, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(chart.pointAt(c.x, c.y, frame, 6), c.point) << c.x << "," << c.y;
  EXPECT_DOUBLE_EQ(chart.pixelX(50, frame), 110);
  EXPECT_DOUBLE_EQ(chart.pixelY(50, frame), 70);
}

}  // namespace
}  // namespace qm::presentation
