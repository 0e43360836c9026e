#include "ui/pack_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/controls.h"

namespace qm::ui {

PackDialog::PackDialog(std::unique_ptr<PackChangesState> state, Host& host, std::function<void()> packed,
                       QWidget* owner)
    : QWidget(owner, Qt::Dialog), state_(std::move(state)), host_(host), packed_(std::move(packed)) {
  setObjectName("packChangesDialog");
  setWindowTitle(fromUtf8(kPackChangesTitle));
  setAttribute(Qt::WA_DeleteOnClose, false);
  setFont(dialogFont());

  auto* layout = new QVBoxLayout(this);
  auto* heading = new QLabel(fromPath(state_->archive()), this);
  heading->setObjectName("packArchive");
  heading->setTextFormat(Qt::PlainText);
  layout->addWidget(heading);

  rows_ = new QTreeWidget(this);
  rows_->setObjectName("packRows");
  rows_->setRootIsDecorated(false);
  rows_->setHeaderLabels({"File", "Read by the game from"});
  rows_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  for (const PackChangesState::Row& row : state_->rows()) {
    auto* item = new QTreeWidgetItem(rows_, {fromUtf8(row.file), fromUtf8(row.source)});
    // A file another archive shadows stands out.
    if (!row.fromNew) item->setForeground(1, QBrush(Qt::red));
  }
  layout->addWidget(rows_);

  progress_ = new QProgressBar(this);
  progress_->setObjectName("packProgress");
  progress_->setRange(0, 1000);
  progress_->setValue(0);
  layout->addWidget(progress_);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  packButton_ = new QPushButton("Pack", this);
  packButton_->setObjectName("packButton");
  packButton_->setDefault(true);
  cancelButton_ = new QPushButton("Cancel", this);
  cancelButton_->setObjectName("packCancel");
  buttons->addWidget(packButton_);
  buttons->addWidget(cancelButton_);
  layout->addLayout(buttons);

  connect(packButton_, &QPushButton::clicked, this, &PackDialog::pack);
  // Cancel stops a pack under way, else closes the dialog.
  connect(cancelButton_, &QPushButton::clicked, this, [this] {
    if (packing_)
      cancelled_ = true;
    else
      close();
  });
  resize(560, 360);
}

PackDialog::~PackDialog() = default;

void PackDialog::closeEvent(QCloseEvent* event) {
  if (packing_) {
    cancelled_ = true;
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

void PackDialog::pack() {
  if (packing_) return;
  packing_ = true;
  cancelled_ = false;
  packButton_->setEnabled(false);
  // The packing calls back between files; the events let Cancel be pressed.
  const bool packed = state_->packAndTell(host_, [this](std::uint64_t done, std::uint64_t total) {
    progress_->setValue(total ? static_cast<int>(done * 1000 / total) : 1000);
    QCoreApplication::processEvents();
    return !cancelled_;
  });
  packing_ = false;
  packButton_->setEnabled(true);
  if (!packed) {
    progress_->setValue(0);
    return;
  }
  close();
  packed_();
}

}  // namespace qm::ui
