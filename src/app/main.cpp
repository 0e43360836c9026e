// Quillmark: the window for viewing and exporting the weapons of a game.
// The game is the folder given on the command line, else the folder that
// holds this program when it holds a game, else the one used last, else the
// one the user picks.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QSettings>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>

#include "catalogue/game_folder.h"

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

constexpr const char* kGameFolderKey = "gameFolder";

QString FromPath(const std::filesystem::path& p) { return QString::fromStdU16String(p.u16string()); }
std::filesystem::path ToPath(const QString& s) { return std::filesystem::path(s.toStdU16String()); }

// Whether the command line only asks for the help or version text, which
// must print without a display.
bool OnlyText(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    for (const char* option : {"-h", "--help", "-?", "--help-all", "-v", "--version"})
      if (std::strcmp(argv[i], option) == 0) return true;
  return false;
}

// Asks for the game's folder until the user picks one that holds a game;
// nothing when the user cancels. `start` is where the dialog opens.
std::optional<std::filesystem::path> AskForGame(QString start) {
  for (;;) {
    const QString chosen = QFileDialog::getExistingDirectory(nullptr, "Choose the game's folder", start);
    if (chosen.isEmpty()) return std::nullopt;
    const std::filesystem::path dir = ToPath(QDir::toNativeSeparators(chosen));
    if (qm::holdsGame(dir)) return dir;
    QMessageBox::warning(nullptr, qm::ui::FromUtf8(qm::kAppTitle), qm::ui::FromUtf8(qm::noGameMessage(dir)));
    start = chosen;
  }
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication::setOrganizationName(qm::ui::FromUtf8(qm::kAppTitle));
  QCoreApplication::setApplicationName(qm::ui::FromUtf8(qm::kAppTitle));
  QCoreApplication::setApplicationVersion(QM_VERSION);

  QCommandLineParser parser;
  parser.setApplicationDescription("View the weapons of a game's TDF files and export new ones.");
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument("GAME_DIR", "The game's folder, the one that holds its weapons folder or archives.",
                               "[GAME_DIR]");
  if (OnlyText(argc, argv)) {
    QCoreApplication textOnly(argc, argv);
    parser.process(textOnly);  // prints the text and ends the program
  }

  QApplication app(argc, argv);
  parser.process(app);
  if (parser.positionalArguments().size() > 1) {
    std::fprintf(stderr, "quillmark: only one game folder can be given\n");
    return 2;
  }

  const std::filesystem::path programDir = ToPath(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
  QSettings settings;
  std::optional<std::filesystem::path> gameDir;
  if (!parser.positionalArguments().isEmpty()) {
    const QString given = QDir(parser.positionalArguments().front()).absolutePath();
    gameDir = ToPath(QDir::toNativeSeparators(given));
    if (!qm::holdsGame(*gameDir)) {
      QMessageBox::warning(nullptr, qm::ui::FromUtf8(qm::kAppTitle), qm::ui::FromUtf8(qm::noGameMessage(*gameDir)));
      gameDir = AskForGame(given);
    }
  } else {
    std::optional<std::filesystem::path> remembered;
    if (settings.contains(kGameFolderKey)) remembered = ToPath(settings.value(kGameFolderKey).toString());
    gameDir = qm::defaultGameFolder(programDir, remembered);
    if (!gameDir) gameDir = AskForGame(QDir::homePath());
  }
  if (!gameDir) return 0;  // the user cancelled the choice of a folder
  // A game beside the program is found there again; any other is remembered.
  std::error_code ec;
  if (!std::filesystem::equivalent(*gameDir, programDir, ec)) settings.setValue(kGameFolderKey, FromPath(*gameDir));

  qm::ui::MainWindow window(*gameDir);
  window.setWindowTitle(qm::ui::FromUtf8(qm::gameWindowTitle(qm::kAppTitle, *gameDir, programDir)));
  QApplication::setWindowIcon(window.windowIcon());
  FirstFrameProbe probe;
  if (qEnvironmentVariableIntValue("QM_EXIT_AFTER_SHOW") == 1) window.installEventFilter(&probe);
  window.show();
  return app.exec();
}
