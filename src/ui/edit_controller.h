// Editing in the main window: the editor that opens in place of a value (or
// of the damage list), the undo stack over every change, Save and Revert,
// the marks of changed values and the title's "*". The edits themselves are
// made by EditingState.
#pragma once

#include <QObject>
#include <QString>
#include <QUndoStack>
#include <array>
#include <memory>
#include <vector>

#include "presentation/editing_state.h"
#include "weapon/field_table.h"

class QFileSystemWatcher;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace qm::ui {

class EditController : public QObject {
  Q_OBJECT
 public:
  // `values` are the window's value labels by slot; the Save and Revert
  // buttons are placed in `options` and shown only while there are unsaved
  // changes.
  EditController(QWidget& window, MainWindowState& state, Host& host, const std::array<QLabel*, kSlotCount>& values,
                 QListWidget* damage, QWidget* options);
  ~EditController() override;

  EditingState& editing() { return editing_; }
  QUndoStack& undoStack() { return stack_; }
  // Makes the changes (of any number of weapons) as one undo step named
  // `text`; false when they were refused (the user was told why).
  bool push(const std::vector<edit::Change>& changes, const QString& text);
  // Before the weapon on display or the list changes: with unsaved changes
  // the user picks Save, Discard or Cancel. False for Cancel, or when the
  // save was not made.
  bool settle();
  // Shows the changed files and their diffs and writes them on OK.
  bool save();
  // Revert asks first: the changes it drops cannot be undone. True when
  // they were dropped.
  bool askRevert();
  void revert();
  // After the list was read afresh: a new session; the undo steps are gone.
  void restart();
  // Opens the editor of a value's slot, or of the damage list.
  void editSlot(int slot);
  void editDamage();
  // Redraws the marks of changed values, the title and the buttons.
  void refresh();
  // Gives another window (the Weapons table) the keys for undo, redo and
  // save, which act on the same edits.
  void addKeysTo(QWidget& window);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class RecordingHost;
  void finish(bool accept);
  // Shows why the value in `editor` was refused, under it.
  void showRefusal(QWidget* editor, const QString& reason);
  bool editorOpen() const;

  QWidget& window_;
  MainWindowState& state_;
  Host& host_;
  std::unique_ptr<RecordingHost> recorder_;
  EditingState editing_;
  QUndoStack stack_;
  std::array<QLabel*, kSlotCount> values_;
  QListWidget* damage_;
  QFileSystemWatcher* watcher_ = nullptr;  // the files with unsaved edits
  QPushButton* saveButton_ = nullptr;
  QPushButton* revertButton_ = nullptr;
  // The window's title without the unsaved mark, and the title last shown:
  // a title set from outside (the game folder's name) becomes the base.
  QString baseTitle_, shownTitle_;
  QLineEdit* lineEditor_ = nullptr;
  QPlainTextEdit* damageEditor_ = nullptr;
  QLabel* refusal_ = nullptr;  // why the value in the open editor was refused
  int editingSlot_ = -1;       // kSlotCount for the damage list
  bool finishing_ = false;
};

}  // namespace qm::ui
