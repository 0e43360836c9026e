// The main window: the weapon list, the 66 field rows in four frames, the
// mode options, the export and import buttons and the description panel. It
// shows the texts of Form1State and forwards every event to it.
#pragma once

#include <QWidget>
#include <array>
#include <filesystem>
#include <memory>

#include "presentation/form1_state.h"

class QComboBox;
class QLabel;
class QListWidget;
class QRadioButton;

namespace qm::ui {

class Form2;
class QtHost;
class WeaponListModel;

class Form1 : public QWidget {
  Q_OBJECT
 public:
  // Builds the window for the game whose weapons folder is in `gameDir` and
  // runs the start-up scan; the window is then ready to be shown. Message
  // boxes and file dialogs go to `dialogs`, or to real ones when it is null.
  explicit Form1(std::filesystem::path gameDir, Host* dialogs = nullptr);
  ~Form1() override;

  Form1State& state() { return state_; }
  // The export dialog; null until it is first opened.
  Form2* exportDialog() const { return form2_.get(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class WindowHost;

  void BuildControls();
  void Refresh(unsigned changes);
  void Command61_Click();

  std::unique_ptr<QtHost> realDialogs_;
  std::unique_ptr<WindowHost> host_;
  Form1State state_;

  std::array<QLabel*, kSlotCount> valueLabels_{};       // by slot
  std::array<QLabel*, kCaptionCount> captionLabels_{};  // as kCaptionSets
  QComboBox* combo1_ = nullptr;
  WeaponListModel* combo1Model_ = nullptr;
  QListWidget* list1_ = nullptr;
  QLabel* label1_ = nullptr;
  QLabel* label138_ = nullptr;
  QLabel* label139_ = nullptr;
  QLabel* label145_ = nullptr;
  QRadioButton* option1_ = nullptr;

  std::unique_ptr<Form2> form2_;
};

}  // namespace qm::ui
