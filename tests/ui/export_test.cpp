// The export dialog: its refusals, the save dialog, the overwrite question,
// and what it keeps between openings.
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "export/checks.h"
#include "support.h"
#include "ui/form1.h"
#include "ui/form2.h"

using namespace qm;
using namespace qm::test;
using qm::ui::Form1;
using qm::ui::Form2;

namespace {

// The main window with the weapon GUN on display.
struct Fixture {
  GameFolder game;
  ScriptedHost host;
  std::unique_ptr<Form1> w;

  Fixture() {
    game.writeWeapons("cannons.tdf", Weapon("GUN", "7", {"name=Gun;", "reloadtime=2;"}, {"default=10;"}));
    w = std::make_unique<Form1>(game.path(), &host);
    emit Control<QComboBox>(w.get(), "Combo1")->activated(0);
    w->show();
  }

  Form2* Open() {
    QTest::mouseClick(Control<QPushButton>(w.get(), "Command61"), Qt::LeftButton);
    return w->exportDialog();
  }
  Form2* Fill(const QString& t1, const QString& t2, const QString& t3) {
    Form2* d = Open();
    Control<QLineEdit>(d, "Text1")->setText(t1);
    Control<QLineEdit>(d, "Text2")->setText(t2);
    Control<QLineEdit>(d, "Text3")->setText(t3);
    return d;
  }
  void Continue() { QTest::mouseClick(Control<QPushButton>(w->exportDialog(), "Command1"), Qt::LeftButton); }
  QStringList Texts() {
    QStringList out;
    for (const char* name : {"Text1", "Text2", "Text3"}) out << Control<QLineEdit>(w->exportDialog(), name)->text();
    return out;
  }
};

}  // namespace

class ExportTest : public QObject {
  Q_OBJECT

 private slots:
  void refusalsKeepTheDialogOpen_data() {
    QTest::addColumn<QString>("t1");
    QTest::addColumn<QString>("t2");
    QTest::addColumn<QString>("t3");
    QTest::addColumn<QString>("message");
    const QString fill = QString::fromUtf8(kMsgFillAllFields.data(), kMsgFillAllFields.size());
    const QString id = QString::fromUtf8(kMsgNeedWeaponId.data(), kMsgNeedWeaponId.size());
    QTest::newRow("a box empty") << "a" << "" << "0" << fill;
    QTest::newRow("id 0") << "a" << "b" << "0" << id;
    QTest::newRow("id abc") << "a" << "b" << "abc" << id;
  }
  void refusalsKeepTheDialogOpen() {
    QFETCH(QString, t1);
    QFETCH(QString, t2);
    QFETCH(QString, t3);
    QFETCH(QString, message);
    Fixture f;
    Form2* d = f.Fill(t1, t2, t3);
    f.Continue();
    QCOMPARE(f.host.messages.size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(f.host.messages[0].text), message);
    QCOMPARE(f.host.messages[0].buttons, Buttons::Ok);
    QVERIFY(f.host.saveStarts.empty());
    QVERIFY(d->isVisible());
    QCOMPARE(f.Texts(), QStringList({t1, t2, t3}));
  }

  void cancellingTheSaveDialogHidesTheDialogAndWritesNothing() {
    Fixture f;
    Form2* d = f.Fill("NEWGUN", "New Gun", "42");
    f.Continue();  // no scripted path: cancelled
    QCOMPARE(f.host.saveStarts.size(), std::size_t(1));
    QVERIFY(f.host.messages.empty());
    QVERIFY(!d->isVisible());
  }

  // Written, hidden, and shown again with the same texts; the save dialog
  // starts from the path chosen last, here by the import.
  void anExportWritesTheWeaponOnDisplayAndKeepsTheTexts() {
    Fixture f;
    const QString imported = f.game.file("weapons/cannons.tdf");
    f.host.openResults.push_back(imported.toStdString());
    QTest::mouseClick(Control<QPushButton>(f.w.get(), "Command62"), Qt::LeftButton);

    Form2* d = f.Fill("NEWGUN", "New Gun", "42");
    const QString target = f.game.file("new.tdf");
    f.host.saveResults.push_back(target.toStdString());
    f.Continue();
    QCOMPARE(f.host.saveStarts, std::vector<std::string>({imported.toStdString()}));
    QVERIFY(!d->isVisible());
    const QByteArray written = ReadFile(target);
    QVERIFY(written.contains("[NEWGUN]\r\n"));
    QVERIFY(written.contains("\tid=42;\r\n"));
    QVERIFY(written.contains("\tname=New Gun;\r\n"));
    QVERIFY(written.contains("\treloadtime=2;\r\n"));

    QCOMPARE(f.Open(), d);
    QVERIFY(d->isVisible());
    QCOMPARE(f.Texts(), QStringList({"NEWGUN", "New Gun", "42"}));
  }

  void anExistingFileIsReplacedOnlyOnYes_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("No") << false;
    QTest::newRow("Yes") << true;
  }
  void anExistingFileIsReplacedOnlyOnYes() {
    QFETCH(bool, yes);
    Fixture f;
    const QString target = f.game.file("old.tdf");
    f.game.write("old.tdf", "keep me");
    Form2* d = f.Fill("NEWGUN", "New Gun", "42");
    f.host.saveResults.push_back(target.toStdString());
    f.host.answers.push_back(yes ? Answer::Yes : Answer::No);
    f.Continue();
    QCOMPARE(f.host.messages.size(), std::size_t(1));
    QCOMPARE(f.host.messages[0].text, std::string(kMsgOverwrite));
    QCOMPARE(f.host.messages[0].buttons, Buttons::YesNo);
    QCOMPARE(ReadFile(target) == "keep me", !yes);
    QCOMPARE(d->isVisible(), !yes);
    QCOMPARE(f.Texts(), QStringList({"NEWGUN", "New Gun", "42"}));
  }

  void aWriteFailureIsShownAndTheDialogStays() {
    Fixture f;
    Form2* d = f.Fill("NEWGUN", "New Gun", "42");
    f.host.saveResults.push_back(f.game.file("no/such/folder/new.tdf").toStdString());
    f.Continue();
    QCOMPARE(f.host.messages.size(), std::size_t(1));
    QCOMPARE(f.host.messages[0].buttons, Buttons::Ok);
    QVERIFY(d->isVisible());
  }

  void theCloseBoxDiscardsTheTexts() {
    Fixture f;
    Form2* d = f.Fill("NEWGUN", "New Gun", "42");
    QVERIFY(d->close());
    QVERIFY(!d->isVisible());
    QCOMPARE(d->state().Text1, std::string());
    QCOMPARE(f.Open(), d);
    QCOMPARE(f.Texts(), QStringList({"", "", ""}));
  }

  // The state outlives the main window: Continue still exports the weapon
  // last on display.
  void continueAfterTheMainWindowClosedExportsTheLastWeapon() {
    Fixture f;
    Form2* d = f.Fill("NEWGUN", "New Gun", "42");
    f.w->close();
    const QString target = f.game.file("late.tdf");
    f.host.saveResults.push_back(target.toStdString());
    f.Continue();
    QVERIFY(!d->isVisible());
    QVERIFY(ReadFile(target).contains("\treloadtime=2;\r\n"));
  }

  void tabOrderAndLayout() {
    Fixture f;
    Form2* d = f.Open();
    QCOMPARE(d->size(), QSize(273, 89));
    QCOMPARE(d->minimumSize(), d->maximumSize());
    QCOMPARE(Control(d, "Frame1")->geometry(), QRect(0, 0, 273, 89));
    QCOMPARE(Control(d, "Text3")->geometry(), QRect(80, 64, 97, 19));
    QCOMPARE(Control(d, "Command1")->geometry(), QRect(184, 64, 81, 17));
    QCOMPARE(Control<QLabel>(d, "Label1")->text(), QString("Actual Name:"));

    QStringList chain;
    QWidget* start = Control(d, "Text1");
    QWidget* next = start;
    do {
      if (next->focusPolicy() & Qt::TabFocus) chain << next->objectName();
      next = next->nextInFocusChain();
    } while (next != start);
    QCOMPARE(chain, QStringList({"Text1", "Text2", "Text3", "Command1"}));
  }
};

QTEST_MAIN(ExportTest)
#include "export_test.moc"
