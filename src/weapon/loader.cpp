#include "weapon/loader.h"

#include <string>

#include "text/lines.h"
#include "text/text.h"
#include "weapon/recogniser.h"

namespace qm {

namespace {

// Whether the line is a header of the weapon: "[", the name, "]" at its start,
// letter case ignored. `lowerName` is the name folded to lower case.
bool IsHeaderOf(std::string_view line, std::string_view lowerName) {
  return line.size() >= lowerName.size() + 2 && line[0] == '[' && MatchesFoldedAt(line, 1, lowerName) &&
         line[lowerName.size() + 1] == ']';
}

}  // namespace

bool SearchFile(std::string_view bytes, std::string_view bracketName, CurrentWeapon& weapon, bool& damageCarry) {
  const std::string lowerName = ToLower(bracketName);

  BufferLines lines(bytes);
  bool found = false;
  std::string_view line;
  // Only lines that begin with "[" can be headers: the others are passed over
  // without being cut.
  while (lines.SkipToLineStartingWith('[') && lines.Next(line)) {
    if (!IsHeaderOf(line, lowerName)) continue;

    // A header of the weapon: start it afresh.
    weapon.Clear();
    weapon[Slot::BracketName] = std::string(BracketNameOf(line));
    found = true;

    // The opening brace line: the header itself, or a later line with "{" as
    // its first or second character. None of these lines are read as values.
    bool opened = OpensBlock(line);
    while (!opened && lines.Next(line)) opened = OpensBlock(line);
    if (!opened) break;  // the file ended before the block opened

    // The block's lines up to the brace that closes it; nested sub-blocks are
    // read through.
    long depth = 1;
    while (depth != 0 && lines.Next(line)) {
      RecogniseLine(line, weapon, damageCarry);
      depth += DepthChange(line);
    }
  }
  return found;
}

}  // namespace qm
