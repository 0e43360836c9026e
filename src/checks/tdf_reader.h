// A weapon file read the way the game reads it: [NAME] blocks that may nest,
// key=value; pairs, // and /* */ comments skipped, every piece with its line
// and column. Reading never fails: what cannot be made sense of is reported
// as a finding and reading goes on after it.
//
// Besides the game's view, the reader knows how the weapon list and the
// weapon window read the same file line by line (a header must start its
// line, everything behind its "]" becomes part of the listed name, comments
// mean nothing to them), and reports where the two views part.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "checks/registry.h"

namespace qm {

struct TdfPosition {
  int line = 0;    // from 1
  int column = 0;  // from 1, in bytes
};

struct TdfPair {
  std::string_view key;    // as written, blanks around it trimmed
  std::string_view value;  // as written, blanks around it trimmed
  TdfPosition at;          // of the key
};

struct TdfBlock {
  std::string_view name;  // between the brackets, as written; empty for a "{" without a header
  TdfPosition at;         // of the "["
  std::vector<TdfPair> pairs;
  std::vector<TdfBlock> blocks;  // nested blocks, in file order
  TdfPosition end;               // of its "}"; the end of the file when it is never closed
  bool swallowed = false;        // taken out of a block left open: the game reads it as part of that block
};

// The views point into the text that was read; keep it alive while they are used.
struct TdfDocument {
  std::vector<TdfBlock> blocks;  // the top-level blocks: the weapons
};

// Blocks nested deeper than this are read for their braces only.
inline constexpr std::size_t kDeepestBlock = 16;

// How values are cut. By default a value ends at its line's end, as the
// weapon list and window read it. With `valuesSpanLines` a value runs on
// over line ends to its ";" (unit files' YardMap maps do), ending early
// only at a brace or before a line that starts a header; a "//" inside it
// is part of it, and blanks and line ends at its ends are no part of it.
struct TdfReading {
  bool valuesSpanLines = false;
  // The pairs a top-level block is likely to hold (a unit file's one block
  // holds nearly all of its file's), room for which is kept at its "{".
  std::size_t pairsHint = 0;
};

// Reads `text`; findings carry `file` as their file name.
TdfDocument readTdf(std::string_view text, const std::string& file, std::vector<Finding>& findings,
                    TdfReading how = {});

}  // namespace qm
