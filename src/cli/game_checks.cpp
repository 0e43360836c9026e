#include "cli/game_checks.h"

#include <ostream>

#include "catalogue/game_files.h"
#include "checks/check_set.h"
#include "cli/command.h"
#include "text/text.h"

namespace qm {

namespace {

// Keys are printed in the order they are added.
using json = nlohmann::ordered_json;

json idJson(const WeaponRecord& w) {
  if (w.id) return *w.id;
  if (w.hasId) return Cp1252ToUtf8(w.idText);
  return nullptr;
}

}  // namespace

void printFinding(std::ostream& out, const Finding& f) {
  out << f.file << ':' << f.line << ':' << f.column << ": " << severityName(f.severity) << ": " << f.message << " ["
      << f.check << "]\n";
}

int runIds(const std::filesystem::path& game, const std::vector<std::string>& imports, bool asJson,
           std::ostream& out, std::ostream& err) {
  GameCheck check(GameCheck::Scope::CensusOnly);
  runGameCheck(check, filesToCheck(game, imports));
  for (const Finding& f : check.findings())
    if (f.check == check::kUnreadable) err << "warning: cannot read weapon file " << f.file << ": " << f.message << '\n';

  const auto& weapons = check.weapons();
  const Census& census = check.census();
  if (asJson) {
    json all = json::array(), conflicts = json::array();
    for (const WeaponRecord& w : weapons)
      all.push_back({{"name", Cp1252ToUtf8(w.name)}, {"id", idJson(w)}, {"file", w.file}, {"line", w.line}});
    for (const IdConflict& c : census.conflicts) {
      json users = json::array();
      for (std::size_t u : c.weapons)
        users.push_back({{"name", Cp1252ToUtf8(weapons[u].name)}, {"file", weapons[u].file}, {"line", weapons[u].line}});
      conflicts.push_back({{"id", c.id}, {"weapons", users}});
    }
    writeJson(out, {{"weapons", all}, {"conflicts", conflicts}, {"free", census.free}});
    return 0;
  }
  for (int id = 0; id < kIdCount; ++id)
    for (std::size_t u : census.users[static_cast<std::size_t>(id)])
      out << id << '\t' << Cp1252ToUtf8(weapons[u].name) << '\t' << weapons[u].file << ':' << weapons[u].line << '\n';
  out << check.censusSummary() << '\n';
  return 0;
}

int runLint(const std::filesystem::path& game, const std::vector<std::string>& imports,
            const std::vector<std::string>& files, bool asJson, std::ostream& out, std::ostream& /*err*/) {
  std::vector<WeaponFilePtr> set;
  if (files.empty())
    set = filesToCheck(game, imports);
  else
    for (const std::string& name : files) set.push_back(checkFileNamed(name));
  GameCheck check;
  runGameCheck(check, set);

  const std::size_t errors = check.count(Severity::Error);
  if (asJson) {
    json all = json::array();
    for (const Finding& f : check.findings())
      all.push_back({{"file", f.file},
                     {"line", f.line},
                     {"column", f.column},
                     {"severity", severityName(f.severity)},
                     {"check", f.check},
                     {"message", f.message}});
    writeJson(out, {{"findings", all}});
  } else {
    for (const Finding& f : check.findings()) printFinding(out, f);
    out << check.findingsSummary() << '\n';
  }
  return errors > 0 ? 1 : 0;
}

Command::Run declareIds(CLI::App& sub) {
  auto json = std::make_shared<bool>(false);
  sub.add_flag("--json", *json, "Print one JSON object");
  return [json](Session& s) { return runIds(s.game(), s.importsFound(), *json, s.out, s.err); };
}

Command::Run declareLint(CLI::App& sub) {
  struct Args {
    std::vector<std::string> files;
    bool json = false;
  };
  auto a = std::make_shared<Args>();
  sub.add_option("FILE", a->files, "Check only these files")->type_name("FILE");
  sub.add_flag("--json", a->json, "Print one JSON object");
  return [a](Session& s) {
    return runLint(s.game(), a->files.empty() ? s.importsFound() : std::vector<std::string>{}, a->files, a->json,
                   s.out, s.err);
  };
}

}  // namespace qm
