// The import button: the open dialog, the slots and the sixteenth question,
// as the window shows them.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "presentation/form1_state.h"
#include "support.h"
#include "ui/form1.h"

using namespace qm;
using namespace qm::test;
using qm::ui::Form1;

namespace {

QStringList Entries(Form1& w) {
  auto* combo = Control<QComboBox>(&w, "Combo1");
  QStringList out;
  for (int i = 0; i < combo->count(); ++i) out << combo->itemText(i);
  return out;
}

void Import(Form1& w) { QTest::mouseClick(Control<QPushButton>(&w, "Command62"), Qt::LeftButton); }

}  // namespace

class ImportTest : public QObject {
  Q_OBJECT

  GameFolder game_;

 private slots:
  void initTestCase() {
    game_.writeWeapons("cannons.tdf", Weapon("GUN", "7"));
    game_.writeWeapons("rockets.tdf", Weapon("ROCKET", "200"));
  }

  void cancelOrAMissingFileAddsNothing_data() {
    QTest::addColumn<bool>("cancel");
    QTest::newRow("cancelled") << true;
    QTest::newRow("no such file") << false;
  }
  void cancelOrAMissingFileAddsNothing() {
    QFETCH(bool, cancel);
    ScriptedHost host;
    Form1 w(game_.path(), &host);
    host.openResults.push_back(cancel ? std::nullopt : std::optional<std::string>(game_.file("none.tdf").toStdString()));
    Import(w);

    QCOMPARE(host.openStarts, std::vector<std::string>({""}));
    QCOMPARE(Entries(w), QStringList({"  7 - GUN", "200 - ROCKET"}));
    QCOMPARE(Text(&w, "Label1"), QString("2 Weapons, 254 IDs available"));
    QCOMPARE(w.state().IWeaps, 0);
    QVERIFY(host.messages.empty());
  }

  void importedWeaponsTakeTheirSortedPlacesAndLoad() {
    ScriptedHost host;
    Form1 w(game_.path(), &host);
    const QString extra = game_.file("extra.tdf");
    game_.write("extra.tdf", Weapon("LATE", "250") + Weapon("EARLY", "5", {"reloadtime=9;"}) + Weapon("MID", "100"));
    host.openResults.push_back(extra.toStdString());
    Import(w);

    QCOMPARE(Entries(w),
             QStringList({"  5 - EARLY", "  7 - GUN", "100 - MID", "200 - ROCKET", "250 - LATE"}));
    QCOMPARE(Text(&w, "Label1"), QString("5 Weapons, 251 IDs available"));
    QCOMPARE(Control<QComboBox>(&w, "Combo1")->currentText(), QString("Weapons"));

    auto* combo = Control<QComboBox>(&w, "Combo1");
    emit combo->activated(0);
    QCOMPARE(Text(&w, "Label72"), QString("EARLY"));
    QCOMPARE(Text(&w, "Label80"), QString("9"));

    // The next dialog starts from the file chosen last.
    Import(w);
    QCOMPARE(host.openStarts.back(), extra.toStdString());
  }

  void theSixteenthImportAsksToEmptyTheSlots_data() {
    QTest::addColumn<bool>("ok");
    QTest::newRow("Cancel") << false;
    QTest::newRow("OK") << true;
  }
  void theSixteenthImportAsksToEmptyTheSlots() {
    QFETCH(bool, ok);
    ScriptedHost host;
    Form1 w(game_.path(), &host);
    for (int k = 1; k <= 16; ++k) {
      const QString name = QString("extra%1.tdf").arg(k);
      game_.write(name, Weapon("X" + QByteArray::number(k), QByteArray::number(10 + k)));
      host.openResults.push_back(game_.file(name).toStdString());
    }
    for (int k = 1; k <= 15; ++k) Import(w);
    QCOMPARE(Text(&w, "Label1"), QString("17 Weapons, 239 IDs available"));
    QVERIFY(host.messages.empty());

    QTest::mouseClick(Control<QRadioButton>(&w, "Option2"), Qt::LeftButton);
    host.answers.push_back(ok ? Answer::Ok : Answer::Cancel);
    Import(w);

    QCOMPARE(host.messages.size(), std::size_t(1));
    QCOMPARE(host.messages[0].text, std::string(kMsgSlotsFull));
    QCOMPARE(host.messages[0].buttons, Buttons::OkCancel);
    if (!ok) {
      QCOMPARE(w.state().IWeaps, 15);
      QCOMPARE(Text(&w, "Label1"), QString("17 Weapons, 239 IDs available"));
      QCOMPARE(Entries(w).size(), 17);
      QCOMPARE(Text(&w, "Label12"), QString("reloadtime ="));
      return;
    }
    QCOMPARE(w.state().IWeaps, 1);
    QCOMPARE(Entries(w), QStringList({"  7 - GUN", " 26 - X16", "200 - ROCKET"}));
    QCOMPARE(Text(&w, "Label1"), QString("3 Weapons, 253 IDs available"));
    // The rescan returns to Viewing Mode whatever option is selected; the
    // next click on an option makes the display follow it again.
    QVERIFY(Control<QRadioButton>(&w, "Option2")->isChecked());
    QCOMPARE(Text(&w, "Label12"), QString("Reload Time:"));
    QTest::mouseClick(Control<QRadioButton>(&w, "Option2"), Qt::LeftButton);
    QCOMPARE(Text(&w, "Label12"), QString("reloadtime ="));
  }
};

QTEST_MAIN(ImportTest)
#include "import_test.moc"
