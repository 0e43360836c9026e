#include "presentation/quick_find.h"

#include <algorithm>
#include <string>

#include "text/text.h"

namespace qm {

namespace {

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// The ID text of an entry: what stands before " - ", without the padding.
std::string_view idOf(const ListEntry& e) {
  const std::size_t dash = e.text.size() >= e.name.size() + 3 ? e.text.size() - e.name.size() - 3 : 0;
  return trimmed(e.text.substr(0, dash));
}

}  // namespace

std::vector<std::size_t> quickFind(const WeaponList& list, std::string_view typed) {
  const std::string wanted = toLower(utf8ToCp1252(trimmed(typed)));
  const auto& entries = list.entries();
  std::vector<std::size_t> byId, starting, holding;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (!wanted.empty() && idOf(entries[i]) == wanted) {
      byId.push_back(i);
      continue;
    }
    const std::string name = toLower(entries[i].name);
    const std::size_t at = name.find(wanted);
    if (at == 0)
      starting.push_back(i);
    else if (at != std::string::npos)
      holding.push_back(i);
  }
  byId.insert(byId.end(), starting.begin(), starting.end());
  byId.insert(byId.end(), holding.begin(), holding.end());
  return byId;
}

}  // namespace qm
