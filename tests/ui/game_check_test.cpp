// The Game check window: both tables filled from a run off the window's
// thread, the census sorted by number and filtered, a double-click on a
// finding naming the weapon it lies in; and in the main window, F5 and the
// context menus that open it and the weapon list taking its pick.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "checks/check_set.h"
#include "support.h"
#include "ui/game_check_window.h"
#include "ui/main_window.h"

using namespace qm;
using namespace qm::ui;

class GameCheckWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void fillsBothTablesAndNamesTheWeaponOfAFinding();
  void weaponAtALine();
  void mainWindowOpensItAndTakesItsPick();
};

namespace {

QString cell(QTableView* view, int row, int column) { return view->model()->index(row, column).data().toString(); }

}  // namespace

void GameCheckWindowTest::fillsBothTablesAndNamesTheWeaponOfAFinding() {
  QTemporaryDir dir;
  const std::filesystem::path game = dir.path().toStdString();
  std::filesystem::create_directories(game / "weapons");
  std::ofstream(game / "weapons/a.tdf") << "[GUN]\n{\nID=5;\n}\n[LASER]\n{\nID=5;\nreloadtim=2;\n}\n[ZAP]\n{\nID=200;\n}\n";

  GameCheckWindow window([game] { return gameWeaponFiles(game); });
  QSignalSpy checked(&window, &GameCheckWindow::checked);
  QSignalSpy chosen(&window, &GameCheckWindow::weaponChosen);
  window.runAndShow();
  QVERIFY(checked.wait(10000));

  QTableView* census = window.censusTable();
  QCOMPARE(census->model()->rowCount(), 256);
  census->sortByColumn(0, Qt::DescendingOrder);
  QCOMPARE(cell(census, 0, 0), QString("255"));
  QCOMPARE(cell(census, 55, 2), QString("ZAP"));
  window.findChild<QLineEdit*>("censusFilter")->setText("conflict");
  QCOMPARE(census->model()->rowCount(), 1);
  QCOMPARE(cell(census, 0, 0), QString("5"));
  QCOMPARE(cell(census, 0, 2), QString("GUN, LASER"));

  QTableView* findings = window.findingsTable();
  QCOMPARE(findings->model()->rowCount(), 2);  // the ID conflict and the unknown key, both in LASER
  QCOMPARE(cell(findings, 1, 1), QString("8"));
  QVERIFY(cell(findings, 1, 3).endsWith("[unknown-key]"));
  window.findChild<QTabWidget*>()->setCurrentWidget(findings->parentWidget());
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  const QRect rect = findings->visualRect(findings->model()->index(1, 3));
  QTest::mouseClick(findings->viewport(), Qt::LeftButton, {}, rect.center());
  QTest::mouseDClick(findings->viewport(), Qt::LeftButton, {}, rect.center());
  QCOMPARE(chosen.size(), 1);
  QCOMPARE(chosen[0][0].value<std::string>(), std::string("LASER"));
}

void GameCheckWindowTest::weaponAtALine() {
  std::vector<WeaponRecord> weapons(3);
  weapons[0].name = "A", weapons[0].file = "f", weapons[0].line = 1;
  weapons[1].name = "B", weapons[1].file = "f", weapons[1].line = 10;
  weapons[2].name = "C", weapons[2].file = "g", weapons[2].line = 3;
  const struct {
    const char* file;
    int line;
    const char* weapon;
  } cases[] = {{"f", 1, "A"}, {"f", 9, "A"}, {"f", 10, "B"}, {"f", 99, "B"}, {"g", 2, ""}, {"h", 5, ""}};
  for (const auto& c : cases) QCOMPARE(weaponAt(weapons, c.file, c.line), std::string(c.weapon));
}

void GameCheckWindowTest::mainWindowOpensItAndTakesItsPick() {
  test::Window window(test::Weapon("GUN", "5") + test::Weapon("LASER", "5", {"reloadtim=2;"}) +
                      "[ODD] // not listed as ODD\r\n{\r\nid=7;\r\n}\r\n");
  window.w.show();
  window.w.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&window.w));
  QTest::keyClick(&window.w, Qt::Key_F5);
  GameCheckWindow* check = window.w.gameCheckWindow();
  QVERIFY(check && check->isVisible());
  QSignalSpy checked(check, &GameCheckWindow::checked);
  QVERIFY(checked.wait(10000));
  QCOMPARE(check->findingsTable()->model()->rowCount(), 3);

  auto* list = test::Control<QComboBox>(&window.w, "Combo1");
  emit check->weaponChosen("LASER");
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
