// The message box and the common file dialog of the windows, on Qt.
#pragma once

#include <QString>

#include "presentation/host.h"

class QWidget;

namespace qm::ui {

// Modal message boxes titled with the application's title, without icon, the
// file dialogs and the archive view. All sit over the active window.
class QtHost : public Host {
 public:
  Answer msgBox(std::string_view text, Buttons buttons) override;
  std::optional<std::filesystem::path> showOpen(const std::filesystem::path& startPath) override;
  std::optional<std::filesystem::path> showSave(const std::filesystem::path& startPath,
                                                std::string_view filter = kTdfFilter) override;
  std::optional<std::filesystem::path> chooseFolder(const std::filesystem::path& startPath) override;
  // A dialog of the files and their diffs, OK / Cancel.
  bool confirmSave(const std::vector<std::pair<std::string, std::string>>& files) override;
  // The archive's files, weapon files first: Import takes the weapon file
  // selected, Extract... writes the files selected to a folder.
  std::optional<std::size_t> pickFromArchive(ArchiveView& view) override;

 private:
  std::optional<std::filesystem::path> showFileDialog(const std::filesystem::path& startPath,
                                                      std::string_view saveFilter);
};

}  // namespace qm::ui
