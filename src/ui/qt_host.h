// The message box and the common file dialog of the windows, on Qt.
#pragma once

#include <QString>

#include "presentation/host.h"

class QWidget;

namespace qm::ui {

// The file-type filter in Qt's form: "TDF files(*.tdf)|*.tdf" becomes
// "TDF files (*.tdf)".
QString qtFileFilter(std::string_view filter);

// Modal message boxes titled with the application's title, without icon, the
// file dialog with the TDF filter (and the archives for opening) and the list
// of an archive's weapon files. All sit over the active window.
class QtHost : public Host {
 public:
  Answer msgBox(std::string_view text, Buttons buttons) override;
  std::optional<std::filesystem::path> showOpen(const std::filesystem::path& startPath) override;
  std::optional<std::filesystem::path> showSave(const std::filesystem::path& startPath) override;
  // A dialog of the files and their diffs, OK / Cancel.
  bool confirmSave(const std::vector<std::pair<std::string, std::string>>& files) override;
  // A list dialog of the archive's weapon files.
  std::optional<std::size_t> pickFromArchive(const std::filesystem::path& archive,
                                             const std::vector<std::string>& files) override;

 private:
  std::optional<std::filesystem::path> showFileDialog(const std::filesystem::path& startPath, bool save);
};

}  // namespace qm::ui
