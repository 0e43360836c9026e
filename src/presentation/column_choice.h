// The Weapons table's column chooser without the window: which columns are
// shown, a filter over their captions and keys, and named sets of columns
// that the user keeps.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class ColumnChoice {
 public:
  struct Item {
    std::string name;     // the column's key ("reloadtime", "[NAME]")
    std::string caption;  // its Viewing Mode caption (UTF-8)
    bool shown = true;
  };
  using Sets = std::map<std::string, std::vector<std::string>>;  // a set's name: the names of its columns

  // The columns the user may hide (the entry column is always shown), with
  // the names of those hidden now.
  ColumnChoice(std::vector<Item> items, const std::vector<std::string>& hidden);

  const std::vector<Item>& items() const { return items_; }
  void setShown(std::size_t item, bool shown) { items_.at(item).shown = shown; }
  std::vector<std::string> hidden() const;

  // The items the filter text passes: its words each in the caption or the
  // key, letter case ignored; every item for an empty text.
  std::vector<std::size_t> passing(std::string_view filter) const;
  // All and None act on the items the filter passes; Reset shows every
  // column, as the table starts.
  void all(std::string_view filter) { showPassing(filter, true); }
  void none(std::string_view filter) { showPassing(filter, false); }
  void reset();

  // Named sets: the columns shown now kept under `name` (a set of that name
  // is replaced; a blank name keeps nothing); shown again by name, columns
  // the table no longer has passed over. False for no such set.
  const Sets& sets() const { return sets_; }
  void setSets(Sets sets) { sets_ = std::move(sets); }
  bool saveSet(const std::string& name);
  bool applySet(const std::string& name);
  void removeSet(const std::string& name) { sets_.erase(name); }

 private:
  void showPassing(std::string_view filter, bool shown);

  std::vector<Item> items_;
  Sets sets_;
};

}  // namespace qm
