// The columns of the weapons table and the texts of its cells, for the
// command line's `table` and `diff` and for the Weapons table window: the
// list entry, the 66 fields, the damage per second and one damage entry's
// amount.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/weapon_table.h"
#include "presentation/captions.h"

namespace qm {

struct Column {
  enum class Kind { Entry, Field, Dps, DamageUnit };
  Kind kind = Kind::Entry;
  int field = 0;     // Field: the field number
  std::string name;  // what the column is called: "entry", the key, "[NAME]", "dps", "damage.UNIT"

  // Whether the column's values are numbers (sorted and compared as numbers).
  bool numeric() const;
  // Whether the cell needs the damage list.
  bool needsDamage() const;
  bool operator==(const Column&) const = default;
};

// What a column header reads in Viewing Mode (the field rows' captions,
// without their colon) or in Actual Mode (the column's name).
std::string columnCaption(const Column& column, bool viewing);

// Appends a CSV field (RFC 4180): in double quotes, with its quotes doubled,
// when it holds a comma, a quote or a line end.
void appendCsvField(std::string& out, std::string_view text);
// A cell as spreadsheets take it from the clipboard, where cells are parted
// by TABs and rows end with a line feed: a cell holding a TAB, a quote or a
// line end is put in quotes, its quotes doubled.
void appendClipboardCell(std::string& out, std::string_view text);

// A field's column, named by its key ("[NAME]", "[DAMAGE]" for those two).
Column fieldColumn(int field);
// "entry" and then the 66 fields in field order.
std::vector<Column> defaultColumns();
// The column a name stands for (a key in any letter case, "[NAME]",
// "[DAMAGE]", "dps", "damage.UNIT"); nothing for an unknown name.
std::optional<Column> columnNamed(std::string_view name);

// The amount of the entry for `unit` (letter case ignored; the last one when
// there are several), or nothing.
std::optional<std::string_view> damageAmount(const std::vector<std::string_view>& damage, std::string_view unit);
std::optional<std::string_view> damageAmount(const std::vector<std::string>& damage, std::string_view unit);
// damage.default times burst (1 when not a positive number) over reloadtime
// (numbers as valueNumber reads them),
// as text; empty when reloadtime or damage.default is not a positive number.
std::string damagePerSecond(const SlotValues& values, const std::vector<std::string_view>& damage);

// A row as read once from the table: its cells are made from it.
struct TableRow {
  std::string_view entry;
  bool found = false;
  SlotValues values{};
  std::vector<std::string_view> damage;  // read only when asked for
  void read(const WeaponTable& table, std::size_t row, bool withDamage);
};

// A cell's text: Actual Mode texts (or Viewing Mode texts when `viewing`),
// in the files' bytes; the damage list column joins its entries by a space.
// A row whose weapon was not found is empty but for its entry.
std::string cellText(const TableRow& row, const Column& column, bool viewing);
// The same from the table: `damage` is the row's damage list, needed only
// for the columns that say so.
std::string cellText(const WeaponTable& table, std::size_t row, const Column& column, bool viewing,
                     const std::vector<std::string>& damage);

// The number a cell holds for sorting and comparing: its Actual Mode text
// read by valueNumber; nothing when it is not one.
std::optional<double> cellNumber(const WeaponTable& table, std::size_t row, const Column& column,
                                 const std::vector<std::string>& damage);

// The table's rows in the order a click on `column`'s header gives. Numbers
// sort as numbers, equal ones in list order; cells that are not numbers (empty
// ones too) come after every number, in list order. Texts sort in the mode's
// texts with letter case ignored, equal ones in list order. Descending is the
// reverse, but for the cells that are not numbers: they come first, still in
// list order.
std::vector<std::size_t> sortedRows(const WeaponTable& table, const Column& column, bool viewing, bool descending);

// The keys and texts in which two weapons differ: the 65 value fields in
// field order (Actual Mode texts), then the damage entries by unit as
// "damage.UNIT" (the units of the first weapon, then those only the second
// has), an entry one weapon lacks empty.
struct Difference {
  std::string key, a, b;
  bool operator==(const Difference&) const = default;
};
// Every field and damage unit of the two weapons, with whether it differs;
// `Differences` keeps the differing ones.
struct FieldPair {
  std::string key, a, b;
  bool differs;
};
std::vector<FieldPair> compareWeapons(const CurrentWeapon& a, const CurrentWeapon& b, bool viewing);
std::vector<Difference> differences(const CurrentWeapon& a, const CurrentWeapon& b);

}  // namespace qm
