// The message box and the common file dialog of the windows, on Qt.
#pragma once

#include <QString>

#include "presentation/host.h"

class QWidget;

namespace qm::ui {

// The file-type filter in Qt's form: "TDF files(*.tdf)|*.tdf" becomes
// "TDF files (*.tdf)".
QString QtFileFilter(std::string_view filter);

// Modal message boxes titled with the application's title, without icon, and
// the file dialog with the TDF filter. Both sit over the active window.
class QtHost : public Host {
 public:
  Answer MsgBox(std::string_view text, Buttons buttons) override;
  std::optional<std::string> ShowOpen(const std::string& startPath) override;
  std::optional<std::string> ShowSave(const std::string& startPath) override;

 private:
  std::optional<std::string> ShowFileDialog(const std::string& startPath, bool save);
};

}  // namespace qm::ui
