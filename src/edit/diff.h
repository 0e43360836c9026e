// The change to a file as a unified diff, as `diff -u` prints it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qm::edit {

// "--- NAME", "+++ NAME", then hunks with three lines of context. Lines are
// compared with their line ends, shown without them, decoded from
// Windows-1252 to UTF-8; every line of the diff ends with LF. Empty when the
// two are the same.
std::string unifiedDiff(const std::string& name, std::string_view before, std::string_view after);

// Makes in `fresh` the change that turned `before` into `after`, one run of
// changed lines at a time: a run is made where its lines, with a line on each
// side (or the file's start or end), are found in `fresh` in one place only;
// else it is dropped.
struct Remade {
  std::string bytes;
  std::size_t made = 0, dropped = 0;
};
Remade remakeChange(std::string_view before, std::string_view after, std::string_view fresh);

}  // namespace qm::edit
