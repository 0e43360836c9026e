// The catalogue scan: headers, ID texts, entries, sorting and the count line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/scan.h"

namespace qm {
namespace {

std::vector<std::string> Scan(const std::string& text) {
  std::vector<ListEntry> entries;
  ScanFile(text, entries);
  std::vector<std::string> out;
  for (const auto& e : entries) out.push_back(e.text + "|" + e.name);
  return out;
}

struct ScanCase {
  const char* what;
  std::string text;
  std::vector<std::string> entries;  // entry text | bracket name
};

const ScanCase kScans[] = {
    {"IDs padded to three characters, longer ones not", "[A]\nid=7;\n[B]\n\tID=45;\n[C]\nId=123;\n[D]\nid=1000;\n",
     {"  7 - A|A", " 45 - B|B", "123 - C|C", "1000 - D|D"}},
    {"id line without its semicolon loses its last digit", "[GUN]\nid=12\n", {"  1 - GUN|GUN"}},
    {"[DAMAGE] is not a weapon, other cases of it are", "[A]\nid=1;\n[DAMAGE]\n[damage]\nid=2;\n",
     {"  1 - A|A", "  2 - damage|damage"}},
    {"indented headers and id lines are not read", "\t[A]\n[B]\n  id=3;\n\t\tid=4;\n id=5;\nid=6;\n", {"  6 - B|B"}},
    {"trailing blank keeps the bracket", "[GUN] \nid=1;\n", {"  1 - GUN]|GUN]"}},
    {"a zero ID in any spelling swallows the next header",
     "[NOWEAPON]\nid= -0.0 ;\n[GUN]\nid=+.0e5;\n[X]\nid=9;\n[NEXT]\nid=10;\n",
     {"  9 - NOWEAPON|NOWEAPON", " 10 - NEXT|NEXT"}},
    {"a block without id takes the next one", "[A]\n{\n}\n[B]\nid=20;\n", {" 20 - A|A"}},
    {"text that is no number ends the search", "[A]\nid=1 // x;\n[B]\nid=;\n[C]\nid=\n",
     {"1 // x - A|A", "    - B|B", "    - C|C"}},
    {"file ends before any id line", "[A]\n{\n}", {"  0 - A|A"}},
    {"every kind of line end before a header", "[A]\rid=1;\r[B]\r\nid=2;\n[C]\nid=3;\r\n[D]\rx[E]\rid=5;",
     {"  1 - A|A", "  2 - B|B", "  3 - C|C", "  5 - D|D"}},
};

TEST(ScanTest, HeadersAndIdTexts) {
  for (const ScanCase& c : kScans) EXPECT_EQ(Scan(c.text), c.entries) << c.what;
}

TEST(ScanTest, ListKeepsSortedOrderIgnoringCase) {
  WeaponList list;
  list.Add({{" 45 - b", "b"}, {"  7 - Z", "Z"}, {"123 - a", "a"}});
  list.Add({{" 45 - A", "A"}, {"  7 - z", "z"}, {"  7 - y", "y"}, {"  8 - \x8ay", "\x8ay"}, {"  8 - \x9ax", "\x9ax"}});
  std::vector<std::string> texts;
  for (const auto& e : list.entries()) texts.push_back(e.text);
  // Equal texts (letter case ignored) keep the order in which they came.
  EXPECT_EQ(texts, (std::vector<std::string>{"  7 - y", "  7 - Z", "  7 - z", "  8 - \x9ax", "  8 - \x8ay", " 45 - A", " 45 - b",
                                      "123 - a"}));
}

}  // namespace
}  // namespace qm
