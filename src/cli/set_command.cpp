// `set`: changes a weapon's values in its file through the edit session,
// printing the change as a unified diff.
#include <algorithm>
#include <optional>
#include <ostream>

#include "catalogue/game_files.h"
#include "checks/check_set.h"
#include "cli/command.h"
#include "cli/game_checks.h"
#include "edit/change.h"
#include "edit/session.h"
#include "text/text.h"

namespace qm {

namespace {

// The import paths that name a file, read as the loader reads them; each
// missing one warned about and left out.
std::vector<WeaponFilePtr> importedFiles(CommandContext& s) {
  std::vector<WeaponFilePtr> files;
  for (const std::string& path : s.imports())
    if (WeaponFilePtr file = s.importedFile(path)) files.push_back(std::move(file));
  return files;
}

// The census of every weapon of the game and the imports: whether a new ID
// is free is a question about all of them.
std::vector<WeaponRecord> weaponCensus(const std::filesystem::path& game, const std::vector<WeaponFilePtr>& imports) {
  GameCheck census(GameCheck::Scope::CensusOnly);
  std::vector<WeaponFilePtr> all = gameWeaponFiles(game);
  all.insert(all.end(), imports.begin(), imports.end());
  runGameCheck(census, all);
  return census.weapons();
}

int runSetWeapon(CommandContext& s, const SetArgs& a) {
  if (a.name.empty()) throw UsageError("NAME is required");
  if (a.assignments.empty() && a.removes.empty()) throw UsageError("set needs at least one KEY=VALUE or --remove KEY");
  const std::optional<std::string> weapon = argumentBytes(s, a.name);
  if (!weapon) return 1;
  const std::optional<std::vector<edit::Change>> changes = askedChanges(s, *weapon, a.assignments, a.removes);
  if (!changes) return 1;

  const GameFiles game(s.game());
  const std::vector<WeaponFilePtr> imports = importedFiles(s);
  edit::Session session(s.game(), game.standardFiles(), imports);
  const bool setsId = std::any_of(changes->begin(), changes->end(), [](const edit::Change& c) {
    return c.kind == edit::Change::Kind::Set && toLower(c.key) == "id";
  });
  if (setsId) session.setCensus(weaponCensus(s.game(), imports));
  const edit::Applied applied = session.apply(*changes);
  std::vector<UnreadableFile> unreadable = game.damagedArchives();
  unreadable.insert(unreadable.end(), applied.unreadable.begin(), applied.unreadable.end());
  if (!unreadable.empty()) s.host().reportUnreadable(unreadable);
  if (!applied.step) {
    s.err << (applied.notFound ? std::string(kMsgNotFound) : applied.refusal) << '\n';
    return 1;
  }
  return showAndSave(s, session, *applied.step, a);
}

}  // namespace

std::optional<std::string> argumentBytes(CommandContext& s, const std::string& arg) {
  std::string why;
  std::optional<std::string> bytes = utf8ToCp1252Exact(arg, why);
  if (!bytes) s.err << "'" << arg << "': " << why << "; nothing was written\n";
  return bytes;
}

std::optional<std::vector<edit::Change>> askedChanges(CommandContext& s, const std::string& target,
                                                      const std::vector<std::string>& assignments,
                                                      const std::vector<std::string>& removes,
                                                      const std::shared_ptr<const edit::BlockRules>& rules) {
  std::vector<edit::Change> changes;
  for (const std::string& assignment : assignments) {
    const std::size_t eq = assignment.find('=');
    if (eq == std::string::npos || eq == 0) throw UsageError("'" + assignment + "' is not KEY=VALUE");
    const auto key = argumentBytes(s, assignment.substr(0, eq));
    const auto value = key ? argumentBytes(s, assignment.substr(eq + 1)) : std::nullopt;
    if (!value) return std::nullopt;
    changes.push_back({edit::Change::Kind::Set, target, *key, *value, rules});
  }
  for (const std::string& removed : removes) {
    const auto key = argumentBytes(s, removed);
    if (!key) return std::nullopt;
    changes.push_back({edit::Change::Kind::Remove, target, *key, {}, rules});
  }
  return changes;
}

int showAndSave(CommandContext& s, edit::Session& session, const edit::Step& step, const SetArgs& a) {
  for (const Finding& f : step.warnings) printFinding(s.err, f);
  for (const std::string& note : step.notes) s.err << "warning: " << note << '\n';
  for (std::size_t file : session.changedFiles()) {
    if (session.fromArchive(file)) s.err << "note: " << session.archiveNote(file) << '\n';
    s.out << session.diff(file);
  }
  if (a.dryRun) return 0;
  const edit::Saved saved = session.save(!a.noBackup, a.breakLinks);
  if (saved.refusal) {
    s.err << *saved.refusal << '\n';
    return 1;
  }
  return 0;
}

Command::Run declareSet(CLI::App& sub) {
  auto a = std::make_shared<SetArgs>();
  sub.add_option("NAME", a->name, "The weapon's bracket name (letter case not significant)")->type_name("NAME");
  sub.add_option("--unit", a->unit, "Change the unit of this name instead of a weapon")->type_name("NAME");
  addEngineOption(sub, a->engine);
  sub.add_option("ASSIGNMENT", a->assignments, "KEY=VALUE, or damage.UNIT=AMOUNT for a line of [DAMAGE]")
      ->type_name("KEY=VALUE");
  sub.add_option("--remove", a->removes, "Deletes the key's line")->type_name("KEY")->allow_extra_args(false);
  sub.add_flag("--dry-run", a->dryRun, "Print the diff and write nothing");
  sub.add_flag("--no-backup", a->noBackup, "Keep no FILE.bak of a file changed the first time");
  sub.add_flag("--break-links", a->breakLinks, "Write a file that has other hard links, which keep the old bytes");
  return [a](CommandContext& s) { return a->unit ? runSetUnit(s, *a) : runSetWeapon(s, *a); };
}

}  // namespace qm
