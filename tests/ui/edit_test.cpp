// Editing in the main window, through its own controls: the editors in place
// of the values, undo and redo keys, Save with its diff, the question about
// unsaved changes, and a weapon of an archive.
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTimer>
#include <algorithm>

#include "../support/archive_writer.h"
#include "presentation/editing_state.h"
#include "support.h"
#include "ui/layout.h"
#include "ui/qt_host.h"

using namespace qm;
using namespace qm::test;

namespace {

QLabel* valueOf(QWidget* w, int field) {
  const auto row = std::find_if(ui::kFieldRows.begin(), ui::kFieldRows.end(),
                                [field](const ui::FieldRowLayout& r) { return r.field == field; });
  return control<QLabel>(w, std::string(row->value).c_str());
}

constexpr int kId = 3, kEnergy = 5, kReload = 10;  // field numbers

// Opens the editor of a value by double-click, types `text` and ends with `key`.
void editValue(QWidget* w, int field, const QString& text, Qt::Key key = Qt::Key_Return) {
  QTest::mouseDClick(valueOf(w, field), Qt::LeftButton);
  auto* editor = control<QLineEdit>(w, "valueEditor");
  editor->selectAll();
  QTest::keyClicks(editor, text);
  QTest::keyClick(editor, key);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Shown and active, as the keyboard shortcuts need.
void show(QWidget& w) {
  w.show();
  w.activateWindow();
  if (!QTest::qWaitForWindowActive(&w)) qFatal("the window is not active");
}

QStringList fileLines(const std::filesystem::path& path) {
  return QString::fromStdString(readFile(path)).split("\r\n");
}

const QByteArray kGun = weapon("GUN", "7", {"energy=100;", "reloadtime=2;", "[DAMAGE]", "{", "default=50;", "}"});

}  // namespace

class EditTest : public QObject {
  Q_OBJECT
 private slots:
  // Two values and a damage line changed, one undone: the diff shown before
  // the save holds the other two, and the file differs in exactly those lines.
  void editUndoAndSave() {
    Window f(kGun + weapon("LASER", "9"));
    QWidget* w = &f.w;
    w->setWindowTitle("Quillmark - mod");  // as the program titles a game outside its own folder
    show(f.w);
    const auto file = f.game.path() / "weapons" / "cannons.tdf";
    const QStringList before = fileLines(file);
    emit f.list()->activated(0);
    QTest::mouseDClick(valueOf(w, kReload), Qt::LeftButton);  // Viewing Mode: no editor
    QVERIFY(!w->findChild<QLineEdit*>("valueEditor"));
    click(w, "Option2");

    editValue(w, kReload, "1.2");
    QCOMPARE(valueOf(w, kReload)->text(), QString("1.2"));
    QVERIFY(valueOf(w, kReload)->property("edited").toBool());
    QCOMPARE(w->windowTitle(), QString("Quillmark - mod *"));
    QVERIFY(!control<QPushButton>(w, "saveButton")->isHidden());
    editValue(w, kId, "99", Qt::Key_Escape);
    QCOMPARE(valueOf(w, kId)->text(), QString("7"));

    auto* damage = control<QListWidget>(w, "List1");
    QTest::mouseDClick(damage->viewport(), Qt::LeftButton);
    auto* lines = control<QPlainTextEdit>(w, "damageEditor");
    QCOMPARE(lines->toPlainText(), QString("default=50\n"));
    lines->setPlainText("default=75\n");
    QTest::keyClick(lines, Qt::Key_Return);
    QCOMPARE(damage->item(0)->text(), QString("default=75"));

    // F2 on the focused value opens its editor too.
    valueOf(w, kEnergy)->setFocus();
    QTest::keyClick(valueOf(w, kEnergy), Qt::Key_F2);
    auto* editor = control<QLineEdit>(w, "valueEditor");
    editor->setText("300");
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(valueOf(w, kEnergy)->text(), QString("300"));

    QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(valueOf(w, kEnergy)->text(), QString("100"));
    QTest::keyClick(w, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(valueOf(w, kEnergy)->text(), QString("300"));
    QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(!valueOf(w, kEnergy)->property("edited").toBool());

    f.host.answers = {Answer::Cancel, Answer::Ok};
    QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(fileLines(file), before);
    QCOMPARE(f.host.saveQuestions, 1);  // the window's own save dialog, not a message box
    QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier);
    const QString shown = QString::fromStdString(f.host.messages.back());
    QVERIFY2(shown.contains(QString::fromStdString(file.string())), qPrintable(shown));
    QCOMPARE(shown.count(QRegularExpression("^[-+][^-+]", QRegularExpression::MultilineOption)), 4);
    QVERIFY(shown.contains("+reloadtime=1.2;") && shown.contains("+default=75;") && !shown.contains("energy=300"));

    const QStringList after = fileLines(file);
    QCOMPARE(after.size(), before.size());
    QStringList changed;
    for (qsizetype i = 0; i < after.size(); ++i)
      if (after[i] != before[i]) changed << after[i];
    QCOMPARE(changed, QStringList({"reloadtime=1.2;", "default=75;"}));
    QVERIFY(std::filesystem::exists(file.string() + ".bak"));
    QCOMPARE(w->windowTitle(), QString("Quillmark - mod"));
    QVERIFY(!valueOf(w, kReload)->property("edited").toBool());
  }

  // Unsaved changes: picking another weapon asks; Cancel stays, Discard
  // drops them. A value the game checks doubt is marked and explained.
  // The save is asked in a dialog of its own: the files, then their diffs
  // in a scrolled box, however many there are.
  void theSaveDialogListsFilesAndDiffs() {
    ui::QtHost dialogs;
    QString files, diffs;
    QTimer::singleShot(0, [&] {
      QWidget* d = QApplication::activeModalWidget();
      if (!d || d->objectName() != "saveDialog") return;
      files = d->findChild<QLabel*>("saveFiles")->text();
      diffs = d->findChild<QPlainTextEdit*>("saveDiff")->toPlainText();
      if (QTest::qWaitForWindowActive(d)) QTest::keyClick(d, Qt::Key_S, Qt::AltModifier);  // the button reads Save
    });
    // Whatever else is shown is closed, so that a test that fails ends.
    QTimer::singleShot(2000, [] {
      if (QWidget* d = QApplication::activeModalWidget()) d->close();
    });
    QVERIFY(dialogs.confirmSave({{"a.tdf", "-id=1;\n+id=2;\n"}, {"b.tdf", "-x=\xe9;\n"}}));
    QCOMPARE(files, QString("a.tdf\nb.tdf"));
    QCOMPARE(diffs, QString("-id=1;\n+id=2;\n-x=\u00e9;\n"));
  }

  void unsavedChangesAskAndWarningsShow() {
    Window f(kGun + weapon("LASER", "9"));
    QWidget* w = &f.w;
    show(f.w);
    emit f.list()->activated(0);
    click(w, "Option2");
    editValue(w, kReload, "soon");
    QVERIFY(valueOf(w, kReload)->toolTip().contains("not a number"));

    f.host.answers = {Answer::Cancel};
    emit f.list()->activated(1);
    QVERIFY(!f.host.buttons.empty() && f.host.buttons.back() == Buttons::SaveDiscardCancel);
    QCOMPARE(valueOf(w, kReload)->text(), QString("soon"));
    f.host.answers = {Answer::Discard};
    emit f.list()->activated(1);
    QCOMPARE(valueOf(w, kId)->text(), QString("9"));
    QCOMPARE(w->windowTitle(), QString("Quillmark"));
    QVERIFY(readFile(f.game.path() / "weapons" / "cannons.tdf").find("soon") == std::string::npos);
  }

  // Another program changes a file with unsaved edits: the window says so
  // at once and, on Yes, reads it again and makes the edits again; the save
  // then writes both. A file changed on disk without unsaved edits is read
  // again before the next edit.
  void aFileChangedOnDiskIsReadAgain() {
    Window f(kGun + weapon("LASER", "9"));
    QWidget* w = &f.w;
    show(f.w);
    const auto file = f.game.path() / "weapons" / "cannons.tdf";
    emit f.list()->activated(0);
    click(w, "Option2");
    editValue(w, kReload, "1.2");
    f.host.messages.clear();
    f.host.answers = {Answer::Yes};
    f.write("weapons/cannons.tdf", "// tuned\r\n" + kGun + weapon("LASER", "9"));
    QTRY_VERIFY(!f.host.messages.empty());
    QVERIFY2(QString::fromStdString(f.host.messages[0]).contains("changed on disk"), f.host.messages[0].c_str());
    QCOMPARE(valueOf(w, kReload)->text(), QString("1.2"));
    f.host.answers = {Answer::Ok};
    QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(readFile(file).starts_with("// tuned\r\n[GUN]"));
    QVERIFY(readFile(file).find("reloadtime=1.2;") != std::string::npos);

    // No unsaved edits: the next edit is made to the bytes on disk.
    f.write("weapons/cannons.tdf", "// again\r\n" + kGun + weapon("LASER", "9"));
    editValue(w, kEnergy, "300");
    f.host.answers = {Answer::Ok};
    QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(readFile(file).starts_with("// again\r\n[GUN]"));
    QVERIFY(readFile(file).find("energy=300;") != std::string::npos);
  }

  // Actual Mode shows a copy of the weapon inside a comment: an edit is
  // refused with the line of the block the game reads.
  void aCommentedCopyIsNotEdited() {
    Window f(kGun + "/*\r\n" + weapon("GUN", "8") + "*/\r\n");
    QWidget* w = &f.w;
    show(f.w);
    emit f.list()->activated(0);
    click(w, "Option2");
    QCOMPARE(valueOf(w, kId)->text(), QString("8"));
    f.host.messages.clear();
    editValue(w, kId, "12");
    QCOMPARE(f.host.messages.size(), 1u);
    QVERIFY2(QString::fromStdString(f.host.messages[0]).contains("cannons.tdf:1: edit it there"),
             f.host.messages[0].c_str());
    QCOMPARE(w->windowTitle().endsWith("*"), false);
  }

  // Revert asks first; Cancel keeps the edits. A marked value and the damage
  // list keep the window's font through marking, undo and revert.
  void revertAsksAndMarksKeepTheFont() {
    Window f(kGun);
    QWidget* w = &f.w;
    show(f.w);
    emit f.list()->activated(0);
    click(w, "Option2");
    QLabel* reload = valueOf(w, kReload);
    auto* damage = control<QListWidget>(w, "List1");
    const QFont font = reload->font(), damageFont = damage->font();
    QCOMPARE(font, w->font());
    editValue(w, kReload, "5");
    QTest::mouseDClick(damage->viewport(), Qt::LeftButton);
    auto* editor = control<QPlainTextEdit>(w, "damageEditor");
    editor->setPlainText("default=75");
    QTest::keyClick(editor, Qt::Key_Return);
    QVERIFY(reload->property("edited").toBool() && damage->property("edited").toBool());
    QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);  // the damage
    QCOMPARE(damage->font(), damageFont);

    f.host.answers = {Answer::Cancel};
    click(w, "revertButton");
    QVERIFY(!f.host.messages.empty());
    QCOMPARE(f.host.messages.back(), std::string(kMsgRevert));
    QCOMPARE(reload->text(), QString("5"));
    f.host.answers = {Answer::Ok};
    click(w, "revertButton");
    QCOMPARE(reload->text(), QString("2"));
    QVERIFY(!reload->property("edited").toBool());
    QCOMPARE(reload->font(), font);
    emit f.list()->activated(0);
    QCOMPARE(reload->font(), font);
  }

  // A value refused stays in its editor, with the reason under it; mended,
  // it is taken; Escape drops it.
  void aRefusedValueStaysInItsEditor() {
    Window f(kGun);
    QWidget* w = &f.w;
    show(f.w);
    emit f.list()->activated(0);
    click(w, "Option2");
    editValue(w, kReload, "1;2");
    auto* editor = w->findChild<QLineEdit*>("valueEditor");
    QVERIFY(editor && editor->isVisible());
    QCOMPARE(editor->text(), QString("1;2"));
    auto* reason = control<QLabel>(w, "valueRefusal");
    QVERIFY(reason->isVisible());
    QVERIFY(!f.host.messages.empty() && !reason->text().isEmpty());
    QCOMPARE(reason->text().toStdString(), f.host.messages.back());
    QCOMPARE(valueOf(w, kReload)->text(), QString("2"));

    QTest::keyClick(editor, Qt::Key_End);
    QTest::keyClick(editor, Qt::Key_Backspace);
    QTest::keyClick(editor, Qt::Key_Backspace);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!w->findChild<QLineEdit*>("valueEditor") && !w->findChild<QLabel*>("valueRefusal"));
    QCOMPARE(valueOf(w, kReload)->text(), QString("1"));
  }

  // From the keyboard alone: Alt+A switches to Actual Mode, where Tab stops
  // at each value that can be edited, before its "?" button, and F2 edits it;
  // in Viewing Mode Tab passes over the values.
  void tabReachesTheValuesInActualMode() {
    Window f(kGun);
    QWidget* w = &f.w;
    show(f.w);
    emit f.list()->activated(0);
    auto* idHelp = control(w, "Command3");  // field 3, the ID
    idHelp->setFocus();
    QTest::keyClick(idHelp, Qt::Key_Backtab);
    QVERIFY(QApplication::focusWidget() != valueOf(w, kId));
    QTest::keyClick(w, Qt::Key_A, Qt::AltModifier);
    QVERIFY(control<QRadioButton>(w, "Option2")->isChecked());
    QCOMPARE(valueOf(w, kId)->text(), QString("7"));
    idHelp->setFocus();
    QTest::keyClick(idHelp, Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), valueOf(w, kId));
    QTest::keyClick(valueOf(w, kId), Qt::Key_F2);
    auto* editor = control<QLineEdit>(w, "valueEditor");
    QTest::keyClicks(editor, "8");
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(valueOf(w, kId)->text(), QString("8"));
    QTest::keyClick(w, Qt::Key_V, Qt::AltModifier);
    QVERIFY(control<QRadioButton>(w, "Option1")->isChecked());
  }

  // A weapon of an archive: the user is told before the first change where
  // it will be written; the save writes the loose file and not the archive,
  // and the list shows the new ID.
  void archivedWeaponGoesToTheLooseFile() {
    TempDir game;
    const std::string archive = writeArchive({{"weapons/rockets.tdf", "[ROCKET]\r\n{\r\nid=9;\r\n}\r\n"}}).bytes;
    game.write("rev31.gp3", archive);
    game.write("Weapons/readme.txt", "");
    ScriptedHost host;
    ui::MainWindow w(game.path(), &host);
    show(w);
    QComboBox* list = control<QComboBox>(&w, "Combo1");
    emit list->activated(0);
    click(&w, "Option2");
    host.messages.clear();
    editValue(&w, kId, "12");
    QCOMPARE(host.messages.size(), 1u);
    QVERIFY(QString::fromStdString(host.messages[0]).contains("rockets.tdf"));
    host.answers = {Answer::Ok};
    click(&w, "saveButton");
    // The save shows the loose file as new, made from the archive's file,
    // and the hunk names the weapon.
    const std::string inArchive = (game.path() / "rev31.gp3").string() + "/weapons/rockets.tdf";
    const std::string loose = (game.path() / "Weapons" / "rockets.tdf").string();
    QCOMPARE(host.messages.back(), "Save the changes to these files?\n\n" + loose + " (new file, from " + inArchive +
                                       ")\n\n--- " + inArchive + "\n+++ " + loose +
                                       "\n@@ -1,4 +1,4 @@ [ROCKET]\n [ROCKET]\n {\n-id=9;\n+id=12;\n }\n");
    QCOMPARE(readFile(game.path() / "Weapons" / "rockets.tdf"), std::string("[ROCKET]\r\n{\r\nid=12;\r\n}\r\n"));
    QCOMPARE(readFile(game.path() / "rev31.gp3"), archive);
    QCOMPARE(list->itemText(0), QString(" 12 - ROCKET"));
    QCOMPARE(valueOf(&w, kId)->text(), QString("12"));
  }
};

QTEST_MAIN(EditTest)
#include "edit_test.moc"
