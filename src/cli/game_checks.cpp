#include "cli/game_checks.h"

#include <ostream>

#include "catalogue/game_files.h"
#include "catalogue/game_folder.h"
#include "checks/check_set.h"
#include "checks/references.h"
#include "cli/command.h"
#include "platform/path_text.h"
#include "presentation/check_filter.h"
#include "text/text.h"
#include "unit/unit_checks.h"

namespace qm {

namespace {

// Keys are printed in the order they are added.
using json = nlohmann::ordered_json;

// The game's set is only read from a folder that holds a game: a clean
// result over a wrong folder would mislead.
void requireGame(const std::filesystem::path& game) {
  const std::string problem = gameFolderProblem(game);
  if (!problem.empty()) throw UsageError("the game folder \"" + platform::utf8Of(game) + "\" " + problem);
}

json idJson(const WeaponRecord& w) {
  if (w.id) return *w.id;
  if (w.hasId) return cp1252ToUtf8(w.idText);
  return nullptr;
}

}  // namespace

void printFinding(std::ostream& out, const Finding& f) {
  out << f.file << ':' << f.line << ':' << f.column << ": " << severityName(f.severity) << ": " << f.message << " ["
      << f.check << "]\n";
}

int runIds(const std::filesystem::path& game, const std::vector<std::string>& imports, bool asJson, std::ostream& out,
           std::ostream& err) {
  requireGame(game);
  GameCheck check(GameCheck::Scope::CensusOnly);
  runGameCheck(check, filesToCheck(game, imports));
  for (const Finding& f : check.findings())
    if (f.check == check::kUnreadable.name)
      err << "warning: cannot read weapon file " << f.file << ": " << f.message << '\n';

  const auto& weapons = check.weapons();
  const Census& census = check.census();
  if (asJson) {
    json all = json::array(), conflicts = json::array();
    for (const WeaponRecord& w : weapons)
      if (!w.swallowed)
        all.push_back({{"name", cp1252ToUtf8(w.name)}, {"id", idJson(w)}, {"file", w.file}, {"line", w.line}});
    for (const IdConflict& c : census.conflicts) {
      json users = json::array();
      for (std::size_t u : c.weapons)
        users.push_back(
            {{"name", cp1252ToUtf8(weapons[u].name)}, {"file", weapons[u].file}, {"line", weapons[u].line}});
      conflicts.push_back({{"id", c.id}, {"weapons", users}});
    }
    writeJson(out, {{"weapons", all}, {"conflicts", conflicts}, {"free", census.free}});
    return 0;
  }
  for (int id = 0; id < kIdCount; ++id)
    for (std::size_t u : census.users[static_cast<std::size_t>(id)])
      out << id << '\t' << cp1252ToUtf8(weapons[u].name) << '\t' << weapons[u].file << ':' << weapons[u].line << '\n';
  out << check.censusSummary() << '\n';
  return 0;
}

int runLint(const std::filesystem::path& game, const std::vector<std::string>& imports, const LintOptions& options,
            std::ostream& out, std::ostream& /*err*/) {
  // A misspelt check name is a mistake even beside --list-checks.
  std::string unknown;
  const auto selection = CheckSelection::chosen(options.only, options.disable, unknown);
  if (!selection) throw UsageError("no check named " + unknown + " (lint --list-checks lists them)");
  if (options.listChecks) {
    for (const CheckInfo& c : allChecks())
      out << c.name << '\t' << severityName(c.severity) << '\t' << categoryName(c.category) << '\t' << c.summary
          << '\n';
    return 0;
  }
  CheckOptions checkOptions;
  checkOptions.engine = options.engine == "original" ? Engine::Original
                        : options.engine == "later"  ? Engine::Later
                                                     : Engine::Auto;
  checkOptions.selection = *selection;

  const bool wholeGame = options.files.empty();
  if (wholeGame) requireGame(game);
  std::vector<WeaponFilePtr> set;
  const GameFiles gameFiles(game);
  if (wholeGame)
    set = filesToCheck(gameFiles, imports);
  else
    for (const std::string& name : options.files) set.push_back(checkFileNamed(name));
  GameCheck check(GameCheck::Scope::Everything, checkOptions);
  // The references need every weapon; with only some files, no unit is checked.
  References refs(gameFiles);
  if (wholeGame)
    runGameAndUnitChecks(check, gameFiles, set, refs);
  else
    runGameCheck(check, set, refs, false);

  const std::size_t errors = check.count(Severity::Error);
  const auto shown = [&](const Finding& f) { return !options.errorsOnly || f.severity == Severity::Error; };
  if (options.json) {
    json all = json::array();
    for (const Finding& f : check.findings())
      if (shown(f))
        all.push_back({{"file", f.file},
                       {"line", f.line},
                       {"column", f.column},
                       {"severity", severityName(f.severity)},
                       {"check", f.check},
                       {"message", f.message}});
    writeJson(out, {{"findings", all}, {"engine", engineName(check.engine())}});
  } else {
    for (const Finding& f : check.findings())
      if (shown(f)) printFinding(out, f);
    out << check.findingsSummary();
    if (checkOptions.engine == Engine::Auto) out << " (engine: " << engineName(check.engine()) << ')';
    out << '\n';
  }
  return errors > 0 ? 1 : 0;
}

int runRefs(const std::filesystem::path& game, const std::vector<std::string>& imports, const std::string& weapon,
            bool asJson, std::ostream& out, std::ostream& err) {
  requireGame(game);
  // The weapons tell the engine, and so which slots and unit names count.
  const GameFiles set(game);
  References refs(set);
  GameCheck check(GameCheck::Scope::CensusOnly);
  runGameCheck(check, filesToCheck(set, imports), refs);
  const std::string name = utf8ToCp1252(weapon);
  const auto users = refs.usersOf(name);
  // Why none, or why those that name it name nothing the game has.
  if (const std::string why = whyNoUsers(refs, check.weapons(), name); !why.empty()) err << "note: " << why << '\n';
  if (asJson) {
    json all = json::array();
    for (const UnitUse* u : users)
      all.push_back(
          {{"unit", cp1252ToUtf8(u->unit)}, {"key", cp1252ToUtf8(u->key)}, {"file", u->file}, {"line", u->line}});
    writeJson(out, {{"weapon", weapon}, {"users", all}});
    return 0;
  }
  std::vector<std::string> units;
  for (const UnitUse* u : users) {
    out << cp1252ToUtf8(u->unit) << '\t' << cp1252ToUtf8(u->key) << '\t' << u->file << ':' << u->line << '\n';
    if (std::none_of(units.begin(), units.end(), [&](const std::string& n) { return compareFolded(n, u->unit) == 0; }))
      units.push_back(u->unit);
  }
  out << units.size() << " units name " << weapon << '\n';
  return 0;
}

Command::Run declareIds(CLI::App& sub) {
  auto json = std::make_shared<bool>(false);
  sub.add_flag("--json", *json, "Print one JSON object");
  return [json](CommandContext& s) { return runIds(s.game(), s.importsFound(), *json, s.out, s.err); };
}

Command::Run declareLint(CLI::App& sub) {
  auto a = std::make_shared<LintOptions>();
  sub.add_option("FILE", a->files, "Check only these files")->type_name("FILE");
  sub.add_flag("--json", a->json, "Print one JSON object");
  sub.add_option("--engine", a->engine, "The engine the files are written for: original, later or auto (default)")
      ->check(CLI::IsMember({"original", "later", "auto"}));
  sub.add_flag("--list-checks", a->listChecks, "Print every check: name, severity, category, summary");
  sub.add_option("--only", a->only, "Run only these checks (comma-separated)")->type_name("CHECK,...");
  sub.add_option("--disable", a->disable, "Run all checks but these (comma-separated)")->type_name("CHECK,...");
  sub.add_flag("--errors", a->errorsOnly, "Print only errors (the summary counts both)");
  return [a](CommandContext& s) { return runLint(s.game(), s.importsFound(), *a, s.out, s.err); };
}

Command::Run declareRefs(CLI::App& sub) {
  struct Args {
    std::string name;
    bool json = false;
  };
  auto a = std::make_shared<Args>();
  sub.add_option("NAME", a->name, "The weapon's bracket name")->required();
  sub.add_flag("--json", a->json, "Print one JSON object");
  return [a](CommandContext& s) { return runRefs(s.game(), s.importsFound(), a->name, a->json, s.out, s.err); };
}

}  // namespace qm
