// The catalogue scan: one list entry per weapon header of a weapon file.
#pragma once

#include <string_view>
#include <vector>

#include "catalogue/weapon_file.h"
#include "catalogue/weapon_list.h"

namespace qm {

// Appends one entry per weapon header of the file, in file order. A header is
// a line that begins with "[" and not with "[DAMAGE]" (letter case exact). Its
// ID text comes from the next id line ("id=" at the start of a line or after
// one tab, in any case) whose text is not zero; every line read while looking
// for it is consumed, other headers included.
void ScanFile(std::string_view bytes, std::vector<ListEntry>& out);

struct ScanOutcome {
  std::vector<ListEntry> entries;
  std::vector<UnreadableFile> unreadable;
};

// Scans the files in order; a file that cannot be read is passed over and
// reported, the others are scanned all the same.
ScanOutcome ScanFiles(const std::vector<WeaponFilePtr>& files);

}  // namespace qm
