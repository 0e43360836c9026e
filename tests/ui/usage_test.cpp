// The windows used as a user uses them: the keyboard, the focus, the program's
// lifetime, the list after an import, the boxes of the field rows and where
// file dialogs start.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <cmath>

#include "support.h"
#include "ui/export_dialog.h"
#include "ui/layout.h"

using namespace qm;
using namespace qm::test;
using qm::ui::ExportDialog;

namespace {

// The main window shown, with the entries of two weapons.
struct Shown : Window {
  Shown() : Window(Weapon("GUN", "7", {"reloadtime=2;"}) + Weapon("LASER", "9", {"reloadtime=3;"})) {
    w.show();
    if (!QTest::qWaitForWindowExposed(&w)) qFatal("the window is not shown");
  }
  QComboBox* list() { return Control<QComboBox>(&w, "Combo1"); }
  ExportDialog* openExport(bool filled = false) {
    Click(&w, "Command61");
    ExportDialog* d = w.exportDialog();
    if (filled)
      for (const auto& [box, text] : {std::pair{"Text1", "NEWGUN"}, {"Text2", "New Gun"}, {"Text3", "42"}})
        Control<QLineEdit>(d, box)->setText(text);
    return d;
  }
};

}  // namespace

class UsageTest : public QObject {
  Q_OBJECT

 private slots:
  // Continue pressed after the main window was closed hides the dialog, and
  // with it goes the program.
  void aHiddenDialogDoesNotKeepTheProgram() {
    Shown f;
    ExportDialog* d = f.openExport(true);
    bool timedOut = false;
    QObject timers;
    QTimer::singleShot(0, &timers, [&] { f.w.close(); });
    QTimer::singleShot(100, &timers, [&] { Click(d, "Command1"); });  // the save dialog is cancelled
    QTimer::singleShot(3000, &timers, [&] { timedOut = true; QCoreApplication::quit(); });
    QApplication::exec();
    QVERIFY(!d->isVisible());
    QVERIFY(!timedOut);
  }

  // An entry's exact text typed into the edit field loads nothing, whether
  // Enter, Tab or a click elsewhere ends the typing.
  void typingLoadsNothing() {
    for (int end : {int(Qt::Key_Return), int(Qt::Key_Enter), int(Qt::Key_Tab), 0}) {
      Shown f;
      QLineEdit* edit = f.list()->lineEdit();
      edit->setFocus();
      edit->selectAll();
      QTest::keyClicks(edit, "  7 - GUN");
      if (end)
        QTest::keyClick(edit, Qt::Key(end));
      else
        Control(&f.w, "List1")->setFocus();
      QCOMPARE(Text(&f.w, "Label72"), QString("None"));
      QCOMPARE(f.list()->currentIndex(), -1);
    }
  }

  // Enter presses a focused push button, as Space does.
  void enterPressesAFocusedButton() {
    Shown f;
    QPushButton* help = Control<QPushButton>(&f.w, "Command1");
    QPushButton* exportButton = Control<QPushButton>(&f.w, "Command61");
    QPushButton* importButton = Control<QPushButton>(&f.w, "Command62");
    ExportDialog* d = f.openExport();
    QPushButton* continueButton = Control<QPushButton>(d, "Command1");
    for (QPushButton* button : {help, exportButton, importButton, continueButton})
      for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        QSignalSpy clicked(button, &QPushButton::clicked);
        button->setFocus();
        QTest::keyClick(button, key);
        QCOMPARE(clicked.count(), 1);
      }
  }

  // The dialog takes the keyboard when it opens, in its first box, also when
  // it is opened again after its close box.
  void theExportDialogStartsInItsFirstBox() {
    Shown f;
    ExportDialog* d = f.openExport();
    QVERIFY(QTest::qWaitForWindowActive(d));
    QCOMPARE(QApplication::focusWidget(), Control(d, "Text1"));
    Control(d, "Text3")->setFocus();
    QVERIFY(d->close());
    f.w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.w));
    QCOMPARE(f.openExport(), d);
    QVERIFY(QTest::qWaitForWindowActive(d));
    QCOMPARE(QApplication::focusWidget(), Control(d, "Text1"));
  }

  // An import keeps the weapon on display as the list's entry, so that Down
  // goes on to the entry after it.
  void anImportKeepsTheEntryOnDisplay() {
    Shown f;
    emit f.list()->activated(0);  // GUN
    f.game.write("extra.tdf", Weapon("EARLY", "5") + Weapon("LATE", "8", {"reloadtime=4;"}));
    f.host.paths.push_back(f.game.file("extra.tdf"));
    Click(&f.w, "Command62");
    QCOMPARE(f.list()->currentIndex(), 1);  // EARLY, GUN, LATE, LASER
    f.list()->setFocus();
    QTest::keyClick(f.list(), Qt::Key_Down);
    QCOMPARE(Text(&f.w, "Label72"), QString("LATE"));
    QCOMPARE(Text(&f.w, "Label80"), QString("4"));
  }

  // Each field row's box is drawn whole: its left line on its first column,
  // its bottom line on its last row (in device pixels; ctest runs this at
  // several screen scales).
  void fieldBoxesAreDrawnWhole() {
    Shown f;
    for (const ui::FieldRowLayout& row : ui::kFieldRows) {
      if (!row.hasCaption()) continue;
      const char* name = row.caption.data();
      QLabel* box = Control<QLabel>(&f.w, name);
      const QImage picture = box->grab().toImage();
      const QColor line = box->palette().color(QPalette::WindowText);
      const int w = picture.width(), h = picture.height();
      for (const QPoint& p : {QPoint(0, h / 2), QPoint(w - 1, h / 2), QPoint(w / 2, 0), QPoint(w / 2, h - 1)})
        QVERIFY2(picture.pixelColor(p) == line, qPrintable(QString("%1 at %2,%3").arg(name).arg(p.x()).arg(p.y())));
      QVERIFY(picture.pixelColor(int(std::ceil(picture.devicePixelRatio())), h / 2) != line);
    }
  }

  // A file dialog starts in the folder of the path chosen last only when that
  // folder holds ordinary files; else in the game's folder.
  void fileDialogsStartInOrdinaryFolders() {
    for (const char* chosen : {"/proc/self/fdinfo/new.tdf", "/sys/kernel/new.tdf"}) {
      Shown f;
      ExportDialog* d = f.openExport(true);
      f.host.paths.push_back(chosen);
      Click(d, "Command1");  // cannot be written there
      Click(&f.w, "Command62");
      QCOMPARE(f.host.starts.size(), 2u);
      QCOMPARE(f.host.starts.back(), f.game.dir.path().string());
    }
  }
};

QTEST_MAIN(UsageTest)
#include "usage_test.moc"
