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
#include <algorithm>
#include <chrono>
#include <cstdio>
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

using qm::ui::fromPath;
using qm::ui::toPath;

// Qt's own options, which QApplication takes off the command line itself:
// one or two dashes, a value after "=" or as the next argument.
constexpr const char* kQtOptionsWithValue[] = {
    "platform",     "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon",
    "qwindowtitle", "geometry",           "title",         "icon",   "display",         "session",
    "style",        "stylesheet"};
constexpr const char* kQtFlags[] = {"reverse", "widgetcount", "qmljsdebugger", "testability"};

// The command line without Qt's own options, for our parser to read before
// the window system starts.
QStringList ownArguments(int argc, char** argv) {
  const auto listed = [](const QString& name, const auto& names) {
    return std::any_of(std::begin(names), std::end(names), [&](const char* n) { return name == QLatin1String(n); });
  };
  QStringList own;
  for (int i = 0; i < argc; ++i) {
    const QString arg = QString::fromLocal8Bit(argv[i]);
    if (i > 0 && arg == "--") {  // the rest are folders, whatever their names
      for (; i < argc; ++i) own << QString::fromLocal8Bit(argv[i]);
      break;
    }
    const QString name = arg.mid(arg.startsWith("--") ? 2 : 1).section('=', 0, 0);
    if (i == 0 || !arg.startsWith('-'))
      own << arg;
    else if (listed(name, kQtOptionsWithValue))
      i += arg.contains('=') ? 0 : 1;
    else if (!listed(name, kQtFlags))
      own << arg;
  }
  return own;
}

// A usage error: the message and the short usage on standard error, exit 2.
int usageError(const QString& message) {
  std::fprintf(stderr, "quillmark: %s\nusage: quillmark [--help] [--version] [GAME_DIR]\n",
               message.toLocal8Bit().constData());
  return 2;
}

// Asks for a folder with the dialog opened at `start`.
std::optional<std::filesystem::path> askForFolder(const std::filesystem::path& start) {
  const QString chosen = QFileDialog::getExistingDirectory(nullptr, "Choose the game's folder", fromPath(start));
  if (chosen.isEmpty()) return std::nullopt;
  return toPath(QDir::toNativeSeparators(chosen));
}

void warn(const std::string& message) {
  QMessageBox::warning(nullptr, qm::ui::fromUtf8(qm::kAppTitle), qm::ui::fromUtf8(message));
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication::setOrganizationName(qm::ui::fromUtf8(qm::kAppTitle));
  QCoreApplication::setApplicationName(qm::ui::fromUtf8(qm::kAppTitle));
  QCoreApplication::setApplicationVersion(QM_VERSION);

  QCommandLineParser parser;
  parser.setApplicationDescription("View the weapons of a game's TDF files and export new ones.");
  parser.addPositionalArgument("GAME_DIR", "The game's folder, the one that holds its weapons folder or archives.",
                               "[GAME_DIR]");
  // The command line is read before the window system starts, so that
  // --help, --version and mistakes are answered without a display.
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  const QCommandLineOption allWeaponFiles(
      "all-weapon-files", "List every weapon file of the game's weapons folder, not only the eight standard ones.");
  parser.addOption(allWeaponFiles);
  const QStringList arguments = ownArguments(argc, argv);
  if (!parser.parse(arguments)) return usageError(parser.errorText());
  if (parser.isSet(help) || parser.isSet("help-all") || parser.isSet(version)) {
    QCoreApplication textOnly(argc, argv);
    parser.process(arguments);  // prints the text and ends the program
  }
  if (parser.positionalArguments().size() > 1) return usageError("only one game folder can be given");

  QApplication app(argc, argv);
  const std::filesystem::path programDir = toPath(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
  QSettings settings;
  std::optional<std::filesystem::path> given, remembered;
  if (!parser.positionalArguments().isEmpty())
    given = toPath(QDir::toNativeSeparators(QDir(parser.positionalArguments().front()).absolutePath()));
  else if (settings.contains(kGameFolderKey))
    remembered = toPath(settings.value(kGameFolderKey).toString());
  const std::optional<std::filesystem::path> gameDir =
      qm::chooseGameFolder(given, programDir, remembered, toPath(QDir::homePath()), {warn, askForFolder});
  if (!gameDir) return 0;  // the user cancelled the choice of a folder
  // A game beside the program is found there again; any other is remembered.
  std::error_code ec;
  if (!std::filesystem::equivalent(*gameDir, programDir, ec)) settings.setValue(kGameFolderKey, fromPath(*gameDir));

  // Asked for on the command line: remembered as the window's own choice is.
  if (parser.isSet(allWeaponFiles)) settings.setValue(qm::ui::kAllWeaponFilesKey, true);
  qm::ui::MainWindow window(*gameDir);
  window.setWindowTitle(qm::ui::fromUtf8(qm::gameWindowTitle(qm::kAppTitle, *gameDir, programDir)));
  QApplication::setWindowIcon(window.windowIcon());
  FirstFrameProbe probe;
  if (qEnvironmentVariableIntValue("QM_EXIT_AFTER_SHOW") == 1) window.installEventFilter(&probe);
  window.show();
  return app.exec();
}
