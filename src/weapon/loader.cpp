#include "weapon/loader.h"

#include <string>

#include "text/lines.h"
#include "text/text.h"
#include "weapon/recogniser.h"

namespace qm {

WeaponSearch::WeaponSearch(std::string_view bracketName, CurrentWeapon& weapon, bool& damageCarry)
    : lowerName_(toLower(bracketName)), weapon_(weapon), damageCarry_(damageCarry) {}

// Whether the line is a header of the weapon: "[", the name, "]" at its start,
// letter case ignored.
bool WeaponSearch::isHeader(std::string_view line) const {
  return line.size() >= lowerName_.size() + 2 && line[0] == '[' && matchesFoldedAt(line, 1, lowerName_) &&
         line[lowerName_.size() + 1] == ']';
}

void WeaponSearch::piece(std::string_view bytes) {
  BufferLines lines(bytes);
  std::string_view line;
  for (;;) {
    switch (state_) {
      case State::Seeking:
        // Only lines that begin with "[" can be headers: the others are
        // passed over without being cut.
        if (!lines.skipToLineStartingWith('[') || !lines.next(line)) return;
        if (!isHeader(line)) continue;
        // A header of the weapon: start it afresh.
        weapon_.clear();
        weapon_[Slot::BracketName] = std::string(bracketNameOf(line));
        found_ = true;
        // The opening brace line: the header itself, or a later line with
        // "{" as its first or second character. None of these lines are
        // read as values; a file that ends first ends the search.
        state_ = opensBlock(line) ? State::InBlock : State::Opening;
        depth_ = 1;
        continue;
      case State::Opening:
        if (!lines.next(line)) return;
        if (opensBlock(line)) state_ = State::InBlock;
        continue;
      case State::InBlock:
        // The block's lines up to the brace that closes it; nested
        // sub-blocks are read through.
        if (!lines.next(line)) return;
        recogniseLine(line, weapon_, damageCarry_);
        depth_ += depthChange(line);
        if (depth_ == 0) state_ = State::Seeking;
        continue;
    }
  }
}

bool searchFile(std::string_view bytes, std::string_view bracketName, CurrentWeapon& weapon, bool& damageCarry) {
  WeaponSearch search(bracketName, weapon, damageCarry);
  search.piece(bytes);
  return search.found();
}

}  // namespace qm
