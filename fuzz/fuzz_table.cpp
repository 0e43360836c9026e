// Every listed weapon read in one pass, over two weapon files (the input cut
// at its first zero byte), and the table's filter over the input's first line.
//
// Invariants:
// - each row is the weapon a load of its entry gives from a fresh start:
//   found or not, the same values and the same damage list, with the values
//   kept from the pass and read on request alike;
// - any text is a filter, and filtering any row of any table ends.

#include <cstdint>
#include <memory>
#include <string>

#include "catalogue/scan.h"
#include "catalogue/weapon_table.h"
#include "fuzz_support.h"
#include "presentation/table_filter.h"

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = fuzz::asText(data, size);
  const std::size_t cut = std::min(input.find('\0'), input.size());
  const std::vector<WeaponFilePtr> files = {memoryFile("a", std::string(input.substr(0, cut))),
                                            memoryFile("b", std::string(input.substr(std::min(cut + 1, size))))};
  WeaponList list;
  list.add(scanFiles(files).entries);
  const WeaponTable table(list.entries(), files);
  const WeaponTable onRequest(list.entries(), files, nullptr, WeaponTable::Values::OnRequest);
  FUZZ_CHECK(table.size() == list.size() && onRequest.size() == list.size());
  for (std::size_t row = 0; row < table.size(); ++row) {
    CurrentWeapon loaded;
    bool carry = false;
    const bool found = loadWeapon(list.at(row).name, files, loaded, carry).found;
    FUZZ_CHECK(table.found(row) == found && onRequest.found(row) == found);
    if (!found) continue;
    for (const WeaponTable* t : {&table, &onRequest}) {
      const CurrentWeapon read = t->weapon(row);
      FUZZ_CHECK(read.v == loaded.v && read.damage == loaded.damage);
    }
  }
  const TableFilter filter(input.substr(0, std::min(input.find('\n'), input.size())));
  for (std::size_t row = 0; row < table.size(); ++row) (void)filter.accepts(table, row, row % 2 == 0);
  return 0;
}
