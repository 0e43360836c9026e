// The main window's quick find: the list entries that match what the user
// types, by ID or by name.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "catalogue/weapon_list.h"

namespace qm {

// The entries to offer for `typed` (UTF-8), as indices into the list: those
// whose ID is the typed number first, then the names that begin with the
// text, then the names that hold it, each group in list order, letter case
// ignored. Every entry for a text of blanks.
std::vector<std::size_t> quickFind(const WeaponList& list, std::string_view typed);

}  // namespace qm
