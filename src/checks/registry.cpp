#include "checks/registry.h"

#include <algorithm>

namespace qm {

namespace {

constexpr CheckInfo kAll[] = {
#define CHECK(id, name, severity, category, summary) check::id,
#include "checks/checks.def"
#undef CHECK
};

std::optional<std::size_t> indexOf(std::string_view name) {
  for (std::size_t i = 0; i < std::size(kAll); ++i)
    if (kAll[i].name == name) return i;
  return std::nullopt;
}

// Calls `each` with every name of the comma-separated lists; false (and the
// name in `unknown`) at the first name that is no check.
template <class Each>
bool eachName(const std::vector<std::string>& lists, std::string& unknown, Each each) {
  for (const std::string& list : lists) {
    std::size_t start = 0;
    while (start <= list.size()) {
      std::size_t comma = list.find(',', start);
      if (comma == std::string::npos) comma = list.size();
      const std::string_view name = std::string_view(list).substr(start, comma - start);
      if (!name.empty()) {
        if (!indexOf(name)) return unknown = std::string(name), false;
        each(name);
      }
      start = comma + 1;
    }
  }
  return true;
}

}  // namespace

std::span<const CheckInfo> allChecks() { return kAll; }

const CheckInfo* findCheck(std::string_view name) {
  const auto i = indexOf(name);
  return i ? &kAll[*i] : nullptr;
}

std::string_view categoryName(Category c) {
  switch (c) {
    case Category::Game:
      return "game";
    case Category::Style:
      return "style";
    case Category::Reference:
      return "reference";
    case Category::Display:
      return "display";
  }
  return "";
}

Finding finding(const CheckInfo& check, const std::string& file, int line, int column, std::string message) {
  return {file, line, column, check.severity, check.name, std::move(message)};
}

CheckSelection::CheckSelection() : on_(std::size(kAll), true) {}

CheckSelection CheckSelection::standard() {
  CheckSelection s;
  for (std::size_t i = 0; i < std::size(kAll); ++i) s.on_[i] = kAll[i].category != Category::Display;
  return s;
}

std::optional<CheckSelection> CheckSelection::chosen(const std::vector<std::string>& only,
                                                     const std::vector<std::string>& disable, std::string& unknown) {
  CheckSelection s = standard();
  if (!only.empty()) std::fill(s.on_.begin(), s.on_.end(), false);
  if (!eachName(only, unknown, [&](std::string_view name) { s.set(name, true); }) ||
      !eachName(disable, unknown, [&](std::string_view name) { s.set(name, false); }))
    return std::nullopt;
  return s;
}

bool CheckSelection::has(std::string_view name) const {
  const auto i = indexOf(name);
  return i && on_[*i];
}

void CheckSelection::set(std::string_view name, bool on) {
  if (const auto i = indexOf(name)) on_[*i] = on;
}

}  // namespace qm
