#include "export/writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

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

std::string FormatExport(std::string_view N1, std::string_view N2, std::int32_t wID, const CurrentWeapon& weapon) {
  std::string out;
  auto line = [&out](auto... parts) {
    (out.append(std::string_view(parts)), ...);
    out.append("\r\n");
  };
  line("//This was exported using Quillmark");
  line("[", ToUpper(N1), "]");
  line("\t{");
  line("\tid=", std::to_string(wID), ";");
  line("\tname=", N2, ";");
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

namespace {

// The message for a file that could not be written, and why.
std::string CannotWrite(const std::string& path, const std::string& reason) {
  return "Could not write \"" + path + "\": " + reason + ".";
}
std::string CannotWrite(const std::string& path, int err) { return CannotWrite(path, std::strerror(err)); }

bool WriteAll(int fd, const std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::optional<std::string> ExportW(const std::string& FName, std::string_view N1, std::string_view N2,
                                   std::int32_t wID, const CurrentWeapon& weapon) {
  const std::string data = FormatExport(N1, N2, wID, weapon);
  // Writing over a link writes the file it points to, not a new file in the
  // link's place.
  std::error_code ec;
  std::filesystem::path target(FName);
  if (std::filesystem::is_symlink(target, ec)) {
    const auto real = std::filesystem::weakly_canonical(target, ec);
    if (!ec) target = real;
  }
  const std::string path = target.string();

  // An existing file keeps its permissions; one the user may not write to is
  // left alone.
  mode_t mode;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return CannotWrite(FName, EISDIR);
    if (!S_ISREG(st.st_mode)) return CannotWrite(FName, "it is not a regular file");
    // A file marked read-only stays as it is, whoever runs the program.
    if ((st.st_mode & S_IWUSR) == 0) return CannotWrite(FName, "the file is read-only");
    if (::access(path.c_str(), W_OK) != 0) return CannotWrite(FName, errno);
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }

  std::filesystem::path dir = target.parent_path();
  if (dir.empty()) dir = ".";
  // A short name of its own, so that any name the target may have still fits.
  std::string temp = (dir / ".quillmark-XXXXXX").string();
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return CannotWrite(FName, errno);

  int err = 0;
  if (!WriteAll(fd, data) || ::fsync(fd) != 0) err = errno;
  if (::fchmod(fd, mode) != 0 && err == 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(temp.c_str(), path.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(temp.c_str());
    return CannotWrite(FName, err);
  }
  return std::nullopt;
}

}  // namespace qm
