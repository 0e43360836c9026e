// Cutting lines: CR LF, CR and LF all end a line, in a whole file held in
// memory as the readers take it.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace qm
