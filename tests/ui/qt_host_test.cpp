// The real message box and file dialog, driven offscreen.
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ui/qt_host.h"

using namespace qm;

class QtHostTest : public QObject {
  Q_OBJECT

 private slots:
  // Each kind of message box: its title, no icon, its buttons and default,
  // and the answer to Escape; the filter of both file dialogs, and which of
  // them leaves the overwrite question to the program.
  void dialogs_data() {
    QTest::addColumn<int>("kind");  // the buttons of a message box; -1 open, -2 save
    QTest::addColumn<QString>("description");
    QTest::addColumn<int>("answer");
    const int ok = QMessageBox::Ok, cancel = QMessageBox::Cancel, yes = QMessageBox::Yes, no = QMessageBox::No;
    QTest::newRow("OK") << int(Buttons::Ok) << QString("Quillmark 0 %1 %1").arg(ok) << int(Answer::Ok);
    QTest::newRow("OK Cancel") << int(Buttons::OkCancel) << QString("Quillmark 0 %1 %2").arg(ok | cancel).arg(ok)
                               << int(Answer::Cancel);
    QTest::newRow("Yes No") << int(Buttons::YesNo) << QString("Quillmark 0 %1 %2").arg(yes | no).arg(yes)
                            << int(Answer::No);
    QTest::newRow("open") << -1 << "TDF files (*.tdf);Game archives (*.hpi *.ufo *.ccx *.gp3 *.gpf) 0" << -1;
    QTest::newRow("save") << -2 << "TDF files (*.tdf) 1" << -1;
  }
  void dialogs() {
    QFETCH(int, kind);
    QFETCH(QString, description);
    QFETCH(int, answer);
    QString seen;
    QTimer::singleShot(0, qApp, [&] {
      QWidget* dialog = QApplication::activeModalWidget();
      if (!dialog) qFatal("no dialog");
      if (auto* box = qobject_cast<QMessageBox*>(dialog))
        seen = QString("%1 %2 %3 %4").arg(box->windowTitle()).arg(box->icon()).arg(box->standardButtons().toInt())
                   .arg(box->standardButton(box->defaultButton()));
      if (auto* files = qobject_cast<QFileDialog*>(dialog))
        seen = files->nameFilters().join(";") + " " + QString::number(files->testOption(QFileDialog::DontConfirmOverwrite));
      QTest::keyClick(dialog, Qt::Key_Escape);
    });
    ui::QtHost host;
    const auto file = [&] { return (kind == -1 ? host.ShowOpen("") : host.ShowSave("")) ? 1 : -1; };
    QCOMPARE(kind >= 0 ? int(host.MsgBox("Weapon not found!", Buttons(kind))) : file(), answer);
    QCOMPARE(seen, description);
  }

  // The list of an archive's weapon files, names decoded from Windows-1252:
  // the second picked, then the list cancelled.
  void archivePicker() {
    for (int pick : {1, -1}) {
      QString label;
      QStringList items;
      QTimer::singleShot(0, qApp, [&] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!dialog) qFatal("no list");
        label = dialog->labelText();
        items = dialog->comboBoxItems();
        if (pick < 0) {
          QTest::keyClick(dialog, Qt::Key_Escape);
        } else {
          dialog->setTextValue(items[pick]);
          dialog->accept();
        }
      });
      ui::QtHost host;
      const auto picked = host.PickFromArchive("/games/ta/rev31.gp3", {"weapons/a.tdf", "weapons/\xe9.tdf"});
      QCOMPARE(picked ? int(*picked) : -1, pick);
      QCOMPARE(label, QString("Weapon files in rev31.gp3:"));
      QCOMPARE(items, QStringList({"weapons/a.tdf", QString::fromUtf8("weapons/\xc3\xa9.tdf")}));
    }
  }
};

QTEST_MAIN(QtHostTest)
#include "qt_host_test.moc"
