// Every unit file of the corpus of real mods: read with every key the game
// reads, in order, and edited losslessly.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <regex>

#include "platform/path_text.h"
#include "test_support.h"
#include "text/text.h"
#include "unit/unit_edit.h"
#include "unit/unit_file.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> corpusUnitFiles() {
  std::vector<fs::path> out;
  for (const auto& e : fs::recursive_directory_iterator(QM_CORPUS_DIR))
    if (e.is_regular_file() && toLower(platform::utf8Of(e.path().extension())) == ".fbi") out.push_back(e.path());
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<std::string> linesOf(const std::string& bytes) {
  std::vector<std::string> out;
  std::size_t at = 0;
  while (at <= bytes.size()) {
    const std::size_t end = bytes.find('\n', at);
    out.push_back(bytes.substr(at, end == std::string::npos ? std::string::npos : end - at));
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return out;
}

std::string_view trimSpace(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

struct Expected {
  std::string key, value;
  int line;
};

// What the game reads, found another way: line by line, the key lines that
// hold a whole "KEY=VALUE;" outside comments, a header line opening a block
// inside [UNITINFO]; the later line of a key counts. Also counts the lines
// that start a value running on to later lines.
std::map<std::string, Expected> keyLines(const std::string& bytes, int& spanning) {
  static const std::regex keyLine(R"(^[ \t]*([A-Za-z0-9_]+)[ \t]*=[ \t]*([^;]*?)[ \t]*;)");
  static const std::regex openLine(R"(^[ \t]*([A-Za-z0-9_]+)[ \t]*=[^;]*$)");
  static const std::regex header(R"(^[ \t]*\[([^\]]*)\].*$)");
  std::map<std::string, Expected> out;
  std::vector<std::string> blocks;
  int depth = 0, line = 0;
  spanning = 0;
  bool inValue = false;
  Expected* open = nullptr;  // the value running on
  for (std::string text : linesOf(bytes)) {
    ++line;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    const std::string trimmed(trimBlanks(text));
    if (trimmed.starts_with("//")) continue;
    std::smatch m;
    if (inValue) {
      const std::size_t semicolon = text.find(';');
      open->value += "\n" + text.substr(0, semicolon);
      inValue = semicolon == std::string::npos;
      if (!inValue) open->value = std::string(trimSpace(open->value));
      continue;
    }
    if (std::regex_search(text, m, keyLine)) {
      // One statement after another on the line.
      for (std::string rest = text; std::regex_search(rest, m, keyLine); rest = m.suffix()) {
        if (depth < 1) continue;
        std::string key = m[1];
        for (std::size_t i = std::min(blocks.size(), static_cast<std::size_t>(depth)); i-- > 1;)
          key = blocks[i] + "." + key;
        out[toLower(key)] = {key, m[2], line};
      }
      continue;
    }
    if (std::regex_match(text, m, openLine)) {
      ++spanning;
      inValue = true;
      open = &out[toLower(m[1].str())];
      *open = {m[1], text.substr(text.find('=') + 1), line};
      continue;
    }
    if (std::regex_match(text, m, header)) {
      if (depth == static_cast<int>(blocks.size())) blocks.push_back(m[1]);
      blocks.resize(static_cast<std::size_t>(depth) + 1);
      blocks.back() = m[1];
    }
    const std::string code = text.substr(0, text.find("//"));
    for (char c : code) {
      if (c == '{') ++depth;
      if (c == '}') depth = std::max(0, depth - 1);
    }
  }
  return out;
}

TEST(UnitCorpusTest, EveryKeyTheGameReadsInOrder) {
  if (!fs::exists(QM_CORPUS_DIR)) GTEST_SKIP() << "no corpus at " << QM_CORPUS_DIR;
  const auto files = corpusUnitFiles();
  ASSERT_GT(files.size(), 2000u);
  int spannedAll = 0;
  for (const fs::path& path : files) {
    const std::string bytes = test::readFile(path);
    const UnitFile unit(bytes);
    ASSERT_TRUE(unit.hasUnitInfo()) << path;
    int spanning = 0;
    const auto expected = keyLines(bytes, spanning);
    const auto values = unit.values();
    for (const auto& [folded, e] : expected) {
      const UnitEntry* read = unit.find(e.key);
      ASSERT_TRUE(read) << path << ": " << e.key;
      std::string value(read->value);
      std::erase(value, '\r');
      EXPECT_EQ(value, e.value) << path << ": " << e.key;
      EXPECT_EQ(read->line, e.line) << path << ": " << e.key;
    }
    EXPECT_EQ(values.size(), expected.size()) << path;
    spannedAll += spanning;
    for (std::size_t i = 1; i < values.size(); ++i) EXPECT_LT(values[i - 1]->keyAt, values[i]->keyAt) << path;
  }
  // The YardMap values over several lines of two mods.
  EXPECT_EQ(spannedAll, 38);
}

// Setting each key to its own value gives the file back byte for byte; a
// new value changes that key's line and no other.
TEST(UnitCorpusTest, EditsAreLossless) {
  if (!fs::exists(QM_CORPUS_DIR)) GTEST_SKIP() << "no corpus at " << QM_CORPUS_DIR;
  std::size_t entries = 0;
  for (const fs::path& path : corpusUnitFiles()) {
    const std::string bytes = test::readFile(path);
    const UnitFile unit(bytes);
    const auto lines = linesOf(bytes);
    for (const UnitEntry* e : unit.values()) {
      if (!test::inDepth(entries++)) continue;
      std::string copy = bytes;
      std::vector<edit::Splice> done;
      ASSERT_FALSE(
          applyUnitChange(copy, {edit::Change::Kind::Set, "U", std::string(e->key), std::string(e->value)}, done));
      ASSERT_EQ(copy, bytes) << path << ": " << e->key;
      if (e->value.find('\n') != std::string_view::npos) continue;
      ASSERT_FALSE(applyUnitChange(copy, {edit::Change::Kind::Set, "U", std::string(e->key), "Quill_1"}, done));
      const auto after = linesOf(copy);
      ASSERT_EQ(after.size(), lines.size()) << path << ": " << e->key;
      for (std::size_t i = 0; i < lines.size(); ++i)
        if (static_cast<int>(i) + 1 != e->line) {
          ASSERT_EQ(after[i], lines[i]) << path << ": " << e->key;
        }
      ASSERT_EQ(UnitFile(copy).value(e->key), "Quill_1") << path << ": " << e->key;
    }
  }
}

}  // namespace
}  // namespace qm
