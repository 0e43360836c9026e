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
int runIds(const std::filesystem::path& game, const std::vector<std::string>& imports, bool json,
           std::ostream& out, std::ostream& err);

// `lint [FILE]... [--json]`: over `files` when any are given, else over the
// game's weapon files and the imports; returns the exit status.
int runLint(const std::filesystem::path& game, const std::vector<std::string>& imports,
            const std::vector<std::string>& files, bool json, std::ostream& out, std::ostream& err);

}  // namespace qm
