// Cutting lines: CR LF, CR and LF all end a line, in a whole file held in
// memory as the readers take it, and streamed whatever the buffer's size.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "test_support.h"
#include "weapon/line_reader.h"

namespace qm {
namespace {

template <typename Reader>
std::vector<std::string> Lines(Reader&& r) {
  std::vector<std::string> out;
  std::string_view line;
  while (r.Next(line)) out.emplace_back(line);
  return out;
}

const struct {
  const char* what;
  std::string bytes;
  std::vector<std::string> lines;
} kEnds[] = {
    {"each end, the last line's too", "a\r\nb\nc\rd\r\n", {"a", "b", "c", "d"}},
    {"empty lines kept, LF CR is two ends", "\r\n\r\n\n\r", {"", "", "", ""}},
    {"long lines", std::string(40, 'x') + "\r\n" + std::string(9, 'z'), {std::string(40, 'x'), std::string(9, 'z')}},
};

// Every case in memory, then streamed through buffers of one byte up to
// more than the whole input, so that every terminator, CR LF pairs
// included, falls on every buffer boundary.
TEST(LineReaderTest, LineEndsInMemoryAndAcrossBufferBoundaries) {
  test::TempDir dir;
  for (const auto& c : kEnds) {
    EXPECT_EQ(Lines(BufferLines(c.bytes)), c.lines) << c.what;
    const auto path = dir.Write("f.tdf", c.bytes);
    for (std::size_t size = 1; size <= c.bytes.size() + 1; ++size) {
      std::FILE* f = std::fopen(path.string().c_str(), "rb");
      ASSERT_NE(f, nullptr);
      LineReader streamed(f, size);
      EXPECT_EQ(Lines(streamed), c.lines) << c.what << ", buffer of " << size;
      EXPECT_FALSE(streamed.Failed());
      std::fclose(f);
    }
  }
}

}  // namespace
}  // namespace qm
