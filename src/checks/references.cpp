#include "checks/references.h"

#include <algorithm>

#include "checks/gaf.h"
#include "checks/registry.h"
#include "checks/tdf_reader.h"
#include "text/text.h"

namespace qm {

namespace {

constexpr std::string_view kWeaponKeys[] = {"weapon1", "weapon2", "weapon3", "explodeas", "selfdestructas"};

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
  for (const TdfBlock& unit : doc.blocks) {
    std::string name = stem(file);
    for (const TdfPair& p : unit.pairs)
      if (compareFolded(p.key, "unitname") == 0 && !p.value.empty()) name = std::string(p.value);
    for (const TdfPair& p : unit.pairs) {
      const std::string key = toLower(p.key);
      if (p.value.empty() || std::find(std::begin(kWeaponKeys), std::end(kWeaponKeys), key) == std::end(kWeaponKeys))
        continue;
      out.push_back({name, std::string(p.key), std::string(p.value), file, p.at.line, p.at.column});
    }
  }
}

References::References(const GameFiles& set) {
  std::string bytes, reason;
  for (const WeaponFilePtr& unit : set.filesIn("units", ".fbi")) {
    ++unitFiles_;
    if (unit->read(bytes, reason))
      readUnitUses(unit->name(), bytes, uses_);
    else
      unitProblems_.push_back(finding(check::kUnreadable, unit->name(), 0, 0, "cannot read the unit file: " + reason));
  }
  for (const WeaponFilePtr& f : set.filesIn("sounds", ".wav")) sounds_.emplace(stem(f->name()), true);
  for (const WeaponFilePtr& f : set.filesIn("objects3d", ".3do")) models_.emplace(stem(f->name()), true);
  for (const WeaponFilePtr& f : set.filesIn("anims", ".gaf"))
    animations_.emplace(stem(f->name()), Animation{f, false, {}, {}});
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
  for (const WeaponRecord& w : weapons) defined.emplace(toLower(w.name), true);
  for (const UnitUse& u : uses_)
    if (units && !defined.count(toLower(u.weapon)))
      out.push_back({Unresolved::Kind::Weapon, u.weapon, u.unit, u.file, u.line, u.column});

  for (const WeaponRecord& w : weapons) {
    for (const FileRef& ref : w.files) {
      if (ref.value.empty()) continue;
      const FileKey& key = *fileKey(ref.key);
      const auto missing = [&](Unresolved::Kind kind) {
        out.push_back({kind, ref.value, w.name, w.file, ref.line, ref.column});
      };
      switch (key.kind) {
        case FileKind::Sound:
          if (!sounds_.empty() && !sounds_.count(nameIn(ref.value, ".wav"))) missing(Unresolved::Kind::Sound);
          break;
        case FileKind::Model:
          if (!models_.empty() && !models_.count(nameIn(ref.value, ".3do"))) missing(Unresolved::Kind::Model);
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
