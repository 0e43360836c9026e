// The Game check window's references, census line and check filter, and
// "Used by..." of the main window, used as a user uses them, offscreen.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include "support.h"
#include "ui/game_check_window.h"

using namespace qm;
using namespace qm::test;

namespace {

// Four weapons, GUN naming a sound the game lacks, a header in a comment (a
// display finding); units: ARMA names GUN twice and NOPE, ARMB names LASER.
struct Game : Window {
  explicit Game(bool units = true)
      : Window(weapon("GUN", "1", {"soundstart=bang;"}) + weapon("LASER", "2") + weapon("BIG", "3") +
               weapon("ROCK", "6")) {
    write("weapons/extra.tdf", "/*\r\n[GHOST]\r\n*/\r\n");
    write("sounds/other.wav", "RIFF");
    if (units) {
      write("units/arma.fbi",
            "[UNITINFO]\r\n{\r\nUnitName=ARMA;\r\nWeapon1=GUN;\r\nWeapon2=NOPE;\r\nExplodeAs=gun;\r\n}\r\n");
      write("units/armb.fbi", "[UNITINFO]\r\n{\r\nUnitName=ARMB;\r\nWeapon1=LASER;\r\n}\r\n");
    }
    w.show();
    if (!QTest::qWaitForWindowExposed(&w)) qFatal("the window is not shown");
  }
  // F5, and the run's end.
  ui::GameCheckWindow* check() {
    QTest::keyClick(&w, Qt::Key_F5);
    ui::GameCheckWindow* c = w.gameCheckWindow();
    QSignalSpy checked(c, &ui::GameCheckWindow::checked);
    if (!checked.wait(10000)) qFatal("the checks did not end");
    return c;
  }
};

// The tree's rows as "name|what|where", children indented.
QStringList rows(const QAbstractItemModel* m, const QModelIndex& parent = {}, const QString& indent = {}) {
  QStringList out;
  for (int r = 0; r < m->rowCount(parent); ++r) {
    const QModelIndex i = m->index(r, 0, parent);
    out << indent + i.data().toString() + "|" + i.siblingAtColumn(1).data().toString() + "|" +
               i.siblingAtColumn(2).data().toString();
    out << rows(m, i, indent + "  ");
  }
  return out;
}

// The checks of the findings shown, in order.
QStringList checksShown(ui::GameCheckWindow* c) {
  QStringList out;
  const QAbstractItemModel* m = c->findingsTable()->model();
  for (int r = 0; r < m->rowCount(); ++r) out << m->index(r, 3).data().toString().section('[', -1).chopped(1);
  return out;
}

void chooseCheck(ui::GameCheckWindow* c, const char* name) {
  chooseInMenu(name);
  QTest::mouseClick(c->findChild<QToolButton*>("checks"), Qt::LeftButton);
}

}  // namespace

class GameCheckTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QCoreApplication::setOrganizationName("quillmark-game-check-test");
    QSettings().clear();
  }
  void cleanup() { QSettings().clear(); }

  // The census tab's free IDs; the References tab: each weapon with the units
  // naming it, the names nothing resolves, a double-click showing the weapon.
  void referencesAndFreeIds() {
    Game f;
    ui::GameCheckWindow* c = f.check();
    QCOMPARE(c->findChild<QLabel*>("freeIds")->text(), QString("Free IDs: 0, 4-5, 7-255; the next free ID is 0."));
    auto* tabs = c->findChild<QTabWidget*>();
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(2).center());
    QTreeView* tree = c->referencesTree();
    QCOMPARE(rows(tree->model()),
             QStringList({"Weapons (4)||", "  GUN|used by 1 unit|weapons/cannons.tdf:1",
                          "    ARMA|Weapon1|units/arma.fbi:4", "    ARMA|ExplodeAs|units/arma.fbi:6",
                          "  LASER|used by 1 unit|weapons/cannons.tdf:6", "    ARMB|Weapon1|units/armb.fbi:4",
                          "  BIG|no unit|weapons/cannons.tdf:10", "  ROCK|no unit|weapons/cannons.tdf:14",
                          "Unresolved names (2)||", "  NOPE|weapon named by the unit ARMA|units/arma.fbi:5",
                          "  bang|sound named by [GUN]|weapons/cannons.tdf:4"}));
    const QModelIndex weapons = tree->model()->index(0, 0), unresolved = tree->model()->index(1, 0);
    for (const auto& [row, listed] :
         {std::pair{tree->model()->index(1, 0, weapons), "  2 - LASER"},  // its units open the Units window
          {tree->model()->index(1, 2, unresolved), "  1 - GUN"}}) {       // bang
      tree->scrollTo(row);
      const QPoint at = tree->visualRect(row).center();
      QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
      QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
      QCOMPARE(f.list()->currentText(), QString(listed));
    }
  }

  // Checks hidden by category and by name through the Checks button: their rows
  // go, and a new window remembers them. The display checks start hidden.
  void hidingChecks() {
    {
      Game f;
      ui::GameCheckWindow* c = f.check();
      const QStringList all = {"unknown-weapon", "missing-damage", "missing-sound",
                               "missing-damage", "missing-damage", "missing-damage"};
      QCOMPARE(checksShown(c), all);
      QCOMPARE(c->findChild<QLabel*>("summary")->text().section('\n', 0, 0),
               QString("4 weapons, 4 IDs used, 252 IDs free, 0 IDs in conflict; "
                       "1 errors, 5 warnings in 9 files, 1 hidden (engine: original)"));
      chooseCheck(c, "category-style");
      QCOMPARE(checksShown(c), QStringList({"unknown-weapon", "missing-sound"}));
      chooseCheck(c, "missing-sound");
      QCOMPARE(checksShown(c), QStringList({"unknown-weapon"}));
      chooseCheck(c, "category-display");
      QCOMPARE(checksShown(c), QStringList({"unknown-weapon", "block-in-comment"}));
    }
    Game f;
    QCOMPARE(checksShown(f.check()), QStringList({"unknown-weapon", "block-in-comment"}));
  }

  // The unit checks, as lint makes them: a value that is not a number and a
  // misspelt key of a unit file are findings of the window too.
  void unitFindings() {
    Game f;
    f.write("units/armc.fbi", "[UNITINFO]\r\n{\r\nUnitName=ARMC;\r\nMaxDamage=lots;\r\nBuildCostMetl=1;\r\n}\r\n");
    ui::GameCheckWindow* c = f.check();
    const QAbstractItemModel* m = c->findingsTable()->model();
    QStringList unit;
    for (int r = 0; r < m->rowCount(); ++r)
      if (m->index(r, 0).data().toString().contains("armc.fbi"))
        unit << m->index(r, 1).data().toString() + " " + m->index(r, 3).data().toString();
    QCOMPARE(unit, QStringList({"4 the value 'lots' of 'MaxDamage' is not a number [not-a-number]",
                                "5 the game does not know the key 'BuildCostMetl'; did you mean 'BuildCostMetal'? "
                                "[unknown-key]"}));
  }

  // "Used by..." of the list's menu: the units naming the weapon on display,
  // none, or no units to tell.
  void usedBy_data() {
    QTest::addColumn<bool>("units");
    QTest::addColumn<QString>("weapon");
    QTest::addColumn<QString>("note");
    QTest::newRow("used") << true << "GUN"
                          << "1 unit names GUN.";
    QTest::newRow("unused") << true << "BIG"
                            << "No unit of this game names BIG.";
    QTest::newRow("no units") << false << "GUN"
                              << "This game has no unit files (units/*.fbi): which units use GUN cannot be told.";
  }
  void usedBy() {
    QFETCH(bool, units);
    QFETCH(QString, weapon);
    QFETCH(QString, note);
    Game f(units);
    emit f.list()->activated(f.list()->findText(" - " + weapon, Qt::MatchEndsWith));
    chooseInMenu("Used by...");
    emit f.list()->lineEdit()->customContextMenuRequested({1, 1});
    ui::GameCheckWindow* c = f.w.gameCheckWindow();
    QSignalSpy checked(c, &ui::GameCheckWindow::checked);
    QVERIFY(c->referencesTree()->isVisible() && checked.wait(10000));
    QCOMPARE(c->findChild<QLabel*>("referencesNote")->text(), note);
    // Every row shown again: the "What" column is as wide as its texts.
    c->findChild<QLineEdit*>("referencesFilter")->clear();
    QTreeView* tree = c->referencesTree();
    const int widest = tree->fontMetrics().horizontalAdvance(units ? "weapon named by the unit ARMA" : "no unit");
    QVERIFY2(tree->columnWidth(1) >= widest, qPrintable(QString::number(tree->columnWidth(1))));
  }
};

QTEST_MAIN(GameCheckTest)
#include "game_check_test.moc"
