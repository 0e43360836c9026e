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
//
// With `endProcess`, the process ends as soon as the command is done and
// its output flushed, without freeing what the command read: the program
// does that, as the system takes a process's memory back at once, and
// freeing hundreds of megabytes piece by piece cost it milliseconds. Tests
// call it without.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool endProcess = false);

}  // namespace qm
