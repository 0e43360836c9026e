// The balance chart without the window: two number columns of a table's
// shown rows as a scatter, the axes' ranges and ticks, a colour per side and
// the point nearest a place on the plot.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::presentation {

// What a table hands the chart: its number columns and the rows its filter
// shows.
struct ChartSource {
  std::vector<std::string> columns;   // captions of the number columns the user may choose (UTF-8)
  std::vector<std::string> rowNames;  // the rows the table's filter shows, in table order (bytes, cp1252)
  std::vector<std::string> rowSides;  // each row's side ("ARM", "CORE", "" when none)
  // The number in (row, column), or nothing when the cell is empty or not a number.
  std::function<std::optional<double>(std::size_t row, std::size_t column)> value;
  std::size_t initialX = 0, initialY = 1;
};

// A row with a number in both chosen columns.
struct ChartPoint {
  std::size_t row = 0;     // index into ChartSource::rowNames
  double x = 0, y = 0;     // the row's numbers
  std::size_t colour = 0;  // index into chartPalette(), by the row's side
};

// An axis: from `low` to `high`, ticks every `step` at round numbers.
struct ChartAxis {
  double low = 0, high = 1, step = 1;
  std::vector<double> ticks;
  std::vector<std::string> tickTexts;  // each tick as the axis writes it
};

struct Rgb {
  unsigned char r, g, b;
  bool operator==(const Rgb&) const = default;
};
// The points' colours: ARM, CORE, then the other sides; the last is for rows
// without a side.
const std::vector<Rgb>& chartPalette();

// Where the plot sits in the window, in pixels: y grows downwards.
struct PlotFrame {
  double left = 0, top = 0, width = 1, height = 1;
};

class ChartState {
 public:
  explicit ChartState(ChartSource source);

  const ChartSource& source() const { return source_; }
  std::size_t xColumn() const { return x_; }
  std::size_t yColumn() const { return y_; }
  // Chooses a column for an axis; one out of range is not taken.
  void setX(std::size_t column);
  void setY(std::size_t column);

  const std::vector<ChartPoint>& points() const { return points_; }
  const ChartAxis& xAxis() const { return xAxis_; }
  const ChartAxis& yAxis() const { return yAxis_; }
  std::string xCaption() const;
  std::string yCaption() const;
  // The rows left out because a chosen column holds no number there, and the
  // note that says so ("" when every row is plotted).
  std::size_t missing() const { return missing_; }
  std::string missingNote() const;

  // A point named for the user (UTF-8): its row's name and side, and its two
  // numbers under the columns' captions.
  std::string pointText(std::size_t point) const;

  // The legend: each side that has a point, in colour order ("" for none).
  struct LegendItem {
    std::string side;  // as the rows write it, upper case
    std::size_t colour;
    std::string caption;  // the side, or "No side"
  };
  std::vector<LegendItem> legend() const;
  // The colour of a side: ARM and CORE always their own, other sides in the
  // order of their names, rows without a side the last colour.
  std::size_t colourOf(std::string_view side) const;

  // A point's place in `frame`, and the point nearest (px, py) within
  // `radius` pixels (an index into points()), nothing when none is that near.
  double pixelX(double x, const PlotFrame& frame) const;
  double pixelY(double y, const PlotFrame& frame) const;
  std::optional<std::size_t> pointAt(double px, double py, const PlotFrame& frame, double radius) const;

 private:
  void rebuild();

  ChartSource source_;
  std::size_t x_ = 0, y_ = 0;
  std::vector<std::string> otherSides_;  // sides other than ARM and CORE, sorted
  std::vector<ChartPoint> points_;
  ChartAxis xAxis_, yAxis_;
  std::size_t missing_ = 0;
};

// Round ticks over [low, high]: about `wanted` steps of 1, 2 or 5 times a
// power of ten, the range widened to whole steps.
ChartAxis niceAxis(double low, double high, int wanted = 5);

}  // namespace qm::presentation
