// The Units window, used as a user uses it, offscreen: F7 and the list's
// menu, the filter, a weapon followed to the main window and back, values
// edited on the main window's undo stack and saved with its diff, a YardMap
// edited whole, and the Game check's units opened at their keys.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTreeView>
#include <QTreeWidget>

#include "presentation/pack_changes_state.h"
#include "support.h"
#include "ui/game_check_window.h"
#include "ui/units_window.h"

using namespace qm;
using namespace qm::test;

namespace {

// GUN (50 a second) and BIG; CORAK carries both, ARMA names GUN and a weapon no file has.
struct Game : Window {
  Game()
      : Window(weapon("GUN", "1", {"reloadtime=2;", "[DAMAGE]", "{", "default=100;", "}"}) +
               weapon("BIG", "2", {"reloadtime=1;", "[DAMAGE]", "{", "default=30;", "}"})) {
    write("units/corak.fbi",
          "[UNITINFO]\r\n{\r\n\tUnitName=CORAK;\r\n\tSide=CORE;\r\n\tBuildCostMetal=40;\r\n\tWeapon1=GUN;\r\n"
          "\tWeapon2=BIG;\r\n\tYardMap=oo\r\n\too;\r\n}\r\n");
    write("units/corcom.fbi", "[UNITINFO]\r\n{\r\nUnitName=CORCOM;\r\nSide=CORE;\r\nCommander=1;\r\n}\r\n");
    write("units/arma.fbi", "[UNITINFO]\r\n{\r\nUnitName=ARMA;\r\nSide=ARM;\r\nWeapon1=GUN;\r\nWeapon2=NOPE;\r\n}\r\n");
    w.show();
    if (!QTest::qWaitForWindowActive(&w)) qFatal("the window is not active");
  }
  // F7 in the main window: the Units window, shown and active.
  ui::UnitsWindow* units() {
    QTest::keyClick(&w, Qt::Key_F7);
    ui::UnitsWindow* u = w.unitsWindow();
    if (!u || !QTest::qWaitForWindowActive(u)) qFatal("the Units window is not active");
    return u;
  }
  QStringList fileLines(const char* relative) const {
    return QString::fromStdString(readFile(game.path() / relative)).split("\r\n");
  }
};

QStringList listed(ui::UnitsWindow* u) {
  QStringList out;
  for (int r = 0; r < u->list()->model()->rowCount(); ++r) out << u->list()->model()->index(r, 0).data().toString();
  return out;
}

QTreeWidgetItem* valueRow(ui::UnitsWindow* u, const QString& key) {
  for (QTreeWidgetItemIterator it(u->values()); *it; ++it)
    if ((*it)->text(1) == key) return *it;
  qFatal("no value row %s", qPrintable(key));
}

// Opens the value's editor with `how` (a double-click, or a key on the
// selected row) and returns it.
template <class Editor = QLineEdit>
Editor* openEditor(ui::UnitsWindow* u, const QString& key, int how) {
  QTreeWidget* tree = u->values();
  QTreeWidgetItem* item = valueRow(u, key);
  tree->setCurrentItem(item, 2);
  tree->scrollToItem(item);
  const QPoint at = tree->visualItemRect(item).center();
  if (how == 0) {
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
  } else {
    QTest::keyClick(tree, static_cast<Qt::Key>(how));
  }
  return control<Editor>(tree, "unitValueEditor");
}

void type(QLineEdit* editor, const QString& text) {
  editor->selectAll();
  QTest::keyClicks(editor, text);
  QTest::keyClick(editor, Qt::Key_Return);
  QCoreApplication::processEvents();  // the editor's Enter is handled queued
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString weaponCell(ui::UnitsWindow* u, int row, int column) { return u->weapons()->item(row, column)->text(); }

}  // namespace

class UnitsTest : public QObject {
  Q_OBJECT
 private slots:
  // The walk: filter, pick, follow a weapon and come back, change
  // two values, undo one, save; the diff and the file hold the other only.
  void filterFollowEditUndoSave() {
    Game f;
    const QStringList before = f.fileLines("units/corak.fbi");
    ui::UnitsWindow* u = f.units();
    QCOMPARE(listed(u), QStringList({"ARMA", "CORAK", "CORCOM"}));
    QTest::keyClicks(control<QLineEdit>(u, "unitFilter"), "core");
    QCOMPARE(listed(u), QStringList({"CORAK", "CORCOM"}));
    QCOMPARE(text(u, "unitCount"), QString("2 of 3 units"));
    QTableView* list = u->list();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(0, 0)).center());
    QVERIFY(text(u, "unitTitle").startsWith("CORAK - units/corak.fbi"));
    QCOMPARE(weaponCell(u, 0, 1) + " " + weaponCell(u, 0, 2), QString("GUN 50"));
    QCOMPARE(text(u, "unitFigure0"), QString("80"));  // 50 + 30

    // The weapon's link: the main window shows it and comes forward; F7 goes back.
    QTableWidget* weapons = u->weapons();
    QTest::mouseClick(weapons->viewport(), Qt::LeftButton, {}, weapons->visualItemRect(weapons->item(1, 1)).center());
    QVERIFY(f.list()->currentText().endsWith("BIG"));
    QTRY_COMPARE(QApplication::activeWindow(), &f.w);
    QCOMPARE(f.units(), u);
    QVERIFY(text(u, "unitTitle").startsWith("CORAK"));

    type(openEditor(u, "BuildCostMetal", 0), "55");
    QCOMPARE(valueRow(u, "BuildCostMetal")->text(2), QString("55"));
    QCOMPARE(text(u, "unitFigure0"), QString("80"));
    type(openEditor(u, "Weapon2", Qt::Key_Return), "GUN");
    QCOMPARE(weaponCell(u, 1, 1) + " " + text(u, "unitFigure0"), QString("GUN 100"));
    QVERIFY(f.w.windowTitle().endsWith(" *"));

    QTest::keyClick(u, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(valueRow(u, "Weapon2")->text(2), QString("BIG"));
    QCOMPARE(valueRow(u, "BuildCostMetal")->text(2), QString("55"));
    f.host.answers = {Answer::Ok};
    QTest::keyClick(u, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.host.saveQuestions, 1);
    const QString diff = QString::fromStdString(f.host.messages.back());
    QVERIFY2(diff.contains("+\tBuildCostMetal=55;") && !diff.contains("Weapon2=GUN"), qPrintable(diff));

    const QStringList after = f.fileLines("units/corak.fbi");
    QCOMPARE(after.size(), before.size());
    QStringList changed;
    for (qsizetype i = 0; i < after.size(); ++i)
      if (after[i] != before[i]) changed << after[i];
    QCOMPARE(changed, QStringList({"\tBuildCostMetal=55;"}));
    QVERIFY(!f.w.windowTitle().endsWith(" *"));
  }

  // "Units..." of the list's menu; a YardMap shown and edited whole, its
  // line ends kept; "Pack changes..." as the main window's.
  void menuYardMapAndPack() {
    Game f;
    chooseInMenu("Units...");
    emit f.list()->lineEdit()->customContextMenuRequested({1, 1});
    ui::UnitsWindow* u = f.w.unitsWindow();
    QVERIFY(u && u->isVisible());
    control<QLineEdit>(u, "unitFilter")->setText("corak");
    QCOMPARE(text(u, "unitTitle").left(5), QString("CORAK"));  // the one unit left is picked

    QCOMPARE(valueRow(u, "YardMap")->text(2), QString("oo\n\too"));
    auto* box = openEditor<QPlainTextEdit>(u, "YardMap", Qt::Key_F2);
    QCOMPARE(box->toPlainText(), QString("oo\n\too"));
    box->setPlainText("oc\n\tco");
    QTest::keyClick(box, Qt::Key_Return, Qt::ControlModifier);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(valueRow(u, "YardMap")->text(2), QString("oc\n\tco"));
    f.host.answers = {Answer::Ok};
    QTest::keyClick(u, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(QString::fromStdString(readFile(f.game.path() / "units/corak.fbi")).contains("YardMap=oc\r\n\tco;\r\n"));

    click(u, "unitPackChanges");
    QCOMPARE(f.host.messages.back(), std::string(kMsgNoOverrides));
  }

  // The Game check: a unit under "Used by" of its weapon, and a finding in a
  // unit file, open the Units window on the unit at the key.
  void gameCheckOpensUnitsAtTheKey() {
    Game f;
    QTest::keyClick(&f.w, Qt::Key_F5);
    ui::GameCheckWindow* c = f.w.gameCheckWindow();
    QSignalSpy checked(c, &ui::GameCheckWindow::checked);
    QVERIFY(checked.wait(10000));
    auto* tabs = c->findChild<QTabWidget*>();
    const auto doubleClick = [&](QAbstractItemView* view, const QModelIndex& index) {
      QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {},
                        tabs->tabBar()->tabRect(tabs->indexOf(view->parentWidget())).center());
      view->scrollTo(index);
      QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
      QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    };
    const auto current = [&] { return f.w.unitsWindow()->values()->currentItem()->text(1); };

    QTreeView* refs = c->referencesTree();
    const QModelIndexList armaUses =
        refs->model()->match(refs->model()->index(0, 0), Qt::DisplayRole, "ARMA", -1, Qt::MatchRecursive);
    QVERIFY(!armaUses.isEmpty());
    doubleClick(refs, armaUses.front());
    QVERIFY(f.w.unitsWindow() && f.w.unitsWindow()->isVisible());
    QVERIFY(text(f.w.unitsWindow(), "unitTitle").startsWith("ARMA"));
    QCOMPARE(current(), QString("Weapon1"));

    QTableView* findings = c->findingsTable();
    const QModelIndexList nope =
        findings->model()->match(findings->model()->index(0, 3), Qt::DisplayRole, "NOPE", 1, Qt::MatchContains);
    QVERIFY(!nope.isEmpty());
    doubleClick(findings, nope.front());
    QCOMPARE(current(), QString("Weapon2"));
  }
};

QTEST_MAIN(UnitsTest)
#include "units_test.moc"
