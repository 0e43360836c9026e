// Cutting lines: CR LF, CR and LF all end a line, in memory and from files of
// any size.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"
#include "weapon/line_reader.h"

namespace qm {
namespace {

std::vector<std::string> Lines(LineReader& r) {
  std::vector<std::string> out;
  std::string_view line;
  while (r.Next(line)) out.emplace_back(line);
  return out;
}

struct EndsCase {
  const char* what;
  std::string bytes;
  std::vector<std::string> lines;
};

const EndsCase kEnds[] = {
    {"CR LF", "a\r\nb\r\n", {"a", "b"}},
    {"CR only", "a\rb\r", {"a", "b"}},
    {"LF only", "a\nb\n", {"a", "b"}},
    {"mixed", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
    {"no final terminator", "a\r\nb", {"a", "b"}},
    {"empty lines kept", "\r\n\r\n\n\r", {"", "", "", ""}},
    {"LF CR is two ends", "a\n\rb", {"a", "", "b"}},
    {"empty input", "", {}},
    {"bytes pass through", std::string("\0\xff\x81 x", 5), {std::string("\0\xff\x81 x", 5)}},
};

TEST(LineReaderTest, LineEndsInMemoryAndFromFiles) {
  test::TempDir dir;
  for (const EndsCase& c : kEnds) {
    LineReader mem(c.bytes);
    EXPECT_EQ(Lines(mem), c.lines) << c.what;
    InputFile file(dir.Write("f.tdf", c.bytes));
    ASSERT_TRUE(file.ok());
    EXPECT_EQ(Lines(file.lines()), c.lines) << c.what << " (file)";
  }
}

TEST(LineReaderTest, LinesAcrossBufferRefills) {
  // Lines that straddle the reader's buffer, a CR LF split between two reads,
  // and one very long line.
  std::string bytes;
  std::vector<std::string> expected;
  for (int i = 0; i < 40000; ++i) {
    std::string line = "\tline=" + std::to_string(i) + std::string(i % 13, 'x');
    expected.push_back(line);
    bytes += line + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\r" : "\n");
  }
  const std::string big(3 * 1024 * 1024 + 7, 'y');
  bytes += big + "\r\n";
  expected.push_back(big);
  for (std::size_t pad = 0; pad < 3; ++pad) {
    // Shift everything so that CR LF pairs land on the refill boundary.
    std::string shifted = std::string(pad, 'p') + "\r\n" + bytes;
    std::vector<std::string> want = {std::string(pad, 'p')};
    want.insert(want.end(), expected.begin(), expected.end());
    test::TempDir dir;
    InputFile file(dir.Write("big.tdf", shifted));
    ASSERT_TRUE(file.ok());
    EXPECT_EQ(Lines(file.lines()), want);
  }
}

TEST(LineReaderTest, CrLfOnTheBufferBoundary) {
  for (std::size_t at = 256 * 1024 - 2; at <= 256 * 1024 + 1; ++at) {
    std::string bytes(at, 'a');
    bytes += "\r\nb";
    test::TempDir dir;
    InputFile file(dir.Write("f.tdf", bytes));
    EXPECT_EQ(Lines(file.lines()), (std::vector<std::string>{std::string(at, 'a'), "b"})) << at;
  }
}

TEST(LineReaderTest, OnlyRegularFilesOpen) {
  test::TempDir dir;
  std::filesystem::create_directories(dir.path() / "folder.tdf");
  EXPECT_FALSE(InputFile(dir.path() / "folder.tdf").ok());
  EXPECT_FALSE(InputFile(dir.path() / "missing.tdf").ok());
  EXPECT_TRUE(InputFile(dir.Write("empty.tdf", "")).ok());
}

}  // namespace
}  // namespace qm
