#include "presentation/column_choice.h"

#include <algorithm>

#include "text/text.h"

namespace qm {

namespace {

std::vector<std::string> words(std::string_view text) {
  std::vector<std::string> out;
  std::string word;
  for (char c : text) {
    if (c == ' ' || c == '\t') {
      if (!word.empty()) out.push_back(toLowerUtf8(word)), word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) out.push_back(toLowerUtf8(word));
  return out;
}

std::string trimmed(const std::string& s) {
  const std::size_t first = s.find_first_not_of(" \t");
  return first == std::string::npos ? std::string() : s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

}  // namespace

ColumnChoice::ColumnChoice(std::vector<Item> items, const std::vector<std::string>& hidden) : items_(std::move(items)) {
  for (Item& item : items_) item.shown = std::find(hidden.begin(), hidden.end(), item.name) == hidden.end();
}

std::vector<std::string> ColumnChoice::hidden() const {
  std::vector<std::string> out;
  for (const Item& item : items_)
    if (!item.shown) out.push_back(item.name);
  return out;
}

std::vector<std::size_t> ColumnChoice::passing(std::string_view filter) const {
  const std::vector<std::string> wanted = words(filter);
  std::vector<std::size_t> out;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const std::string name = toLowerUtf8(items_[i].name), caption = toLowerUtf8(items_[i].caption);
    if (std::all_of(wanted.begin(), wanted.end(), [&](const std::string& w) {
          return name.find(w) != std::string::npos || caption.find(w) != std::string::npos;
        }))
      out.push_back(i);
  }
  return out;
}

void ColumnChoice::showPassing(std::string_view filter, bool shown) {
  for (std::size_t i : passing(filter)) items_[i].shown = shown;
}

void ColumnChoice::reset() {
  for (Item& item : items_) item.shown = true;
}

bool ColumnChoice::saveSet(const std::string& name) {
  const std::string key = trimmed(name);
  if (key.empty()) return false;
  std::vector<std::string>& set = sets_[key];
  set.clear();
  for (const Item& item : items_)
    if (item.shown) set.push_back(item.name);
  return true;
}

bool ColumnChoice::applySet(const std::string& name) {
  const auto set = sets_.find(trimmed(name));
  if (set == sets_.end()) return false;
  for (Item& item : items_)
    item.shown = std::find(set->second.begin(), set->second.end(), item.name) != set->second.end();
  return true;
}

}  // namespace qm
