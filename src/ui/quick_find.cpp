#include "ui/quick_find.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include "presentation/quick_find.h"
#include "ui/controls.h"

namespace qm::ui {

namespace {
// More rows than fit a screen are of no use while typing narrows them.
constexpr std::size_t kMostShown = 300;
}  // namespace

QuickFind::QuickFind(const WeaponList& list, QWidget* parent)
    : QFrame(parent, Qt::Popup), list_(list), text_(new QLineEdit(this)), matches_(new QListWidget(this)) {
  setObjectName("quickFind");
  setFrameShape(QFrame::Box);
  text_->setObjectName("quickFindText");
  text_->setPlaceholderText("Name or ID");
  matches_->setObjectName("quickFindList");
  matches_->setUniformItemSizes(true);
  matches_->setFocusPolicy(Qt::NoFocus);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  layout->addWidget(text_);
  layout->addWidget(matches_);
  text_->installEventFilter(this);
  connect(text_, &QLineEdit::textChanged, this, &QuickFind::fill);
  connect(matches_, &QListWidget::itemClicked, this, &QuickFind::pick);
}

void QuickFind::popUp(QWidget* anchor) {
  text_->clear();
  fill();
  resize(std::max(anchor->width(), 220), 260);
  move(anchor->mapToGlobal(QPoint(0, anchor->height())));
  show();
  text_->setFocus();
}

void QuickFind::fill() {
  matches_->clear();
  const auto& entries = list_.entries();
  for (std::size_t i : quickFind(list_, text_->text().toStdString())) {
    if (static_cast<std::size_t>(matches_->count()) == kMostShown) break;
    auto* item = new QListWidgetItem(fromCp1252(entries[i].text), matches_);
    item->setData(Qt::UserRole, static_cast<int>(i));
  }
  matches_->setCurrentRow(matches_->count() ? 0 : -1);
}

void QuickFind::pick() {
  const QListWidgetItem* item = matches_->currentItem();
  if (!item) return;
  const int entry = item->data(Qt::UserRole).toInt();
  hide();
  emit picked(entry);
}

bool QuickFind::eventFilter(QObject* watched, QEvent* event) {
  if (watched == text_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    // The arrows move in the list while the text keeps the keyboard.
    if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
      QCoreApplication::sendEvent(matches_, event);
      return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      pick();
      return true;
    }
  }
  return QFrame::eventFilter(watched, event);
}

}  // namespace qm::ui
