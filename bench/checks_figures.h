// The game checks as the command line runs them: `ids` and `lint` over a
// generated game folder with its extra files as imports, so they read the
// same bytes as the catalogue scan.
#pragma once

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/game_checks.h"

namespace qm::bench {

// Fails (returns false) when the census does not count every weapon.
inline bool idsFigure(const std::filesystem::path& dir, const std::vector<std::string>& extras, long weapons) {
  std::ostringstream out, err;
  if (runIds(dir, extras, false, out, err) != 0 || !err.str().empty()) return false;
  const std::string text = out.str();
  const std::string expected = "\n" + std::to_string(weapons) + " weapons, ";
  const auto summary = text.rfind('\n', text.size() - 2);
  return summary != std::string::npos && text.compare(summary, expected.size(), expected) == 0;
}

// Fails when a file was not read.
inline bool lintFigure(const std::filesystem::path& dir, const std::vector<std::string>& extras) {
  std::ostringstream out, err;
  runLint(dir, extras, LintOptions{}, out, err);
  return err.str().empty() && out.str().find("[unreadable]") == std::string::npos;
}

}  // namespace qm::bench
