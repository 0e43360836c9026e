#include "ui/edit_controller.h"

#include <QColor>
#include <QFileSystemWatcher>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
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

const QColor kEditedText(0x00, 0x00, 0xc0);
const QColor kWarningBackground(0xff, 0xe0, 0x8a);

// Marks a changed value in blue, over yellow when a game check warns about
// it, and the value that has the keyboard in the selection's colours. The
// colours go into the palette, not a style sheet: taking a style sheet off
// again leaves the widget in the application's font, not the window's.
void mark(QWidget* w, bool edited, const std::string& warning) {
  const bool focused = w->hasFocus() && w->focusPolicy() & Qt::TabFocus && qobject_cast<QLabel*>(w);
  QPalette palette = w->parentWidget()->palette();
  const bool filled = focused || (edited && !warning.empty());
  if (focused) {
    palette.setColor(QPalette::Window, palette.color(QPalette::Highlight));
    palette.setColor(QPalette::WindowText, palette.color(QPalette::HighlightedText));
  } else if (edited) {
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text}) palette.setColor(role, kEditedText);
    if (!warning.empty())
      for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base}) palette.setColor(role, kWarningBackground);
  }
  if (focused || edited)
    w->setPalette(palette);
  else
    w->setPalette(QPalette());
  if (qobject_cast<QLabel*>(w)) w->setAutoFillBackground(filled);
  w->setProperty("edited", edited);
  w->setToolTip(warning.empty() ? w->property("wholeText").toString() : fromUtf8(warning));
}

}  // namespace

// Passes the dialogs on and keeps the last message shown: the reason a value
// was refused, which stays beside the editor.
class EditController::RecordingHost final : public Host {
 public:
  explicit RecordingHost(Host& host) : host_(host) {}
  Answer msgBox(std::string_view text, Buttons buttons) override {
    lastMessage = std::string(text);
    return host_.msgBox(text, buttons);
  }
  std::optional<std::filesystem::path> showOpen(const std::filesystem::path& startPath) override {
    return host_.showOpen(startPath);
  }
  std::optional<std::filesystem::path> showSave(const std::filesystem::path& startPath,
                                                std::string_view filter) override {
    return host_.showSave(startPath, filter);
  }
  std::optional<std::filesystem::path> chooseFolder(const std::filesystem::path& startPath) override {
    return host_.chooseFolder(startPath);
  }
  std::optional<std::size_t> pickFromArchive(ArchiveView& view) override { return host_.pickFromArchive(view); }
  bool confirmSave(const std::vector<std::pair<std::string, std::string>>& files) override {
    return host_.confirmSave(files);
  }
  void reportUnreadable(const std::vector<UnreadableFile>& files) override { host_.reportUnreadable(files); }
  void reportImportFailure(const std::vector<UnreadableFile>& files) override { host_.reportImportFailure(files); }
  void changed(unsigned changes) override { host_.changed(changes); }

  std::string lastMessage;

 private:
  Host& host_;
};

EditController::EditController(QWidget& window, MainWindowState& state, Host& host,
                               const std::array<QLabel*, kSlotCount>& values, QListWidget* damage, QWidget* options)
    : QObject(&window),
      window_(window),
      state_(state),
      host_(host),
      recorder_(std::make_unique<RecordingHost>(host)),
      editing_(state, *recorder_),
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
  connect(revertButton_, &QPushButton::clicked, this, [this] { askRevert(); });

  addKeysTo(window_);
  connect(&stack_, &QUndoStack::indexChanged, this, [this] { refresh(); });
  // Another program changing a file with unsaved edits is told at once.
  watcher_ = new QFileSystemWatcher(this);
  connect(watcher_, &QFileSystemWatcher::fileChanged, this, [this](const QString& path) {
    if (editorOpen() || !editing_.fileChangedOnDisk(toPath(path))) return;
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
  switch (editing_.askToSettle()) {
    case EditingState::Settle::Go:
      return true;
    case EditingState::Settle::Save:
      return save();
    case EditingState::Settle::Drop:
      revert();
      return true;
    case EditingState::Settle::Stay:
      break;
  }
  return false;
}

bool EditController::save() {
  if (editorOpen()) finish(true);
  if (!editing_.unsaved()) return true;
  const bool saved = editing_.confirmAndSave();
  if (editing_.takeStepsDropped()) stack_.clear();
  if (saved) stack_.setClean();
  refresh();
  return saved;
}

bool EditController::askRevert() {
  if (!editing_.confirmRevert()) return false;
  revert();
  return true;
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
  QWidget* editor = lineEditor_ ? static_cast<QWidget*>(lineEditor_) : damageEditor_;
  const QString typed = lineEditor_ ? lineEditor_->text() : damageEditor_->toPlainText();
  const std::string text = utf8ToCp1252(typed.toStdString());
  const int slot = editingSlot_;
  if (accept) {
    const std::vector<edit::Change> changes =
        slot == kSlotCount ? editing_.damageChanges(text) : editing_.slotChanges(slot, text);
    // The message box of a refusal takes the focus from the editor; its
    // focus-out is passed over while this runs.
    recorder_->lastMessage.clear();
    if (!changes.empty() && !push(changes, fromUtf8(EditingState::stepName(slot)))) {
      // Refused: the editor stays open with what was typed, the reason
      // under it, until the value is mended or Escape drops it.
      showRefusal(editor, fromUtf8(recorder_->lastMessage));
      editor->setFocus();
      finishing_ = false;
      return;
    }
  }
  lineEditor_ = nullptr;
  damageEditor_ = nullptr;
  editingSlot_ = -1;
  if (refusal_) {
    refusal_->deleteLater();
    refusal_ = nullptr;
  }
  editor->hide();
  editor->deleteLater();
  QWidget* owner = slot == kSlotCount ? static_cast<QWidget*>(damage_) : values_[slot];
  owner->setFocus();
  finishing_ = false;
  refresh();
}

void EditController::showRefusal(QWidget* editor, const QString& reason) {
  if (!refusal_) {
    refusal_ = new QLabel(&window_);
    refusal_->setObjectName("valueRefusal");
    refusal_->setTextFormat(Qt::PlainText);
    refusal_->setWordWrap(true);
    refusal_->setAutoFillBackground(true);
    refusal_->setFrameShape(QFrame::Box);
    QPalette palette = refusal_->palette();
    palette.setColor(QPalette::Window, kWarningBackground);
    palette.setColor(QPalette::WindowText, Qt::black);
    refusal_->setPalette(palette);
  }
  refusal_->setText(reason);
  const QPoint below = editor->mapTo(&window_, QPoint(0, editor->height()));
  const int width = std::max(editor->width(), 240);
  refusal_->setFixedWidth(std::min(width, window_.width()));
  refusal_->adjustSize();
  refusal_->move(std::min(below.x(), window_.width() - refusal_->width()),
                 std::min(below.y(), window_.height() - refusal_->height()));
  refusal_->show();
  refusal_->raise();
  editor->setToolTip(reason);
}

void EditController::refresh() {
  // In Actual Mode the values that can be edited take the keyboard by Tab too,
  // each after its row's "?" button; in Viewing Mode Tab passes over them.
  for (int s = 0; s < kSlotCount; ++s) {
    values_[s]->setFocusPolicy(editing_.canEdit(s) ? Qt::StrongFocus : Qt::ClickFocus);
    mark(values_[s], editing_.edited(s), editing_.warning(s));
  }
  mark(damage_, editing_.damageEdited(), editing_.damageWarning());
  const bool unsaved = editing_.unsaved();
  if (window_.windowTitle() != shownTitle_) baseTitle_ = window_.windowTitle();
  shownTitle_ = baseTitle_ + (unsaved ? " *" : "");
  window_.setWindowTitle(shownTitle_);
  saveButton_->setVisible(unsaved);
  revertButton_->setVisible(unsaved);
  // A replaced file drops out of the watch: the paths are set again each time.
  QStringList paths;
  for (const std::filesystem::path& p : editing_.editedPaths()) paths << fromPath(p);
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
  if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
    for (int s = 0; s < kSlotCount; ++s)
      if (watched == values_[s]) mark(values_[s], editing_.edited(s), editing_.warning(s));
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
