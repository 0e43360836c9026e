// The window on a weapon of the sample game: every text fits its control,
// and with QM_SCREENSHOT_DIR set, pictures of both display modes are written
// there (docs/window-viewing.png, docs/window-actual.png and
// docs/window-export.png come from here).
#include <QComboBox>

#include "support.h"
#include "ui/export_dialog.h"
#include "ui/layout.h"

using namespace qm::test;
using qm::ui::MainWindow;

namespace {

void Save(QWidget* window, const QString& name) {
  const QString dir = qEnvironmentVariable("QM_SCREENSHOT_DIR");
  const QPixmap picture = window->grab();
  QVERIFY(!picture.isNull());
  if (dir.isEmpty()) return;
  QDir().mkpath(dir);
  QVERIFY(picture.save(QDir(dir).filePath(name)));
}

// The width a caption has before the value label that covers its box's end.
int CaptionRoom(QWidget* w, const qm::ui::FieldRowLayout& row) {
  QLabel* box = Control<QLabel>(w, row.caption.data());
  const QWidget* value = Control(w, row.value.data());
  const bool twoLines = box->height() > value->height();
  const int end = twoLines ? box->width() : value->x() - box->x();
  return end - box->contentsRect().left() - 2;
}

}  // namespace

class ScreenshotTest : public QObject {
  Q_OBJECT

 private slots:
  void bothModesOnASampleWeapon() {
    ScriptedHost host;
    MainWindow w(QM_SOURCE_DIR "/sample-game", &host);
    QVERIFY(host.messages.empty());
    auto* combo = Control<QComboBox>(&w, "Combo1");
    const int index = combo->findText("VALK_LIGHTGUN", Qt::MatchEndsWith);
    QVERIFY(index >= 0);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    Click(&w, "Command10");
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    Save(&w, "window-viewing.png");
    // Viewing captions fit beside their values; the values fit their labels.
    QStringList tooWide;
    auto check = [&](QLabel* label, int room) {
      const int width = label->fontMetrics().horizontalAdvance(label->text());
      if (width > room) tooWide << QString("%1 \"%2\" %3 > %4").arg(label->objectName(), label->text()).arg(width).arg(room);
    };
    for (const auto& row : qm::ui::kFieldRows) {
      if (!row.hasCaption()) continue;
      check(Control<QLabel>(&w, row.caption.data()), CaptionRoom(&w, row));
      auto* value = Control<QLabel>(&w, row.value.data());
      check(value, value->width());
    }
    for (const char* name : {"Label1", "Label138", "Label137", "Label140", "Label67", "Label62", "Label61"}) {
      auto* label = Control<QLabel>(&w, name);
      check(label, label->width());
    }

    Click(&w, "Option2");
    Save(&w, "window-actual.png");


    Click(&w, "Command61");
    QVERIFY(QTest::qWaitForWindowExposed(w.exportDialog()));
    Save(w.exportDialog(), "window-export.png");
    QVERIFY2(tooWide.isEmpty(), qPrintable(tooWide.join("; ")));
  }
};

QTEST_MAIN(ScreenshotTest)
#include "screenshot_test.moc"
