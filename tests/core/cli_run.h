// The command line run from a test, as a user runs it.
#pragma once

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "platform/path_text.h"

namespace qm::test {

// What a run of the command line gave: its status and all it printed.
struct CliRun {
  int status;
  std::string out, err;
};
// Runs the command line on `args`, about `game` when one is given.
inline CliRun cli(std::vector<std::string> args, const std::filesystem::path& game = {}) {
  if (!game.empty()) args.insert(args.begin(), {"--game", platform::utf8Of(game)});
  std::ostringstream out, err;
  const int status = runCli(args, out, err);
  return {status, out.str(), err.str()};
}

}  // namespace qm::test
