// Quillmark: the window for viewing and exporting the weapons of the game in
// the folder that holds this program.
#include <QApplication>
#include <QDir>
#include <QTimer>
#include <chrono>
#include <cstdio>

#include "presentation/host.h"
#include "ui/controls.h"
#include "ui/main_window.h"

namespace {

// Start-up measurement for scripts/bench, off unless QM_EXIT_AFTER_SHOW=1:
// once the main window's first frame has been painted, the program prints
// "QM_SHOWN_MS=<ms>", the milliseconds since its own code began (loading the
// Qt libraries comes before that; the benchmark times the whole process), and
// ends.
const auto kStarted = std::chrono::steady_clock::now();

class FirstFrameProbe : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !seen_) {
      seen_ = true;
      // Runs when this paint and its flush to the screen are done.
      QTimer::singleShot(0, [] {
        const std::chrono::duration<double, std::milli> ms = std::chrono::steady_clock::now() - kStarted;
        std::printf("QM_SHOWN_MS=%.1f\n", ms.count());
        std::fflush(stdout);
        QApplication::closeAllWindows();
        QCoreApplication::exit(0);
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool seen_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(qm::ui::FromUtf8(qm::kAppTitle));

  const std::filesystem::path gameDir = QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString();
  qm::ui::MainWindow window(gameDir);
  QApplication::setWindowIcon(window.windowIcon());
  FirstFrameProbe probe;
  if (qEnvironmentVariableIntValue("QM_EXIT_AFTER_SHOW") == 1) window.installEventFilter(&probe);
  window.show();
  return app.exec();
}
