// Streams lines from a file through a buffer of a given size: how the
// readers cut lines before they took whole files, kept as a figure in the
// benchmark. A line ends at CR LF, at a lone CR or at a lone LF.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class LineReader {
 public:
  // Streams lines from an open file, `bufferSize` bytes at a time; the reader
  // does not own the file.
  explicit LineReader(std::FILE* file, std::size_t bufferSize = 256 * 1024);

  // The next line, valid until the following call; false at the end.
  bool next(std::string_view& line);
  // True when reading the file failed part way.
  bool failed() const { return failed_; }

 private:
  bool refill();

  std::FILE* file_;
  std::vector<char> buffer_;
  const char* pos_ = nullptr;
  const char* end_ = nullptr;
  std::string carry_;    // a line that runs across buffer refills
  bool skipLF_ = false;  // the last line ended at CR: a following LF belongs to it
  bool failed_ = false;
};

}  // namespace qm
