#include "presentation/export_dialog_state.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "checks/check_set.h"
#include "export/checks.h"
#include "export/writer.h"
#include "platform/path_text.h"
#include "presentation/main_window_state.h"
#include "text/text.h"

namespace qm {

ExportDialogState::Outcome ExportDialogState::exportWeapon(const CurrentWeapon& weapon, Host& host,
                                                           std::filesystem::path& lastPath) {
  written.clear();
  if (const auto refusal = checkNewValues(actualName, name, weaponId)) {
    host.msgBox(*refusal, Buttons::Ok);
    return Outcome::StayOpen;
  }

  const auto path = host.showSave(lastPath);
  if (!path) return Outcome::Hide;
  lastPath = *path;
  if (path->empty()) {
    host.msgBox(kMsgNeedFileName, Buttons::Ok);
    return Outcome::StayOpen;
  }

  std::error_code ec;
  if (std::filesystem::is_regular_file(*path, ec) && host.msgBox(kMsgOverwrite, Buttons::YesNo) != Answer::Yes)
    return Outcome::StayOpen;

  const std::int32_t id = *weaponIdNumber(weaponId);  // checked above

  // The names go into the file in the weapon files' own single-byte encoding.
  if (const auto failure = writeExport(*path, utf8ToCp1252(actualName), utf8ToCp1252(name), id, weapon)) {
    host.msgBox(*failure, Buttons::Ok);
    return Outcome::StayOpen;
  }
  written = *path;
  return Outcome::Hide;
}

std::string exportFindings(const std::filesystem::path& gameDir, const std::vector<std::string>& imports,
                           const std::filesystem::path& path) {
  std::vector<WeaponFilePtr> files = filesToCheck(gameDir, imports);
  // Written into the game's own folder, the file is one of them already.
  std::error_code ec;
  const auto same = [&](const WeaponFilePtr& f) {
    return !f->diskPath().empty() && std::filesystem::equivalent(f->diskPath(), path, ec);
  };
  const auto own = std::find_if(files.begin(), files.end(), same);
  const std::string name = own == files.end() ? platform::utf8Of(path) : (*own)->name();
  if (own == files.end()) files.push_back(checkFileNamed(name));
  GameCheck check;
  runGameCheck(check, files);
  std::string lines;
  for (const Finding& f : check.findings())
    if (f.file == name && f.severity == Severity::Error)
      lines += "\n" + gameRelativeName(gameDir, f.file) + ":" + std::to_string(f.line) + ": " + f.message;
  if (lines.empty()) return {};
  return "The weapon was exported, but the game will read the file so:\n" + lines;
}

std::optional<int> nextFreeId(const std::filesystem::path& gameDir, const std::vector<std::string>& imports) {
  GameCheck census(GameCheck::Scope::CensusOnly);
  runGameCheck(census, filesToCheck(gameDir, imports));
  const std::vector<int>& free = census.census().free;
  return free.empty() ? std::nullopt : std::optional<int>(free.front());
}

std::string nextFreeIdText(std::optional<int> id) {
  return id ? "next free: " + std::to_string(*id) : std::string("no ID is free");
}

}  // namespace qm
