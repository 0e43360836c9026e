// The game checks of the command line: the ID census (`ids`) and the linter
// (`lint`), printed as text or JSON.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace qm {

struct Finding;

// One finding as `lint` prints it: FILE:LINE:COL: SEVERITY: MESSAGE [CHECK].
void printFinding(std::ostream& out, const Finding& f);

// `ids [--json]` over the game's weapon files and the imports; returns the exit status.
int runIds(const std::filesystem::path& game, const std::vector<std::string>& imports, bool json, std::ostream& out,
           std::ostream& err);

struct LintOptions {
  std::vector<std::string> files;  // only these, not the game's set
  bool json = false;
  bool errorsOnly = false;
  bool listChecks = false;
  std::string engine = "auto";
  std::vector<std::string> only, disable;  // comma-separated check names
};

// `lint`: over `files` when any are given, else over the game's weapon files
// and the imports, with the units and the files they name; returns the exit
// status. A bad option throws UsageError.
int runLint(const std::filesystem::path& game, const std::vector<std::string>& imports, const LintOptions& options,
            std::ostream& out, std::ostream& err);

// `refs NAME [--json]`: the units that name weapon NAME.
int runRefs(const std::filesystem::path& game, const std::vector<std::string>& imports, const std::string& weapon,
            bool json, std::ostream& out, std::ostream& err);

}  // namespace qm
