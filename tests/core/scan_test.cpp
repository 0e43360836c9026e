// The catalogue scan: headers, ID texts, entries, sorting and the count line.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/file_store.h"
#include "catalogue/scan.h"
#include "test_support.h"
#include "text/text.h"

namespace qm {
namespace {

std::vector<std::string> listed(const WeaponList& list) {
  std::vector<std::string> out;
  for (const auto& e : list.entries()) out.push_back(std::string(e.text) + "|" + std::string(e.name));
  return out;
}

// The list of a file scanned whole; read in pieces through buffers of any
// size, a few bytes a read, it is the same.
std::vector<std::string> scan(const std::string& text) {
  WeaponList list;
  scanFile(text, list);
  const std::vector<std::string> whole = listed(list);
  for (std::size_t buffer = 1; buffer <= 9; ++buffer)
    for (std::size_t perRead : {1, 4, 64})
      EXPECT_EQ(listed(scanFiles({test::pieced(text, buffer, perRead)}).entries), whole) << buffer << " " << perRead;
  return whole;
}

struct ScanCase {
  const char* what;
  std::string text;
  std::vector<std::string> entries;  // entry text | bracket name
};

const ScanCase kScans[] = {
    {"IDs padded to three characters, longer ones not",
     "[A]\nid=7;\n[B]\n\tID=45;\n[C]\nId=123;\n[D]\nid=1000;\n",
     {"  7 - A|A", " 45 - B|B", "1000 - D|D", "123 - C|C"}},
    {"id line without its semicolon loses its last digit", "[GUN]\nid=12\n", {"  1 - GUN|GUN"}},
    {"[DAMAGE] is not a weapon, other cases of it are",
     "[A]\nid=1;\n[DAMAGE]\n[damage]\nid=2;\n",
     {"  1 - A|A", "  2 - damage|damage"}},
    {"indented headers and id lines are not read", "\t[A]\n[B]\n  id=3;\n\t\tid=4;\n id=5;\nid=6;\n", {"  6 - B|B"}},
    {"trailing blank keeps the bracket", "[GUN] \nid=1;\n", {"  1 - GUN]|GUN]"}},
    {"a zero ID in any spelling swallows the next header; the last one read stands at the end",
     "[NOWEAPON]\nid= -0.0 ;\n[GUN]\nid=+.0e5;\n[X]\nid=9;\n[NEXT]\nid=10;\n[LAST]\nid=00;\n",
     {"  9 - NOWEAPON|NOWEAPON", " 00 - LAST|LAST", " 10 - NEXT|NEXT"}},
    {"a block without id takes the next one", "[A]\n{\n}\n[B]\nid=20;\n", {" 20 - A|A"}},
    {"text that is no number ends the search",
     "[A]\nid=1 // x;\n[B]\nid=;\n[C]\nid=\n",
     {"    - B|B", "    - C|C", "1 // x - A|A"}},
    {"file ends before any id line", "[A]\n{\n}", {"  0 - A|A"}},
    {"every kind of line end before a header",
     "[A]\rid=1;\r[B]\r\nid=2;\n[C]\nid=3;\r\n[D]\rx[E]\rid=5;",
     {"  1 - A|A", "  2 - B|B", "  3 - C|C", "  5 - D|D"}},
};

TEST(ScanTest, HeadersAndIdTexts) {
  for (const ScanCase& c : kScans) EXPECT_EQ(scan(c.text), c.entries) << c.what;
}

// Pieces are whole lines: each ends at a line end, a CR LF is never parted,
// and together they are the file.
TEST(ScanTest, PiecesAreWholeLines) {
  const std::string text = "a\r\nbb\rccc\n\r\n\r\rlast";
  for (std::size_t buffer = 1; buffer <= 6; ++buffer) {
    std::vector<std::string> pieces;
    std::string reason;
    PieceBuffer unused(1);
    ASSERT_TRUE(test::PiecedFile(text, buffer, 3)
                    .readInPieces(
                        unused, [&](std::string_view p) { pieces.emplace_back(p); }, reason));
    std::string joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
      joined += pieces[i];
      if (i + 1 == pieces.size()) continue;
      EXPECT_TRUE(pieces[i].back() == '\n' || pieces[i].back() == '\r') << buffer << ": " << pieces[i];
      EXPECT_FALSE(pieces[i].back() == '\r' && pieces[i + 1][0] == '\n') << buffer << ": " << pieces[i];
    }
    EXPECT_EQ(joined, text) << buffer;
  }
}

// A file that fails part way takes back the entries it gave; the other files
// are listed.
TEST(ScanTest, FileFailingPartWayListsNothing) {
  const std::string text = "[A]\nid=1;\n[B]\nid=2;\n[C]\n";
  for (std::size_t failAt = 0; failAt <= text.size(); ++failAt) {
    const std::vector<WeaponFilePtr> files = {test::pieced("[Z]\nid=9;\n", 4, 4), test::pieced(text, 4, 3, failAt),
                                              test::pieced("[Y]\nid=8;", 4, 4)};
    FileStore store;
    for (FileStore* through : {static_cast<FileStore*>(nullptr), &store}) {
      const ScanOutcome scan = scanFiles(files, through);
      EXPECT_EQ(listed(scan.entries), (std::vector<std::string>{"  8 - Y|Y", "  9 - Z|Z"})) << failAt;
      EXPECT_EQ(scan.unreadable, (std::vector<UnreadableFile>{{"pieced.tdf", "failed"}})) << failAt;
    }
  }
}

// A store reads a file once for as long as it does not change, and keeps no
// bytes that are only in memory. Scanned through it, the files give the
// list they give read piece by piece.
TEST(ScanTest, StoreKeepsFilesWhileTheyStayTheSame) {
  test::TempDir dir;
  const auto path = dir.write("a.tdf", "[A]\nid=1;\n");
  FileStore store;
  std::string reason;
  const FileStore::Held first = store.hold(looseFile(path), reason);
  ASSERT_TRUE(first);
  EXPECT_EQ(store.hold(looseFile(path), reason), first);
  dir.write("a.tdf", "[A]\nid=2;\n[B]\nid=3;\n");
  const FileStore::Held changed = store.hold(looseFile(path), reason);
  ASSERT_TRUE(changed);
  EXPECT_EQ(changed->bytes(), "[A]\nid=2;\n[B]\nid=3;\n");
  const WeaponFilePtr inMemory = memoryFile("a.tdf", "[M]\nid=4;\n", path);
  EXPECT_EQ(store.hold(inMemory, reason)->bytes(), "[M]\nid=4;\n");
  EXPECT_EQ(store.hold(looseFile(path), reason), changed);
  EXPECT_FALSE(store.hold(looseFile(dir.path() / "none.tdf"), reason));
  EXPECT_FALSE(reason.empty());

  const std::vector<WeaponFilePtr> files = {looseFile(path), inMemory, looseFile(dir.path() / "none.tdf")};
  const ScanOutcome read = scanFiles(files), held = scanFiles(files, &store);
  EXPECT_EQ(listed(held.entries), listed(read.entries));
  EXPECT_EQ(held.unreadable, read.unreadable);
  EXPECT_EQ(listed(held.entries), (std::vector<std::string>{"  2 - A|A", "  3 - B|B", "  4 - M|M"}));

  // Read ahead, the files are scanned then; a file that changes after is
  // scanned again as it is now, and the entries are handed out once.
  FileStore ahead;
  readAhead(ahead, files);
  EXPECT_EQ(listed(scanFiles(files, &ahead).entries), listed(read.entries));
  readAhead(ahead, files);
  dir.write("a.tdf", "[A]\nid=5;\n");
  EXPECT_FALSE(ahead.takeEntries(files[0]));
  EXPECT_EQ(listed(scanFiles(files, &ahead).entries), (std::vector<std::string>{"  4 - M|M", "  5 - A|A"}));
  EXPECT_FALSE(ahead.takeEntries(files[1]));
}

TEST(ScanTest, ListKeepsSortedOrderIgnoringCase) {
  using Row = std::pair<const char*, const char*>;  // ID text, name
  WeaponList list, batch;
  for (const Row& r : {Row{"45", "b"}, Row{"7", "Z"}, Row{"123", "a"}}) list.append(r.first, r.second);
  for (const Row& r : {Row{"45", "A"}, Row{"7", "z"}, Row{"7", "y"}, Row{"8", "\x8ay"}, Row{"8", "\x9ax"}})
    batch.append(r.first, r.second);
  list.add(std::move(batch));
  std::vector<std::string> texts;
  for (const auto& e : list.entries()) texts.emplace_back(e.text);
  // Equal texts (letter case ignored) keep the order in which they came.
  EXPECT_EQ(texts, (std::vector<std::string>{"  7 - y", "  7 - Z", "  7 - z", "  8 - \x9ax", "  8 - \x8ay", " 45 - A",
                                             " 45 - b", "123 - a"}));

  // A long list is put in order in two halves and merged: the order is the
  // one a stable sort by folded text gives, equal texts across the halves
  // included.
  WeaponList longList;
  std::vector<std::string> expected;
  for (std::size_t i = 0; i < 20000; ++i) {
    const std::string id = std::to_string(i * 7919 % 613);
    const std::string name = std::string(i % 3 == 0 ? "Gun" : "gun") + std::to_string(i * 104729 % 97);
    longList.append(id, name);
    expected.push_back(makeEntry(id, name));
  }
  std::stable_sort(expected.begin(), expected.end(),
                   [](const std::string& a, const std::string& b) { return compareFolded(a, b) < 0; });
  std::vector<std::string> sorted;
  for (const auto& e : longList.entries()) sorted.emplace_back(e.text);
  EXPECT_EQ(sorted, expected);
}

}  // namespace
}  // namespace qm
