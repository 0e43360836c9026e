// The change to a file as a unified diff, as `diff -u` prints it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace qm::edit {

// "--- NAME", "+++ NAME", then hunks with three lines of context. Lines are
// compared with their line ends, shown without them, decoded from
// Windows-1252 to UTF-8; every line of the diff ends with LF. Empty when the
// two are the same.
std::string unifiedDiff(const std::string& name, std::string_view before, std::string_view after);
// The same with "--- FROM" and "+++ TO", and each hunk's "@@ ... @@" line
// followed by a blank and what `heading` gives (UTF-8) for the offset in
// `after` of the hunk's first changed line, as `diff -p` names the function
// (nothing when it gives "").
using HunkHeading = std::function<std::string(std::size_t)>;
std::string unifiedDiff(const std::string& from, const std::string& to, std::string_view before, std::string_view after,
                        const HunkHeading& heading);

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
