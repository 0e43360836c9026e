// A table window without the window: rows from one source (the weapons of
// the list, or the game's units), columns with their captions by mode, the
// filter box, the sort of a header click, the rows shown, their cells, two
// rows compared, one field of many rows changed, and the rows as CSV or as
// the clipboard's text. The window shows what this says and forwards the
// user's clicks here.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "presentation/chart_state.h"
#include "presentation/field_change.h"
#include "presentation/host.h"
#include "presentation/table_filter.h"
#include "presentation/weapon_columns.h"

namespace qm {

class MainWindowState;

// What a table's rows come from: all that differs between the weapons
// table and the units table. Rows and columns are numbered from 0; column 0
// is the row's name (the list entry, the unit), which stays in view.
class TableSource {
 public:
  virtual ~TableSource() = default;

  // "weapon" or "unit", and its plural.
  virtual std::string_view noun(bool plural) const = 0;
  virtual std::size_t rowCount() const = 0;
  virtual std::size_t columnCount() const = 0;
  // A column's own name ("reloadtime", "dps", "BuildCostMetal").
  virtual const std::string& columnName(std::size_t column) const = 0;
  // Its header in Viewing Mode (UTF-8 captions) or Actual Mode (its name).
  virtual std::string caption(std::size_t column, bool viewing) const = 0;
  virtual bool numeric(std::size_t column) const = 0;
  // A cell's text, in the files' bytes.
  virtual std::string cell(std::size_t row, std::size_t column, bool viewing) const = 0;
  // The rows in the order a click on the column's header gives.
  virtual std::vector<std::size_t> sorted(std::size_t column, bool viewing, bool descending) const = 0;
  // The filter box's text read with this table's names, and whether a row
  // passes it.
  virtual TableFilter filter(std::string_view text) const = 0;
  virtual bool accepts(const TableFilter& filter, std::size_t row, bool viewing) const = 0;
  // The known key nearest to a mistyped one (for the status line); empty
  // for none.
  virtual std::string nearestKey(std::string_view typed) const = 0;
  // Two rows' values side by side, each with its caption (UTF-8).
  virtual std::vector<FieldPair> compare(std::size_t a, std::size_t b, bool viewing) const = 0;
  virtual std::string pairCaption(const std::string& key, bool viewing) const = 0;
  // A row's side ("ARM", "CORE"; empty for none), and the columns the chart
  // starts with (X, Y).
  virtual std::string side(std::size_t row) const = 0;
  virtual std::pair<std::string_view, std::string_view> chartColumns() const = 0;

  // Change field: the keys offered, their targets among rows, and the plan.
  struct Key {
    std::string key, caption;  // bytes, UTF-8
  };
  virtual std::vector<Key> changeKeys(bool viewing) const = 0;
  virtual std::vector<FieldTarget> targets(const std::vector<std::size_t>& rows, const std::string& key) const = 0;
  virtual FieldChangePlan plan(const std::vector<FieldTarget>& targets, const std::string& key, FieldOperation op,
                               std::string_view operand) const = 0;
};

// The weapons of the main window's list, as the Weapons table shows them:
// the list entry, the 66 fields, the damage per second. `previous` (the
// source before an edit) lends the blocks of every file that did not change.
std::shared_ptr<const TableSource> weaponRows(const MainWindowState& state, const TableSource* previous = nullptr);
// The game's units with the edits not saved yet: "unit", every known key,
// then dps, hp.per.metal and dps.per.metal.
std::shared_ptr<const TableSource> unitRows(const MainWindowState& state, const TableSource* previous = nullptr);

// Two rows side by side, as the compare dialog shows them.
struct Compared {
  std::string titleA, titleB;  // bytes
  struct Row {
    std::string caption;  // UTF-8
    std::string a, b;     // bytes
    bool differs = false;
  };
  std::vector<Row> rows;
  std::size_t differing = 0;
  // "3 fields differ"
  std::string summary() const { return std::to_string(differing) + " fields differ"; }
};

class TableState {
 public:
  explicit TableState(std::shared_ptr<const TableSource> source);

  // New rows, or the same rows with new values: the sort and the filter
  // are made again over them.
  void setSource(std::shared_ptr<const TableSource> source);
  const TableSource& source() const { return *source_; }
  std::shared_ptr<const TableSource> sourcePtr() const { return source_; }

  bool viewing() const { return viewing_; }
  void setViewing(bool viewing);
  // The filter box's text.
  void setFilter(std::string_view text);
  const TableFilter& filter() const { return filter_; }
  // Sorts by a column's header; -1 is the source's own order.
  void sortBy(int column, bool descending);
  int sortColumn() const { return sortColumn_; }
  bool descending() const { return descending_; }

  // The rows shown, in the order shown.
  const std::vector<std::size_t>& shown() const { return filter_.empty() ? order_ : shown_; }
  // The place among those shown of a row; nothing when the filter hides it.
  std::optional<std::size_t> placeOf(std::size_t row) const;

  std::string cell(std::size_t row, std::size_t column) const { return source_->cell(row, column, viewing_); }
  std::string caption(std::size_t column) const { return source_->caption(column, viewing_); }
  // "3 of 12 weapons, 2 selected", and a mistyped name of the filter box
  // (UTF-8).
  std::string status(std::size_t selected) const;
  // What the window's title is: "Weapons table", "Units table", with "*"
  // while edits are unsaved.
  std::string title(bool unsaved) const;

  // Two rows (`a` shown first) side by side; the dialog's title ("Compare
  // weapons"), and what the status line asks after "Compare with..." of a
  // row (UTF-8).
  Compared compare(std::size_t a, std::size_t b) const;
  std::string compareTitle() const;
  std::string compareHint(std::size_t row) const;

  // What the window's buttons and menu offer with `selected` rows: Compare
  // two, Change field (where edits can be made) and Copy one or more.
  struct Offers {
    bool compare = false, change = false, copy = false;
  };
  static Offers offers(std::size_t selected, bool canEdit);
  // The file Save as CSV suggests ("weapons.csv"), and the chart's title.
  std::string csvName() const;
  std::string chartTitle() const;

  // The chart of the rows shown over the table's number columns (captions
  // of the mode); its rows are the places among those shown.
  presentation::ChartSource chartSource() const;

  // Rows (in the order given) of the columns given, each cell as CSV or as
  // a spreadsheet takes it from the clipboard; the captions first when asked.
  enum class Format { Csv, Clipboard };
  std::string text(const std::vector<std::size_t>& rows, const std::vector<std::size_t>& columns, bool withCaptions,
                   Format format) const;
  // Save as CSV: asks the host where (starting at `suggested`), and writes
  // the rows shown of the columns given there (".csv" added to a name
  // without a suffix) by write-then-replace; tells the user when it cannot.
  // The path written, or nothing.
  std::optional<std::filesystem::path> saveCsv(Host& host, const std::vector<std::size_t>& columns,
                                               const std::filesystem::path& suggested) const;

 private:
  void order();
  void applyFilter();

  std::shared_ptr<const TableSource> source_;
  bool viewing_ = true;
  TableFilter filter_;
  std::string filterText_;
  int sortColumn_ = -1;
  bool descending_ = false;
  std::vector<std::size_t> order_;  // every row, in the sort's order
  std::vector<std::size_t> shown_;  // the rows the filter passes, in that order; unused without a filter
};

}  // namespace qm
