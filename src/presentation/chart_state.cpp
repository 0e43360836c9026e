#include "presentation/chart_state.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

#include "text/text.h"

namespace qm::presentation {

namespace {

constexpr std::size_t kArm = 0, kCore = 1, kFirstOther = 2;
// At most this many ticks on an axis, whatever the numbers.
constexpr std::size_t kMostTicks = 50;

std::string sideKey(std::string_view side) { return toUpper(trimBlanks(side)); }

// The tick's text: as many decimals as the step needs; very large or small
// steps in the short scientific form.
std::string tickText(double value, double step) {
  char out[64];
  const int decimals = static_cast<int>(std::max(0.0, -std::floor(std::log10(step) + 1e-9)));
  if (step >= 1e7 || decimals > 8)
    std::snprintf(out, sizeof out, "%.6g", value);
  else
    std::snprintf(out, sizeof out, "%.*f", decimals, value);
  return out;
}

ChartAxis plainAxis(double low, double high) {
  ChartAxis axis;
  axis.low = low;
  axis.high = high;
  axis.step = high - low;
  axis.ticks = {low, high};
  for (double t : axis.ticks) axis.tickTexts.push_back(tickText(t, std::isfinite(axis.step) ? axis.step : 1e300));
  return axis;
}

}  // namespace

const std::vector<Rgb>& chartPalette() {
  static const std::vector<Rgb> kPalette = {
      {31, 119, 180},  // ARM: blue
      {214, 39, 40},   // CORE: red
      {44, 160, 44},   // the other sides
      {255, 127, 14}, {148, 103, 189}, {140, 86, 75},
      {23, 190, 207}, {227, 119, 194}, {127, 127, 127},  // no side: grey
  };
  return kPalette;
}

namespace {

// 10 to the power e (|e| <= 22, where a double holds it exactly): the C
// library's pow is not exact on every system.
double powerOfTen(int e) {
  double p = 1;
  for (int i = 0; i < std::abs(e); ++i) p *= 10;
  return e < 0 ? 1 / p : p;
}

}  // namespace

ChartAxis niceAxis(double low, double high, int wanted) {
  if (!std::isfinite(low) || !std::isfinite(high)) return niceAxis(0, 1, wanted);
  if (low > high) std::swap(low, high);
  if (low == high) {
    const double pad = low == 0 ? 1 : std::abs(low) / 10;
    low = std::max(low - pad, -std::numeric_limits<double>::max());
    high = std::min(high + pad, std::numeric_limits<double>::max());
  }
  wanted = std::max(wanted, 1);
  const double rough = (high - low) / wanted;
  const double exponent = std::floor(std::log10(rough));
  const double power = std::abs(exponent) <= 22 ? powerOfTen(static_cast<int>(exponent)) : std::pow(10.0, exponent);
  const double fraction = rough / power;
  // A hair over a round fraction, from the division, counts as round.
  const double slack = 1 + 1e-9;
  const double step = (fraction <= slack ? 1 : fraction <= 2 * slack ? 2 : fraction <= 5 * slack ? 5 : 10) * power;
  const double first = std::floor(low / step) * step, last = std::ceil(high / step) * step;
  const double count = std::round((last - first) / step);
  if (!std::isfinite(step) || step <= 0 || !std::isfinite(first) || !std::isfinite(last) || !(count >= 1) ||
      count > kMostTicks || first + step == first)
    return plainAxis(low, high);
  ChartAxis axis;
  axis.low = first;
  axis.high = last;
  axis.step = step;
  for (std::size_t i = 0; i <= static_cast<std::size_t>(count); ++i) {
    // first is a whole number of steps: the tick at zero is exactly 0, never -0.
    const double t = first + static_cast<double>(i) * step;
    axis.ticks.push_back(t);
    axis.tickTexts.push_back(tickText(t, step));
  }
  return axis;
}

ChartState::ChartState(ChartSource source) : source_(std::move(source)) {
  const std::size_t columns = source_.columns.size();
  x_ = source_.initialX < columns ? source_.initialX : 0;
  y_ = source_.initialY < columns ? source_.initialY : std::min<std::size_t>(1, columns ? columns - 1 : 0);
  for (const std::string& side : source_.rowSides) {
    std::string key = sideKey(side);
    if (!key.empty() && key != "ARM" && key != "CORE") otherSides_.push_back(std::move(key));
  }
  std::sort(otherSides_.begin(), otherSides_.end());
  otherSides_.erase(std::unique(otherSides_.begin(), otherSides_.end()), otherSides_.end());
  rebuild();
}

void ChartState::setX(std::size_t column) {
  if (column >= source_.columns.size()) return;
  x_ = column;
  rebuild();
}

void ChartState::setY(std::size_t column) {
  if (column >= source_.columns.size()) return;
  y_ = column;
  rebuild();
}

std::size_t ChartState::colourOf(std::string_view side) const {
  const std::string key = sideKey(side);
  const std::size_t none = chartPalette().size() - 1;
  if (key.empty()) return none;
  if (key == "ARM") return kArm;
  if (key == "CORE") return kCore;
  const auto at = std::lower_bound(otherSides_.begin(), otherSides_.end(), key);
  const auto index = static_cast<std::size_t>(at - otherSides_.begin());
  return kFirstOther + index % (none - kFirstOther);
}

void ChartState::rebuild() {
  points_.clear();
  missing_ = 0;
  const std::size_t rows = source_.rowNames.size();
  const bool canRead = !source_.columns.empty() && source_.value;
  double xLow = 0, xHigh = 0, yLow = 0, yHigh = 0;
  for (std::size_t row = 0; row < rows; ++row) {
    const auto number = [&](std::size_t column) {
      const std::optional<double> v = source_.value(row, column);
      return v && std::isfinite(*v) ? v : std::nullopt;
    };
    const std::optional<double> x = canRead ? number(x_) : std::nullopt;
    const std::optional<double> y = x ? number(y_) : std::nullopt;
    if (!y) {
      ++missing_;
      continue;
    }
    if (points_.empty()) {
      xLow = xHigh = *x;
      yLow = yHigh = *y;
    }
    xLow = std::min(xLow, *x), xHigh = std::max(xHigh, *x);
    yLow = std::min(yLow, *y), yHigh = std::max(yHigh, *y);
    const std::string side = row < source_.rowSides.size() ? source_.rowSides[row] : std::string();
    points_.push_back({row, *x, *y, colourOf(side)});
  }
  if (points_.empty()) xLow = yLow = 0, xHigh = yHigh = 1;
  xAxis_ = niceAxis(xLow, xHigh);
  yAxis_ = niceAxis(yLow, yHigh);
}

std::string ChartState::xCaption() const { return x_ < source_.columns.size() ? source_.columns[x_] : std::string(); }
std::string ChartState::yCaption() const { return y_ < source_.columns.size() ? source_.columns[y_] : std::string(); }

std::string ChartState::missingNote() const {
  if (source_.columns.empty()) return "No number columns to chart.";
  if (missing_ == 0) return {};
  std::string note = std::to_string(missing_) + " of " + std::to_string(source_.rowNames.size()) +
                     (source_.rowNames.size() == 1 ? " row" : " rows") + " not plotted: no number in " + xCaption();
  if (y_ != x_) note += " or " + yCaption();
  return note + ".";
}

std::string ChartState::pointText(std::size_t point) const {
  const ChartPoint& p = points_.at(point);
  const auto number = [](double v) {
    char out[32];
    std::snprintf(out, sizeof out, "%.6g", v);
    return std::string(out);
  };
  std::string text = cp1252ToUtf8(source_.rowNames[p.row]);
  if (p.row < source_.rowSides.size() && !trimBlanks(source_.rowSides[p.row]).empty())
    text += " (" + cp1252ToUtf8(trimBlanks(source_.rowSides[p.row])) + ")";
  text += ": " + xCaption() + " " + number(p.x);
  if (y_ != x_) text += ", " + yCaption() + " " + number(p.y);
  return text;
}

std::vector<ChartState::LegendItem> ChartState::legend() const {
  std::vector<LegendItem> items;
  const auto has = [&](std::size_t colour) {
    return std::any_of(points_.begin(), points_.end(), [&](const ChartPoint& p) { return p.colour == colour; });
  };
  if (has(kArm)) items.push_back({"ARM", kArm, "ARM"});
  if (has(kCore)) items.push_back({"CORE", kCore, "CORE"});
  for (const std::string& side : otherSides_)
    if (has(colourOf(side))) items.push_back({side, colourOf(side), side});
  const std::size_t none = chartPalette().size() - 1;
  if (has(none)) items.push_back({"", none, "No side"});
  return items;
}

// Halves first, so that the widest axis does not overflow.
double ChartState::pixelX(double x, const PlotFrame& frame) const {
  return frame.left + (x / 2 - xAxis_.low / 2) / (xAxis_.high / 2 - xAxis_.low / 2) * frame.width;
}

double ChartState::pixelY(double y, const PlotFrame& frame) const {
  return frame.top + frame.height - (y / 2 - yAxis_.low / 2) / (yAxis_.high / 2 - yAxis_.low / 2) * frame.height;
}

std::optional<std::size_t> ChartState::pointAt(double px, double py, const PlotFrame& frame, double radius) const {
  std::optional<std::size_t> nearest;
  double best = radius * radius;
  // The later of two points as near is the one drawn on top.
  for (std::size_t i = 0; i < points_.size(); ++i) {
    const double dx = pixelX(points_[i].x, frame) - px, dy = pixelY(points_[i].y, frame) - py;
    const double distance = dx * dx + dy * dy;
    if (distance <= best) best = distance, nearest = i;
  }
  return nearest;
}

}  // namespace qm::presentation
