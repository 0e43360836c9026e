// The real message box and file dialog, driven offscreen.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "ui/qt_host.h"

using namespace qm;
using qm::ui::QtHost;

namespace {

// Runs `act` on the modal dialog once it is up.
template <class D>
void WhenShown(std::function<void(D*)> act) {
  QTimer::singleShot(0, qApp, [act] {
    auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
    if (!dialog) qFatal("no modal dialog");
    // A failed check inside `act` must not leave the dialog waiting.
    const auto close = qScopeGuard([dialog] {
      if (dialog->isVisible()) static_cast<QDialog*>(dialog)->done(QDialog::Rejected);
    });
    act(dialog);
  });
}

}  // namespace

class QtHostTest : public QObject {
  Q_OBJECT

 private slots:
  void theFilterInQtForm() {
    QCOMPARE(ui::QtFileFilter(kTdfFilter), QString("TDF files (*.tdf)"));
    QCOMPARE(ui::QtFileFilter("Text(*.txt;*.log)|*.txt;*.log|All|*.*"), QString("Text (*.txt *.log);;All (*.*)"));
  }

  void messageBoxes_data() {
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("press");  // a QMessageBox::StandardButton, or 0 for Escape
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("standardButtons");
    QTest::addColumn<int>("defaultButton");
    const int ok = QMessageBox::Ok, cancel = QMessageBox::Cancel, yes = QMessageBox::Yes, no = QMessageBox::No;
    const int b = int(Buttons::Ok), oc = int(Buttons::OkCancel), yn = int(Buttons::YesNo);
    QTest::newRow("OK") << b << ok << int(Answer::Ok) << ok << ok;
    QTest::newRow("OK of OK/Cancel") << oc << ok << int(Answer::Ok) << (ok | cancel) << ok;
    QTest::newRow("Cancel") << oc << cancel << int(Answer::Cancel) << (ok | cancel) << ok;
    QTest::newRow("Escape on OK/Cancel") << oc << 0 << int(Answer::Cancel) << (ok | cancel) << ok;
    QTest::newRow("Yes") << yn << yes << int(Answer::Yes) << (yes | no) << yes;
    QTest::newRow("No") << yn << no << int(Answer::No) << (yes | no) << yes;
    QTest::newRow("Escape on Yes/No") << yn << 0 << int(Answer::No) << (yes | no) << yes;
  }
  void messageBoxes() {
    QFETCH(int, buttons);
    QFETCH(int, press);
    QFETCH(int, answer);
    QFETCH(int, standardButtons);
    QFETCH(int, defaultButton);
    bool seen = false;
    WhenShown<QMessageBox>([&](QMessageBox* box) {
      seen = true;
      QCOMPARE(box->windowTitle(), QString("Quillmark"));
      QCOMPARE(box->text(), QString("Weapon not found!"));
      QCOMPARE(box->icon(), QMessageBox::NoIcon);
      QCOMPARE(int(box->standardButtons()), standardButtons);
      QCOMPARE(box->standardButton(box->defaultButton()), QMessageBox::StandardButton(defaultButton));
      if (press)
        box->button(QMessageBox::StandardButton(press))->click();
      else
        QTest::keyClick(box, Qt::Key_Escape);
    });
    QtHost host;
    QCOMPARE(int(host.MsgBox("Weapon not found!", Buttons(buttons))), answer);
    QVERIFY(seen);
  }

  void fileDialogs_data() {
    QTest::addColumn<bool>("save");
    QTest::addColumn<bool>("accept");
    QTest::newRow("open, chosen") << false << true;
    QTest::newRow("open, cancelled") << false << false;
    QTest::newRow("save, chosen") << true << true;
    QTest::newRow("save, cancelled") << true << false;
  }
  void fileDialogs() {
    QFETCH(bool, save);
    QFETCH(bool, accept);
    QTemporaryDir dir;
    const QString last = dir.filePath("last.tdf");
    const QString chosen = dir.filePath("chosen.tdf");
    QFile(last).open(QIODevice::WriteOnly);
    QFile(chosen).open(QIODevice::WriteOnly);  // an existing file: no question of the dialog's own

    WhenShown<QFileDialog>([&](QFileDialog* d) {
      QCOMPARE(d->nameFilters(), QStringList({"TDF files (*.tdf)"}));
      QCOMPARE(d->acceptMode(), save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
      QCOMPARE(QDir(d->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
      QCOMPARE(d->testOption(QFileDialog::DontConfirmOverwrite), save);
      if (!accept) return d->reject();
      d->selectFile(chosen);
      static_cast<QDialog*>(d)->accept();
    });
    QtHost host;
    const auto path = save ? host.ShowSave(last.toStdString()) : host.ShowOpen(last.toStdString());
    QCOMPARE(path.has_value(), accept);
    if (accept) QCOMPARE(QFileInfo(QString::fromStdString(*path)).canonicalFilePath(), QFileInfo(chosen).canonicalFilePath());
  }
};

QTEST_MAIN(QtHostTest)
#include "qt_host_test.moc"
