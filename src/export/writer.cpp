#include "export/writer.h"

#include <filesystem>

#include "platform/files.h"
#include "weapon/text.h"

namespace qm {

const std::array<Slot, 69> kWriterOrder = {
    Slot::vRType,
    Slot::vBal,
    Slot::vLOS,
    Slot::vDrop,
    Slot::vTurret,
    kGroupEnd,
    Slot::vMod,
    Slot::vComFir,
    Slot::vENeed,
    Slot::vMNeed,
    Slot::vEPShot,
    Slot::vBRounds,
    Slot::vBRate,
    Slot::vRTime,
    Slot::vMinAng,
    Slot::vTol,
    Slot::vTwoP,
    Slot::v2ndP,
    Slot::vDecay,
    Slot::vTrack,
    Slot::vRng,
    Slot::vCovr,
    Slot::vAcc,
    Slot::vSpray,
    Slot::vGuide,
    Slot::vTRate,
    Slot::vARate,
    Slot::vSVel,
    Slot::vVel,
    Slot::vAccel,
    Slot::vSProp,
    Slot::vBounce,
    Slot::vHUO,
    Slot::vWWeap,
    Slot::vFTime,
    Slot::vProp,
    kGroupEnd,
    Slot::vBeam,
    Slot::vC1,
    Slot::vC2,
    Slot::vPlze,
    Slot::vNEx,
    Slot::vExA,
    Slot::vExP,
    Slot::vFire,
    Slot::vBBlow,
    Slot::vWTimer,
    Slot::vNARng,
    kGroupEnd,
    Slot::vSMag,
    Slot::vSDur,
    kGroupEnd,
    Slot::vSTrail,
    Slot::vSDelay,
    Slot::vSSmoke,
    Slot::vESmoke,
    kGroupEnd,
    Slot::vXGAF,
    Slot::vXART,
    Slot::vWGAF,
    Slot::vWART,
    Slot::vLGAF,
    Slot::vLART,
    kGroupEnd,
    Slot::vSSound,
    Slot::vHSound,
    Slot::vWSound,
    Slot::vTSound,
    kGroupEnd,
};

std::string FormatExport(std::string_view actualName, std::string_view name, std::int32_t id,
                         const CurrentWeapon& weapon) {
  std::string out;
  auto line = [&out](auto... parts) {
    (out.append(std::string_view(parts)), ...);
    out.append("\r\n");
  };
  line("//This was exported using Quillmark");
  line("[", ToUpper(actualName), "]");
  line("\t{");
  line("\tid=", std::to_string(id), ";");
  line("\tname=", name, ";");
  for (Slot s : kWriterOrder) {
    if (s == kGroupEnd) {
      line();
      continue;
    }
    if (weapon[s].empty()) continue;
    line("\t", FieldOfSlot(s).key, "=", weapon[s], ";");
  }
  line("\t[DAMAGE]");
  line("\t\t{");
  for (const std::string& entry : weapon.damage) line("\t\t", entry, ";");
  line("\t\t}");
  line("\t}");
  return out;
}

std::optional<std::string> WriteExport(const std::string& file, std::string_view actualName, std::string_view name,
                                       std::int32_t id, const CurrentWeapon& weapon) {
  const std::string data = FormatExport(actualName, name, id, weapon);
  // Writing over a link writes the file it points to, not a new file in the
  // link's place.
  std::error_code ec;
  std::filesystem::path target(file);
  if (std::filesystem::is_symlink(target, ec)) {
    const auto real = std::filesystem::weakly_canonical(target, ec);
    if (!ec) target = real;
  }
  if (const auto reason = platform::replaceFile(target, data))
    return "Could not write \"" + file + "\": " + *reason + ".";
  return std::nullopt;
}

}  // namespace qm
