// The filter box of the Weapons table: words separated by blanks, each either
// a comparison KEY OP NUMBER ("range>600", "reloadtime <= 1", "dps>=100",
// "damage.default>50") or a text to find anywhere in the row, letter case
// ignored. A row passes when every word holds.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "presentation/weapon_columns.h"

namespace qm {

class TableFilter {
 public:
  enum class Op { Less, LessOrEqual, Greater, GreaterOrEqual, Equal, NotEqual };
  struct Comparison {
    Column column;
    Op op;
    double number;
  };

  TableFilter() = default;
  // Reads the box's text; any text is a filter (a word that is not a
  // comparison is a text to find).
  explicit TableFilter(std::string_view text);

  bool empty() const { return comparisons_.empty() && texts_.empty(); }
  const std::vector<Comparison>& comparisons() const { return comparisons_; }
  const std::vector<std::string>& texts() const { return texts_; }  // folded to lower case
  // The names written as in a comparison ("rnage>600", "reloadtim <= 1")
  // that no column has: those words are looked for as texts. An "=" does
  // not count, for "default=50" is as likely a text of the files.
  const std::vector<std::string>& unknownFields() const { return unknownFields_; }

  // Whether the row passes. The texts are looked for in the entry, the
  // stored values, the Viewing Mode texts when `viewing`, and the damage list;
  // a comparison needs the cell to be a number.
  bool accepts(const WeaponTable& table, std::size_t row, bool viewing) const;

 private:
  std::vector<Comparison> comparisons_;
  std::vector<std::string> texts_;
  std::vector<std::string> unknownFields_;
};

}  // namespace qm
