// The block readers over files written so that the weapon list and the game
// read their blocks alike. Each input byte picks a line: a weapon's header
// ([W0] to [W3], or [w1] in another case) at the start of its line, always
// followed by its "{"; a sub-block ([DAMAGE] or [SUB], indented); a "}" that
// closes an open block; a key line (a word, blanks around its "=", a value
// of letters, digits and blanks, a ";" or not, a "//" comment or not); a
// comment line; a blank line. Blocks still open at the end are closed.
//
// Invariants:
// - for each weapon, the edit model reads the keys of its last block and of
//   that block's last [DAMAGE] block as the game checks' reader does: the
//   same keys, and for each the value of its last line at its own level;
// - the loader finds the same weapons the game's reader does.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "checks/tdf_reader.h"
#include "edit/change.h"
#include "fuzz_support.h"
#include "text/text.h"
#include "weapon/loader.h"

using namespace qm;

namespace {

std::string fileOf(std::string_view input) {
  static const char* const kKeys[] = {"reloadtime", "range", "Name", "id", "burst", "weird_key1"};
  static const char* const kValues[] = {"10", "", "Big Gun", "0.5", "x1"};
  static const char* const kBlanks[] = {"", " ", "\t", "  "};
  std::string out;
  int depth = 0;
  for (std::size_t i = 0; i < input.size(); ++i) {
    const auto b = static_cast<unsigned char>(input[i]);
    const auto next = [&](std::size_t n) {
      return static_cast<unsigned char>(i + n < input.size() ? input[i + n] : 0);
    };
    const std::string indent = depth > 0 ? "\t" : "";
    switch (b % 8) {
      case 0:  // a weapon, at the top level only
        if (depth > 0) break;
        out += (b & 8) ? "[w1]\n" : "[W" + std::to_string(next(1) % 4) + "]\n";
        out += (b & 16) ? "\t{\n" : "{\n";
        depth = 1;
        break;
      case 1:  // a sub-block
        if (depth == 0) break;
        out += indent + ((b & 8) ? "[DAMAGE]\n" : "[SUB]\n") + indent + "{\n";
        ++depth;
        break;
      case 2:  // a closing brace
        if (depth == 0) break;
        --depth;
        out += depth > 0 ? "\t}\n" : "}\n";
        break;
      case 3:
      case 4:
      case 5: {  // a key line
        const unsigned char k = next(1), v = next(2);
        out += indent + kKeys[k % 6] + kBlanks[(k >> 3) % 4] + "=" + kBlanks[(k >> 5) % 4] + kValues[v % 5] +
               kBlanks[(v >> 3) % 4] + ((v & 32) ? ";" : "") + ((v & 64) ? " // note=1;" : "") + "\n";
        i += 2;
        break;
      }
      case 6:
        out += indent + "// range=99;\n";
        break;
      default:
        out += "\n";
    }
  }
  for (; depth > 0; --depth) out += depth > 1 ? "\t}\n" : "}\n";
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string file = fileOf(fuzz::asText(data, size));
  std::vector<Finding> findings;
  const TdfDocument doc = readTdf(file, "f", findings);

  // The game's reading: the last top-level block of each name, its keys'
  // last values and those of its last [DAMAGE] block ("damage.KEY"), letter
  // case ignored.
  std::map<std::string, std::map<std::string, std::string>> game;
  for (const TdfBlock& b : doc.blocks) {
    auto& keys = game[toLower(b.name)];
    keys.clear();
    for (const TdfPair& p : b.pairs) keys[toLower(p.key)] = std::string(p.value);
    const TdfBlock* damage = nullptr;
    for (const TdfBlock& inner : b.blocks)
      if (toLower(inner.name) == "damage") damage = &inner;
    if (damage)
      for (const TdfPair& p : damage->pairs) keys["damage." + toLower(p.key)] = std::string(p.value);
  }
  for (const char* name : {"w0", "w1", "w2", "w3"}) {
    CurrentWeapon loaded;
    bool carry = false;
    FUZZ_CHECK(searchFile(file, name, loaded, carry) == game.contains(name));
    if (!game.contains(name)) continue;
    const auto& keys = game.at(name);
    std::size_t shared = 0;
    for (const std::string& key : edit::keysOf(file, name)) {
      const auto it = keys.find(toLower(key));
      FUZZ_CHECK(it != keys.end() && edit::valueOf(file, name, key) == it->second);
      ++shared;
    }
    FUZZ_CHECK(shared == keys.size());
  }
  return 0;
}
