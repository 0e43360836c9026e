#include "unit/unit_set.h"

#include <algorithm>
#include <iterator>

#include "checks/check_set.h"
#include "platform/parallel.h"
#include "text/text.h"
#include "unit/unit_fields.h"

namespace qm {

Engine decideEngine(Engine asked, const GameFiles& set, const std::vector<WeaponFilePtr>& imports) {
  if (asked != Engine::Auto) return asked;
  GameCheck check(GameCheck::Scope::Everything);
  std::vector<WeaponFilePtr> files = gameWeaponFiles(set);
  files.insert(files.end(), imports.begin(), imports.end());
  runGameCheck(check, files);
  return check.engine();
}

std::string baseName(std::string_view fileName) {
  const std::size_t slash = fileName.find_last_of("/\\");
  if (slash != std::string_view::npos) fileName.remove_prefix(slash + 1);
  const std::size_t dot = fileName.rfind('.');
  return std::string(fileName.substr(0, dot));
}

std::string unitName(const UnitFile& unit, std::string_view fileName, Engine engine) {
  if (engine != Engine::Later)
    if (const std::string_view name = unit.value("unitname"); !name.empty()) return std::string(name);
  return baseName(fileName);
}

std::vector<WeaponSlot> weaponSlots(const UnitFile& unit, Engine engine) {
  const int slots = engine == Engine::Later ? kLaterWeaponSlots : kOriginalWeaponSlots;
  std::vector<WeaponSlot> numbered(static_cast<std::size_t>(slots)), out;
  std::vector<const UnitEntry*> values = unit.values();
  for (const UnitEntry* e : values) {
    if (e->block != 0 || e->value.empty()) continue;
    const auto n = weaponSlotNumber(e->key);
    if (n && *n <= slots) numbered[static_cast<std::size_t>(*n - 1)] = {std::string(e->key), e->value, true};
  }
  for (WeaponSlot& s : numbered)
    if (!s.key.empty()) out.push_back(std::move(s));
  for (std::string_view key : {"explodeas", "selfdestructas"})
    for (const UnitEntry* e : values)
      if (e->block == 0 && !e->value.empty() && compareFolded(e->key, key) == 0)
        out.push_back({std::string(e->key), e->value, false});
  return out;
}

GameUnits::GameUnits(const GameFiles& set, Engine engine) : engine_(engine) { read(set.filesIn("units", ".fbi")); }

GameUnits::GameUnits(const std::vector<WeaponFilePtr>& files, Engine engine) : engine_(engine) { read(files); }

void GameUnits::read(const std::vector<WeaponFilePtr>& files) {
  struct Read {
    std::optional<Unit> unit;
    std::string problem;
  };
  std::vector<Read> read(files.size());
  // A few files at once: most of the time goes to opening them.
  platform::forEachOnThreads(files.size(), [&](std::size_t i, std::size_t) {
    std::string bytes, reason;
    if (!files[i]->read(bytes, reason)) {
      read[i].problem = reason;
      return;
    }
    UnitFile unit(std::move(bytes));
    if (!unit.hasUnitInfo()) {
      read[i].problem = "it has no [UNITINFO] block";
      return;
    }
    std::string name = unitName(unit, files[i]->name(), engine_);
    read[i].unit = Unit{std::move(name), files[i], std::move(unit)};
  });
  units_.reserve(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (read[i].unit)
      units_.push_back(std::move(*read[i].unit));
    else
      leftOut_.push_back({files[i]->name(), read[i].problem});
  }
  std::stable_sort(units_.begin(), units_.end(),
                   [](const Unit& a, const Unit& b) { return compareFolded(a.name, b.name) < 0; });
}

const Unit* GameUnits::find(std::string_view name) const {
  const auto it = std::upper_bound(units_.begin(), units_.end(), name,
                                   [](std::string_view n, const Unit& u) { return compareFolded(n, u.name) < 0; });
  if (it == units_.begin() || compareFolded(std::prev(it)->name, name) != 0) return nullptr;
  return &*std::prev(it);
}

}  // namespace qm
