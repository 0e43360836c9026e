// The Weapons table window used as a user uses it, offscreen: opened from the
// main window, filtered, sorted, its columns chosen, saved, and two weapons
// compared.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

#include "support.h"
#include "ui/table_window.h"

using namespace qm;
using namespace qm::test;

namespace {

// The main window on three weapons, with the table opened by F6.
struct Table : Window {
  ui::TableWindow* t = nullptr;
  Table()
      : Window(weapon("GUN", "7", {"reloadtime=10;", "range=700;", "[DAMAGE]", "{", "default=5;", "}"}) +
               weapon("LASER", "9", {"reloadtime=9;", "range=300;"}) +
               weapon("BIG", "12", {"reloadtime=100;", "range=900;", "name=Big, \"one\";"})) {
    w.show();
    if (!QTest::qWaitForWindowExposed(&w)) qFatal("the window is not shown");
    QTest::keyClick(&w, Qt::Key_F6);
    t = w.tableWindow();
    if (!t || !QTest::qWaitForWindowExposed(t)) qFatal("the table is not shown");
  }
  QTableView* view() { return t->view(); }
  QStringList column(int c) {
    QStringList out;
    for (int r = 0; r < view()->model()->rowCount(); ++r)
      out << view()->model()->index(r, c).data().toString().trimmed();
    return out;
  }
  QString header(int c) { return view()->model()->headerData(c, Qt::Horizontal).toString(); }
  QPoint cell(int row, int c = 0) { return view()->visualRect(view()->model()->index(row, c)).center(); }
  void clickRow(int row, Qt::KeyboardModifiers keys = {}) {
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, keys, cell(row, 3));
  }
};

constexpr int kReloadTime = 10, kRange = 32;  // columns: the entry, then the fields by number

}  // namespace

class TableTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QCoreApplication::setOrganizationName("quillmark-table-test");
    QSettings().clear();
  }

  // F6 opens it on every weapon of the list, with the main window's captions;
  // it follows the mode switch and an import.
  void opensAndFollowsTheMainWindow() {
    Table f;
    QCOMPARE(f.column(0), QStringList({"7 - GUN", "9 - LASER", "12 - BIG"}));
    QCOMPARE(f.header(kReloadTime), QString("Reload Time"));
    click(&f.w, "Option2");
    QCOMPARE(f.header(kReloadTime), QString("reloadtime"));
    f.host.paths.push_back(f.write("extra.tdf", weapon("ROCKET", "20")));
    click(&f.w, "Command62");
    QCOMPARE(f.column(0).last(), QString("20 - ROCKET"));
  }

  // The filter box takes comparisons and texts; a click on a header sorts
  // numbers as numbers.
  void filterAndSort() {
    Table f;
    QLineEdit* filter = f.t->findChild<QLineEdit*>("tableFilter");
    QTest::keyClicks(filter, "range>600");
    QCOMPARE(f.column(0), QStringList({"7 - GUN", "12 - BIG"}));
    filter->clear();
    QTest::keyClicks(filter, "laser");
    QCOMPARE(f.column(0), QStringList({"9 - LASER"}));
    filter->clear();
    QHeaderView* header = f.view()->horizontalHeader();
    f.view()->scrollTo(f.view()->model()->index(0, kReloadTime));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(kReloadTime) + 5, header->height() / 2));
    QCOMPARE(f.column(kReloadTime), QStringList({"9", "10", "100"}));
  }

  // The column chooser hides a column and a new window remembers it; the
  // name column stays in view when scrolled sideways.
  void columnsAndTheFrozenName() {
    {
      Table f;
      auto* button = f.t->findChild<QToolButton*>("tableColumns");
      QTimer::singleShot(0, [button] {
        QAction* range = button->menu()->actions().at(kRange - 1);
        button->menu()->close();
        QCOMPARE(range->text(), QString("range"));
        range->trigger();
      });
      QTest::mouseClick(button, Qt::LeftButton);
      QVERIFY(f.view()->isColumnHidden(kRange));
    }
    Table f;
    QVERIFY(f.view()->isColumnHidden(kRange));
    f.view()->horizontalScrollBar()->setValue(f.view()->horizontalScrollBar()->maximum());
    QVERIFY(f.view()->columnViewportPosition(0) < 0);
    QVERIFY(f.t->frozenView()->isVisible());
    QCOMPARE(f.t->frozenView()->columnViewportPosition(0), 0);
    QCOMPARE(f.t->frozenView()->x(), f.view()->verticalHeader()->width() + f.view()->frameWidth());
    QSettings().clear();
  }

  // Save as CSV writes what the window shows, RFC 4180.
  void saveAsCsv() {
    Table f;
    click(&f.w, "Option2");
    QTest::keyClicks(f.t->findChild<QLineEdit*>("tableFilter"), "big");
    const std::string path = (f.game.path() / "table.csv").string();
    f.t->askCsvPath = [&] { return std::optional<QString>(QString::fromStdString(path)); };
    QTest::mouseClick(f.t->findChild<QPushButton*>("tableSaveCsv"), Qt::LeftButton);
    const std::string csv = readFile(path);
    QVERIFY(csv.rfind("entry,name,[NAME],id,", 0) == 0);
    QVERIFY(csv.find("\r\n 12 - BIG,\"Big, \"\"one\"\"\",BIG,12,") != std::string::npos);
    QCOMPARE(std::count(csv.begin(), csv.end(), '\n'), 2);
  }

  // A double-click picks the weapon in the main window.
  void doubleClickPicksTheWeapon() {
    Table f;
    QTest::mouseClick(f.view()->viewport(), Qt::LeftButton, {}, f.cell(2, 3));
    QTest::mouseDClick(f.view()->viewport(), Qt::LeftButton, {}, f.cell(2, 3));
    QCOMPARE(f.list()->currentText(), QString(" 12 - BIG"));
    QCOMPARE(f.w.state().weapon()[Slot::BracketName], std::string("BIG"));
  }

  // Two rows selected and Compare, or "Compare with..." on the main window's
  // list and a click on a row: the two side by side, differences marked.
  void compareTwoWeapons() {
    Table f;
    f.clickRow(0);
    f.clickRow(1, Qt::ControlModifier);
    QTest::mouseClick(f.t->findChild<QPushButton*>("tableCompare"), Qt::LeftButton);
    ui::CompareDialog* d = f.t->compareDialog();
    QVERIFY(d->isVisible());
    QCOMPARE(d->table()->horizontalHeaderItem(1)->text(), QString("7 - GUN"));
    d->onlyDifferences()->click();
    QStringList shown;
    for (int r = 0; r < d->table()->rowCount(); ++r)
      if (!d->table()->isRowHidden(r)) shown << d->table()->item(r, 0)->text() + "=" + d->table()->item(r, 2)->text();
    QCOMPARE(shown, QStringList({"Actual Name=LASER", "Weapon ID=9", "Reload Time=9", "Range=300", "damage.default="}));
    QVERIFY(d->table()->item(kReloadTime - 1, 1)->font().bold() && !d->table()->item(0, 1)->font().bold());

    emit f.list()->activated(2);  // BIG on display
    QTimer::singleShot(0, [] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      QVERIFY(menu);
      menu->close();
      for (QAction* a : menu->actions())
        if (a->text() == "Compare with...") a->trigger();
    });
    emit f.list()->lineEdit()->customContextMenuRequested({1, 1});
    f.clickRow(1);
    QCOMPARE(d->table()->horizontalHeaderItem(1)->text(), QString("12 - BIG"));
    QCOMPARE(d->table()->horizontalHeaderItem(2)->text(), QString("9 - LASER"));
  }
};

QTEST_MAIN(TableTest)
#include "table_test.moc"
