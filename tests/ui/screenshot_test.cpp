// The window on a weapon of the sample game: every text fits its control. With
// QM_SCREENSHOT_DIR set, the pictures in docs/ (window-viewing.png,
// window-actual.png, window-export.png) are written there.
#include <QDir>

#include "support.h"
#include "ui/export_dialog.h"
#include "ui/layout.h"

using namespace qm::test;

class ScreenshotTest : public QObject {
  Q_OBJECT

 private slots:
  void bothModesOnASampleWeapon() {
    const QString pictures = qEnvironmentVariable("QM_SCREENSHOT_DIR");
    const auto save = [&](QWidget* window, const char* name) {
      if (!pictures.isEmpty() && QDir().mkpath(pictures)) QVERIFY(window->grab().save(QDir(pictures).filePath(name)));
    };
    ScriptedHost host;
    qm::ui::MainWindow w(QM_SOURCE_DIR "/sample-game", &host);
    auto* combo = control<QComboBox>(&w, "Combo1");
    const int index = combo->findText("VALK_LIGHTGUN", Qt::MatchEndsWith);
    QVERIFY(host.messages.empty() && index >= 0);
    emit combo->activated(index);
    click(&w, "Command10");
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    save(&w, "window-viewing.png");

    // A viewing caption has the room before the value label that covers the
    // end of its box (all of it when it takes two lines); values fit their labels.
    QStringList tooWide;
    auto check = [&](const char* name, int room = -1) {
      auto* label = control<QLabel>(&w, name);
      const int width = label->fontMetrics().horizontalAdvance(label->text());
      if (room < 0) room = label->width();
      if (width > room) tooWide << QString("%1 \"%2\" %3 > %4").arg(name, label->text()).arg(width).arg(room);
    };
    for (const auto& row : qm::ui::kFieldRows) {
      if (!row.hasCaption()) continue;
      QLabel* box = control<QLabel>(&w, row.caption.data());
      const QWidget* value = control(&w, row.value.data());
      const int end = box->height() > value->height() ? box->width() : value->x() - box->x();
      check(row.caption.data(), end - box->contentsRect().left() - 2);
      check(row.value.data());
    }
    for (const char* name : {"Label1", "Label138", "Label137", "Label140", "Label67", "Label62", "Label61"})
      check(name);
    QVERIFY2(tooWide.isEmpty(), qPrintable(tooWide.join("; ")));

    click(&w, "Option2");
    save(&w, "window-actual.png");
    click(&w, "Command61");
    QVERIFY(QTest::qWaitForWindowExposed(w.exportDialog()));
    save(w.exportDialog(), "window-export.png");
  }
};

QTEST_MAIN(ScreenshotTest)
#include "screenshot_test.moc"
