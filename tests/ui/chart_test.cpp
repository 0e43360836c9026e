// The balance chart used as a user uses it, offscreen: columns chosen with
// the combo boxes, a point named by hovering and picked by a click, Escape;
// and its picture, each point drawn in its side's colour where it belongs.
// With QM_SCREENSHOT_DIR set, the picture docs/chart.png is written there.
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <cmath>

#include "ui/chart_window.h"

using namespace qm;

namespace {

// Units with their side, BuildCostMetal, dps and hit points; NaN where the
// cell holds no number.
struct Unit {
  const char* name;
  const char* side;
  double cost, dps, hp;
};
const double kNone = std::nan("");
const Unit kUnits[] = {
    {"ARMFLASH", "ARM", 105, 33.3, 720}, {"ARMSTUMP", "ARM", 156, 41, 1300}, {"ARMBULL", "ARM", 430, 92, 2800},
    {"CORGATOR", "CORE", 112, 30, 750},  {"CORRAID", "CORE", 160, 45, 1450}, {"CORREAP", "CORE", 460, 88, kNone},
    {"ARMWAR", "ARM", kNone, 28, 1200},  {"GOKSCOUT", "", 60, 8, 300},
};

presentation::ChartSource source() {
  presentation::ChartSource s;
  s.columns = {"BuildCostMetal", "dps", "MaxDamage"};
  for (const Unit& u : kUnits) s.rowNames.push_back(u.name), s.rowSides.push_back(u.side);
  s.value = [](std::size_t row, std::size_t column) -> std::optional<double> {
    const Unit& u = kUnits[row];
    const double v = column == 0 ? u.cost : column == 1 ? u.dps : u.hp;
    return std::isnan(v) ? std::nullopt : std::optional<double>(v);
  };
  return s;
}

struct Chart {
  ui::ChartWindow w{source()};
  Chart() {
    w.show();
    if (!QTest::qWaitForWindowExposed(&w)) qFatal("the chart is not shown");
  }
  QComboBox* box(const char* name) { return w.findChild<QComboBox*>(name); }
  QString label(const char* name) { return w.findChild<QLabel*>(name)->text(); }
  // Where the point of row `row` is drawn, in the plot's pixels.
  QPointF at(std::size_t row) {
    for (const auto& p : w.state().points())
      if (p.row == row) return {w.state().pixelX(p.x, w.plotFrame()), w.state().pixelY(p.y, w.plotFrame())};
    qFatal("row %zu not plotted", row);
  }
};

}  // namespace

class ChartTest : public QObject {
  Q_OBJECT

 private slots:
  void chooseColumnsHoverAndPick() {
    Chart c;
    QCOMPARE(c.box("chartX")->currentText(), "BuildCostMetal");
    QCOMPARE(c.box("chartY")->currentText(), "dps");
    QCOMPARE(c.label("chartNote"), "1 of 8 rows not plotted: no number in BuildCostMetal or dps.");

    // Y becomes MaxDamage by the keyboard, as a user picks it.
    c.box("chartY")->setFocus();
    QTest::keyClick(c.box("chartY"), Qt::Key_Down);
    QCOMPARE(c.w.state().yColumn(), 2u);
    QCOMPARE(c.label("chartNote"), "2 of 8 rows not plotted: no number in BuildCostMetal or MaxDamage.");
    QCOMPARE(c.w.state().points().size(), 6u);

    // Hovering names the row; moving away forgets it.
    QWidget* plot = c.w.plot();
    QTest::mouseMove(plot, c.at(4).toPoint());
    QTRY_COMPARE(c.label("chartHover"), "CORRAID (CORE): BuildCostMetal 160, MaxDamage 1450");
    QCOMPARE(plot->toolTip(), c.label("chartHover"));
    QTest::mouseMove(plot, QPoint(plot->width() - 2, plot->height() - 2));
    QTRY_VERIFY(plot->toolTip().isEmpty());

    // A click on a point picks its row; a click beside every point picks none.
    QSignalSpy picked(&c.w, &ui::ChartWindow::rowPicked);
    QTest::mouseClick(plot, Qt::LeftButton, {}, c.at(7).toPoint());
    QCOMPARE(picked.size(), 1);
    QCOMPARE(picked[0][0].value<std::size_t>(), 7u);
    const auto frame = c.w.plotFrame();
    const QPointF empty(frame.left + frame.width * 0.55, frame.top + frame.height * 0.85);
    QVERIFY(!c.w.state().pointAt(empty.x(), empty.y(), frame, 20));
    QTest::mouseClick(plot, Qt::LeftButton, {}, empty.toPoint());
    QCOMPARE(picked.size(), 1);

    QTest::keyClick(&c.w, Qt::Key_Escape);
    QVERIFY(!c.w.isVisible());
  }

  // The plot as the user sees it: each point's middle in its side's colour at
  // its place, the legend's sides, the captions and ticks in the margins.
  void picture() {
    Chart c;
    c.w.resize(720, 520);
    QTest::qWait(0);
    const QImage image = c.w.plot()->grab().toImage();
    const auto& palette = presentation::chartPalette();
    // A pixel under the place (x, y) of the plot, at any screen scale.
    const auto colourAt = [&](QPointF p) {
      const qreal scale = image.devicePixelRatio();
      return image.pixelColor(int(std::floor(p.x() * scale)), int(std::floor(p.y() * scale)));
    };
    const auto& points = c.w.state().points();
    QCOMPARE(points.size(), 7u);
    for (const auto& p : points) {
      const auto rgb = palette[p.colour];
      QCOMPARE(colourAt(c.at(p.row)), QColor(rgb.r, rgb.g, rgb.b));
    }
    // Nothing drawn between the points.
    const auto frame = c.w.plotFrame();
    const QColor paper = c.w.plot()->palette().color(QPalette::Base);
    QCOMPARE(colourAt({frame.left + frame.width * 0.55, frame.top + frame.height * 0.85}), paper);
    // The legend holds ARM, CORE and "No side" (each a square of its colour).
    int swatches = 0;
    for (int y = int(frame.top); y < int(frame.top + frame.height); ++y) {
      const QColor px = colourAt(QPointF(frame.left + frame.width + 14, y));
      for (std::size_t k : {0, 1, 8})
        if (px == QColor(palette[k].r, palette[k].g, palette[k].b) &&
            colourAt(QPointF(frame.left + frame.width + 14, y - 1)) != px)
          ++swatches;
    }
    QCOMPARE(swatches, 3);
    // The captions: X's under the tick texts, Y's turned up along the left
    // edge, left of the widest tick text.
    const auto inked = [&](QRect r) {
      for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
          if (colourAt(QPointF(x, y)).lightness() < 100) return true;
      return false;
    };
    const int line = c.w.plot()->fontMetrics().height();
    QVERIFY(inked(QRect(int(frame.left), int(frame.top + frame.height) + line + 6, int(frame.width), line)));
    QVERIFY(inked(QRect(0, int(frame.top), line, int(frame.height))));

    const QString pictures = qEnvironmentVariable("QM_SCREENSHOT_DIR");
    if (!pictures.isEmpty() && QDir().mkpath(pictures)) {
      QTest::mouseMove(c.w.plot(), c.at(4).toPoint());
      QTRY_VERIFY(!c.w.plot()->toolTip().isEmpty());
      QVERIFY(c.w.grab().save(QDir(pictures).filePath("chart.png")));
    }
  }
};

QTEST_MAIN(ChartTest)
#include "chart_test.moc"
