// The filter box of the tables: words separated by blanks, each either a
// comparison KEY OP NUMBER ("range>600", "reloadtime <= 1", "dps>=100",
// "damage.default>50", "MaxDamage>1000") or a text to find anywhere in the
// row, letter case ignored. A row passes when every word holds.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "presentation/weapon_columns.h"

namespace qm {

class TableFilter {
 public:
  enum class Op { Less, LessOrEqual, Greater, GreaterOrEqual, Equal, NotEqual };
  struct Comparison {
    std::string name;  // the column's own name, whatever the case typed
    Op op;
    double number;
    Column column;  // of the weapons table; unused for another table's names
  };
  // The column a name typed stands for, by its own name; nothing for none.
  using Names = std::function<std::optional<std::string>(std::string_view)>;

  TableFilter() = default;
  // Reads the box's text; any text is a filter (a word that is not a
  // comparison is a text to find). The names are the weapons table's.
  explicit TableFilter(std::string_view text);
  // The same with the names of another table.
  TableFilter(std::string_view text, const Names& names);

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
  // The same for any table: `number` is a comparison's cell as a number,
  // `contains` whether a text (in lower case) is in the row.
  bool accepts(const std::function<std::optional<double>(const Comparison&)>& number,
               const std::function<bool(std::string_view)>& contains) const;
  static bool holds(double x, Op op, double number);
  // Whether `text` holds `lowerText`, letter case ignored.
  static bool contains(std::string_view text, std::string_view lowerText);

 private:
  std::vector<Comparison> comparisons_;
  std::vector<std::string> texts_;
  std::vector<std::string> unknownFields_;
};

}  // namespace qm
