// The main window: the weapon list, the 66 field rows in four frames, the
// mode options, the export and import buttons and the description panel. It
// shows the texts of MainWindowState and forwards every event to it.
#pragma once

#include <QWidget>
#include <array>
#include <filesystem>
#include <map>
#include <memory>
#include <string_view>

#include "presentation/main_window_state.h"
#include "ui/layout.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace qm::ui {

class EditController;
class ExportDialog;
class GameCheckWindow;
class PackDialog;
class QtHost;
class QuickFind;
class TableWindow;
class UnitsWindow;
class WeaponListModel;

// Where the choice "List every weapon file of the game" is remembered.
inline constexpr const char* kAllWeaponFilesKey = "weaponList/allWeaponFiles";

class MainWindow : public QWidget {
  Q_OBJECT
 public:
  // Builds the window for the game whose weapons folder is in `gameDir` and
  // runs the start-up scan; the window is then ready to be shown. Message
  // boxes and file dialogs go to `dialogs`, or to real ones when it is null.
  explicit MainWindow(std::filesystem::path gameDir, Host* dialogs = nullptr);
  ~MainWindow() override;

  MainWindowState& state() { return state_; }
  // The export dialog; null until it is first opened.
  ExportDialog* exportDialog() const { return exportDialog_.get(); }
  // The Game check window (F5, or the context menu of the weapon list and of
  // the count line); null until it is first opened.
  GameCheckWindow* gameCheckWindow() const { return gameCheck_.get(); }
  // Opens the Game check window and runs its checks.
  void openGameCheck();
  // The Weapons table (F6, or the weapon list's context menu); null until it
  // is first opened.
  TableWindow* tableWindow() const { return tableWindow_.get(); }
  void openWeaponsTable();
  // The Units table (Shift+F6, or the weapon list's context menu): every
  // unit of the game; null until it is first opened.
  TableWindow* unitsTable() const { return unitsTable_.get(); }
  void openUnitsTable();
  // The quick find under the weapon list (Ctrl+F): typing narrows it to the
  // weapons of that name or ID, Enter shows the one chosen.
  void openQuickFind();
  QuickFind* quickFind() const { return quickFind_; }
  // Opens the Weapons table to compare the weapon on display with the row
  // the user clicks next.
  void compareWith();
  // The Units window (F7, or the weapon list's context menu); null until it
  // is first opened. A double-click on a unit's finding of the Game check
  // opens it at the finding's key.
  UnitsWindow* unitsWindow() const { return unitsWindow_.get(); }
  void openUnits();
  // Packs the game folder's overrides into a new archive.
  void packChanges();
  // Opens the Game check window's references on the weapon on display: the
  // units that use it.
  void showUsers();
  // Editing in Actual Mode: the undo stack, Save and Revert. Other windows
  // push their changes through it, each batch one undo step.
  EditController& editing() { return *editing_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // With unsaved changes the user may save, discard them or stay; the Game
  // check window closes with the main window.
  void closeEvent(QCloseEvent* event) override;

 private:
  class WindowHost;

  // The builders, in the order the constructor calls them. Each control is
  // placed in twips from the layout tables.
  void buildFrames();
  void buildLines();
  void buildHeadings();
  void buildFieldRows();
  void buildSelection();
  void buildOptions();
  void buildDescriptionPanel();
  void buildTabOrder();
  void buildGameCheckHooks();

  // A label of the layout in its container, named as in the table.
  QLabel* addLabel(const ControlLayout& place, Qt::Alignment align);
  QWidget* container(Frame frame) const { return containers_.at(frame); }
  // Remembers a control for the keyboard focus order.
  void focusable(std::string_view name, QWidget* widget) { focusOrder_[name] = widget; }

  void refresh(unsigned changes);
  void openExportDialog();
  // Shows entry `index` of the list and remembers it as the entry on display.
  void showEntry(int index);
  // The list entry of the weapon on display; -1 when none is.
  int shownIndex() const;
  // Selects and shows the weapon a game check points at, and comes to the
  // front.
  void pickWeapon(const std::string& name, const std::string& file);

  std::unique_ptr<QtHost> realDialogs_;
  std::unique_ptr<WindowHost> host_;
  MainWindowState state_;

  std::map<Frame, QWidget*> containers_;
  std::map<std::string_view, QWidget*> focusOrder_;
  std::array<QLabel*, kSlotCount> valueLabels_{};    // by slot
  std::array<QLabel*, kSlotCount> captionLabels_{};  // by slot
  QComboBox* weaponList_ = nullptr;
  WeaponListModel* weaponListModel_ = nullptr;
  QListWidget* damageList_ = nullptr;
  QLabel* countLine_ = nullptr;
  QLabel* descriptionKey_ = nullptr;
  QLabel* descriptionText_ = nullptr;
  QLabel* spaceLabel_ = nullptr;
  QRadioButton* viewingOption_ = nullptr;

  std::unique_ptr<ExportDialog> exportDialog_;
  std::unique_ptr<PackDialog> packDialog_;
  std::string shownEntry_;  // the list entry of the weapon on display
  std::unique_ptr<GameCheckWindow> gameCheck_;
  std::unique_ptr<TableWindow> tableWindow_;
  std::unique_ptr<TableWindow> unitsTable_;
  std::unique_ptr<UnitsWindow> unitsWindow_;
  EditController* editing_ = nullptr;  // a child
  QuickFind* quickFind_ = nullptr;     // a child, made when first used
};

}  // namespace qm::ui
