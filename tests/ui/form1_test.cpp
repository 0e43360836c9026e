// The main window: start-up, the field rows, the events and the layout.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <set>

#include "presentation/descriptions.h"
#include "support.h"
#include "ui/form1.h"
#include "ui/form2.h"
#include "ui/layout.h"
#include "weapon/field_table.h"

using namespace qm;
using namespace qm::test;
using qm::ui::Form1;
using qm::ui::kFieldRows;

namespace {

// A weapon with a distinct value in every field, so that each row shows
// which field it is wired to: the key line of field N holds "vN".
QByteArray AllFieldsWeapon() {
  std::vector<QByteArray> lines;
  for (const FieldRow& f : WeaponFieldTable)
    if (f.isKeyLine() && f.key != "id") lines.push_back(QByteArray(f.key.data(), f.key.size()) + "=v" +
                                                         QByteArray::number(f.no) + ";");
  return Weapon("ALLFIELDS", "7", lines, {"default=11;", "ARMCOM=500;"});
}

QString Key(int field) {
  const auto key = FieldByNumber(field).key;
  return QString::fromLatin1(key.data(), key.size());
}


void Choose(Form1& w, const char* entry) {
  auto* combo = Control<QComboBox>(&w, "Combo1");
  const int index = combo->findText(entry);
  QVERIFY2(index >= 0, entry);
  combo->setCurrentIndex(index);
  emit combo->activated(index);
}

QStringList Items(QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

}  // namespace

class Form1Test : public QObject {
  Q_OBJECT

 private slots:
  void startUpShowsTheScanAndTheEmptyWeaponInViewingMode() {
    GameFolder game;
    game.writeWeapons("cannons.tdf", Weapon("GUN", "7") + Weapon("BIG", "123"));
    game.writeWeapons("units.tdf", Weapon("Alpha", "45"));
    ScriptedHost host;
    Form1 w(game.path(), &host);

    QVERIFY(host.messages.empty());
    QCOMPARE(w.windowTitle(), QString("Quillmark"));
    QCOMPARE(w.size(), QSize(737, 569));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QVERIFY(w.windowIcon().availableSizes().contains(QSize(32, 32)));

    QCOMPARE(Text(&w, "Label1"), QString("3 Weapons, 253 IDs available"));
    auto* combo = Control<QComboBox>(&w, "Combo1");
    QVERIFY(combo->isEditable());
    QCOMPARE(combo->currentText(), QString("Weapons"));
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i) entries << combo->itemText(i);
    QCOMPARE(entries, QStringList({"  7 - GUN", " 45 - Alpha", "123 - BIG"}));

    QVERIFY(Control<QRadioButton>(&w, "Option1")->isChecked());
    QVERIFY(!Control<QRadioButton>(&w, "Option2")->isChecked());
    // Viewing captions replace the layout texts; Label2 keeps its own.
    QCOMPARE(Text(&w, "Label58"), QString("Energy Needed:"));
    QCOMPARE(Text(&w, "Label44"), QString("Color2:"));
    QCOMPARE(Text(&w, "Label136"), QString("Lava Explosion ART:"));
    QCOMPARE(Text(&w, "Label2"), QString("Actual Name:"));
    // The empty weapon as Viewing Mode renders it.
    QCOMPARE(Text(&w, "Label71"), QString("None"));
    QCOMPARE(Text(&w, "Label125"), QString("100%"));
    QCOMPARE(Items(Control<QListWidget>(&w, "List1")), QStringList({"None"}));
  }

  void aMissingStandardFileIsNamedOnceAndTheWindowStillOpens() {
    GameFolder game;
    game.writeWeapons("cannons.tdf", Weapon("GUN", "7"));
    QFile::remove(game.file("weapons/missiles.tdf"));
    QFile::remove(game.file("weapons/units.tdf"));
    ScriptedHost host;
    Form1 w(game.path(), &host);

    QCOMPARE(host.messages.size(), std::size_t(1));
    QCOMPARE(host.messages[0].buttons, Buttons::Ok);
    QVERIFY(host.messages[0].text.find("missiles.tdf") != std::string::npos);
    QVERIFY(host.messages[0].text.find("units.tdf") != std::string::npos);
    QCOMPARE(Text(&w, "Label1"), QString("1 Weapons, 255 IDs available"));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
  }

  // Every row, found through the layout table, shows its own field: the
  // caption is the layout text in Viewing Mode and the key in Actual Mode,
  // the value is that key's value, and the "?" button describes that key.
  void everyRowIsWiredToItsField() {
    GameFolder game;
    game.writeWeapons("cannons.tdf", AllFieldsWeapon());
    ScriptedHost host;
    Form1 w(game.path(), &host);
    Choose(w, "  7 - ALLFIELDS");

    // Captions whose Viewing text differs from the layout text.
    const std::set<int> renamed = {5, 28, 30, 51, 52, 53, 54, 55, 64};
    for (const auto& row : kFieldRows) {
      if (!row.hasCaption() || renamed.count(row.field)) continue;
      QCOMPARE(Text(&w, row.caption.data()), QString::fromLatin1(row.captionText.data(), row.captionText.size()));
    }
    for (int field : renamed) {
      const auto& row = kFieldRows[field - 1];
      QVERIFY(Text(&w, row.caption.data()) != QString::fromLatin1(row.captionText.data(), row.captionText.size()));
    }

    QTest::mouseClick(Control<QRadioButton>(&w, "Option2"), Qt::LeftButton);
    for (const auto& row : kFieldRows) {
      const int f = row.field;
      if (row.hasCaption()) {
        QCOMPARE(Text(&w, row.caption.data()), f == 2 ? QString("Actual Name:") : Key(f) + " =");
        const QString expected = f == 2 ? "ALLFIELDS" : f == 3 ? "7" : "v" + QString::number(f);
        QCOMPARE(Text(&w, row.value.data()), expected);
      } else {
        QCOMPARE(Items(Control<QListWidget>(&w, row.value.data())), QStringList({"default=11", "ARMCOM=500"}));
      }
      QTest::mouseClick(Control<QPushButton>(&w, row.button.data()), Qt::LeftButton);
      QCOMPARE(Text(&w, "Label138"), Key(f));
      QVERIFY(!Text(&w, "Label139").isEmpty());
    }
  }

  // The buttons whose numbers do not follow their rows.
  void helpButtonsPassTheirFieldNumber_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("field");
    const std::pair<const char*, int> cases[] = {
        {"Command1", 1},   {"Command3", 3},   {"Command65", 14}, {"Command14", 15}, {"Command40", 19},
        {"Command18", 50}, {"Command64", 54}, {"Command66", 55}, {"Command39", 56}, {"Command68", 57},
        {"Command67", 58}, {"Command63", 66},
    };
    for (const auto& [button, field] : cases) QTest::newRow(button) << QString(button) << field;
  }
  void helpButtonsPassTheirFieldNumber() {
    QFETCH(QString, button);
    QFETCH(int, field);
    GameFolder game;
    ScriptedHost host;
    Form1 w(game.path(), &host);
    QTest::mouseClick(Control<QPushButton>(&w, qPrintable(button)), Qt::LeftButton);
    const auto d = DDesc(field);
    QCOMPARE(Text(&w, "Label138"), QString::fromUtf8(d->key.data(), d->key.size()));
    QCOMPARE(Text(&w, "Label139"), QString::fromUtf8(d->text.data(), d->text.size()));
  }

  void theModeOptionsSwitchValuesAndCaptions() {
    GameFolder game;
    game.writeWeapons("cannons.tdf", Weapon("GUN", "7", {"turret=1;", "edgeeffectiveness=0.25;"}));
    ScriptedHost host;
    Form1 w(game.path(), &host);
    Choose(w, "  7 - GUN");
    QCOMPARE(Text(&w, "Label81"), QString("YES"));
    QCOMPARE(Text(&w, "Label125"), QString("25%"));
    QCOMPARE(Text(&w, "Label74"), QString("NO"));

    QTest::mouseClick(Control<QRadioButton>(&w, "Option2"), Qt::LeftButton);
    QVERIFY(!w.state().VMode);
    QCOMPARE(Text(&w, "Label81"), QString("1"));
    QCOMPARE(Text(&w, "Label125"), QString("0.25"));
    QCOMPARE(Text(&w, "Label74"), QString());
    QCOMPARE(Text(&w, "Label12"), QString("reloadtime ="));
    QCOMPARE(Text(&w, "Label68"), QString("Weapon Stats:"));

    QTest::mouseClick(Control<QRadioButton>(&w, "Option1"), Qt::LeftButton);
    QCOMPARE(Text(&w, "Label81"), QString("YES"));
    QCOMPARE(Text(&w, "Label12"), QString("Reload Time:"));
  }

  void aWeaponNotFoundKeepsThePreviousOneOnDisplay() {
    GameFolder game;
    game.writeWeapons("cannons.tdf", Weapon("GUN", "7", {"reloadtime=2;"}) + Weapon("GONE", "8"));
    ScriptedHost host;
    Form1 w(game.path(), &host);
    Choose(w, "  7 - GUN");
    game.writeWeapons("cannons.tdf", Weapon("GUN", "7", {"reloadtime=2;"}));
    Choose(w, "  8 - GONE");

    QCOMPARE(host.messages.size(), std::size_t(1));
    QCOMPARE(host.messages[0].text, std::string("Weapon not found!"));
    QCOMPARE(Text(&w, "Label72"), QString("GUN"));
    QCOMPARE(Text(&w, "Label80"), QString("2"));
  }

  void typingIntoTheListLoadsNothingButAPickDoes() {
    GameFolder game;
    game.writeWeapons("cannons.tdf", Weapon("GUN", "7"));
    ScriptedHost host;
    Form1 w(game.path(), &host);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* combo = Control<QComboBox>(&w, "Combo1");
    QSignalSpy activated(combo, &QComboBox::activated);
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), "  7 - GUN");
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    QCOMPARE(activated.count(), 0);
    QCOMPARE(Text(&w, "Label72"), QString("None"));
    QCOMPARE(combo->count(), 1);
    QVERIFY(host.messages.empty());

    // An arrow key on the closed list is a pick.
    QTest::keyClick(combo->lineEdit(), Qt::Key_Down);
    QCOMPARE(activated.count(), 1);
    QCOMPARE(Text(&w, "Label72"), QString("GUN"));
  }

  void label145AnswersTheFirstClick() {
    GameFolder game;
    ScriptedHost host;
    Form1 w(game.path(), &host);
    auto* label = Control<QLabel>(&w, "Label145");
    QCOMPARE(label->text(), QString());
    QTest::mouseClick(label, Qt::LeftButton);
    QCOMPARE(label->text(), QString("Hmm, is this space here for a reason?"));
    QTest::mouseClick(label, Qt::LeftButton);
    QCOMPARE(label->text(), QString("Hmm, is this space here for a reason?"));
  }

  void theExportButtonShowsOneOwnerlessDialog() {
    GameFolder game;
    ScriptedHost host;
    Form1 w(game.path(), &host);
    w.show();
    QVERIFY(!w.exportDialog());
    QTest::mouseClick(Control<QPushButton>(&w, "Command61"), Qt::LeftButton);
    ui::Form2* dialog = w.exportDialog();
    QVERIFY(dialog && dialog->isVisible());
    QVERIFY(dialog->isWindow());
    QVERIFY(!dialog->parentWidget());
    QCOMPARE(dialog->windowType(), Qt::Tool);
    QCOMPARE(dialog->windowTitle(), QString("Export as New Weapon"));
    QVERIFY(!dialog->isModal());
    QTest::keyClicks(Control<QLineEdit>(dialog, "Text1"), "NEWGUN");

    QTest::mouseClick(Control<QPushButton>(&w, "Command61"), Qt::LeftButton);
    QCOMPARE(w.exportDialog(), dialog);
    QCOMPARE(Control<QLineEdit>(dialog, "Text1")->text(), QString("NEWGUN"));
    int dialogs = 0;
    for (QWidget* top : QApplication::topLevelWidgets()) dialogs += qobject_cast<ui::Form2*>(top) != nullptr;
    QCOMPARE(dialogs, 1);
  }

  // The program runs while either window is on the screen: closing the main
  // window leaves it running while the export dialog is shown, and a hidden
  // export dialog does not hold it.
  void theProgramEndsWithTheLastShownWindow_data() {
    QTest::addColumn<bool>("dialogHidden");
    QTest::newRow("dialog shown") << false;
    QTest::newRow("dialog hidden") << true;
  }
  void theProgramEndsWithTheLastShownWindow() {
    QFETCH(bool, dialogHidden);
    GameFolder game;
    ScriptedHost host;
    Form1 w(game.path(), &host);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::mouseClick(Control<QPushButton>(&w, "Command61"), Qt::LeftButton);
    ui::Form2* dialog = w.exportDialog();
    if (dialogHidden) dialog->hide();

    bool ranAfterMainClosed = false, timedOut = false;
    QTimer closeMain, closeDialog, giveUp;
    for (QTimer* t : {&closeMain, &closeDialog, &giveUp}) t->setSingleShot(true);
    connect(&closeMain, &QTimer::timeout, &w, [&] { w.close(); });
    connect(&closeDialog, &QTimer::timeout, dialog, [&] {
      ranAfterMainClosed = true;
      dialog->close();
    });
    connect(&giveUp, &QTimer::timeout, qApp, [&] {
      timedOut = true;
      QCoreApplication::quit();
    });
    closeMain.start(0);
    closeDialog.start(200);
    giveUp.start(5000);
    QApplication::exec();
    QVERIFY(!timedOut);
    QCOMPARE(ranAfterMainClosed, !dialogHidden);
  }

  void controlsStandWhereTheLayoutPutsThem_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("pixels");  // twips / 15
    QTest::newRow("Frame4") << "Frame4" << QRect(224, 0, 513, 569);
    QTest::newRow("Combo1") << "Combo1" << QRect(8, 32, 201, 21);
    QTest::newRow("Label71") << "Label71" << QRect(16, 88, 177, 17);
    QTest::newRow("Command1") << "Command1" << QRect(192, 80, 17, 17);
    QTest::newRow("List1") << "List1" << QRect(344, 248, 145, 95);
    QTest::newRow("Command68") << "Command68" << QRect(488, 368, 17, 17);
    QTest::newRow("Label133") << "Label133" << QRect(352, 176, 137, 17);
    QTest::newRow("Option2") << "Option2" << QRect(128, 104, 81, 17);
    QTest::newRow("Label139") << "Label139" << QRect(8, 56, 201, 201);
    QTest::newRow("Line3") << "Line3" << QRect(8, 96, 201, 1);
    QTest::newRow("Line2") << "Line2" << QRect(340, 16, 1, 537);
  }
  void controlsStandWhereTheLayoutPutsThem() {
    QFETCH(QString, name);
    QFETCH(QRect, pixels);
    GameFolder game;
    ScriptedHost host;
    Form1 w(game.path(), &host);
    QCOMPARE(Control(&w, qPrintable(name))->geometry(), pixels);
  }

  // Each "?" button stands right of its box, level with it or 120 twips
  // (8 px) lower for two-line boxes; the value lies inside the box at its
  // right end.
  void rowsLineUp() {
    GameFolder game;
    ScriptedHost host;
    Form1 w(game.path(), &host);
    for (const auto& row : kFieldRows) {
      QWidget* box = Control(&w, row.hasCaption() ? row.caption.data() : row.value.data());
      QWidget* value = Control(&w, row.value.data());
      QWidget* button = Control(&w, row.button.data());
      QCOMPARE(button->parentWidget(), box->parentWidget());
      QCOMPARE(button->geometry().left(), box->geometry().right());
      if (!row.hasCaption()) continue;
      const bool twoLines = box->height() > 17;
      QCOMPARE(button->y(), box->y() + (twoLines ? 8 : 0));
      QCOMPARE(value->geometry().right(), box->geometry().right());
      QCOMPARE(value->geometry().bottom(), box->geometry().bottom());
      QCOMPARE(value->height(), 17);
      QVERIFY(value->x() > box->x());
    }
  }

  void tabOrderFollowsTheLayout() {
    GameFolder game;
    ScriptedHost host;
    Form1 w(game.path(), &host);
    QStringList expected = {"Combo1", "List1"};
    for (int n = 4; n <= 17; ++n) expected << "Command" + QString::number(n);
    for (int n = 22; n <= 60; ++n) expected << "Command" + QString::number(n);
    expected << "Command63" << "Option1" << "Option2" << "Command61" << "Command62";
    for (int n : {3, 2, 1, 65, 21, 20, 19, 18, 64, 66, 67, 68}) expected << "Command" + QString::number(n);

    const QRegularExpression controlName("^(Combo1|List1|Option[12]|Command\\d+)$");
    QStringList chain;
    QWidget* start = Control(&w, "Combo1");
    QWidget* next = start;
    do {
      if ((next->focusPolicy() & Qt::TabFocus) && controlName.match(next->objectName()).hasMatch())
        chain << next->objectName();
      next = next->nextInFocusChain();
    } while (next != start);
    QCOMPARE(chain, expected);
  }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
