// The table of every check (checks.def) and the choice of checks a run makes.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "checks/finding.h"

namespace qm {

enum class Category : unsigned char { Game, Style, Reference, Display };

struct CheckInfo {
  std::string_view name;
  Severity severity;
  Category category;
  std::string_view summary;
};

namespace check {
#define CHECK(id, name, severity, category, summary) \
  inline constexpr CheckInfo id{name, Severity::severity, Category::category, summary};
#include "checks/checks.def"
#undef CHECK
}  // namespace check

// Every check, in the table's order.
std::span<const CheckInfo> allChecks();
// The check of that name; null when there is none.
const CheckInfo* findCheck(std::string_view name);
std::string_view categoryName(Category c);

// A finding of `check`, with the check's severity.
Finding finding(const CheckInfo& check, const std::string& file, int line, int column, std::string message);

// Which checks a run reports.
class CheckSelection {
 public:
  // Every check, display checks included.
  CheckSelection();
  // All but the display checks: what `lint` runs by default.
  static CheckSelection standard();
  // The checks named in `only` (all standard ones when it is empty) less
  // those named in `disable`: names separated by commas, several lists
  // allowed. Null, with the name in `unknown`, when a name is no check.
  static std::optional<CheckSelection> chosen(const std::vector<std::string>& only,
                                              const std::vector<std::string>& disable, std::string& unknown);

  bool has(std::string_view name) const;
  void set(std::string_view name, bool on);

 private:
  std::vector<bool> on_;  // by index into allChecks()
};

}  // namespace qm
