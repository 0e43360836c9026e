// `set`: changes a weapon's values in its file through the edit session,
// printing the change as a unified diff.
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

Command::Run declareSet(CLI::App& sub) {
  struct Args {
    std::string name;
    std::vector<std::string> assignments, removes;
    bool dryRun = false, noBackup = false, breakLinks = false;
    std::optional<std::string> unit;
    std::string engine = "auto";
  };
  auto a = std::make_shared<Args>();
  sub.add_option("NAME", a->name, "The weapon's bracket name (letter case not significant)")->type_name("NAME");
  sub.add_option("--unit", a->unit, "Change the unit of this name instead of a weapon")->type_name("NAME");
  addEngineOption(sub, a->engine);
  sub.add_option("ASSIGNMENT", a->assignments, "KEY=VALUE, or damage.UNIT=AMOUNT for a line of [DAMAGE]")
      ->type_name("KEY=VALUE");
  sub.add_option("--remove", a->removes, "Deletes the key's line")->type_name("KEY")->allow_extra_args(false);
  sub.add_flag("--dry-run", a->dryRun, "Print the diff and write nothing");
  sub.add_flag("--no-backup", a->noBackup, "Keep no FILE.bak of a file changed the first time");
  sub.add_flag("--break-links", a->breakLinks, "Write a file that has other hard links, which keep the old bytes");
  return [a](CommandContext& s) {
    if (a->unit) {
      // With --unit every argument is an assignment.
      std::vector<std::string> assignments = a->assignments;
      if (!a->name.empty()) assignments.insert(assignments.begin(), a->name);
      return runSetUnit(s, *a->unit, assignments, a->removes, a->dryRun, a->noBackup, a->breakLinks, a->engine);
    }
    if (a->name.empty()) throw UsageError("NAME is required");
    if (a->assignments.empty() && a->removes.empty())
      throw UsageError("set needs at least one KEY=VALUE or --remove KEY");
    // Arguments are UTF-8, written in the files' single-byte encoding: one
    // it cannot hold is refused rather than written as "?".
    std::string why;
    const auto bytes = [&](const std::string& arg) {
      std::optional<std::string> out = utf8ToCp1252Exact(arg, why);
      if (!out) s.err << "'" << arg << "': " << why << "; nothing was written\n";
      return out;
    };
    const std::optional<std::string> weapon = bytes(a->name);
    if (!weapon) return 1;
    std::vector<edit::Change> changes;
    bool setsId = false;
    for (const std::string& assignment : a->assignments) {
      const std::size_t eq = assignment.find('=');
      if (eq == std::string::npos || eq == 0) throw UsageError("'" + assignment + "' is not KEY=VALUE");
      const auto key = bytes(assignment.substr(0, eq));
      const auto value = key ? bytes(assignment.substr(eq + 1)) : std::nullopt;
      if (!value) return 1;
      changes.push_back({edit::Change::Kind::Set, *weapon, *key, *value});
      setsId = setsId || toLower(changes.back().key) == "id";
    }
    for (const std::string& key : a->removes) {
      const auto name = bytes(key);
      if (!name) return 1;
      changes.push_back({edit::Change::Kind::Remove, *weapon, *name, {}});
    }

    const GameFiles game(s.game());
    std::vector<WeaponFilePtr> imports;
    for (const std::string& path : s.imports()) {
      if (WeaponFilePtr file = namedWeaponFile(path))
        imports.push_back(std::move(file));
      else
        s.err << "warning: no file at " << path << ", not imported\n";
    }
    edit::Session session(s.game(), game.standardFiles(), imports);
    if (setsId) {
      // Whether the new ID is free is a question about every weapon of the game.
      GameCheck census(GameCheck::Scope::CensusOnly);
      std::vector<WeaponFilePtr> all = gameWeaponFiles(s.game());
      all.insert(all.end(), imports.begin(), imports.end());
      runGameCheck(census, all);
      session.setCensus(census.weapons());
    }
    const edit::Applied applied = session.apply(changes);
    std::vector<UnreadableFile> unreadable = game.damagedArchives();
    unreadable.insert(unreadable.end(), applied.unreadable.begin(), applied.unreadable.end());
    if (!unreadable.empty()) s.host().reportUnreadable(unreadable);
    if (!applied.step) {
      s.err << (applied.notFound ? std::string(kMsgNotFound) : applied.refusal) << '\n';
      return 1;
    }
    for (const Finding& f : applied.step->warnings) printFinding(s.err, f);
    for (const std::string& note : applied.step->notes) s.err << "warning: " << note << '\n';
    for (std::size_t file : session.changedFiles()) {
      if (session.fromArchive(file)) s.err << "note: " << session.archiveNote(file) << '\n';
      s.out << session.diff(file);
    }
    if (a->dryRun) return 0;
    const edit::Saved saved = session.save(!a->noBackup, a->breakLinks);
    if (saved.refusal) {
      s.err << *saved.refusal << '\n';
      return 1;
    }
    return 0;
  };
}

}  // namespace qm
