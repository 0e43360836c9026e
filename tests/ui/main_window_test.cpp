// The main window: start-up, the field rows, the weapon list, the options,
// the import button, and the layout and tab order of both windows.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QRegularExpression>
#include <map>

#include "presentation/captions.h"
#include "presentation/descriptions.h"
#include "support.h"
#include "ui/export_dialog.h"
#include "ui/layout.h"
#include "weapon/field_table.h"

using namespace qm;
using namespace qm::test;

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QStringList Items(QWidget* window, const char* name) {
  QStringList out;
  if (auto* combo = qobject_cast<QComboBox*>(Control(window, name)))
    for (int i = 0; i < combo->count(); ++i) out << combo->itemText(i);
  if (auto* list = qobject_cast<QListWidget*>(Control(window, name)))
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

// The named focusable controls in tab order, from `start` round to it.
QStringList TabChain(QWidget* start, const QRegularExpression& names) {
  QStringList chain;
  QWidget* w = start;
  do {
    if ((w->focusPolicy() & Qt::TabFocus) && names.match(w->objectName()).hasMatch()) chain << w->objectName();
    w = w->nextInFocusChain();
  } while (w != start);
  return chain;
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  // Two standard files missing: one message names both, and the window opens
  // on the rest in Viewing Mode.
  void startUp() {
    Window f(Weapon("GUN", "7") + Weapon("BIG", "123") + Weapon("Alpha", "45"), {"missiles.tdf", "rockets.tdf"});
    QWidget* w = &f.w;
    QCOMPARE(f.host.messages.size(), 1u);
    const QString message = QString::fromStdString(f.host.messages[0]);
    QVERIFY(message.contains("missiles.tdf") && message.contains("rockets.tdf"));
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QCOMPARE(w->windowTitle(), QString("Quillmark"));

    QCOMPARE(Text(w, "Label1"), QString("3 Weapons, 253 IDs available"));
    QCOMPARE(Items(w, "Combo1"), QStringList({"  7 - GUN", " 45 - Alpha", "123 - BIG"}));
    QCOMPARE(Control<QComboBox>(w, "Combo1")->currentText(), QString("Weapons"));
    QVERIFY(Control<QRadioButton>(w, "Option1")->isChecked());
    QCOMPARE(Items(w, "List1"), QStringList({"None"}));

    QCOMPARE(Text(w, "Label145"), QString());
    for (int click = 0; click < 2; ++click) {
      Click(w, "Label145");
      QCOMPARE(Text(w, "Label145"), Q(kSpaceText));
    }
  }

  // Every row shows its own field in both modes: the caption and value of
  // its slot, with the value inside the caption's box, a weapon whose field
  // N holds "vN", and the description its "?" button asks for.
  void everyRowShowsItsOwnField() {
    std::vector<QByteArray> lines;
    for (const FieldRow& f : kFields)
      if (f.isKeyLine() && f.key != "id")
        lines.push_back(QByteArray(f.key.data(), f.key.size()) + "=v" + QByteArray::number(f.no) + ";");
    lines.insert(lines.end(), {"[DAMAGE]", "{", "default=11;", "ARMCOM=500;", "}"});
    Window f(Weapon("ALLFIELDS", "7", lines));
    QWidget* w = &f.w;
    emit Control<QComboBox>(w, "Combo1")->activated(0);

    for (const bool viewing : {false, true}) {
      Click(w, viewing ? "Option1" : "Option2");
      for (const ui::FieldRowLayout& row : ui::kFieldRows) {
        const int n = row.field;
        if (!row.hasCaption()) {
          QCOMPARE(Items(w, row.value.data()), QStringList({"default=11", "ARMCOM=500"}));
        } else {
          const int slot = SlotIndex(FieldByNumber(n).slot);
          QWidget* caption = Control(w, row.caption.data());
          QWidget* value = Control(w, row.value.data());
          QVERIFY2(caption->geometry().contains(value->geometry()), row.value.data());
          QCOMPARE(Text(w, row.caption.data()), Q(CaptionTexts(viewing)[slot]));
          const QString own = n == 2 ? "ALLFIELDS" : n == 3 ? "7" : "v" + QString::number(n);
          QCOMPARE(Text(w, row.value.data()), viewing ? Q(f.w.state().valueTexts()[slot]) : own);
        }
        Click(w, row.button.data());
        QCOMPARE(Text(w, "Label138"), Q(FieldDescription(n)->key));
        QCOMPARE(Text(w, "Label139"), Q(FieldDescription(n)->text));
      }
    }
  }

  // An arrow key on the closed list picks and loads; an entry gone from its
  // file keeps the weapon on display. (Typed text loads nothing: usage test.)
  void choosingFromTheList() {
    Window f(Weapon("GUN", "7", {"reloadtime=2;"}) + Weapon("GONE", "8"));
    QWidget* w = &f.w;
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QLineEdit* edit = Control<QComboBox>(w, "Combo1")->lineEdit();
    QTest::keyClick(edit, Qt::Key_Down);
    QCOMPARE(Text(w, "Label72"), QString("GUN"));
    QVERIFY(f.host.messages.empty());
    f.game.write("weapons/cannons.tdf", Weapon("GUN", "7", {"reloadtime=2;"}));
    QTest::keyClick(edit, Qt::Key_Down);
    QCOMPARE(f.host.messages, std::vector<std::string>({"Weapon not found!"}));
    QCOMPARE(Text(w, "Label72"), QString("GUN"));
    QCOMPARE(Text(w, "Label80"), QString("2"));
  }

  // Every click on an option sets the mode, also on the one already selected
  // once a rescan has returned to Viewing Mode.
  void theModeOptions() {
    Window f(Weapon("GUN", "7", {"turret=1;"}));
    QWidget* w = &f.w;
    emit Control<QComboBox>(w, "Combo1")->activated(0);
    Click(w, "Option2");
    f.w.state().rebuildList();
    QCOMPARE(Text(w, "Label81"), QString("YES"));
    QVERIFY(Control<QRadioButton>(w, "Option2")->isChecked());
    Click(w, "Option2");
    QCOMPARE(Text(w, "Label81"), QString("1"));
    Click(w, "Option1");
    QCOMPARE(Text(w, "Label81"), QString("YES"));
  }

  // After `before` imports of OLD the button is clicked: a cancelled dialog
  // adds nothing; the weapons of a chosen file join the list in order and
  // load, and the edit field keeps its text. With all 15 slots taken, Cancel
  // keeps slots and list, OK empties the slots and rebuilds the list first.
  void theImportButton_data() {
    QTest::addColumn<int>("before");
    QTest::addColumn<bool>("chooses");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("taken");
    QTest::addColumn<QStringList>("items");
    const QStringList added = {"  5 - EARLY", "  7 - GUN", "250 - LATE"};
    QStringList full = {"  7 - GUN"};
    for (int i = 0; i < kImportSlots; ++i) full << "  9 - OLD";
    QTest::newRow("dialog cancelled") << 0 << false << -1 << 0 << QStringList({"  7 - GUN"});
    QTest::newRow("a file") << 0 << true << -1 << 1 << added;
    QTest::newRow("16th, Cancel") << kImportSlots << true << int(Answer::Cancel) << kImportSlots << full;
    QTest::newRow("16th, OK") << kImportSlots << true << int(Answer::Ok) << 1 << added;
  }
  void theImportButton() {
    QFETCH(int, before);
    QFETCH(bool, chooses);
    QFETCH(int, answer);
    QFETCH(int, taken);
    QFETCH(QStringList, items);
    Window f(Weapon("GUN", "7"));
    QWidget* w = &f.w;
    f.game.write("old.tdf", Weapon("OLD", "9"));
    f.game.write("extra.tdf", Weapon("LATE", "250") + Weapon("EARLY", "5", {"reloadtime=9;"}));
    for (int i = 0; i < before; ++i) QVERIFY(f.w.state().addImport(f.game.file("old.tdf")));
    if (chooses) f.host.paths.push_back(f.game.file("extra.tdf"));
    if (answer >= 0) f.host.answers.push_back(Answer(answer));
    Click(w, "Command62");

    QCOMPARE(f.host.messages.size(), answer >= 0 ? 1u : 0u);
    QCOMPARE(int(f.w.state().imports().size()), taken);
    QCOMPARE(Items(w, "Combo1"), items);
    QCOMPARE(Text(w, "Label1"), QString("%1 Weapons, %2 IDs available").arg(items.size()).arg(256 - items.size()));
    QCOMPARE(Control<QComboBox>(w, "Combo1")->currentText(), QString("Weapons"));
    emit Control<QComboBox>(w, "Combo1")->activated(0);
    QCOMPARE(Text(w, "Label80"), QString(items.front() == "  5 - EARLY" ? "9" : "0"));
  }

  // Both windows at their sizes in twips / 15, and their tab orders.
  void layoutAndTabOrder() {
    Window f;
    QWidget* w = &f.w;
    Click(w, "Command61");
    QWidget* d = f.w.exportDialog();
    for (QWidget* window : {w, d}) QCOMPARE(window->minimumSize(), window->maximumSize());
    QCOMPARE(w->size(), QSize(737, 569));
    QCOMPARE(d->size(), QSize(273, 89));

    QStringList order = {"Combo1", "List1"};
    for (int n = 4; n <= 60; ++n)
      if (n < 18 || n > 21) order << "Command" + QString::number(n);
    order << "Command63" << "Option1" << "Option2" << "Command61" << "Command62";
    for (int n : {3, 2, 1, 65, 21, 20, 19, 18, 64, 66, 67, 68}) order << "Command" + QString::number(n);
    QCOMPARE(TabChain(Control(w, "Combo1"), QRegularExpression("^(Combo1|List1|Option.|Command\\d+)$")), order);
    QCOMPARE(TabChain(Control(d, "Text1"), QRegularExpression()), QStringList({"Text1", "Text2", "Text3", "Command1"}));
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
