// The export button and dialog: one dialog, what Continue and the close box
// do with it, and the program's lifetime while it is shown.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>

#include "export/checks.h"
#include "support.h"
#include "ui/export_dialog.h"

using namespace qm;
using namespace qm::test;
using qm::ui::ExportDialog;

namespace {

// The main window, shown with GUN on display.
struct Shown : Window {
  Shown() : Window(Weapon("GUN", "7", {"reloadtime=2;"})) {
    emit Control<QComboBox>(&w, "Combo1")->activated(0);
    w.show();
  }
  ExportDialog* Open() {
    Click(&w, "Command61");
    return w.exportDialog();
  }
  QStringList Texts() {
    QStringList out;
    for (const char* name : {"Text1", "Text2", "Text3"}) out << Control<QLineEdit>(w.exportDialog(), name)->text();
    return out;
  }
};

}  // namespace

class ExportTest : public QObject {
  Q_OBJECT

 private slots:
  // A second click shows the same dialog with what was typed.
  void oneOwnerlessDialog() {
    Shown f;
    ExportDialog* d = f.Open();
    QVERIFY(d && d->isVisible() && !d->isModal() && !d->parentWidget());
    QCOMPARE(d->windowType(), Qt::Tool);
    QCOMPARE(d->windowTitle(), QString("Export as New Weapon"));
    QTest::keyClicks(Control(d, "Text1"), "NEWGUN");
    QCOMPARE(f.Open(), d);
    QCOMPARE(f.Texts(), QStringList({"NEWGUN", "", ""}));
    int dialogs = 0;
    for (QWidget* top : QApplication::topLevelWidgets()) dialogs += qobject_cast<ExportDialog*>(top) != nullptr;
    QCOMPARE(dialogs, 1);
  }

  // A refusal keeps the dialog open; an export writes the weapon on display,
  // its names in Windows-1252, to a file chosen from the path used last and
  // hides the dialog, which keeps its texts until the close box discards them.
  void continueAndTheCloseBox() {
    Shown f;
    const std::string imported = f.game.file("weapons/cannons.tdf");
    f.host.paths.push_back(imported);
    Click(&f.w, "Command62");
    ExportDialog* d = f.Open();
    Control<QLineEdit>(d, "Text1")->setText(QString::fromUtf8("NEWGUN\u0161"));
    Control<QLineEdit>(d, "Text3")->setText("42");
    Click(d, "Command1");
    QCOMPARE(f.host.messages, std::vector<std::string>({std::string(kMsgFillAllFields)}));
    QVERIFY(d->isVisible());

    Control<QLineEdit>(d, "Text2")->setText(QString::fromUtf8("New Gun \u00e9"));
    f.host.paths.push_back(f.game.file("new.tdf"));
    Click(d, "Command1");
    QCOMPARE(f.host.starts, std::vector<std::string>({"", imported}));
    QVERIFY(!d->isVisible());
    const std::string written = ReadFile(f.game.file("new.tdf"));
    for (const char* part : {"[NEWGUN\x8a]\r\n", "id=42;", "name=New Gun \xe9;", "reloadtime=2;"})
      QVERIFY2(written.find(part) != std::string::npos, part);

    QCOMPARE(f.Open(), d);
    QCOMPARE(f.Texts(), QStringList({QString::fromUtf8("NEWGUN\u0161"), QString::fromUtf8("New Gun \u00e9"), "42"}));
    QVERIFY(d->close());
    QCOMPARE(f.Open(), d);
    QCOMPARE(f.Texts(), QStringList({"", "", ""}));
  }

  // Closing the main window leaves the program running while the dialog is
  // shown. (A hidden dialog does not hold it: usage test.)
  void theProgramEndsWithTheLastShownWindow() {
    Shown f;
    QVERIFY(QTest::qWaitForWindowExposed(&f.w));
    ExportDialog* d = f.Open();
    bool ranOn = false, timedOut = false;
    QObject timers;  // ends the timers with the test
    QTimer::singleShot(0, &timers, [&] { f.w.close(); });
    QTimer::singleShot(200, &timers, [&] { ranOn = true; d->close(); });
    QTimer::singleShot(5000, &timers, [&] { timedOut = true; QCoreApplication::quit(); });
    QApplication::exec();
    QVERIFY(ranOn && !timedOut);
  }
};

QTEST_MAIN(ExportTest)
#include "export_test.moc"
