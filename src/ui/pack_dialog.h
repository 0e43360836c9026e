// "Pack changes": the overrides and where the game will read each from, a
// progress bar, Pack and Cancel. The packing and the moving are
// PackChangesState's; the dialog shows them.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "presentation/pack_changes_state.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace qm::ui {

class PackDialog : public QWidget {
  Q_OBJECT
 public:
  // Asks through `host`; `packed` is called once an archive is written and
  // the loose files were (or were not) moved.
  PackDialog(std::unique_ptr<PackChangesState> state, Host& host, std::function<void()> packed, QWidget* owner);
  ~PackDialog() override;

  bool packing() const { return packing_; }

 protected:
  // Closing while packing cancels the pack; the dialog closes when it has stopped.
  void closeEvent(QCloseEvent* event) override;

 private:
  void pack();

  std::unique_ptr<PackChangesState> state_;
  Host& host_;
  std::function<void()> packed_;
  QTreeWidget* rows_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* packButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  bool packing_ = false, cancelled_ = false;
};

}  // namespace qm::ui
