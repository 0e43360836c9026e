// Quillmark: the window for viewing and exporting the weapons of the game in
// the folder that holds this program.
#include <QApplication>
#include <QDir>

#include "presentation/host.h"
#include "ui/form1.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString title = QString::fromUtf8(qm::kAppTitle.data(), static_cast<qsizetype>(qm::kAppTitle.size()));
  QApplication::setApplicationName(title);

  const std::filesystem::path gameDir = QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString();
  qm::ui::Form1 window(gameDir);
  QApplication::setWindowIcon(window.windowIcon());
  window.show();
  return app.exec();
}
