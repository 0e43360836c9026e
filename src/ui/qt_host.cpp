#include "ui/qt_host.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <QVBoxLayout>

#include "catalogue/game_files.h"
#include "ui/controls.h"

namespace qm::ui {

namespace {

// The file dialog; for opening, it takes existing files and also a path
// inside an archive typed as ARCHIVE/inner/path, which is no file on disk.
class FileDialog : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;
  QString insideArchive;  // the path typed, when it lies inside an archive

  void accept() override {
    const QStringList chosen = selectedFiles();
    if (acceptMode() == AcceptOpen && chosen.size() == 1 && !QFileInfo::exists(chosen.first()) &&
        namedWeaponFile(platform::utf8Of(toPath(chosen.first())))) {
      insideArchive = chosen.first();
      QDialog::accept();
      return;
    }
    QFileDialog::accept();
  }
};

}  // namespace

QString qtFileFilter(std::string_view filter) {
  // Pairs of description and patterns, separated by "|".
  const QStringList parts = fromUtf8(filter).split('|');
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    // The description usually repeats the patterns in brackets; Qt adds them.
    const qsizetype bracket = description.indexOf('(');
    if (bracket >= 0) description.truncate(bracket);
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ');
    out << description.trimmed() + " (" + patterns.trimmed() + ")";
  }
  return out.join(";;");
}

Answer QtHost::msgBox(std::string_view text, Buttons buttons) {
  QMessageBox box(QMessageBox::NoIcon, fromUtf8(kAppTitle), fromUtf8(text), QMessageBox::NoButton,
                  QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);
  switch (buttons) {
    case Buttons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      box.setDefaultButton(QMessageBox::Ok);
      break;
    case Buttons::OkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Ok);
      break;
    case Buttons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::Yes);
      break;
    case Buttons::SaveDiscardCancel:
      box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Save);
      break;
  }
  // Every button has its letter for Alt; Escape is Cancel (or No).
  for (auto [button, text] : {std::pair{QMessageBox::Save, "&Save"}, std::pair{QMessageBox::Discard, "&Discard"},
                              std::pair{QMessageBox::Ok, "&OK"}, std::pair{QMessageBox::Cancel, "&Cancel"}})
    if (QAbstractButton* b = box.button(button)) b->setText(text);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    case QMessageBox::Ok:
      return Answer::Ok;
    case QMessageBox::Save:
      return Answer::Save;
    case QMessageBox::Discard:
      return Answer::Discard;
    default:
      // Escape or the close box: the answer that changes nothing.
      return buttons == Buttons::YesNo ? Answer::No : buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
  }
}

std::optional<std::filesystem::path> QtHost::showOpen(const std::filesystem::path& startPath) {
  return showFileDialog(startPath, false);
}

std::optional<std::filesystem::path> QtHost::showSave(const std::filesystem::path& startPath) {
  return showFileDialog(startPath, true);
}

std::optional<std::filesystem::path> QtHost::showFileDialog(const std::filesystem::path& startPath, bool save) {
  FileDialog dialog(QApplication::activeWindow());
  dialog.setNameFilter(qtFileFilter(save ? std::string(kTdfFilter) : importFilter()));
  if (save) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The export asks its own question before replacing a file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // The system's own dialog would refuse a path inside an archive.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
  }
  if (!startPath.empty()) {
    const QFileInfo last(fromPath(startPath));
    dialog.setDirectory(last.absolutePath());
    dialog.selectFile(last.fileName());
  }
  // The name given is selected, so that a path typed replaces it rather
  // than running on from it.
  QTimer::singleShot(0, &dialog, [&dialog] {
    if (auto* name = dialog.findChild<QLineEdit*>("fileNameEdit")) name->selectAll();
  });
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  if (!dialog.insideArchive.isEmpty()) return toPath(dialog.insideArchive);
  const QStringList chosen = dialog.selectedFiles();
  return chosen.isEmpty() ? std::filesystem::path() : toPath(chosen.first());
}

std::optional<std::size_t> QtHost::pickFromArchive(const std::filesystem::path& archive,
                                                   const std::vector<std::string>& files) {
  QStringList items;
  for (const std::string& f : files) items << fromCp1252(f);
  QInputDialog dialog(QApplication::activeWindow());
  dialog.setObjectName("archivePicker");
  dialog.setWindowTitle(fromUtf8(kAppTitle));
  dialog.setLabelText("Weapon files in " + QFileInfo(fromPath(archive)).fileName() + ":");
  dialog.setOption(QInputDialog::UseListViewForComboBoxItems);
  dialog.setComboBoxItems(items);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const qsizetype picked = items.indexOf(dialog.textValue());
  return picked < 0 ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(picked));
}

bool QtHost::confirmSave(const std::vector<std::pair<std::string, std::string>>& files) {
  QDialog dialog(QApplication::activeWindow());
  dialog.setObjectName("saveDialog");
  dialog.setWindowTitle(fromUtf8(kAppTitle));
  auto* layout = new QVBoxLayout(&dialog);
  QStringList paths;
  QString diffs;
  for (const auto& [path, diff] : files) {
    paths << QString::fromStdString(path);
    diffs += fromCp1252(diff);
  }
  auto* caption = new QLabel(files.size() == 1 ? "Save the changes to this file?" : "Save the changes to these files?");
  auto* list = new QLabel(paths.join('\n'));
  list->setObjectName("saveFiles");
  list->setTextFormat(Qt::PlainText);
  auto* text = new QPlainTextEdit(diffs);
  text->setObjectName("saveDiff");
  text->setReadOnly(true);
  text->setLineWrapMode(QPlainTextEdit::NoWrap);
  text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Save)->setText("&Save");
  buttons->button(QDialogButtonBox::Cancel)->setText("&Cancel");
  buttons->button(QDialogButtonBox::Save)->setDefault(true);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(caption);
  layout->addWidget(list);
  layout->addWidget(text, 1);
  layout->addWidget(buttons);
  dialog.resize(720, 480);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace qm::ui
