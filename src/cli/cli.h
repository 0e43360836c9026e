// quillmark-cli: the headless companion of the window, on the same core.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace qm {

// Runs the command line; returns the exit status (0 done, 1 a refusal or a
// weapon not found, 2 a usage error). `programDir` is not used: the game
// folder is --game or the current directory.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace qm
