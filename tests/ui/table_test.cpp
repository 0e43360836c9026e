// The Weapons table window used as a user uses it, offscreen: opened from the
// main window, filtered, sorted, its columns chosen, saved, two weapons
// compared, and one field of many weapons changed at once.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "support.h"
#include "ui/change_field_dialog.h"
#include "ui/chart_window.h"
#include "ui/edit_controller.h"
#include "ui/table_window.h"

using namespace qm;
using namespace qm::test;

namespace {

// The main window on three weapons, with the table opened by F6.
struct Table : Window {
  ui::TableWindow* t = nullptr;
  explicit Table(const QByteArray& cannons =
                     weapon("GUN", "7", {"reloadtime=10;", "range=700;", "[DAMAGE]", "{", "default=5;", "}"}) +
                     weapon("LASER", "9", {"reloadtime=9;", "range=300;"}) +
                     weapon("BIG", "12", {"reloadtime=100;", "range=900;", "name=Big, \"one\";"}))
      : Window(cannons) {
    w.show();
    w.activateWindow();
    if (!QTest::qWaitForWindowActive(&w)) qFatal("the window is not active");
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
  void clickRow(int row, Qt::KeyboardModifiers keys = {}, int c = 3) {
    view()->scrollTo(view()->model()->index(row, c));
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, keys, cell(row, c));
  }
  // Brings a window to the front, as a click on it does, for its keys.
  static void activate(QWidget* window) {
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window)) qFatal("the window is not active");
  }
};

constexpr int kReloadTime = 10, kRange = 32;  // columns: the entry, then the fields by number

// Runs `use` on the column chooser once it is shown.
void inColumnDialog(std::function<void(QDialog*)> use) {
  QTimer::singleShot(0, [use] {
    auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    QVERIFY(d && d->objectName() == "columnDialog");
    use(d);
    if (d->isVisible()) d->reject();  // a failed check ends the dialog too
  });
}

}  // namespace

class TableTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QCoreApplication::setOrganizationName("quillmark-table-test"); }
  // Each test starts from no remembered columns, widths or place.
  void init() { QSettings().clear(); }

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
    QCOMPARE(f.view()->verticalHeader()->count(), 2);
    filter->clear();
    // A mistyped field's name: its words are texts, and the line says why.
    QTest::keyClicks(filter, "reloadtim > 5");
    QCOMPARE(f.view()->model()->rowCount(), 0);
    QCOMPARE(
        f.t->findChild<QLabel*>("tableStatus")->text(),
        QString("0 of 3 weapons \u2014 no field \"reloadtim\" (did you mean \"reloadtime\"?): looked for as text"));
    filter->clear();
    QHeaderView* header = f.view()->horizontalHeader();
    f.view()->scrollTo(f.view()->model()->index(0, kReloadTime));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(kReloadTime) + 5, header->height() / 2));
    QCOMPARE(f.column(kReloadTime), QStringList({"9", "10", "100"}));
    QCOMPARE(f.view()->model()->headerData(0, Qt::Vertical).toInt(), 2);  // rows keep their numbers
  }

  // The column chooser hides a column, and a new window remembers it with
  // the widths and the place it was closed with; the name column stays in
  // view when scrolled sideways.
  void columnsAndTheFrozenName() {
    {
      Table f;
      inColumnDialog([](QDialog* d) {
        QListWidgetItem* range = control<QListWidget>(d, "columnList")->item(kRange - 1);
        QCOMPARE(range->text(), QString("Range  \u2014  range"));
        range->setCheckState(Qt::Unchecked);
        d->accept();
      });
      QTest::mouseClick(f.t->findChild<QToolButton*>("tableColumns"), Qt::LeftButton);
      QVERIFY(f.view()->isColumnHidden(kRange));
      f.view()->horizontalHeader()->resizeSection(kReloadTime, 333);  // as a drag of its edge does
      f.t->resize(900, 500);
      f.t->close();
    }
    Table f;
    QVERIFY(f.view()->isColumnHidden(kRange));
    // The window and the column's width as they were closed.
    QCOMPARE(f.view()->columnWidth(kReloadTime), 333);
    QCOMPARE(f.t->size(), QSize(900, 500));
    f.view()->horizontalScrollBar()->setValue(f.view()->horizontalScrollBar()->maximum());
    QVERIFY(f.view()->columnViewportPosition(0) < 0);
    QVERIFY(f.t->frozenView()->isVisible());
    QCOMPARE(f.t->frozenView()->columnViewportPosition(0), 0);
    QCOMPARE(f.t->frozenView()->x(), f.view()->verticalHeader()->width() + f.view()->frameWidth());
  }

  // The column chooser: the filter narrows the list by
  // caption or key, None and All act on what it lists, Reset shows every
  // column; a named set is kept between runs and shows its columns again;
  // Cancel changes nothing.
  void columnSetsAreRemembered() {
    {
      Table f;
      inColumnDialog([](QDialog* d) {
        QTest::keyClicks(control(d, "columnFilter"), "reload");  // "Reload Time" and its key
        QCOMPARE(control<QListWidget>(d, "columnList")->count(), 1);
        click(d, "columnsNone");
        control<QLineEdit>(d, "columnFilter")->clear();
        auto* set = control<QComboBox>(d, "columnSet");
        QTest::keyClicks(set->lineEdit(), "no reload");
        click(d, "columnSetSave");
        click(d, "columnsReset");
        d->accept();
      });
      QTest::mouseClick(f.t->findChild<QToolButton*>("tableColumns"), Qt::LeftButton);
      QVERIFY(!f.view()->isColumnHidden(kReloadTime));
    }
    Table f;
    inColumnDialog([](QDialog* d) {
      auto* set = control<QComboBox>(d, "columnSet");
      QCOMPARE(set->count(), 1);
      set->activated(set->findText("no reload"));
      QCOMPARE(control<QListWidget>(d, "columnList")->item(kReloadTime - 1)->checkState(), Qt::Unchecked);
      d->accept();
    });
    QTest::mouseClick(f.t->findChild<QToolButton*>("tableColumns"), Qt::LeftButton);
    QVERIFY(f.view()->isColumnHidden(kReloadTime) && !f.view()->isColumnHidden(kRange));
    inColumnDialog([](QDialog* d) {
      QTest::keyClicks(control(d, "columnFilter"), "range");
      click(d, "columnsAll");  // all of what is listed
      d->reject();             // Cancel
    });
    QTest::mouseClick(f.t->findChild<QToolButton*>("tableColumns"), Qt::LeftButton);
    QVERIFY(f.view()->isColumnHidden(kReloadTime));
  }

  // Tab goes from the filter straight to the rows; Change field is offered
  // only while a selected row is in view.
  void changeFieldFollowsTheRowsInView() {
    Table f;
    Table::activate(f.t);
    auto* filter = f.t->findChild<QLineEdit*>("tableFilter");
    filter->setFocus();
    QTest::keyClick(filter, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), f.view());
    f.clickRow(0);  // GUN
    auto* change = f.t->findChild<QPushButton*>("tableChangeField");
    QVERIFY(change->isEnabled());
    QTest::keyClicks(filter, "laser");
    QVERIFY(!change->isEnabled());
  }

  // Columns open as wide as their texts (a very long one cut to a readable
  // width), in list order, with no arrow on any header.
  void columnsFitTheirTexts() {
    const QString entry = "  3 - CORE_HEAVY_PLASMA_CANNON", name = "Ion Cannon of the Outer Rim Fleet";
    Table f(weapon("CORE_HEAVY_PLASMA_CANNON", "3", {"name=" + name.toUtf8() + ";"}) +
            weapon("TALL", "4", {"name=" + QByteArray(300, 'x') + ";"}));
    QCOMPARE(f.column(0).first(), entry.trimmed());
    const QFontMetrics metrics = f.view()->fontMetrics();
    QVERIFY(f.view()->columnWidth(0) > metrics.horizontalAdvance(entry));
    QVERIFY(f.t->frozenView()->columnWidth(0) == f.view()->columnWidth(0));
    // In list order: no column's header shows an arrow.
    QCOMPARE(f.view()->horizontalHeader()->sortIndicatorSection(), -1);
    QCOMPARE(f.t->frozenView()->horizontalHeader()->sortIndicatorSection(), -1);
    QVERIFY(f.view()->columnWidth(1) > metrics.horizontalAdvance(name));
    QVERIFY(f.view()->columnWidth(1) < metrics.horizontalAdvance(QString(300, 'x')) / 2);
  }

  // Save as CSV writes what the window shows, RFC 4180; Ctrl+F finds the filter box.
  void saveAsCsv() {
    Table f;
    click(&f.w, "Option2");
    // Ctrl+F goes to the filter box from the rows.
    f.clickRow(0);
    QTest::keyClick(f.view(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(f.t->findChild<QLineEdit*>("tableFilter")->hasFocus());
    QTest::keyClicks(QApplication::focusWidget(), "big");
    // A name typed without its suffix gets ".csv".
    const std::string path = (f.game.path() / "table").string();
    f.host.paths.push_back(path);
    QTest::mouseClick(f.t->findChild<QPushButton*>("tableSaveCsv"), Qt::LeftButton);
    const std::string csv = readFile(path + ".csv");
    QVERIFY(csv.rfind("entry,name,[NAME],id,", 0) == 0);
    QVERIFY(csv.find("\r\n 12 - BIG,\"Big, \"\"one\"\"\",BIG,12,") != std::string::npos);
    QCOMPARE(std::count(csv.begin(), csv.end(), '\n'), 2);
  }

  // Ctrl+C copies the selected rows' shown cells for a spreadsheet; the rows'
  // menu copies them with the columns' names too.
  void copySelectedRows() {
    Table f;
    click(&f.w, "Option2");
    for (int c = 1; c < f.view()->model()->columnCount(); ++c) f.view()->setColumnHidden(c, c != 1 && c != kReloadTime);
    f.clickRow(0, {}, 1);
    f.clickRow(2, Qt::ControlModifier, 1);
    QApplication::clipboard()->clear();
    QTest::keyClick(f.view(), Qt::Key_C, Qt::ControlModifier);
    const QString rows = "  7 - GUN\t\t10\n 12 - BIG\t\"Big, \"\"one\"\"\"\t100\n";
    QCOMPARE(QApplication::clipboard()->text(), rows);

    chooseInMenu("Copy with column names");
    emit f.view()->customContextMenuRequested(f.cell(0, 1));
    QCOMPARE(QApplication::clipboard()->text(), "entry\tname\treloadtime\n" + rows);
  }

  // A double-click, or Enter, picks the weapon in the main window.
  void doubleClickPicksTheWeapon() {
    Table f;
    QTest::mouseClick(f.view()->viewport(), Qt::LeftButton, {}, f.cell(2, 3));
    QTest::mouseDClick(f.view()->viewport(), Qt::LeftButton, {}, f.cell(2, 3));
    QCOMPARE(f.list()->currentText(), QString(" 12 - BIG"));
    QCOMPARE(f.w.state().weapon()[Slot::BracketName], std::string("BIG"));
    // Enter on a row does the same.
    f.clickRow(1);
    QCOMPARE(f.t->findChild<QLabel*>("tableStatus")->text(), QString("3 of 3 weapons, 1 selected"));
    QTest::keyClick(f.view(), Qt::Key_Return);
    QCOMPARE(f.w.state().weapon()[Slot::BracketName], std::string("LASER"));
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
    QVERIFY(qAbs(d->table()->columnWidth(1) - d->table()->columnWidth(2)) <= 1);  // the two weapons alike
    d->onlyDifferences()->click();
    QStringList shown;
    for (int r = 0; r < d->table()->rowCount(); ++r)
      if (!d->table()->isRowHidden(r)) shown << d->table()->item(r, 0)->text() + "=" + d->table()->item(r, 2)->text();
    QCOMPARE(shown, QStringList({"Actual Name=LASER", "Weapon ID=9", "Reload Time=9", "Range=300", "damage.default="}));
    QVERIFY(d->table()->item(kReloadTime - 1, 1)->font().bold() && !d->table()->item(0, 1)->font().bold());

    emit f.list()->activated(2);  // BIG on display
    chooseInMenu("Compare with...");
    emit f.list()->lineEdit()->customContextMenuRequested({1, 1});
    f.clickRow(1);
    QCOMPARE(d->table()->horizontalHeaderItem(1)->text(), QString("12 - BIG"));
    QCOMPARE(d->table()->horizontalHeaderItem(2)->text(), QString("9 - LASER"));
  }

  // Filtered and sorted; then the reload time of three weapons
  // multiplied by 0.9 through Change field, seen in its preview, applied,
  // undone, applied again and saved: the file differs in exactly those values.
  // A value with a comment behind its ";" is shown, sorted and multiplied as
  // the table reads it.
  void changeFieldOfThreeWeapons() {
    Table f(weapon("GUN", "7", {"reloadtime=1.5;", "range=700;"}) + weapon("LASER", "9", {"reloadtime=0.8;"}) +
            weapon("BIG", "12", {"reloadtime=10;", "range=900;"}) +
            weapon("ROCKET", "14", {"reloadtime=2.5; // tuned", "range=650;"}) +
            weapon("MINE", "20", {"reloadtime=4;", "range=610;"}));
    const auto file = f.game.path() / "weapons" / "cannons.tdf";
    const QString before = QString::fromStdString(readFile(file));
    QTest::keyClicks(f.t->findChild<QLineEdit*>("tableFilter"), "range>600");
    QHeaderView* header = f.view()->horizontalHeader();
    f.view()->scrollTo(f.view()->model()->index(0, kReloadTime));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(kReloadTime) + 5, header->height() / 2));
    QCOMPARE(f.column(0), QStringList({"7 - GUN", "14 - ROCKET", "20 - MINE", "12 - BIG"}));

    // Three rows picked in the reload time column, Change field by its button
    // or by F2: that field comes first, and Apply waits for a value.
    ui::ChangeFieldDialog* d = nullptr;
    const auto multiply = [&](bool byKey) {
      Table::activate(f.t);
      for (int row : {0, 1, 3}) f.clickRow(row, row ? Qt::ControlModifier : Qt::NoModifier, kReloadTime);
      if (byKey)
        QTest::keyClick(f.view(), Qt::Key_F2);
      else
        QTest::mouseClick(f.t->findChild<QPushButton*>("tableChangeField"), Qt::LeftButton);
      d = f.t->changeFieldDialog();
      QVERIFY(d && d->isVisible());
      QCOMPARE(control<QComboBox>(d, "changeFieldKey")->currentData().toString(), QString("reloadtime"));
      QVERIFY(!control<QPushButton>(d, "changeFieldApply")->isEnabled());
      control<QComboBox>(d, "changeFieldOperation")->setCurrentIndex(1);
      QTest::keyClicks(control<QLineEdit>(d, "changeFieldValue"), "0.9");
    };
    multiply(false);
    auto* preview = control<QTableWidget>(d, "changeFieldPreview");
    // The columns fit their texts, and the note takes the rest of the width.
    const QHeaderView* previewHeader = preview->horizontalHeader();
    const int note = previewHeader->count() - 1;
    QCOMPARE(previewHeader->sectionViewportPosition(note) + previewHeader->sectionSize(note),
             preview->viewport()->width());
    QStringList cells;
    for (int r = 0; r < preview->rowCount(); ++r)
      for (int c = 0; c < 4; ++c) cells << preview->item(r, c)->text();
    QCOMPARE(cells.join("|"), QString("GUN|weapons/cannons.tdf|1.5|1.35|ROCKET|weapons/cannons.tdf|2.5; // tune|"
                                      "2.25; // tune|BIG|weapons/cannons.tdf|10|9"));
    QCOMPARE(QString::fromStdString(readFile(file)), before);  // nothing changed yet
    QTest::mouseClick(control<QPushButton>(d, "changeFieldApply"), Qt::LeftButton);
    QCOMPARE(f.column(kReloadTime), QStringList({"1.35", "2.25; // tune", "4", "9"}));
    QCOMPARE(f.w.windowTitle(), QString("Quillmark *"));
    QCOMPARE(f.w.editing().undoStack().undoText(), QString("Multiply reloadtime by 0.9 (3 weapons)"));
    QCOMPARE(f.t->windowTitle(), QString("Weapons table *"));

    // Undo from the table itself, as from the main window.
    QTest::keyClick(f.view(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.column(kReloadTime), QStringList({"1.5", "2.5; // tune", "4", "10"}));
    QCOMPARE(f.t->windowTitle(), QString("Weapons table"));
    QCOMPARE(f.w.windowTitle(), QString("Quillmark"));
    multiply(true);
    QTest::mouseClick(control<QPushButton>(d, "changeFieldApply"), Qt::LeftButton);
    QCOMPARE(f.column(kReloadTime), QStringList({"1.35", "2.25; // tune", "4", "9"}));
    f.host.answers = {Answer::Ok};
    QTest::keyClick(f.view(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.w.windowTitle(), QString("Quillmark"));
    QCOMPARE(QString::fromStdString(readFile(file)),
             QString(before).replace("=1.5;", "=1.35;").replace("=2.5;", "=2.25;").replace("=10;", "=9;"));
  }

  // The units table from the weapon list's menu (Shift+F6 is its key):
  // filtered by MaxDamage>1000, three units picked, their metal cost
  // multiplied by 1.1 through Change field, saved with the main window's
  // save; the unit files differ in exactly those lines.
  void unitsTableChangesThreeUnits() {
    Window f(weapon("GUN", "1", {"reloadtime=2;", "[DAMAGE]", "{", "default=20;", "}"}));
    const auto unit = [&](const char* name, int hp, const char* metal) {
      return f.write((std::string("units/") + name + ".fbi").c_str(),
                     QByteArray("[UNITINFO]\r\n{\r\n\tUnitName=") + name + ";\r\n\tMaxDamage=" +
                         QByteArray::number(hp) + ";\r\n\tBuildCostMetal=" + metal + ";\r\n\tWeapon1=GUN;\r\n}\r\n");
    };
    const std::vector<std::string> files = {unit("BIGGY", 5000, "1000"), unit("FLASH", 1500, "100"),
                                            unit("PEEWEE", 300, "25"), unit("TANK", 1200, "200"),
                                            unit("WALL", 2500, "40")};
    std::vector<std::string> before;
    for (const std::string& file : files) before.push_back(readFile(file));
    f.w.show();
    chooseInMenu("Units table...");
    emit f.list()->lineEdit()->customContextMenuRequested({1, 1});
    ui::TableWindow* t = f.w.unitsTable();
    QVERIFY(t && QTest::qWaitForWindowExposed(t));
    QCOMPARE(t->windowTitle(), QString("Units table"));
    QTableView* view = t->view();
    int metal = -1;
    for (int c = 0; c < view->model()->columnCount(); ++c)
      if (view->model()->headerData(c, Qt::Horizontal, Qt::ToolTipRole).toString() == "BuildCostMetal") metal = c;
    QVERIFY(metal > 0);
    QCOMPARE(view->model()->headerData(metal, Qt::Horizontal).toString(), QString("Metal cost"));

    QTest::keyClicks(t->findChild<QLineEdit*>("tableFilter"), "MaxDamage>1000");
    QCOMPARE(t->findChild<QLabel*>("tableStatus")->text(), QString("4 of 5 units"));
    for (int row : {0, 1, 2}) {
      const QModelIndex at = view->model()->index(row, metal);
      view->scrollTo(at);
      QTest::mouseClick(view->viewport(), Qt::LeftButton, row ? Qt::ControlModifier : Qt::NoModifier,
                        view->visualRect(at).center());
    }
    QTest::mouseClick(t->findChild<QPushButton*>("tableChangeField"), Qt::LeftButton);
    ui::ChangeFieldDialog* d = t->changeFieldDialog();
    QVERIFY(d && d->isVisible());
    QCOMPARE(control<QComboBox>(d, "changeFieldKey")->currentData().toString(), QString("BuildCostMetal"));
    control<QComboBox>(d, "changeFieldOperation")->setCurrentIndex(1);
    QTest::keyClicks(control<QLineEdit>(d, "changeFieldValue"), "1.1");
    QCOMPARE(control<QLabel>(d, "changeFieldSummary")->text(), QString("3 units change."));
    QTest::mouseClick(control<QPushButton>(d, "changeFieldApply"), Qt::LeftButton);
    QCOMPARE(f.w.editing().undoStack().undoText(), QString("Multiply BuildCostMetal by 1.1 (3 units)"));
    QCOMPARE(view->model()->index(2, metal).data().toString(), QString("220"));
    QCOMPARE(t->windowTitle(), QString("Units table *"));

    f.host.answers = {Answer::Ok};
    QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.host.saveQuestions, 1);
    QCOMPARE(t->windowTitle(), QString("Units table"));
    const std::vector<std::pair<std::string, std::string>> changed = {
        {"=1000;", "=1100;"}, {"=100;", "=110;"}, {}, {"=200;", "=220;"}, {}};
    for (std::size_t i = 0; i < files.size(); ++i) {
      std::string expected = before[i];
      if (!changed[i].first.empty())
        expected.replace(expected.find(changed[i].first), changed[i].first.size(), changed[i].second);
      QCOMPARE(readFile(files[i]), expected);
    }

    // The chart of the rows shown, metal cost against damage per second; a
    // click on a unit's point selects its row.
    QTest::mouseClick(t->findChild<QPushButton*>("tableChart"), Qt::LeftButton);
    ui::ChartWindow* chart = t->chartWindow();
    QVERIFY(chart && QTest::qWaitForWindowExposed(chart));
    QCOMPARE(control<QComboBox>(chart, "chartX")->currentText(), QString("Metal cost"));
    QCOMPARE(control<QComboBox>(chart, "chartY")->currentText(), QString("Damage per second"));
    QCOMPARE(chart->state().points().size(), 4u);
    const auto& flash = chart->state().points()[1];  // FLASH, the second row shown
    QCOMPARE(chart->state().source().rowNames[flash.row], std::string("FLASH"));
    const QPointF at(chart->state().pixelX(flash.x, chart->plotFrame()),
                     chart->state().pixelY(flash.y, chart->plotFrame()));
    QTest::mouseClick(chart->plot(), Qt::LeftButton, {}, at.toPoint());
    const QModelIndexList picked = view->selectionModel()->selectedRows();
    QCOMPARE(picked.size(), 1);
    QCOMPARE(picked[0].data().toString(), QString("FLASH"));
  }
};

QTEST_MAIN(TableTest)
#include "table_test.moc"
