// The catalogue scan over a whole file held in memory, and the sorted weapon
// list it feeds.
//
// Invariants:
// - the entries' names are weapon headers of the file, in file order, the
//   first header always listed, and every entry ends in " - " and its name;
// - the list adds a batch exactly as adding its entries one by one at their
//   sorted places would, equal texts keeping the order of adding.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/scan.h"
#include "catalogue/weapon_list.h"
#include "fuzz_support.h"
#include "weapon/line_reader.h"
#include "weapon/text.h"

using namespace qm;

namespace {

bool SameEntries(const std::vector<ListEntry>& a, const std::vector<ListEntry>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].text != b[i].text || a[i].name != b[i].name) return false;
  return true;
}

std::vector<ListEntry> ScanBuffer(std::string_view bytes) {
  std::vector<ListEntry> out;
  ScanFile(bytes, out);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view file = fuzz::AsText(data, size);

  const std::vector<ListEntry> entries = ScanBuffer(file);
  // The bracket names of the weapon headers, in file order.
  std::vector<std::string> headers;
  {
    LineReader lines(file);
    std::string_view line;
    while (lines.Next(line))
      if (!line.empty() && line[0] == '[' && line.substr(0, 8) != "[DAMAGE]")
        headers.emplace_back(line.size() < 2 ? std::string_view() : line.substr(1, line.size() - 2));
  }
  FUZZ_CHECK(headers.empty() == entries.empty());
  std::size_t h = 0;
  for (const ListEntry& e : entries) {
    while (h < headers.size() && headers[h] != e.name) ++h;
    FUZZ_CHECK(h < headers.size());
    ++h;
    const std::string tail = " - " + e.name;
    FUZZ_CHECK(e.text.size() >= tail.size() && e.text.compare(e.text.size() - tail.size(), tail.size(), tail) == 0);
  }
  FUZZ_CHECK(entries.empty() || entries[0].name == headers[0]);

  // The sorted list: two batches, against insertion one by one.
  WeaponList list;
  std::vector<ListEntry> reference;
  const std::size_t half = entries.size() / 2;
  list.Add(std::vector<ListEntry>(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(half)));
  list.Add(std::vector<ListEntry>(entries.begin() + static_cast<std::ptrdiff_t>(half), entries.end()));
  for (const ListEntry& e : entries) {
    const auto at = std::upper_bound(reference.begin(), reference.end(), e, [](const ListEntry& x, const ListEntry& y) {
      return CompareFolded(x.text, y.text) < 0;
    });
    reference.insert(at, e);
  }
  FUZZ_CHECK(SameEntries(list.entries(), reference));
  return 0;
}
