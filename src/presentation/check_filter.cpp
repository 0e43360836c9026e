#include "presentation/check_filter.h"

#include <algorithm>
#include <unordered_map>

#include "text/text.h"

namespace qm {

std::string_view categoryMeaning(Category c) {
  switch (c) {
    case Category::Game:
      return "the game misreads or rejects it";
    case Category::Style:
      return "legal, likely a mistake";
    case Category::Reference:
      return "names something the game does not have";
    case Category::Display:
      return "legal, but the weapon list shows it oddly";
  }
  return "";
}

CheckFilter::CheckFilter() {
  categories_.fill(true);
  setCategoryShown(Category::Display, false);
}

CheckFilter::CheckFilter(const std::vector<std::string>& hiddenCategories,
                         const std::vector<std::string>& hiddenChecks) {
  categories_.fill(true);
  for (Category c : kCategories)
    if (std::find(hiddenCategories.begin(), hiddenCategories.end(), categoryName(c)) != hiddenCategories.end())
      setCategoryShown(c, false);
  for (const std::string& name : hiddenChecks)
    if (findCheck(name)) checks_.set(name, false);
}

std::vector<std::string> CheckFilter::hiddenCategories() const {
  std::vector<std::string> names;
  for (Category c : kCategories)
    if (!categoryShown(c)) names.emplace_back(categoryName(c));
  return names;
}

std::vector<std::string> CheckFilter::hiddenChecks() const {
  std::vector<std::string> names;
  for (const CheckInfo& c : allChecks())
    if (!checks_.has(c.name)) names.emplace_back(c.name);
  return names;
}

bool CheckFilter::shows(std::string_view name) const {
  const CheckInfo* info = findCheck(name);
  return !info || (categoryShown(info->category) && checks_.has(name));
}

std::string shownFindingsSummary(const GameCheck& check, const CheckFilter& filter) {
  std::size_t errors = 0, warnings = 0, hidden = 0;
  for (const Finding& f : check.findings()) {
    if (!filter.shows(f.check))
      ++hidden;
    else
      ++(f.severity == Severity::Error ? errors : warnings);
  }
  std::string text = std::to_string(errors) + " errors, " + std::to_string(warnings) + " warnings in " +
                     std::to_string(check.fileCount()) + " files";
  if (hidden > 0) text += ", " + std::to_string(hidden) + " hidden";
  return text + " (engine: " + std::string(engineName(check.engine())) + ")";
}

std::string freeIdsText(const Census& census) {
  if (census.free.empty()) return "No ID is free.";
  return "Free IDs: " + idRangesText(census.free) + "; the next free ID is " + std::to_string(census.free.front()) +
         ".";
}

std::vector<WeaponUsers> weaponUsers(const std::vector<WeaponRecord>& weapons, const References& refs) {
  std::vector<WeaponUsers> rows;
  std::unordered_map<std::string, std::size_t> byName;  // lower case
  for (const WeaponRecord& w : weapons) {
    if (w.swallowed) continue;  // the game reads no weapon there
    const auto [at, first] = byName.try_emplace(toLower(w.name), rows.size());
    if (first)
      rows.push_back({&w, {}});
    else
      rows[at->second].weapon = &w;  // the later definition counts
  }
  for (const UnitUse& u : refs.uses())
    if (const auto at = byName.find(toLower(u.weapon)); at != byName.end()) rows[at->second].users.push_back(&u);
  return rows;
}

std::size_t unitCount(const std::vector<const UnitUse*>& uses) {
  std::vector<std::string_view> units;
  for (const UnitUse* u : uses)
    if (std::none_of(units.begin(), units.end(), [&](std::string_view n) { return compareFolded(n, u->unit) == 0; }))
      units.push_back(u->unit);
  return units.size();
}

std::string whyNoUsers(const References& refs, const std::vector<WeaponRecord>& weapons, std::string_view weapon) {
  const std::string name = cp1252ToUtf8(weapon);
  if (!refs.hasUnits()) return "the game has no unit files (units/*.fbi): which units use " + name + " cannot be told";
  const WeaponRecord* found = nullptr;
  for (const WeaponRecord& w : weapons)
    if (compareFolded(w.name, weapon) == 0 && (!found || found->swallowed)) found = &w;
  if (!found) return "no weapon file of the game defines " + name;
  if (found->swallowed)
    return "[" + name + "] at " + found->file + ":" + std::to_string(found->line) +
           " stands inside a block left open before it (a '}' is missing): the game does not read it as a weapon";
  return {};
}

std::string usersText(const References& refs, const std::vector<WeaponRecord>& weapons, std::string_view weapon) {
  const std::string name = cp1252ToUtf8(weapon);
  if (!refs.hasUnits())
    return "This game has no unit files (units/*.fbi): which units use " + name + " cannot be told.";
  const std::size_t units = unitCount(refs.usersOf(weapon));
  if (units == 0) {
    const std::string why = whyNoUsers(refs, weapons, weapon);
    return why.empty() ? "No unit of this game names " + name + "." : "No unit names " + name + ": " + why + ".";
  }
  return std::to_string(units) + (units == 1 ? " unit names " : " units name ") + name + ".";
}

std::string unresolvedText(const Unresolved& u) {
  const std::string holder = cp1252ToUtf8(u.holder);
  return std::string(kindName(u.kind)) + " named by " +
         (u.kind == Unresolved::Kind::Weapon ? "the unit " + holder : "[" + holder + "]");
}

}  // namespace qm
