#include "ui/qt_host.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "catalogue/game_files.h"
#include "presentation/archive_view.h"
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
  return showFileDialog(startPath, {});
}

std::optional<std::filesystem::path> QtHost::showSave(const std::filesystem::path& startPath, std::string_view filter) {
  return showFileDialog(startPath, filter);
}

std::optional<std::filesystem::path> QtHost::chooseFolder(const std::filesystem::path& startPath) {
  QFileDialog dialog(QApplication::activeWindow());
  dialog.setObjectName("folderDialog");
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  if (!startPath.empty()) dialog.setDirectory(fromPath(startPath));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  return chosen.isEmpty() ? std::nullopt : std::optional<std::filesystem::path>(toPath(chosen.first()));
}

std::optional<std::filesystem::path> QtHost::showFileDialog(const std::filesystem::path& startPath,
                                                            std::string_view saveFilter) {
  const bool save = !saveFilter.empty();
  FileDialog dialog(QApplication::activeWindow());
  dialog.setNameFilter(fromUtf8(dialogFilter(save ? std::string(saveFilter) : importFilter())));
  if (save) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Whoever saves asks its own question before replacing a file.
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

std::optional<std::size_t> QtHost::pickFromArchive(ArchiveView& view) {
  QDialog dialog(QApplication::activeWindow());
  dialog.setObjectName("archiveView");
  dialog.setWindowTitle(fromUtf8(kAppTitle));
  auto* layout = new QVBoxLayout(&dialog);
  auto* caption = new QLabel("Files in " + QFileInfo(fromPath(platform::pathOf(view.path()))).fileName() + ":");
  caption->setTextFormat(Qt::PlainText);
  auto* list = new QTreeWidget;
  list->setObjectName("archiveFiles");
  list->setRootIsDecorated(false);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->setHeaderLabels({"File", "Size", "Packed"});
  list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  for (const ArchiveView::Row& row : view.rows()) {
    auto* item = new QTreeWidgetItem(list, {fromUtf8(row.file), fromUtf8(row.size), fromUtf8(row.method)});
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
  }
  if (list->topLevelItemCount() > 0) list->setCurrentItem(list->topLevelItem(0));
  auto* buttons = new QDialogButtonBox;
  QPushButton* import = buttons->addButton("&Import", QDialogButtonBox::AcceptRole);
  import->setObjectName("archiveImport");
  import->setDefault(true);
  QPushButton* extract = buttons->addButton("&Extract...", QDialogButtonBox::ActionRole);
  extract->setObjectName("archiveExtract");
  QPushButton* close = buttons->addButton("&Cancel", QDialogButtonBox::RejectRole);
  close->setObjectName("archiveCancel");
  const auto selectedRows = [list] {
    std::vector<std::size_t> rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
      if (list->topLevelItem(i)->isSelected()) rows.push_back(static_cast<std::size_t>(i));
    return rows;
  };
  // Import takes one weapon file; Extract... any files.
  const auto update = [&] {
    const std::vector<std::size_t> rows = selectedRows();
    import->setEnabled(rows.size() == 1 && rows[0] < view.weaponFiles().size());
    extract->setEnabled(!rows.empty());
  };
  update();
  QObject::connect(list, &QTreeWidget::itemSelectionChanged, &dialog, update);
  QObject::connect(list, &QTreeWidget::itemActivated, &dialog, [&] {
    if (import->isEnabled()) dialog.accept();
  });
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(extract, &QPushButton::clicked, &dialog, [&] { view.extract(selectedRows()); });
  layout->addWidget(caption);
  layout->addWidget(list, 1);
  layout->addWidget(buttons);
  dialog.resize(560, 400);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const std::vector<std::size_t> rows = selectedRows();
  if (rows.size() != 1 || rows[0] >= view.weaponFiles().size()) return std::nullopt;
  return rows[0];
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
