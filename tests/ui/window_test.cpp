// The windows used as a user uses them, offscreen: the main window, the
// export dialog, the Game check window and the real message boxes.
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <cmath>

#include "export/checks.h"
#include "presentation/archive_view.h"
#include "presentation/captions.h"
#include "presentation/descriptions.h"
#include "support.h"
#include "support/archive_writer.h"
#include "ui/controls.h"
#include "ui/export_dialog.h"
#include "ui/game_check_window.h"
#include "ui/layout.h"
#include "ui/qt_host.h"
#include "ui/quick_find.h"
#include "weapon/field_table.h"

using namespace qm;
using namespace qm::test;
using qm::ui::ExportDialog;
using qm::ui::fromUtf8;

namespace {

// The main window shown, with GUN and LASER in its list unless cannons.tdf
// is given.
struct Shown : Window {
  explicit Shown(const QByteArray& cannons = weapon("GUN", "7", {"reloadtime=2;"}) +
                                             weapon("LASER", "9", {"reloadtime=3;"}))
      : Window(cannons) {
    w.show();
    if (!QTest::qWaitForWindowExposed(&w)) qFatal("the window is not shown");
  }
  ExportDialog* openExport(bool filled = false) {
    click(&w, "Command61");
    ExportDialog* d = w.exportDialog();
    if (filled)
      for (const auto& [box, text] : {std::pair{"Text1", "NEWGUN"}, {"Text2", "New Gun"}, {"Text3", "42"}})
        control<QLineEdit>(d, box)->setText(text);
    return d;
  }
};

QString cell(const QAbstractItemModel* model, int row, int column = 0) {
  return model->index(row, column).data().toString();
}

QStringList items(const QAbstractItemModel* model) {
  QStringList out;
  for (int row = 0; row < model->rowCount(); ++row) out << cell(model, row);
  return out;
}

QStringList texts(ExportDialog* d) {
  QStringList out;
  for (const char* name : {"Text1", "Text2", "Text3"}) out << control<QLineEdit>(d, name)->text();
  return out;
}

// The named focusable controls in tab order, from `start` round to it.
QStringList tabChain(QWidget* start, const QRegularExpression& names) {
  QStringList chain;
  QWidget* w = start;
  do {
    if ((w->focusPolicy() & Qt::TabFocus) && names.match(w->objectName()).hasMatch()) chain << w->objectName();
    w = w->nextInFocusChain();
  } while (w != start);
  return chain;
}

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QCoreApplication::setOrganizationName("quillmark-window-test");
    QSettings().clear();
  }
  void cleanupTestCase() { QSettings().clear(); }

  // Two standard files missing: one message names both, and the window opens
  // on the rest in Viewing Mode. Every click on an option sets the mode,
  // also on the one already selected once a rescan has returned to Viewing
  // Mode.
  void startUpAndTheModeOptions() {
    Window f(weapon("GUN", "7", {"turret=1;"}) + weapon("BIG", "123") + weapon("Alpha", "45"),
             {"missiles.tdf", "rockets.tdf"});
    QWidget* w = &f.w;
    QCOMPARE(f.host.messages.size(), 1u);
    const QString message = QString::fromStdString(f.host.messages[0]);
    QVERIFY(message.contains("missiles.tdf") && message.contains("rockets.tdf"));
    QCOMPARE(text(w, "Label1"), QString("3 Weapons, 253 IDs available"));
    QCOMPARE(items(f.list()->model()), QStringList({"  7 - GUN", " 45 - Alpha", "123 - BIG"}));
    QCOMPARE(f.list()->currentText(), QString("Weapons"));
    QCOMPARE(items(control<QListWidget>(w, "List1")->model()), QStringList({"None"}));
    click(w, "Label145");
    QCOMPARE(text(w, "Label145"), fromUtf8(kSpaceText));

    emit f.list()->activated(0);
    click(w, "Option2");
    f.w.state().rebuildList();
    QCOMPARE(text(w, "Label81"), QString("YES"));
    QVERIFY(control<QRadioButton>(w, "Option2")->isChecked());
    click(w, "Option2");
    QCOMPARE(text(w, "Label81"), QString("1"));
    click(w, "Option1");
    QCOMPARE(text(w, "Label81"), QString("YES"));
  }

  // Every row shows its own field: the caption and value of its slot, with
  // the value inside the caption's box, a weapon whose field N holds "vN",
  // and the description its "?" button asks for.
  void everyRowShowsItsOwnField() {
    const QByteArray longName = "v1, a name far too long for the box it is shown in";  // cut, whole as tooltip
    std::vector<QByteArray> lines;
    for (const FieldRow& f : kFields)
      if (f.isKeyLine() && f.key != "id")
        lines.push_back(QByteArray(f.key.data(), f.key.size()) + "=" +
                        (f.no == 1 ? longName : "v" + QByteArray::number(f.no)) + ";");
    lines.insert(lines.end(), {"[DAMAGE]", "{", "default=11;", "ARMCOM=500;", "}"});
    Window f(weapon("ALLFIELDS", "7", lines));
    QWidget* w = &f.w;
    emit f.list()->activated(0);
    click(w, "Option2");
    QCOMPARE(items(control<QListWidget>(w, "List1")->model()), QStringList({"default=11", "ARMCOM=500"}));
    for (const ui::FieldRowLayout& row : ui::kFieldRows) {
      const int n = row.field;
      if (row.hasCaption()) {
        QVERIFY2(control(w, row.caption.data())->geometry().contains(control(w, row.value.data())->geometry()),
                 row.value.data());
        QCOMPARE(text(w, row.caption.data()), fromUtf8(captionTexts(false)[slotIndex(fieldByNumber(n).slot)]));
        QLabel* label = control<QLabel>(w, row.value.data());
        QCOMPARE(n == 1 ? label->toolTip() : label->text(), n == 1   ? longName
                                                            : n == 2 ? "ALLFIELDS"
                                                            : n == 3 ? "7"
                                                                     : "v" + QString::number(n));
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width() - 2);  // clear of the border
      }
      click(w, row.button.data());
      QCOMPARE(text(w, "Label138"), fromUtf8(fieldDescription(n)->key));
      QCOMPARE(text(w, "Label139"), fromUtf8(fieldDescription(n)->text));
    }
  }

  // The 16th import asks first: Cancel keeps the list as it is; OK empties
  // the 15 slots and rebuilds the list, which the weapons of the chosen file
  // then join in order. A file that cannot be read asks nothing and changes
  // nothing. The edit field keeps its text.
  void theSixteenthImport() {
    for (const auto& [answer, readable] : {std::pair{Answer::Cancel, true}, {Answer::Ok, true}, {Answer::Ok, false}}) {
      Window f(weapon("GUN", "7"));
      const std::string old = f.write("old.tdf", weapon("OLD", "9"));
      for (int i = 0; i < kImportSlots; ++i) QVERIFY(f.w.state().addImport(old));
      const QStringList kept = items(f.list()->model());
      const std::string chosen = readable ? f.write("extra.tdf", weapon("LATE", "250") + weapon("EARLY", "5"))
                                          : (f.game.path() / "weapons").string();  // a folder
      f.host.paths.push_back(chosen);
      f.host.answers.push_back(answer);
      click(&f.w, "Command62");
      const bool replaced = readable && answer == Answer::Ok;
      const QStringList added = {"  5 - EARLY", "  7 - GUN", "250 - LATE"};
      QCOMPARE(items(f.list()->model()), replaced ? added : kept);
      QCOMPARE(int(f.w.state().imports().size()), replaced ? 1 : kImportSlots);
      QCOMPARE(f.host.answers.size(), readable ? 0u : 1u);
      QCOMPARE(f.list()->currentText(), QString("Weapons"));
    }
  }

  // An import keeps the weapon on display as the list's entry, so that an
  // arrow key on the closed list goes on to the entry after it and loads it.
  // Its file dialog starts in the game's folder: the path chosen last is in a
  // folder without ordinary files. The file is picked in an archive.
  void anImportKeepsTheEntryOnDisplay() {
    Shown f;
    emit f.list()->activated(0);  // GUN
    f.host.paths.push_back("/proc/self/fdinfo/new.tdf");
    click(f.openExport(true), "Command1");  // cannot be written there
    const std::string extra = (weapon("EARLY", "5") + weapon("LATE", "8", {"reloadtime=4;"})).toStdString();
    f.host.paths.push_back(f.write("mod.ufo", QByteArray::fromStdString(writeArchive({{"x.tdf", extra}}).bytes)));
    f.host.picks.push_back(0);
    click(&f.w, "Command62");
    QCOMPARE(f.host.starts, std::vector<std::string>({"", f.game.path().string()}));
    QCOMPARE(f.list()->currentIndex(), 1);  // EARLY, GUN, LATE, LASER
    f.list()->setFocus();
    QTest::keyClick(f.list(), Qt::Key_Down);
    QCOMPARE(text(&f.w, "Label72"), QString("LATE"));
    QCOMPARE(text(&f.w, "Label80"), QString("4"));
  }

  // "Pack changes...": the archive named through the save dialog, the
  // report, Pack, the loose copy moved to backup; the list then reads the
  // packed copy, not the archive it overrode.
  void packChangesThenReadsThePackedCopy() {
    TempDir game;
    game.write("rev31.hpi",
               writeArchive({{"weapons/rockets.tdf", weapon("ROCKET", "9", {"reloadtime=2;"}).toStdString()}}).bytes);
    game.write("weapons/rockets.tdf", weapon("ROCKET", "12", {"reloadtime=5;"}).toStdString());
    ScriptedHost host;
    ui::MainWindow w(game.path(), &host);
    w.show();
    QComboBox* list = control<QComboBox>(&w, "Combo1");
    host.paths = {(game.path() / "zz_mod").string()};
    chooseInMenu("Pack changes...");
    emit list->customContextMenuRequested({1, 1});
    QCOMPARE(host.starts, std::vector<std::string>{(game.path() / "changes.ufo").string()});
    QWidget* dialog = control(&w, "packChangesDialog");
    QVERIFY(dialog->isVisible());
    QCOMPARE(text(dialog, "packArchive"), QString::fromStdString((game.path() / "zz_mod.ufo").string()));
    auto* rows = control<QTreeWidget>(dialog, "packRows");
    QCOMPARE(rows->topLevelItemCount(), 1);
    QCOMPARE(rows->topLevelItem(0)->text(0) + " " + rows->topLevelItem(0)->text(1),
             QString("weapons/rockets.tdf zz_mod.ufo"));

    host.answers = {Answer::Yes};
    click(dialog, "packButton");
    QVERIFY(!dialog->isVisible());
    QCOMPARE(control<QProgressBar>(dialog, "packProgress")->value(), 1000);
    QVERIFY(QString::fromStdString(host.messages.back()).contains("\"backup\""));
    QVERIFY(!std::filesystem::exists(game.path() / "weapons" / "rockets.tdf"));
    QVERIFY(std::filesystem::exists(game.path() / "backup" / "weapons" / "rockets.tdf"));
    QCOMPARE(list->itemText(0), QString(" 12 - ROCKET"));
    emit list->activated(0);
    QCOMPARE(text(&w, "Label80"), QString("5"));
  }

  // The import's archive view: two files selected with the mouse,
  // Extract..., a folder chosen: both are written there byte for byte, and
  // nothing is imported.
  void extractFromTheArchiveView() {
    struct RealArchiveView : ScriptedHost {
      std::optional<std::size_t> pickFromArchive(ArchiveView& view) override {
        return ui::QtHost().pickFromArchive(view);
      }
    } host;
    TempDir game;
    ui::MainWindow w(Window::prepare(game, weapon("GUN", "7"), {}), &host);
    w.show();
    const std::string early = weapon("EARLY", "5").toStdString(), unit(100000, 'u');
    game.write("mod.ufo", writeArchive({{"readme.txt", "hello"},
                                        {"units/a.fbi", unit, PackMethod::Zlib},
                                        {"weapons/x.tdf", early, PackMethod::Lz77}})
                              .bytes);
    const std::filesystem::path out = game.path() / "out";
    std::filesystem::create_directories(out);
    host.paths = {(game.path() / "mod.ufo").string(), out.string()};
    QStringList listed;
    bool importable = true;
    QTimer::singleShot(0, &w, [&] {
      QWidget* view = QApplication::activeModalWidget();
      if (!view || view->objectName() != "archiveView") qFatal("no archive view");
      auto* list = control<QTreeWidget>(view, "archiveFiles");
      for (int row = 0; row < list->topLevelItemCount(); ++row) listed << list->topLevelItem(row)->text(0);
      const auto at = [list](int row) { return list->visualItemRect(list->topLevelItem(row)).center(); };
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at(2));                   // units/a.fbi
      QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, at(0));  // weapons/x.tdf
      importable = control<QPushButton>(view, "archiveImport")->isEnabled();
      click(view, "archiveExtract");
      click(view, "archiveCancel");
    });
    click(&w, "Command62");
    QCOMPARE(listed, QStringList({"weapons/x.tdf", "readme.txt", "units/a.fbi"}));
    QVERIFY(!importable);
    QCOMPARE(host.starts, std::vector<std::string>({"", game.path().string()}));
    QCOMPARE(readFile(out / "weapons/x.tdf"), early);
    QCOMPARE(readFile(out / "units/a.fbi"), unit);
    QVERIFY(!std::filesystem::exists(out / "readme.txt"));
    QCOMPARE(host.messages, std::vector<std::string>{extractedMessage(2, out.string())});
    QVERIFY(w.state().imports().empty());
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
        control(&f.w, "List1")->setFocus();
      QCOMPARE(text(&f.w, "Label72"), QString("None"));
      QCOMPARE(f.list()->currentIndex(), -1);
    }
  }

  // Enter presses a focused push button, as Space does.
  void enterPressesAFocusedButton() {
    Shown f;
    for (QPushButton* button : {control<QPushButton>(&f.w, "Command1"), control<QPushButton>(&f.w, "Command61"),
                                control<QPushButton>(f.openExport(), "Command1")})  // "?", export, Continue
      for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        QSignalSpy clicked(button, &QPushButton::clicked);
        button->setFocus();
        QTest::keyClick(button, key);
        QCOMPARE(clicked.count(), 1);
      }
  }

  // One ownerless dialog, which takes the keyboard in its first box when it
  // opens. A refusal keeps it open; an export writes the weapon on display,
  // its names in Windows-1252, to a file chosen from the path used last and
  // hides the dialog, which keeps its texts until the close box discards
  // them. Opened after its close box, it starts in its first box again.
  void theExportDialog() {
    Shown f;
    emit f.list()->activated(0);  // GUN
    const std::string imported = (f.game.path() / "weapons/cannons.tdf").string();
    f.host.paths.push_back(imported);
    click(&f.w, "Command62");
    ExportDialog* d = f.openExport();
    QVERIFY(d->isVisible() && !d->isModal() && !d->parentWidget() && d->windowType() == Qt::Tool);
    QCOMPARE(d->windowTitle(), QString("Export as New Weapon"));
    QVERIFY(QTest::qWaitForWindowActive(d));
    QCOMPARE(QApplication::focusWidget(), control(d, "Text1"));
    control<QLineEdit>(d, "Text1")->setText(QString::fromUtf8("NEWGUN\u0161"));
    control<QLineEdit>(d, "Text3")->setText("42");
    click(d, "Command1");
    QCOMPARE(f.host.messages, std::vector<std::string>({std::string(kMsgFillAllFields)}));
    QVERIFY(d->isVisible());

    control<QLineEdit>(d, "Text2")->setText(QString::fromUtf8("New Gun \u00e9"));
    f.host.paths.push_back((f.game.path() / "new.tdf").string());
    click(d, "Command1");
    QCOMPARE(f.host.starts, std::vector<std::string>({"", imported}));
    QVERIFY(!d->isVisible());
    const std::string written = readFile(f.game.path() / "new.tdf");
    for (const char* part : {"[NEWGUN\x8a]\r\n", "id=42;", "name=New Gun \xe9;", "reloadtime=2;"})
      QVERIFY2(written.find(part) != std::string::npos, part);

    QCOMPARE(f.openExport(), d);
    QCOMPARE(texts(d), QStringList({QString::fromUtf8("NEWGUN\u0161"), QString::fromUtf8("New Gun \u00e9"), "42"}));
    control(d, "Text3")->setFocus();
    QVERIFY(d->close());
    f.w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.w));
    QCOMPARE(f.openExport(), d);
    QVERIFY(QTest::qWaitForWindowActive(d));
    QCOMPARE(QApplication::focusWidget(), control(d, "Text1"));
    QCOMPARE(texts(d), QStringList({"", "", ""}));
  }

  // From the keyboard alone: Enter in the ID box is Continue, Escape hides
  // the dialog with its texts; the empty ID box offers the next free ID, and
  // an export that clashes with a weapon of the game is written and named in
  // a warning.
  void theExportDialogByKeyboardWarnsOfClashes() {
    Shown f;
    emit f.list()->activated(0);  // GUN, ID 7
    ExportDialog* d = f.openExport(true);
    QVERIFY(QTest::qWaitForWindowActive(d));
    auto* id = control<QLineEdit>(d, "Text3");
    QCOMPARE(id->placeholderText(), QString("next free: 0"));
    QTest::keyClick(d, Qt::Key_Escape);
    QVERIFY(!d->isVisible());
    QCOMPARE(f.openExport(), d);
    QCOMPARE(id->text(), QString("42"));
    id->setText("9");  // LASER's
    f.host.paths.push_back((f.game.path() / "new.tdf").string());
    QTest::keyClick(id, Qt::Key_Return);
    QVERIFY(!d->isVisible());
    QVERIFY(readFile(f.game.path() / "new.tdf").find("\tid=9;") != std::string::npos);
    QCOMPARE(f.host.messages.size(), 1u);
    QVERIFY2(f.host.messages[0].find("new.tdf:") != std::string::npos &&
                 f.host.messages[0].find("[LASER]") != std::string::npos,
             f.host.messages[0].c_str());
  }

  // Ctrl+F: a popup narrowed by name or ID as one types; Enter shows the
  // weapon chosen and leaves the list on it.
  void quickFindPicksByNameOrId() {
    Shown f(weapon("GUN", "7") + weapon("LASER", "9") + weapon("BIGLASER", "12"));
    f.w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.w));
    QTest::keyClick(&f.w, Qt::Key_F, Qt::ControlModifier);
    ui::QuickFind* find = f.w.quickFind();
    QVERIFY(find && find->isVisible());
    auto* typed = control<QLineEdit>(find, "quickFindText");
    auto* matches = control<QListWidget>(find, "quickFindList");
    QCOMPARE(matches->count(), 3);
    QTest::keyClicks(typed, "laser");
    QCOMPARE(matches->count(), 2);
    QCOMPARE(matches->currentItem()->text(), QString("  9 - LASER"));
    QTest::keyClick(typed, Qt::Key_Down);
    QTest::keyClick(typed, Qt::Key_Return);
    QVERIFY(!find->isVisible());
    QCOMPARE(f.list()->currentText(), QString(" 12 - BIGLASER"));
    QCOMPARE(text(&f.w, "Label72"), QString("BIGLASER"));  // the bracket name

    QTest::keyClick(&f.w, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(typed, "7");
    QTest::keyClick(typed, Qt::Key_Return);
    QCOMPARE(f.list()->currentText(), QString("  7 - GUN"));
  }

  // The program ends with the last shown window: closing the main window (and with it the Game check window)
  // leaves it running while the export dialog is shown, until the dialog's close box, or Continue, hides it
  // (here the save dialog is cancelled).
  void theProgramEndsWithTheLastShownWindow_data() {
    QTest::addColumn<bool>("byContinue");
    QTest::newRow("close box") << false;
    QTest::newRow("Continue") << true;
  }
  void theProgramEndsWithTheLastShownWindow() {
    QFETCH(bool, byContinue);
    Shown f;
    QTest::keyClick(&f.w, Qt::Key_F5);
    ExportDialog* d = f.openExport(true);
    bool ranOn = false, timedOut = false;
    QObject timers;  // ends the timers with the test
    QTimer::singleShot(0, &timers, [&] { f.w.close(); });
    QTimer::singleShot(100, &timers, [&] {
      ranOn = true;
      if (byContinue)
        click(d, "Command1");
      else
        d->close();
    });
    QTimer::singleShot(3000, &timers, [&] {
      timedOut = true;
      QCoreApplication::quit();
    });
    QApplication::exec();
    QVERIFY(ranOn && !timedOut && !f.w.gameCheckWindow()->isVisible());
  }

  // Each field row's box is drawn whole: its left line on its first column,
  // its bottom line on its last row (in device pixels; ctest runs this at
  // several screen scales).
  void fieldBoxesAreDrawnWhole() {
    Shown f;
    for (const ui::FieldRowLayout& row : ui::kFieldRows) {
      if (!row.hasCaption()) continue;
      const char* name = row.caption.data();
      QLabel* box = control<QLabel>(&f.w, name);
      const QImage picture = box->grab().toImage();
      const QColor line = box->palette().color(QPalette::WindowText);
      const int w = picture.width(), h = picture.height();
      for (const QPoint& p : {QPoint(0, h / 2), QPoint(w - 1, h / 2), QPoint(w / 2, 0), QPoint(w / 2, h - 1)})
        QVERIFY2(picture.pixelColor(p) == line, qPrintable(QString("%1 at %2,%3").arg(name).arg(p.x()).arg(p.y())));
      QVERIFY(picture.pixelColor(int(std::ceil(picture.devicePixelRatio())), h / 2) != line);
    }
  }

  // Both windows at their sizes in twips / 15, and their tab orders.
  void layoutAndTabOrder() {
    Window f;
    QWidget* w = &f.w;
    click(w, "Command61");
    QWidget* d = f.w.exportDialog();
    for (QWidget* window : {w, d}) QCOMPARE(window->minimumSize(), window->maximumSize());
    QCOMPARE(w->size(), QSize(737, 569));
    QCOMPARE(d->size(), QSize(273, 89));

    QStringList order = {"Combo1", "List1"};
    for (int n = 4; n <= 60; ++n)
      if (n < 18 || n > 21) order << "Command" + QString::number(n);
    order << "Command63"
          << "Option1"
          << "Option2"
          << "Command61"
          << "Command62";
    for (int n : {3, 2, 1, 65, 21, 20, 19, 18, 64, 66, 67, 68}) order << "Command" + QString::number(n);
    QCOMPARE(tabChain(control(w, "Combo1"), QRegularExpression("^(Combo1|List1|Option.|Command\\d+)$")), order);
    QCOMPARE(tabChain(control(d, "Text1"), QRegularExpression()), QStringList({"Text1", "Text2", "Text3", "Command1"}));
  }

  // The context menu of the list's edit field opens the Game check window beside the main window, in its
  // font, a line a row, naming files by their paths in the game. A double-click on a finding picks its weapon
  // (also at its header line, and in other letter case) and brings the main window to the front; for a weapon
  // not listed it says why, and offers to import a file the list does not read. Escape closes it.
  void theGameCheckWindow() {
    Shown f(weapon("GUN", "5") + weapon("LASER", "5", {"reloadtim=2;"}) + "[NOID]\r\n{\r\n}\r\n" +
            "[ODD] // not listed as ODD\r\n{\r\nid=7;\r\n}\r\n");
    f.write("weapons/mod.tdf", weapon("gun", "9", {"modkey=1;"}));
    const std::string extra = weapon("EXTRA", "200", {"extrakey=1;"}).toStdString();
    f.write("rev31.gp3", QByteArray::fromStdString(writeArchive({{"weapons/extra.tdf", extra}}).bytes));
    f.write("broken.ufo", "not an archive");
    chooseInMenu("Game check...");
    emit f.list()->lineEdit()->customContextMenuRequested({1, 1});
    ui::GameCheckWindow* check = f.w.gameCheckWindow();
    QVERIFY(check && check->isVisible());
    QSignalSpy checked(check, &ui::GameCheckWindow::checked);
    QVERIFY(checked.wait(10000));
    QVERIFY(check->findChild<QLabel*>("summary")->text().contains(
        "in 11 files, 1 hidden (engine: original)\nCounted: every .tdf file of the game"));

    QAbstractItemModel* census = check->censusTable()->model();
    check->findChild<QLineEdit*>("censusFilter")->setText("conflict");
    QCOMPARE(items(census), QStringList({"5"}));
    QCOMPARE(cell(census, 0, 2) + " " + cell(census, 0, 3), "GUN, LASER weapons/cannons.tdf:1; weapons/cannons.tdf:5");

    QTableView* findings = check->findingsTable();
    QStringList files = items(findings->model());
    files.removeDuplicates();
    QCOMPARE(files.join(" ") + cell(findings->model(), 0, 1),  // no line for an unreadable file
             "broken.ufo rev31.gp3/weapons/extra.tdf weapons/cannons.tdf weapons/mod.tdf");
    const std::string inArchive = (f.game.path() / "rev31.gp3/weapons/extra.tdf").string();
    QCOMPARE(findings->model()->index(1, 0).data(Qt::ToolTipRole).toString(), QString::fromStdString(inArchive));
    QCOMPARE(findings->textElideMode(), Qt::ElideMiddle);
    QVERIFY(check->font() == f.w.font() && findings->rowHeight(0) < 2 * f.w.fontMetrics().height());

    check->findChild<QTabWidget*>()->setCurrentWidget(findings->parentWidget());
    const auto choose = [&](const char* filter) {
      check->findChild<QLineEdit*>("findingsFilter")->setText(filter);
      const QPoint at = findings->visualRect(findings->model()->index(0, 3)).center();
      QTest::mouseClick(findings->viewport(), Qt::LeftButton, {}, at);
      QTest::mouseDClick(findings->viewport(), Qt::LeftButton, {}, at);
    };
    choose("missing-id");  // at the header of NOID
    QCOMPARE(f.list()->currentText(), QString("  7 - NOID"));
    QVERIFY(QTest::qWaitForWindowActive(&f.w, 1000));
    choose("modkey");  // in [gun] of a file the list does not read
    QCOMPARE(f.list()->currentText(), QString("  5 - GUN"));
    check->findChild<QAction*>("category-display")->trigger();  // shown
    choose("text-after-header");  // ODD, which the list reads as "ODD] // not listed as OD"
    f.host.answers.push_back(Answer::Yes);
    choose("extrakey");
    QVERIFY(f.host.messages.size() == 2 && f.host.messages[1].ends_with("the list holds the eight standard weapon "
                                                                        "files and the imported ones.\n\nImport "
                                                                        "rev31.gp3/weapons/extra.tdf?"));
    QCOMPARE(f.list()->currentText(), QString("200 - EXTRA"));
    QCOMPARE(f.w.state().imports(), std::vector<std::string>({inArchive}));

    QVERIFY2(!check->frameGeometry().intersects(f.w.frameGeometry()) &&
                 check->screen()->geometry().contains(check->frameGeometry()),
             "needs room beside the main window: ctest's screen is 1920 x 1080");
    check->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(check));
    QTest::keyClick(findings, Qt::Key_Escape);
    QVERIFY(!check->isVisible());
  }

  // An import says what it added beside the count line, with no box to close
  // (the line's tooltip keeps it); one that cannot be read says so in its own
  // words and takes no slot.
  void anImportSaysWhatItAddedOrWhyNot() {
    Shown f;
    f.host.paths.push_back(f.write("extra.tdf", weapon("X1", "201") + weapon("X2", "202")));
    click(&f.w, "Command62");
    QVERIFY(f.host.messages.empty());
    QCOMPARE(control<QLabel>(&f.w, "Label1")->toolTip(), QString("2 weapons added from extra.tdf (import 1 of 15)"));
    f.host.paths.push_back(f.write("broken.ufo", "not an archive"));
    click(&f.w, "Command62");
    QCOMPARE(f.host.messages.size(), 1u);
    QVERIFY2(f.host.messages[0].starts_with("This file could not be imported:\n\n") &&
                 f.host.messages[0].ends_with("It takes no import slot; the weapon list is as it was."),
             f.host.messages[0].c_str());
    QCOMPARE(f.w.state().imports().size(), 1u);
  }

  // The Game check window opens as wide as it was left, where there is room
  // beside the main window.
  void theGameCheckWindowKeepsItsWidth() {
    {
      Shown f;
      QTest::keyClick(&f.w, Qt::Key_F5);
      f.w.gameCheckWindow()->resize(500, 400);
      f.w.gameCheckWindow()->close();
    }
    Shown f;
    QTest::keyClick(&f.w, Qt::Key_F5);
    QCOMPARE(f.w.gameCheckWindow()->width(), 500);
    QSettings().remove("gameCheck/width");
  }

  // "List every weapon file of the game" in the list's context menu: off at
  // first (the eight standard files), on it lists the other weapon files of
  // the game too; the choice is remembered for the next window.
  void everyWeaponFile() {
    QSettings().remove(ui::kAllWeaponFilesKey);
    const auto listed = [](QComboBox* list) {
      QStringList names;
      for (int i = 0; i < list->count(); ++i) names << list->itemText(i).trimmed();
      return names.join(", ");
    };
    {
      Shown f(weapon("GUN", "5"));
      f.write("weapons/armah_weapon.tdf", weapon("EXTRA", "200"));
      f.write("weapons/.hidden.tdf", weapon("HIDDEN", "201"));
      QCOMPARE(listed(f.list()), "5 - GUN");
      chooseInMenu("List every weapon file of the game");
      emit f.list()->customContextMenuRequested({1, 1});
      QCOMPARE(listed(f.list()), "5 - GUN, 200 - EXTRA");
      QCOMPARE(QSettings().value(ui::kAllWeaponFilesKey).toBool(), true);
    }
    Shown again(weapon("GUN", "5"));
    again.write("weapons/armah_weapon.tdf", weapon("EXTRA", "200"));
    // The remembered choice is on: the menu turns it off.
    chooseInMenu("List every weapon file of the game");
    emit again.list()->customContextMenuRequested({1, 1});
    QCOMPARE(listed(again.list()), "5 - GUN");
    QCOMPARE(QSettings().value(ui::kAllWeaponFilesKey).toBool(), false);
  }

  // Each kind of real message box: its title, no icon, its buttons and
  // default, and the answer to Escape; the filter of both real file dialogs,
  // and which of them leaves the overwrite question to the program; the real
  // list of an archive's weapon files, decoded from Windows-1252, and the
  // place of the one picked.
  void theRealDialogs_data() {
    QTest::addColumn<int>("kind");  // the buttons of a message box; -1 open, -2 save, -3 an archive's list
    QTest::addColumn<QString>("description");
    QTest::addColumn<int>("answer");
    const int ok = QMessageBox::Ok, cancel = QMessageBox::Cancel, yes = QMessageBox::Yes, no = QMessageBox::No;
    QTest::newRow("OK") << int(Buttons::Ok) << QString("Quillmark 0 %1 %1").arg(ok) << int(Answer::Ok);
    QTest::newRow("OK Cancel") << int(Buttons::OkCancel) << QString("Quillmark 0 %1 %2").arg(ok | cancel).arg(ok)
                               << int(Answer::Cancel);
    QTest::newRow("Yes No") << int(Buttons::YesNo) << QString("Quillmark 0 %1 %2").arg(yes | no).arg(yes)
                            << int(Answer::No);
    const int save = QMessageBox::Save, discard = QMessageBox::Discard;
    QTest::newRow("Save Discard Cancel, Alt+D")
        << int(Buttons::SaveDiscardCancel) << QString("Quillmark 0 %1 %2").arg(save | discard | cancel).arg(save)
        << int(Answer::Discard);
    const QString open = "TDF files (*.tdf);Game archives (*.gp3 *.gpf *.ccx *.ufo *.hpi) 0";
    QTest::newRow("open") << -1 << open << -1;
    QTest::newRow("save") << -2 << "TDF files (*.tdf) 1" << -1;
    QTest::newRow("save an archive") << -6 << "Game archives (*.gp3 *.gpf *.ccx *.ufo *.hpi) 1" << -1;
    QTest::newRow("typed in an archive") << -4 << open << 1;
    QTest::newRow("a path typed over the name given") << -5 << open << 1;
    QTest::newRow("archive") << -3 << QString::fromUtf8("Files in rev31.gp3: weapons/a.tdf;weapons/\u00e9.tdf") << 1;
  }
  void theRealDialogs() {
    QFETCH(int, kind);
    QFETCH(QString, description);
    QFETCH(int, answer);
    const TempDir dir;
    const std::string archive = dir.write("mod.ufo", writeArchive({{"weapons/x.tdf", "[X]"}}).bytes).string();
    const std::string other = dir.write("other/extra.tdf", "[X]").string();
    QString seen;
    QTimer::singleShot(0, qApp, [&] {
      QWidget* dialog = QApplication::activeModalWidget();
      if (!dialog) qFatal("no dialog");
      if (auto* box = qobject_cast<QMessageBox*>(dialog))
        seen = QString("%1 %2 %3 %4")
                   .arg(box->windowTitle())
                   .arg(box->icon())
                   .arg(box->standardButtons().toInt())
                   .arg(box->standardButton(box->defaultButton()));
      if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
        seen = files->nameFilters().join(";") + " " +
               QString::number(files->testOption(QFileDialog::DontConfirmOverwrite));
        if (kind == -5 && QTest::qWaitForWindowActive(files)) {  // the name given, "mod.ufo", is replaced
          QTest::keyClicks(files->focusWidget(), QString::fromStdString(other));
          return QTest::keyClick(files->focusWidget(), Qt::Key_Return);
        }
        if (kind == -4 && QTest::qWaitForWindowActive(files)) {  // "mod.ufo" typed on to "mod.ufo/weapons/x.tdf"
          QTest::keyClick(files->focusWidget(), Qt::Key_End);
          QTest::keyClicks(files->focusWidget(), "/weapons/x.tdf");
          return QTest::keyClick(files->focusWidget(), Qt::Key_Return);
        }
      }
      if (dialog->objectName() == "archiveView") {
        auto* list = control<QTreeWidget>(dialog, "archiveFiles");
        QStringList files;
        for (int row = 0; row < list->topLevelItemCount(); ++row) files << list->topLevelItem(row)->text(0);
        seen = dialog->findChild<QLabel*>()->text() + " " + files.join(";");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->topLevelItem(1)).center());
        return click(dialog, "archiveImport");
      }
      if (kind == int(Buttons::SaveDiscardCancel) && QTest::qWaitForWindowActive(dialog))
        return QTest::keyClick(dialog, Qt::Key_D, Qt::AltModifier);
      QTest::keyClick(dialog, Qt::Key_Escape);
    });
    QObject guard;  // a dialog still open then fails the row
    QTimer::singleShot(2000, &guard, [] { QApplication::closeAllWindows(); });
    ui::QtHost host;
    const auto run = [&] {
      if (kind >= 0) return int(host.msgBox("Weapon not found!", Buttons(kind)));
      if (kind == -1) return host.showOpen("") ? 1 : -1;
      if (kind == -2) return host.showSave("") ? 1 : -1;
      if (kind == -6) return host.showSave("", archiveFilter()) ? 1 : -1;
      if (kind == -4) return host.showOpen(archive) == std::filesystem::path(archive + "/weapons/x.tdf") ? 1 : -1;
      if (kind == -5) return host.showOpen(archive) == std::filesystem::path(other) ? 1 : -1;
      const std::filesystem::path rev31 =
          dir.write("rev31.gp3", writeArchive({{"weapons/a.tdf", "[A]"}, {"weapons/\xe9.tdf", "[B]"}}).bytes);
      std::string reason;
      ScriptedHost scripted;
      ArchiveView view(platform::utf8Of(rev31), Archive::open(rev31, reason), scripted);
      return int(host.pickFromArchive(view).value_or(-1));
    };
    QCOMPARE(run(), answer);
    QCOMPARE(seen, description);
  }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
