#include "checks/references.h"

#include <algorithm>

#include "checks/gaf.h"
#include "checks/registry.h"
#include "checks/tdf_reader.h"
#include "text/text.h"

namespace qm {

namespace {

// The model types the later engine loads; the original loads the first only.
constexpr std::string_view kModelTypes[] = {".3do", ".s3o", ".3ds", ".dae", ".lwo", ".obj", ".blend"};
// A name without extension: objects3d/NAME.3do or .s3o (the engine's loading
// scripts drop a weapon or unit with neither, whatever else it could load).
constexpr unsigned kBareModelTypes = 0b11;

// The slot N of a key WeaponN (letter case ignored), 0 for ExplodeAs and
// SelfDestructAs, -1 for other keys.
int weaponSlot(std::string_view key) {
  const std::string lower = toLower(key);
  if (lower == "explodeas" || lower == "selfdestructas") return 0;
  if (!lower.starts_with("weapon") || lower.size() < 7 || lower.size() > 8 || lower[6] == '0') return -1;
  int n = 0;
  for (char c : lower.substr(6)) {
    if (c < '0' || c > '9') return -1;
    n = n * 10 + (c - '0');
  }
  return n <= kLaterWeaponSlots ? n : -1;
}

// The lower-case name of a file without its folders and extension.
std::string stem(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
  const std::size_t dot = path.rfind('.');
  return toLower(path.substr(0, dot));
}

// A value names a file with or without its extension.
std::string nameIn(std::string_view value, std::string_view extension) {
  std::string lower = toLower(value);
  if (lower.ends_with(extension)) lower.resize(lower.size() - extension.size());
  return lower;
}

}  // namespace

std::string_view kindName(Unresolved::Kind k) {
  switch (k) {
    case Unresolved::Kind::Weapon:
      return "weapon";
    case Unresolved::Kind::Sound:
      return "sound";
    case Unresolved::Kind::Animation:
      return "animation file";
    case Unresolved::Kind::Sequence:
      return "sequence";
    case Unresolved::Kind::Model:
      return "model";
  }
  return "";
}

void readUnitUses(const std::string& file, std::string_view bytes, std::vector<UnitUse>& out) {
  std::vector<Finding> ignored;  // the unit files' own form is not what these checks are about
  const TdfDocument doc = readTdf(bytes, file, ignored);
  std::string_view base = file;
  if (const std::size_t slash = base.find_last_of("/\\"); slash != std::string_view::npos)
    base.remove_prefix(slash + 1);
  const std::string fileName(base.substr(0, base.rfind('.')));
  for (const TdfBlock& unit : doc.blocks) {
    std::string name;
    for (const TdfPair& p : unit.pairs)
      if (compareFolded(p.key, "unitname") == 0 && !p.value.empty()) name = std::string(p.value);
    for (const TdfPair& p : unit.pairs) {
      // An empty slot names no weapon.
      const int slot = weaponSlot(p.key);
      if (p.value.empty() || slot < 0) continue;
      out.push_back({name.empty() ? fileName : name, std::string(p.key), std::string(p.value), file, p.at.line,
                     p.at.column, slot, name, fileName});
    }
  }
}

References::References(const GameFiles& set) {
  std::string bytes, reason;
  for (const WeaponFilePtr& unit : set.filesIn("units", ".fbi")) {
    ++unitFiles_;
    if (unit->read(bytes, reason))
      readUnitUses(unit->name(), bytes, all_);
    else
      unitProblems_.push_back(finding(check::kUnreadable, unit->name(), 0, 0, "cannot read the unit file: " + reason));
  }
  for (std::string_view type : {".wav", ".ogg"})
    for (const WeaponFilePtr& f : set.filesIn("sounds", type))
      sounds_.emplace(stem(f->name()) + std::string(type), true);
  for (std::size_t t = 0; t < std::size(kModelTypes); ++t)
    for (const WeaponFilePtr& f : set.filesIn("objects3d", kModelTypes[t])) models_[stem(f->name())] |= 1u << t;
  for (const WeaponFilePtr& f : set.filesIn("anims", ".gaf"))
    animations_.emplace(stem(f->name()), Animation{f, false, {}, {}});
  setEngine(Engine::Original);
}

void References::setEngine(Engine engine) {
  engine_ = engine;
  const int slots = engine == Engine::Later ? kLaterWeaponSlots : kOriginalWeaponSlots;
  uses_.clear();
  for (const UnitUse& u : all_) {
    if (u.slot > slots) continue;
    uses_.push_back(u);
    // The later engine names a unit by its file, whatever UnitName says.
    if (engine == Engine::Later) uses_.back().unit = u.fileName;
  }
}

bool References::hasSound(std::string_view value) const {
  std::string name = toLower(value);
  // The original engine plays .wav files; the later also .ogg, named with it.
  const bool named = name.ends_with(".wav") || (engine_ == Engine::Later && name.ends_with(".ogg"));
  if (!named) name += ".wav";
  return sounds_.count(name) > 0;
}

bool References::hasModel(std::string_view value) const {
  std::string name = toLower(value);
  if (engine_ != Engine::Later) {
    const auto it = models_.find(nameIn(name, ".3do"));
    return it != models_.end() && (it->second & 1u);
  }
  if (name.starts_with("objects3d/") || name.starts_with("objects3d\\")) name.erase(0, 10);
  unsigned types = kBareModelTypes;
  for (std::size_t t = 0; t < std::size(kModelTypes); ++t)
    if (name.ends_with(kModelTypes[t])) {
      name.resize(name.size() - kModelTypes[t].size());
      types = 1u << t;
      break;
    }
  const auto it = models_.find(name);
  return it != models_.end() && (it->second & types);
}

std::vector<const UnitUse*> References::usersOf(std::string_view weapon) const {
  std::vector<const UnitUse*> users;
  for (const UnitUse& u : uses_)
    if (compareFolded(u.weapon, weapon) == 0) users.push_back(&u);
  return users;
}

const References::Animation* References::animation(const std::string& lowerName) const {
  const auto it = animations_.find(lowerName);
  if (it == animations_.end()) return nullptr;
  Animation& a = it->second;
  if (!a.read) {
    a.read = true;
    std::string bytes, reason;
    if (!a.file->read(bytes, reason) || !readGafSequenceNames(bytes, a.sequences, reason)) {
      a.damaged = reason;
      a.sequences.clear();
    }
    for (std::string& s : a.sequences) s = toLower(s);
  }
  return &a;
}

std::vector<Unresolved> References::unresolved(const std::vector<WeaponRecord>& weapons, bool units) const {
  std::vector<Unresolved> out;
  std::map<std::string, bool> defined;
  for (const WeaponRecord& w : weapons)
    if (!w.swallowed) defined.emplace(toLower(w.name), true);
  for (const UnitUse& u : uses_)
    if (units && !defined.count(toLower(u.weapon)))
      out.push_back({Unresolved::Kind::Weapon, u.weapon, u.unit, u.file, u.line, u.column});

  for (const WeaponRecord& w : weapons) {
    for (const FileRef& ref : w.files) {
      if (ref.value.empty()) continue;
      const FileKey& key = *fileKey(ref.key);
      if (key.laterOnly && engine_ != Engine::Later) continue;
      const auto missing = [&](Unresolved::Kind kind) {
        out.push_back({kind, ref.value, w.name, w.file, ref.line, ref.column});
      };
      switch (key.kind) {
        case FileKind::Sound:
          if (!sounds_.empty() && !hasSound(ref.value)) missing(Unresolved::Kind::Sound);
          break;
        case FileKind::Model:
          if (!models_.empty() && !hasModel(ref.value)) missing(Unresolved::Kind::Model);
          break;
        case FileKind::Animation:
          if (!animations_.empty() && !animations_.count(nameIn(ref.value, ".gaf")))
            missing(Unresolved::Kind::Animation);
          break;
        case FileKind::Sequence: {
          const auto file =
              std::find_if(w.files.begin(), w.files.end(), [&](const FileRef& r) { return r.key == key.fileKey; });
          if (file == w.files.end()) break;
          const Animation* a = animation(nameIn(file->value, ".gaf"));
          // A missing or damaged file: its sequences are unknown.
          if (!a || !a->damaged.empty()) break;
          if (std::find(a->sequences.begin(), a->sequences.end(), toLower(ref.value)) == a->sequences.end())
            missing(Unresolved::Kind::Sequence);
          break;
        }
      }
    }
  }
  return out;
}

std::vector<Finding> References::findings(const std::vector<WeaponRecord>& weapons, bool units) const {
  std::vector<Finding> out = units ? unitProblems_ : std::vector<Finding>();
  for (const Unresolved& u : unresolved(weapons, units)) {
    const CheckInfo& check = u.kind == Unresolved::Kind::Weapon      ? check::kUnknownWeapon
                             : u.kind == Unresolved::Kind::Sound     ? check::kMissingSound
                             : u.kind == Unresolved::Kind::Animation ? check::kMissingAnimation
                             : u.kind == Unresolved::Kind::Sequence  ? check::kMissingSequence
                                                                     : check::kMissingModel;
    const std::string holder =
        u.kind == Unresolved::Kind::Weapon ? "the unit " + qm::quoted(u.holder) : qm::quoted("[" + u.holder + "]");
    out.push_back(finding(check, u.file, u.line, u.column,
                          holder + " names the " + std::string(kindName(u.kind)) + " " + qm::quoted(u.name) +
                              ", which the game does not have"));
  }
  for (const auto& [name, a] : animations_)
    if (!a.damaged.empty())
      out.push_back(
          finding(check::kDamagedAnimation, a.file->name(), 0, 0, a.damaged + ": its sequences are not checked"));
  return out;
}

}  // namespace qm
