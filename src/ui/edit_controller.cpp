#include "ui/edit_controller.h"

#include <QFileSystemWatcher>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QUndoCommand>
#include <algorithm>

#include "text/text.h"
#include "ui/controls.h"

namespace qm::ui {

namespace {

// One applied step of the session. It was made before it was pushed, so the
// first redo (which the stack calls on push) does nothing.
class StepCommand final : public QUndoCommand {
 public:
  StepCommand(EditingState& editing, edit::Step step, const QString& text)
      : QUndoCommand(text), editing_(editing), step_(std::move(step)) {}
  void undo() override { editing_.undo(step_); }
  void redo() override {
    if (made_) editing_.redo(step_);
    made_ = true;
  }

 private:
  EditingState& editing_;
  edit::Step step_;
  bool made_ = false;
};

// Where the Save and Revert buttons stand while there are unsaved changes:
// under the export and import buttons, over the row of the space text.
constexpr TwipRect kSaveButtonRect{120, 900, 1455, 330};
constexpr TwipRect kRevertButtonRect{1680, 900, 1455, 330};

const char* const kEditedStyle = "color: #0000c0;";
const char* const kWarningStyle = "color: #0000c0; background: #ffe08a;";

void mark(QWidget* w, bool edited, const std::string& warning) {
  const QString style = !edited ? QString() : warning.empty() ? kEditedStyle : kWarningStyle;
  if (w->styleSheet() != style) w->setStyleSheet(style);
  w->setProperty("edited", edited);
  w->setToolTip(warning.empty() ? w->property("wholeText").toString() : fromUtf8(warning));
}

}  // namespace

EditController::EditController(QWidget& window, MainWindowState& state, Host& host,
                               const std::array<QLabel*, kSlotCount>& values, QListWidget* damage, QWidget* options)
    : QObject(&window),
      window_(window),
      state_(state),
      host_(host),
      editing_(state, host),
      values_(values),
      damage_(damage) {
  for (QLabel* label : values_) {
    label->setFocusPolicy(Qt::ClickFocus);
    label->installEventFilter(this);
  }
  damage_->installEventFilter(this);
  damage_->viewport()->installEventFilter(this);

  const TwipScale scale = screenScale();
  saveButton_ = new QPushButton("Save", options);
  saveButton_->setObjectName("saveButton");
  saveButton_->setGeometry(toPixels(scale, kSaveButtonRect));
  saveButton_->hide();
  connect(saveButton_, &QPushButton::clicked, this, [this] { save(); });
  revertButton_ = new QPushButton("Revert", options);
  revertButton_->setObjectName("revertButton");
  revertButton_->setGeometry(toPixels(scale, kRevertButtonRect));
  revertButton_->hide();
  connect(revertButton_, &QPushButton::clicked, this, [this] { revert(); });

  addKeysTo(window_);
  connect(&stack_, &QUndoStack::indexChanged, this, [this] { refresh(); });
  // Another program changing a file with unsaved edits is told at once.
  watcher_ = new QFileSystemWatcher(this);
  connect(watcher_, &QFileSystemWatcher::fileChanged, this, [this](const QString& path) {
    if (editorOpen() || !editing_.fileChangedOnDisk(path.toStdString())) return;
    if (editing_.takeStepsDropped()) stack_.clear();
    refresh();
  });
}

void EditController::addKeysTo(QWidget& window) {
  const auto add = [&](const QKeySequence& keys, auto action) {
    connect(new QShortcut(keys, &window), &QShortcut::activated, this, action);
  };
  add(QKeySequence(Qt::CTRL | Qt::Key_Z), [this] { stack_.undo(); });
  add(QKeySequence(Qt::CTRL | Qt::Key_Y), [this] { stack_.redo(); });
  add(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), [this] { stack_.redo(); });
  add(QKeySequence(Qt::CTRL | Qt::Key_S), [this] { save(); });
}

EditController::~EditController() {
  // Clearing the stack as it goes would redraw controls that may be gone.
  stack_.disconnect(this);
}

bool EditController::push(const std::vector<edit::Change>& changes, const QString& text) {
  std::optional<edit::Step> step = editing_.apply(changes);
  // A file read again from disk: the steps made to its old bytes are gone.
  if (editing_.takeStepsDropped()) stack_.clear();
  if (!step) return false;
  stack_.push(new StepCommand(editing_, std::move(*step), text));
  refresh();
  return true;
}

bool EditController::settle() {
  if (!editing_.unsaved()) return true;
  switch (host_.msgBox(kMsgUnsaved, Buttons::SaveDiscardCancel)) {
    case Answer::Save:
      return save();
    case Answer::Discard:
      revert();
      return true;
    default:
      return false;
  }
}

bool EditController::save() {
  if (editorOpen()) finish(true);
  if (!editing_.unsaved()) return true;
  if (!host_.confirmSave(editing_.pendingFiles())) return false;
  const bool saved = editing_.save();
  if (editing_.takeStepsDropped()) stack_.clear();
  if (saved) stack_.setClean();
  refresh();
  return saved;
}

void EditController::revert() {
  if (editorOpen()) finish(false);
  editing_.revert();
  stack_.clear();
  refresh();
}

void EditController::restart() {
  editing_.restart();
  stack_.clear();
  refresh();
}

void EditController::editSlot(int slot) {
  if (editorOpen() || !editing_.canEdit(slot)) return;
  QLabel* label = values_[slot];
  editingSlot_ = slot;
  lineEditor_ = new QLineEdit(fromCp1252(state_.weapon().v[slot]), label->parentWidget());
  lineEditor_->setObjectName("valueEditor");
  lineEditor_->setGeometry(label->geometry());
  lineEditor_->installEventFilter(this);
  connect(lineEditor_, &QLineEdit::returnPressed, this, [this] { finish(true); });
  lineEditor_->show();
  lineEditor_->raise();
  lineEditor_->selectAll();
  lineEditor_->setFocus();
}

void EditController::editDamage() {
  if (editorOpen() || !editing_.canEditDamage()) return;
  editingSlot_ = kSlotCount;
  damageEditor_ = new QPlainTextEdit(fromCp1252(editing_.damageLines()), damage_->parentWidget());
  damageEditor_->setObjectName("damageEditor");
  damageEditor_->setGeometry(damage_->geometry());
  damageEditor_->setToolTip("One UNIT=AMOUNT a line. Enter accepts, Shift+Enter starts a new line, Escape cancels.");
  damageEditor_->installEventFilter(this);
  damageEditor_->show();
  damageEditor_->raise();
  damageEditor_->setFocus();
}

bool EditController::editorOpen() const { return lineEditor_ || damageEditor_; }

void EditController::finish(bool accept) {
  if (finishing_ || !editorOpen()) return;
  finishing_ = true;
  // The editor goes first: a refusal's message box takes the focus from it.
  QWidget* editor = lineEditor_ ? static_cast<QWidget*>(lineEditor_) : damageEditor_;
  const std::string text =
      utf8ToCp1252(lineEditor_ ? lineEditor_->text().toStdString() : damageEditor_->toPlainText().toStdString());
  const int slot = editingSlot_;
  lineEditor_ = nullptr;
  damageEditor_ = nullptr;
  editingSlot_ = -1;
  editor->hide();
  editor->deleteLater();
  QWidget* owner = slot == kSlotCount ? static_cast<QWidget*>(damage_) : values_[slot];
  owner->setFocus();
  if (accept) {
    if (slot == kSlotCount)
      push(editing_.damageChanges(text), "Change damage");
    else
      push(editing_.slotChanges(slot, text), "Set " + fromUtf8(fieldOfSlot(static_cast<Slot>(slot)).key));
  }
  finishing_ = false;
}

void EditController::refresh() {
  for (int s = 0; s < kSlotCount; ++s) mark(values_[s], editing_.edited(s), editing_.warning(s));
  mark(damage_, editing_.damageEdited(), editing_.damageWarning());
  const bool unsaved = editing_.unsaved();
  if (window_.windowTitle() != shownTitle_) baseTitle_ = window_.windowTitle();
  shownTitle_ = baseTitle_ + (unsaved ? " *" : "");
  window_.setWindowTitle(shownTitle_);
  saveButton_->setVisible(unsaved);
  revertButton_->setVisible(unsaved);
  // A replaced file drops out of the watch: the paths are set again each time.
  QStringList paths;
  for (const std::string& p : editing_.editedPaths()) paths << QString::fromStdString(p);
  const QStringList watched = watcher_->files();
  if (!watched.isEmpty()) watcher_->removePaths(watched);
  if (!paths.isEmpty()) watcher_->addPaths(paths);
}

bool EditController::eventFilter(QObject* watched, QEvent* event) {
  const auto isKey = [event](std::initializer_list<int> keys) {
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    return std::find(keys.begin(), keys.end(), key) != keys.end();
  };
  if (watched == lineEditor_ || watched == damageEditor_) {
    if (isKey({Qt::Key_Escape})) {
      finish(false);
      return true;
    }
    if (watched == damageEditor_ && isKey({Qt::Key_Return, Qt::Key_Enter}) &&
        !(static_cast<QKeyEvent*>(event)->modifiers() & Qt::ShiftModifier)) {
      finish(true);
      return true;
    }
    if (event->type() == QEvent::FocusOut) finish(true);
    return false;
  }
  const bool open = event->type() == QEvent::MouseButtonDblClick || isKey({Qt::Key_F2, Qt::Key_Return, Qt::Key_Enter});
  if (!open) return false;
  if (watched == damage_ || watched == damage_->viewport()) {
    if (!editing_.canEditDamage()) return false;
    editDamage();
    return true;
  }
  for (int s = 0; s < kSlotCount; ++s)
    if (watched == values_[s] && editing_.canEdit(s)) {
      editSlot(s);
      return true;
    }
  return false;
}

}  // namespace qm::ui
