#include "presentation/game_check_state.h"

#include <algorithm>

#include "checks/check_set.h"
#include "platform/path_text.h"
#include "presentation/main_window_state.h"
#include "text/text.h"
#include "unit/unit_checks.h"

namespace qm {

std::shared_ptr<const GameCheckResult> checkWholeGame(const std::filesystem::path& gameDir,
                                                      const std::vector<std::string>& imports,
                                                      const std::function<void(std::size_t files)>& started,
                                                      const std::function<bool(std::size_t done)>& progress) {
  const GameFiles set(gameDir);
  const std::vector<WeaponFilePtr> files = filesToCheck(set, imports);
  started(files.size());
  auto result = std::make_shared<GameCheckResult>(set);
  if (!runGameAndUnitChecks(result->check, set, files, result->references,
                            [&](std::size_t done, std::size_t) { return progress(done); }))
    return nullptr;
  return result;
}

GameCheckState::GameCheckState(std::filesystem::path gameDir, CheckFilter filter)
    : gameDir_(std::move(gameDir)), filter_(std::move(filter)) {}

void GameCheckState::setResult(std::shared_ptr<const GameCheckResult> result) {
  running_ = false;
  if (result) result_ = std::move(result);
}

std::string GameCheckState::shortName(const std::string& file) const { return gameRelativeName(gameDir_, file); }

std::string GameCheckState::shortNames(std::string message) const {
  const std::string folder = platform::utf8Of(gameDir_) + '/';
  for (std::size_t at = message.find(folder); at != std::string::npos; at = message.find(folder, at))
    message.erase(at, folder.size());
  return message;
}

std::string GameCheckState::placeOf(const std::string& file, int line) const {
  return shortName(file) + ':' + std::to_string(line);
}

// ---------------------------------------------------------------------------
// The census.

const std::vector<std::string>& GameCheckState::censusCaptions() {
  static const std::vector<std::string> captions = {"ID", "Status", "Weapons", "Where"};
  return captions;
}

std::size_t GameCheckState::censusRows() const { return result_ ? kIdCount : 0; }

CheckCell GameCheckState::censusCell(std::size_t id, std::size_t column) const {
  const auto& users = result_->check.census().users[id];
  const auto& weapons = result_->check.weapons();
  CheckCell cell;
  switch (column) {
    case 0:
      cell.number = static_cast<int>(id);
      cell.text = std::to_string(id);
      return cell;
    case 1: {
      const auto& conflicts = result_->check.census().conflicts;
      const bool conflict = std::any_of(conflicts.begin(), conflicts.end(),
                                        [id](const IdConflict& c) { return c.id == static_cast<int>(id); });
      cell.text = users.empty() ? "free" : conflict ? "conflict" : "used";
      return cell;
    }
    case 2:
      for (std::size_t u : users) cell.text += (cell.text.empty() ? "" : ", ") + cp1252ToUtf8(weapons[u].name);
      break;
    default:
      for (std::size_t u : users)
        cell.text += (cell.text.empty() ? "" : "; ") + placeOf(weapons[u].file, weapons[u].line);
      break;
  }
  // The whole names and places: the cells may cut them.
  cell.tip = cell.text;
  return cell;
}

CheckTarget GameCheckState::censusTarget(std::size_t id) const {
  if (!result_ || id >= kIdCount) return {};
  const auto& users = result_->check.census().users[id];
  if (users.empty()) return {};
  const WeaponRecord& w = result_->check.weapons()[users.front()];
  return {CheckTarget::Kind::Weapon, w.name, w.file, 0};
}

std::string GameCheckState::freeIds() const { return result_ ? freeIdsText(result_->check.census()) : std::string(); }

// ---------------------------------------------------------------------------
// The findings.

const std::vector<std::string>& GameCheckState::findingCaptions() {
  static const std::vector<std::string> captions = {"File", "Line", "Severity", "Message"};
  return captions;
}

std::size_t GameCheckState::findingRows() const { return result_ ? result_->check.findings().size() : 0; }

CheckCell GameCheckState::findingCell(std::size_t row, std::size_t column) const {
  const Finding& f = result_->check.findings()[row];
  const std::string check = " [" + std::string(f.check) + "]";
  switch (column) {
    case 0:
      return {shortName(f.file), std::nullopt, f.file};
    case 1:  // a file that could not be read has no line
      return f.line > 0 ? CheckCell{std::to_string(f.line), f.line, {}} : CheckCell{};
    case 2:
      return {std::string(severityName(f.severity)), std::nullopt, {}};
    default:
      return {shortNames(f.message) + check, std::nullopt, f.message + check};
  }
}

bool GameCheckState::findingShown(std::size_t row) const {
  return row < findingRows() && filter_.shows(result_->check.findings()[row].check);
}

CheckTarget GameCheckState::findingTarget(std::size_t row) const {
  if (row >= findingRows()) return {};
  const Finding& f = result_->check.findings()[row];
  if (std::string name = weaponAt(result_->check.weapons(), f.file, f.line); !name.empty())
    return {CheckTarget::Kind::Weapon, std::move(name), f.file, 0};
  if (f.file.size() > 4 && compareFolded(std::string_view(f.file).substr(f.file.size() - 4), ".fbi") == 0)
    return {CheckTarget::Kind::Unit, {}, f.file, f.line};
  return {};
}

std::string GameCheckState::summary() const {
  if (running_ || !result_) return "Checking the game's weapon files...";
  // The list of the main window counts other files: say which.
  return result_->check.censusSummary() + "; " + shownFindingsSummary(result_->check, filter_) +
         "\nCounted: every .tdf file of the game's weapons folder, loose or in its archives, and the imports. The "
         "weapon list holds the eight standard weapon files and the imports, unless it lists every weapon file of "
         "the game.";
}

std::string weaponAt(const std::vector<WeaponRecord>& weapons, const std::string& file, int line) {
  std::string name;
  for (const WeaponRecord& w : weapons)
    if (w.file == file && w.line <= line) name = w.name;
  return name;
}

// ---------------------------------------------------------------------------
// The references.

std::vector<ReferenceRow> GameCheckState::references() const {
  if (!result_) return {};
  const GameCheck& check = result_->check;
  const References& refs = result_->references;
  const auto row = [&](std::string name, std::string what, const std::string& file, int line, CheckTarget target) {
    return ReferenceRow{std::move(name), std::move(what), placeOf(file, line), file, std::move(target), {}};
  };
  const std::vector<WeaponUsers> weapons = weaponUsers(check.weapons(), refs);
  ReferenceRow weaponsGroup{"Weapons (" + std::to_string(weapons.size()) + ")", {}, {}, {}, {}, {}};
  for (const WeaponUsers& w : weapons) {
    const std::size_t units = unitCount(w.users);
    const CheckTarget weapon{CheckTarget::Kind::Weapon, w.weapon->name, w.weapon->file, 0};
    ReferenceRow r =
        row(cp1252ToUtf8(w.weapon->name),
            units == 0 ? "no unit" : "used by " + std::to_string(units) + (units == 1 ? " unit" : " units"),
            w.weapon->file, w.weapon->line, weapon);
    for (const UnitUse* u : w.users)
      r.children.push_back(row(cp1252ToUtf8(u->unit), cp1252ToUtf8(u->key), u->file, u->line,
                               {CheckTarget::Kind::Unit, {}, u->file, u->line}));
    weaponsGroup.children.push_back(std::move(r));
  }
  const std::vector<Unresolved> unresolved = refs.unresolved(check.weapons());
  ReferenceRow unresolvedGroup{"Unresolved names (" + std::to_string(unresolved.size()) + ")", {}, {}, {}, {}, {}};
  for (const Unresolved& u : unresolved) {
    // A weapon a unit names shows the unit; a sound, picture or model shows
    // the weapon that names it.
    const bool namedByUnit = u.kind == Unresolved::Kind::Weapon;
    unresolvedGroup.children.push_back(row(cp1252ToUtf8(u.name), unresolvedText(u), u.file, u.line,
                                           namedByUnit ? CheckTarget{CheckTarget::Kind::Unit, {}, u.file, u.line}
                                                       : CheckTarget{CheckTarget::Kind::Weapon, u.holder, u.file, 0}));
  }
  return {std::move(weaponsGroup), std::move(unresolvedGroup)};
}

std::string GameCheckState::showUsersOf(const std::string& weapon) {
  usersOf_ = weapon;
  return cp1252ToUtf8(weapon);
}

std::string GameCheckState::referencesNote(const std::string& filterText) const {
  if (!result_) return {};
  const References& refs = result_->references;
  if (!usersOf_.empty() && filterText == cp1252ToUtf8(usersOf_))
    return usersText(refs, result_->check.weapons(), usersOf_);
  return refs.hasUnits() ? "Each weapon with the units that use it, then the names no file of the game resolves. A "
                           "double-click shows the weapon."
                         : "This game has no unit files (units/*.fbi): no weapon shows the units that use it. The "
                           "names no file of the game resolves follow the weapons.";
}

// ---------------------------------------------------------------------------
// Beside the main window.

ScreenBox placeBeside(const ScreenBox& room, const ScreenBox& other, const ScreenBox& frame, int height, int wanted,
                      int least) {
  const int onRight = room.right() - other.right(), onLeft = other.x - room.x;
  wanted = std::max(wanted, least);
  ScreenBox out;
  out.width = std::clamp(std::max(onRight, onLeft) - frame.width, least, wanted);
  out.height = height;
  const int outer = out.width + frame.width;
  const int x = onRight >= outer ? other.right() + 1 : onLeft >= outer ? other.x - outer : room.right() + 1 - outer;
  const int y = std::min(other.y, room.bottom() + 1 - out.height - frame.height);
  out.x = std::max(x, room.x);
  out.y = std::max(y, room.y);
  return out;
}

}  // namespace qm
