#include "ui/chart_window.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <functional>

#include "ui/controls.h"

namespace qm::ui {

using presentation::ChartState;
using presentation::PlotFrame;

namespace {
constexpr double kDot = 4;    // a point's radius
constexpr double kReach = 7;  // how near the mouse must come to a point
constexpr int kGap = 6;       // between the texts and the axes' box
constexpr int kSwatch = 10;   // a legend line's square

const QString kHint = "Point at a dot to see its row; click it to pick the row.";

QColor colour(std::size_t index) {
  const auto& palette = presentation::chartPalette();
  const presentation::Rgb c = palette[std::min(index, palette.size() - 1)];
  return QColor(c.r, c.g, c.b);
}
}  // namespace

// The plot: the axes' box with its ticks and captions, the points, and the
// legend of sides on the right.
class ChartPlot : public QWidget {
 public:
  ChartPlot(const ChartState& state, QWidget* parent) : QWidget(parent), state_(state) {
    setMouseTracking(true);
    setMinimumSize(320, 240);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
  }

  std::function<void(std::optional<std::size_t>)> hovered;  // a point, or none
  std::function<void(std::size_t)> picked;                  // a point

  // Hover and pick are points of the state's points(): forgotten when they
  // change.
  void reset() {
    hover_.reset();
    picked_.reset();
    setToolTip({});
    update();
  }

  PlotFrame frame() const {
    const QFontMetrics fm = fontMetrics();
    int tickWidth = 0;
    for (const std::string& t : state_.yAxis().tickTexts)
      tickWidth = std::max(tickWidth, fm.horizontalAdvance(QString::fromStdString(t)));
    int legendWidth = 0;
    for (const auto& item : state_.legend())
      legendWidth = std::max(legendWidth, fm.horizontalAdvance(fromCp1252(item.caption)));
    if (legendWidth) legendWidth += kSwatch + 4 * kGap;
    // The last x tick's text reaches half its width past the box.
    const int lastTick = state_.xAxis().tickTexts.empty()
                             ? 0
                             : fm.horizontalAdvance(QString::fromStdString(state_.xAxis().tickTexts.back())) / 2;
    const double left = fm.height() + 2 * kGap + tickWidth, top = fm.height();
    const double right = std::max(legendWidth, lastTick + kGap), bottom = 2 * fm.height() + 2 * kGap;
    return {left, top, std::max(1.0, width() - left - right), std::max(1.0, height() - top - bottom)};
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    const PlotFrame f = frame();
    const QRectF box(f.left, f.top, f.width, f.height);
    const QFontMetrics fm = fontMetrics();
    const QColor ink = palette().color(QPalette::Text);

    // Grid and ticks.
    p.setPen(QColor(225, 225, 225));
    const auto& xs = state_.xAxis();
    const auto& ys = state_.yAxis();
    for (double t : xs.ticks)
      p.drawLine(QPointF(state_.pixelX(t, f), box.top()), QPointF(state_.pixelX(t, f), box.bottom()));
    for (double t : ys.ticks)
      p.drawLine(QPointF(box.left(), state_.pixelY(t, f)), QPointF(box.right(), state_.pixelY(t, f)));
    p.setPen(ink);
    p.drawRect(box);
    for (std::size_t i = 0; i < xs.ticks.size(); ++i) {
      const QString text = QString::fromStdString(xs.tickTexts[i]);
      const double x = state_.pixelX(xs.ticks[i], f);
      p.drawText(QRectF(x - 200, box.bottom() + kGap / 2.0, 400, fm.height()), Qt::AlignHCenter | Qt::AlignTop, text);
    }
    for (std::size_t i = 0; i < ys.ticks.size(); ++i) {
      const QString text = QString::fromStdString(ys.tickTexts[i]);
      const double y = state_.pixelY(ys.ticks[i], f);
      p.drawText(QRectF(0, y - fm.height() / 2.0, box.left() - kGap, fm.height()), Qt::AlignRight | Qt::AlignVCenter,
                 text);
    }

    // The axes' captions: X under its ticks, Y turned up along the left edge.
    p.drawText(QRectF(box.left(), box.bottom() + kGap + fm.height(), box.width(), fm.height() + kGap),
               Qt::AlignHCenter | Qt::AlignBottom, fromUtf8(state_.xCaption()));
    p.save();
    p.translate(0, box.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-box.height() / 2, 0, box.height(), fm.height()), Qt::AlignHCenter | Qt::AlignTop,
               fromUtf8(state_.yCaption()));
    p.restore();

    // The points, in row order: a later row's point covers an earlier one.
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipRect(box.adjusted(-kDot - 1, -kDot - 1, kDot + 1, kDot + 1));
    p.setPen(Qt::NoPen);
    const auto& points = state_.points();
    for (const auto& point : points) {
      p.setBrush(colour(point.colour));
      p.drawEllipse(QPointF(state_.pixelX(point.x, f), state_.pixelY(point.y, f)), kDot, kDot);
    }
    p.setBrush(Qt::NoBrush);
    const auto ring = [&](std::optional<std::size_t> i, double radius, qreal width) {
      if (!i || *i >= points.size()) return;
      p.setPen(QPen(ink, width));
      p.drawEllipse(QPointF(state_.pixelX(points[*i].x, f), state_.pixelY(points[*i].y, f)), radius, radius);
    };
    ring(picked_, kDot + 2.5, 2);
    ring(hover_, kDot + 3, 1);
    p.setClipping(false);

    // The legend.
    p.setRenderHint(QPainter::Antialiasing, false);
    double y = box.top();
    const double x = box.right() + 2 * kGap;
    for (const auto& item : state_.legend()) {
      p.setPen(Qt::NoPen);
      p.setBrush(colour(item.colour));
      p.drawRect(QRectF(x, y + (fm.height() - kSwatch) / 2.0, kSwatch, kSwatch));
      p.setPen(ink);
      p.drawText(QPointF(x + kSwatch + kGap, y + fm.ascent()), fromCp1252(item.caption));
      y += fm.height() + kGap / 2.0;
    }
  }

  void mouseMoveEvent(QMouseEvent* event) override {
    const auto at = state_.pointAt(event->position().x(), event->position().y(), frame(), kReach);
    if (at == hover_) return;
    hover_ = at;
    setToolTip(at ? fromUtf8(state_.pointText(*at)) : QString());
    if (hovered) hovered(at);
    update();
  }

  void leaveEvent(QEvent*) override {
    if (!hover_) return;
    hover_.reset();
    setToolTip({});
    if (hovered) hovered(std::nullopt);
    update();
  }

  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return;
    const auto at = state_.pointAt(event->position().x(), event->position().y(), frame(), kReach);
    if (!at) return;
    picked_ = at;
    update();
    if (picked) picked(*at);
  }

 private:
  const ChartState& state_;
  std::optional<std::size_t> hover_, picked_;
};

ChartWindow::ChartWindow(presentation::ChartSource source, QWidget* parent)
    : QWidget(parent, Qt::Window), state_(std::move(source)) {
  setObjectName("chartWindow");
  setWindowTitle("Chart");
  auto* layout = new QVBoxLayout(this);
  auto* choose = new QHBoxLayout;
  const auto box = [&](const char* name, const QString& caption, std::size_t current) {
    auto* combo = new QComboBox(this);
    combo->setObjectName(name);
    for (const std::string& column : state_.source().columns) combo->addItem(fromUtf8(column));
    combo->setCurrentIndex(static_cast<int>(current));
    combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* label = new QLabel(caption, this);
    label->setBuddy(combo);
    choose->addWidget(label);
    choose->addWidget(combo);
    return combo;
  };
  xBox_ = box("chartX", "&X:", state_.xColumn());
  choose->addSpacing(12);
  yBox_ = box("chartY", "&Y:", state_.yColumn());
  choose->addStretch();
  layout->addLayout(choose);

  plot_ = new ChartPlot(state_, this);
  plot_->setObjectName("chartPlot");
  layout->addWidget(plot_, 1);
  hover_ = new QLabel(this);
  hover_->setObjectName("chartHover");
  hover_->setTextFormat(Qt::PlainText);
  note_ = new QLabel(this);
  note_->setObjectName("chartNote");
  note_->setTextFormat(Qt::PlainText);
  note_->setWordWrap(true);
  layout->addWidget(hover_);
  layout->addWidget(note_);

  plot_->hovered = [this](std::optional<std::size_t> point) {
    hover_->setText(point ? fromUtf8(state_.pointText(*point)) : kHint);
  };
  plot_->picked = [this](std::size_t point) { emit rowPicked(state_.points()[point].row); };
  connect(xBox_, &QComboBox::currentIndexChanged, this, [this](int index) {
    state_.setX(static_cast<std::size_t>(index));
    refresh();
  });
  connect(yBox_, &QComboBox::currentIndexChanged, this, [this](int index) {
    state_.setY(static_cast<std::size_t>(index));
    refresh();
  });
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
  resize(720, 520);
  refresh();
}

QWidget* ChartWindow::plot() const { return plot_; }
PlotFrame ChartWindow::plotFrame() const { return plot_->frame(); }

void ChartWindow::refresh() {
  plot_->reset();
  hover_->setText(kHint);
  note_->setText(fromUtf8(state_.missingNote()));
}

}  // namespace qm::ui
