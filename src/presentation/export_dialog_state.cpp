#include "presentation/export_dialog_state.h"

#include <filesystem>
#include <system_error>

#include "export/checks.h"
#include "export/writer.h"
#include "text/text.h"

namespace qm {

ExportDialogState::Outcome ExportDialogState::exportWeapon(const CurrentWeapon& weapon, Host& host,
                                                           std::string& lastPath) {
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
  return Outcome::Hide;
}

}  // namespace qm
