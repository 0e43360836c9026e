// Cutting lines: CR LF, CR and LF all end a line, in a whole file held in
// memory as the readers take it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "text/lines.h"

namespace qm {
namespace {

const struct {
  const char* what;
  std::string bytes;
  std::vector<std::string> lines;
} kEnds[] = {
    {"each end, the last line's too", "a\r\nb\nc\rd\r\n", {"a", "b", "c", "d"}},
    {"empty lines kept, LF CR is two ends", "\r\n\r\n\n\r", {"", "", "", ""}},
    {"long lines", std::string(40, 'x') + "\r\n" + std::string(9, 'z'), {std::string(40, 'x'), std::string(9, 'z')}},
};

TEST(LinesTest, EveryLineEnd) {
  for (const auto& c : kEnds) {
    std::vector<std::string> lines;
    BufferLines cut(c.bytes);
    for (std::string_view line; cut.next(line);) lines.emplace_back(line);
    EXPECT_EQ(lines, c.lines) << c.what;
  }
}

// `size` bytes picked from `bytes` at random, the same for the same seed.
std::string randomText(std::uint32_t seed, int size, const std::string& bytes) {
  std::string text;
  for (int i = 0; i < size; ++i) text += bytes[((seed = seed * 1103515245u + 12345u) >> 16) % bytes.size()];
  return text;
}

// The line ends counted sixteen bytes at a time agree with the lines cut one
// by one, at every length of a text long enough for each path of the count:
// a CR LF across two steps, a CR last, more steps than a lane can count.
TEST(LinesTest, CountedLineEndsAgreeWithTheCut) {
  const std::string text = randomText(1, 5000, "\r\nxxxx");
  for (std::size_t n = 0; n <= text.size(); ++n) {
    std::size_t ends = 0;
    BufferLines cut(std::string_view(text).substr(0, n));
    for (std::string_view line; cut.next(line);) ends += line.data() + line.size() != text.data() + n;
    ASSERT_EQ(countLineEnds(text.data(), text.data() + n), ends) << n;
  }
  for (const std::string& same : {std::string(5000, '\n'), std::string(5000, '\r')})
    EXPECT_EQ(countLineEnds(same.data(), same.data() + same.size()), same.size());
}

// Each vector search finds what its byte loop finds, from every start to
// every end of a text where each kind of byte sits at every offset of a
// vector (in the plain build both sides are the loop).
TEST(LinesTest, VectorSearchesAgreeWithTheirByteLoops) {
  const std::string text = randomText(7, 400, "{}[\r\n" + std::string(35, 'x'));
  const char* base = text.data();
  for (std::size_t from = 0; from < 70; ++from)
    for (std::size_t to = from; to <= text.size(); ++to) {
      const char* p = base + from;
      const char* end = base + to;
      ASSERT_EQ(findLineEnd(p, end), findLineEndPlain(p, end)) << from << ' ' << to;
      ASSERT_EQ(countLineEnds(p, end), countLineEndsPlain(p, end)) << from << ' ' << to;
      ASSERT_EQ(findBraceOrBracketSse2(p, end), findBraceOrBracketPlain(p, end)) << from << ' ' << to;
      ASSERT_EQ(findBraceOrBracket(p, end), findBraceOrBracketPlain(p, end)) << from << ' ' << to;
    }
}

}  // namespace
}  // namespace qm
