// qm-bench-gen: writes a large game folder for the benchmark.
//
//   qm-bench-gen DIR MEGABYTES [EXTRA_FILES]
//
// DIR/weapons/ gets the eight standard files and DIR/extra/ up to fifteen
// extra files (15 unless told otherwise), MEGABYTES in all (10^6 bytes; a
// fraction is fine). The standard files hold two thirds of the bytes, the
// extra files the rest, as mod collections usually add less than the game
// ships. Every block has a unique bracket name, a non-zero ID, all 64 keys,
// a damage sub-block with unit entries and the odd comment; lines end in
// CR LF. The same arguments always give the same bytes.
//
// DIR/manifest.txt tells the benchmark what it has to find:
//   weapons N         blocks in all the files
//   standard_weapons N blocks in the eight standard files
//   bytes N           bytes in all the files
//   last NAME         the bracket name of the last block in search order
//   last_id ID        and its ID text
//   extra PATH        one line per extra file, in slot order
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "catalogue/game_files.h"
#include "unit/unit_fields.h"
#include "weapon/field_table.h"

namespace fs = std::filesystem;

namespace {

class Rng {
 public:
  explicit Rng(std::uint64_t seed) : s_(seed) {}
  std::uint64_t next() {  // splitmix64
    std::uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
  bool oneIn(int n) { return below(n) == 0; }
  template <class T, std::size_t N>
  const T& pick(const T (&a)[N]) {
    return a[below(static_cast<int>(N))];
  }

 private:
  std::uint64_t s_;
};

const char* const kWords[] = {"Pulse", "Heavy",   "Light", "Ember", "Storm",   "Plasma", "Ion", "Flak",
                              "Rail",  "Scatter", "Siege", "Nova",  "Thunder", "Venom",  "Arc", "Mortar"};
const char* const kKinds[] = {"Cannon", "Laser", "Rocket", "Missile", "Gun", "Beam", "Launcher", "Bomb"};
const char* const kSounds[] = {"cannon1", "cannon3", "lasrfir1", "rockhvy1", "xplosml1", "xplomed2",
                               "splssml", "splsmed", "bertha6",  "lasrhit2", "missile1", "flamhvy1"};
const char* const kArt[] = {"explode1",     "explode2", "explode3", "h2osml", "h2omed",      "lavasplashsm",
                            "lavasplashlg", "fx",       "fxlite",   "smoke1", "flamestream", "empfx"};
const char* const kUnits[] = {"default",  "VALKTANK",    "VALKSCOUT", "EMBERGOLEM", "STORMWALKER", "IONSHIP",
                              "SIEGEBOT", "NOVAFIGHTER", "ARCTOWER",  "FLAKTRUCK",  "VENOMSUB",    "RAILHOVER"};

std::string numberFor(Rng& r, std::string_view key) {
  char b[32];
  if (key == "edgeeffectiveness" || key == "reloadtime" || key == "burstrate" || key == "randomdecay" ||
      key == "smokedelay" || key == "shakeduration")
    std::snprintf(b, sizeof b, "%d.%d", r.below(4), 1 + r.below(9));
  else if (key == "minbarrelangle")
    std::snprintf(b, sizeof b, "-%d", 5 + r.below(30));
  else if (key == "rendertype")
    std::snprintf(b, sizeof b, "%d", r.below(8));
  else if (key == "color" || key == "color2")
    std::snprintf(b, sizeof b, "%d", r.below(256));
  else
    std::snprintf(b, sizeof b, "%d", r.below(5000));
  return b;
}

// One weapon block, CR LF line ends.
void appendBlock(std::string& out, Rng& r, const std::string& name, int id) {
  if (r.oneIn(6)) out += "// " + std::string(r.pick(kWords)) + " variant, balanced for the 3.1 patch\r\n";
  out += "[" + name + "]\r\n\t{\r\n";
  for (const auto& f : qm::kFields) {
    if (f.no == qm::kDamageField) {
      out += "\t[DAMAGE]\r\n\t\t{\r\n";
      out += "\t\tdefault=" + std::to_string(10 + r.below(400)) + ";\r\n";
      const int units = 2 + r.below(6);
      for (int u = 0; u < units; ++u)
        out += "\t\t" + std::string(kUnits[1 + r.below(11)]) + "=" + std::to_string(r.below(900)) + ";\r\n";
      out += "\t\t}\r\n";
      continue;
    }
    if (!f.isKeyLine()) continue;
    std::string value;
    switch (f.kind) {
      case qm::Kind::Flag:
        value = r.oneIn(3) ? "1" : "0";
        break;
      case qm::Kind::Number:
        value = f.key == "id" ? std::to_string(id) : numberFor(r, f.key);
        break;
      case qm::Kind::Text:
        if (f.key == "name")
          value = std::string(r.pick(kWords)) + " " + r.pick(kWords) + " " + r.pick(kKinds);
        else if (f.key.starts_with("sound"))
          value = r.pick(kSounds);
        else
          value = r.pick(kArt);
        break;
      case qm::Kind::List:
        break;
    }
    // Hand-edited files mix the letter case of keys now and then.
    std::string key(f.key);
    if (r.oneIn(40)) key[0] = static_cast<char>(key[0] - 'a' + 'A');
    out += "\t" + key + "=" + value + ";";
    if (r.oneIn(25)) out += " // tuned";
    out += "\r\n";
  }
  out += "\t}\r\n\r\n";
}

// One unit file: every known key, Windows line ends as the game's own files
// have, a YardMap over three lines for one unit in five, and weapons among
// those generated.
std::string unitFile(Rng& r, int n, const std::vector<std::string>& weapons) {
  char name[32];
  std::snprintf(name, sizeof name, "UNIT%05d", n);
  std::string out = "[UNITINFO]\r\n{\r\n";
  for (const qm::UnitKey& k : qm::unitKeys()) {
    std::string value;
    if (k.key == "UnitName" || k.key == "Objectname")
      value = name;
    else if (k.key == "Side")
      value = r.oneIn(2) ? "ARM" : "CORE";
    else if (k.key == "YardMap")
      value = r.oneIn(5) ? "ooo\r\n\t\tooo\r\n\t\tooo" : "ooo ooo ooo";
    else if (k.kind == qm::UnitKeyKind::Weapon)
      value = weapons.empty() || r.oneIn(4)
                  ? ""
                  : weapons[static_cast<std::size_t>(r.below(static_cast<int>(weapons.size())))];
    else if (k.kind == qm::UnitKeyKind::Flag)
      value = r.oneIn(3) ? "1" : "0";
    else if (qm::isNumberKind(k.kind))
      value = std::to_string(r.below(5000));
    else
      value = std::string(r.pick(kWords)) + " " + r.pick(kKinds);
    if (value.empty() && !r.oneIn(3)) continue;
    out += "\t" + std::string(k.key) + "=" + value + ";\r\n";
  }
  out += "}\r\n";
  return out;
}

struct FileSpec {
  fs::path path;
  std::string prefix;  // of the bracket names in the file
  double share;        // of the bytes in all
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 5) {
    std::cerr << "usage: qm-bench-gen DIR MEGABYTES [EXTRA_FILES [UNITS]]\n";
    return 2;
  }
  const fs::path dir = argv[1];
  const double megabytes = std::atof(argv[2]);
  const int extras = argc >= 4 ? std::atoi(argv[3]) : 15;
  const int unitCount = argc == 5 ? std::atoi(argv[4]) : 0;
  if (megabytes <= 0 || extras < 0 || extras > 15 || unitCount < 0) {
    std::cerr << "qm-bench-gen: MEGABYTES must be above 0 and EXTRA_FILES from 0 to 15\n";
    return 2;
  }

  // Standard files of uneven size, as in the game.
  const double weights[8] = {1.4, 0.4, 1.0, 0.3, 1.3, 1.0, 1.2, 1.4};
  double weightSum = 0;
  for (double w : weights) weightSum += w;
  const double standardShare = extras > 0 ? 2.0 / 3.0 : 1.0;

  std::vector<FileSpec> files;
  for (std::size_t i = 0; i < qm::kStandardFiles.size(); ++i) {
    std::string stem(qm::kStandardFiles[i].substr(0, qm::kStandardFiles[i].find('.')));
    for (auto& c : stem) c = static_cast<char>(c - 'a' + 'A');
    files.push_back(
        {dir / "weapons" / std::string(qm::kStandardFiles[i]), stem, standardShare * weights[i] / weightSum});
  }
  for (int k = 1; k <= extras; ++k) {
    char stem[16];
    std::snprintf(stem, sizeof stem, "MOD%02d", k);
    char file[32];
    std::snprintf(file, sizeof file, "mod%02d.tdf", k);
    files.push_back({dir / "extra" / file, stem, (1.0 - standardShare) / extras});
  }

  std::error_code ec;
  fs::create_directories(dir / "weapons", ec);
  if (extras > 0) fs::create_directories(dir / "extra", ec);

  Rng r(0x5157494C4Cull);  // the same folder on every run
  long weapons = 0, standardWeapons = 0;
  std::uintmax_t bytes = 0;
  std::string lastName;
  int lastId = 0;
  std::vector<std::string> weaponNames;  // some of them, for the units to carry
  for (std::size_t i = 0; i < files.size(); ++i) {
    const auto target = static_cast<std::size_t>(std::llround(files[i].share * megabytes * 1e6));
    std::string text = "/* " + files[i].path.filename().string() +
                       " -- generated for the Quillmark benchmark */\r\n// weapons of the " + files[i].prefix +
                       " set\r\n\r\n";
    long n = 0;
    // At least one block per file, so the last one in search order exists.
    while (n == 0 || text.size() < target) {
      char name[64];
      std::snprintf(name, sizeof name, "%s_W%06ld", files[i].prefix.c_str(), n);
      lastName = name;
      if (unitCount > 0 && weaponNames.size() < 2000 && r.oneIn(4)) weaponNames.push_back(name);
      lastId = 1 + static_cast<int>((weapons + n) % 255);  // never 0: an id of 0 would hide the next block
      appendBlock(text, r, lastName, lastId);
      ++n;
    }
    std::ofstream out(files[i].path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out) {
      std::cerr << "qm-bench-gen: cannot write " << files[i].path << "\n";
      return 1;
    }
    weapons += n;
    if (i < 8) standardWeapons += n;
    bytes += text.size();
  }

  // The units, one file each, as the game keeps them.
  std::uintmax_t unitBytes = 0;
  if (unitCount > 0) fs::create_directories(dir / "units", ec);
  for (int u = 0; u < unitCount; ++u) {
    char file[32];
    std::snprintf(file, sizeof file, "UNIT%05d.FBI", u);
    const std::string text = unitFile(r, u, weaponNames);
    std::ofstream out(dir / "units" / file, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out) {
      std::cerr << "qm-bench-gen: cannot write " << (dir / "units" / file) << "\n";
      return 1;
    }
    unitBytes += text.size();
  }

  std::ofstream manifest(dir / "manifest.txt", std::ios::trunc);
  manifest << "weapons " << weapons << "\nstandard_weapons " << standardWeapons << "\nbytes " << bytes << "\nlast "
           << lastName << "\nlast_id " << lastId << "\n";
  for (std::size_t i = 8; i < files.size(); ++i) manifest << "extra " << fs::absolute(files[i].path).string() << "\n";
  if (!manifest) {
    std::cerr << "qm-bench-gen: cannot write the manifest\n";
    return 1;
  }
  if (unitCount > 0) manifest << "units " << unitCount << "\nunit_bytes " << unitBytes << "\n";
  std::cout << dir.string() << ": " << weapons << " weapons, " << bytes << " bytes in " << files.size() << " files";
  if (unitCount > 0) std::cout << "; " << unitCount << " units, " << unitBytes << " bytes";
  std::cout << "\n";
  return 0;
}
