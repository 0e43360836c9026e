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
  // Many short lines with every kind of end, one line of several buffers,
  // and a CR LF split between two reads at every offset round the boundary.
  std::string bytes;
  std::vector<std::string> expected;
  for (int i = 0; i < 40000; ++i) {
    expected.push_back("\tline=" + std::to_string(i) + std::string(i % 13, 'x'));
    bytes += expected.back() + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\r" : "\n");
  }
  expected.emplace_back(3 * 1024 * 1024 + 7, 'y');
  bytes += expected.back() + "\r\n";
  test::TempDir dir;
  InputFile file(dir.Write("big.tdf", bytes));
  EXPECT_EQ(Lines(file.lines()), expected);

  for (std::size_t at = 256 * 1024 - 2; at <= 256 * 1024 + 1; ++at) {
    InputFile f(dir.Write("edge.tdf", std::string(at, 'a') + "\r\nb"));
    EXPECT_EQ(Lines(f.lines()), (std::vector<std::string>{std::string(at, 'a'), "b"})) << at;
  }
}

}  // namespace
}  // namespace qm
