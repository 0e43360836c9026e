// The change to a file as a unified diff, as `diff -u` prints it.
#pragma once

#include <string>
#include <string_view>

namespace qm::edit {

// "--- NAME", "+++ NAME", then hunks with three lines of context. Lines are
// compared with their line ends, shown without them, decoded from
// Windows-1252 to UTF-8; every line of the diff ends with LF. Empty when the
// two are the same.
std::string unifiedDiff(const std::string& name, std::string_view before, std::string_view after);

}  // namespace qm::edit
