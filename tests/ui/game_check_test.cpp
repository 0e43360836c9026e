// The Game check window opened from the main window (F5, context menus): its
// tables sorted and filtered, and a double-clicked finding choosing its weapon.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "checks/check_set.h"
#include "support.h"
#include "ui/game_check_window.h"
#include "ui/main_window.h"

using namespace qm;
using namespace qm::ui;

class GameCheckWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void weaponAtALine();
  void mainWindowOpensItAndTakesItsPick();
};

static QString cell(QTableView* view, int row, int column) { return view->model()->index(row, column).data().toString(); }

void GameCheckWindowTest::weaponAtALine() {
  std::vector<WeaponRecord> weapons(3);
  weapons[0].name = "A", weapons[0].file = "f", weapons[0].line = 1;
  weapons[1].name = "B", weapons[1].file = "f", weapons[1].line = 10;
  weapons[2].name = "C", weapons[2].file = "g", weapons[2].line = 3;
  const struct { const char* file; int line; const char* weapon; } cases[] = {
      {"f", 1, "A"}, {"f", 9, "A"}, {"f", 10, "B"}, {"f", 99, "B"}, {"g", 2, ""}, {"h", 5, ""}};
  for (const auto& c : cases) QCOMPARE(weaponAt(weapons, c.file, c.line), std::string(c.weapon));
}

void GameCheckWindowTest::mainWindowOpensItAndTakesItsPick() {
  test::Window window(test::Weapon("GUN", "5") + test::Weapon("LASER", "5", {"reloadtim=2;"}) + test::Weapon("ZAP", "200") +
                      "[ODD] // not listed as ODD\r\n{\r\nid=7;\r\n}\r\n");
  window.w.show(), window.w.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&window.w));
  QTest::keyClick(&window.w, Qt::Key_F5);
  GameCheckWindow* check = window.w.gameCheckWindow();
  QVERIFY(check && check->isVisible());
  QSignalSpy checked(check, &GameCheckWindow::checked);
  QVERIFY(checked.wait(10000));

  QTableView* census = check->censusTable();
  QCOMPARE(census->model()->rowCount(), 256);
  census->sortByColumn(0, Qt::DescendingOrder);
  QCOMPARE(cell(census, 0, 0), QString("255"));
  QCOMPARE(cell(census, 55, 2), QString("ZAP"));
  check->findChild<QLineEdit*>("censusFilter")->setText("conflict");
  QCOMPARE(census->model()->rowCount(), 1);
  QCOMPARE(cell(census, 0, 0) + " " + cell(census, 0, 2), QString("5 GUN, LASER"));

  // The ID conflict and the unknown key in LASER, the header text of ODD.
  QTableView* findings = check->findingsTable();
  QCOMPARE(findings->model()->rowCount(), 3);
  QVERIFY(cell(findings, 1, 1) == "8" && cell(findings, 1, 3).endsWith("[unknown-key]"));
  check->findChild<QTabWidget*>()->setCurrentWidget(findings->parentWidget());
  QVERIFY(QTest::qWaitForWindowExposed(check));
  const QPoint at = findings->visualRect(findings->model()->index(1, 3)).center();
  QTest::mouseClick(findings->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(findings->viewport(), Qt::LeftButton, {}, at);
  auto* list = test::Control<QComboBox>(&window.w, "Combo1");
  QCOMPARE(list->currentText(), QString("  5 - LASER"));
  QCOMPARE(window.w.state().weapon()[Slot::vName1], std::string("LASER"));
  emit check->weaponChosen("ODD");  // the list holds it as "ODD] // not listed as ODD"
  QCOMPARE(list->currentText(), QString("  5 - LASER"));

  // The context menus of the count line and of the list's edit field.
  for (QWidget* widget : {static_cast<QWidget*>(test::Control<QLabel>(&window.w, "Label1")),
                          static_cast<QWidget*>(list->lineEdit())}) {
    check->hide();
    QTimer::singleShot(0, [] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      QVERIFY(menu);
      menu->actions().last()->trigger();
      menu->close();
    });
    emit widget->customContextMenuRequested({1, 1});
    QVERIFY(check->isVisible());
  }
}

QTEST_MAIN(GameCheckWindowTest)
#include "game_check_test.moc"
