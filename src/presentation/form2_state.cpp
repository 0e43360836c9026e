#include "presentation/form2_state.h"

#include <filesystem>
#include <system_error>

#include "export/checks.h"
#include "export/writer.h"
#include "weapon/text.h"

namespace qm {

Form2State::Outcome Form2State::Command1_Click(const CurrentWeapon& weapon, Host& host, std::string& cd1Path) {
  if (const auto refusal = CheckNewValues(Text1, Text2, Text3)) {
    host.MsgBox(*refusal, Buttons::Ok);
    return Outcome::StayOpen;
  }

  const auto path = host.ShowSave(cd1Path);
  if (!path) return Outcome::Hide;
  cd1Path = *path;
  if (path->empty()) {
    host.MsgBox(kMsgNeedFileName, Buttons::Ok);
    return Outcome::StayOpen;
  }

  std::error_code ec;
  if (std::filesystem::is_regular_file(*path, ec) && host.MsgBox(kMsgOverwrite, Buttons::YesNo) != Answer::Yes)
    return Outcome::StayOpen;

  const std::int32_t id = *WeaponIdNumber(Text3);  // checked above

  // The names go into the file in the weapon files' own single-byte encoding.
  if (const auto failure = ExportW(*path, Utf8ToCp1252(Text1), Utf8ToCp1252(Text2), id, weapon)) {
    host.MsgBox(*failure, Buttons::Ok);
    return Outcome::StayOpen;
  }
  return Outcome::Hide;
}

}  // namespace qm
