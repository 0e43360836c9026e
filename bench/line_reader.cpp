#include "line_reader.h"

namespace qm {

namespace {
// One byte at a time, as this reader always did: its figure in the benchmark
// stays comparable with earlier ones.
const char* findLineEndBytewise(const char* p, const char* end) {
  for (; p != end; ++p)
    if (static_cast<unsigned char>(*p) <= '\r' && (*p == '\n' || *p == '\r')) return p;
  return end;
}
}  // namespace

LineReader::LineReader(std::FILE* file, std::size_t bufferSize) : file_(file), buffer_(bufferSize) {
  pos_ = end_ = buffer_.data();
}

bool LineReader::refill() {
  const std::size_t n = std::fread(buffer_.data(), 1, buffer_.size(), file_);
  if (n == 0) {
    if (std::ferror(file_)) failed_ = true;
    return false;
  }
  pos_ = buffer_.data();
  end_ = pos_ + n;
  return true;
}

bool LineReader::next(std::string_view& line) {
  bool spanning = false;  // part of the line is in carry_
  for (;;) {
    if (pos_ == end_ && !refill()) {
      if (!spanning) return false;
      line = carry_;
      return true;
    }
    if (skipLF_) {
      skipLF_ = false;
      if (*pos_ == '\n' && ++pos_ == end_) continue;
    }
    const char* eol = findLineEndBytewise(pos_, end_);
    if (eol == end_) {
      // The line goes on in the next buffer.
      if (!spanning) carry_.clear();
      carry_.append(pos_, eol);
      spanning = true;
      pos_ = end_;
      continue;
    }
    if (spanning) {
      carry_.append(pos_, eol);
      line = carry_;
    } else {
      line = std::string_view(pos_, static_cast<std::size_t>(eol - pos_));
    }
    pos_ = eol + 1;
    if (*eol == '\r') {
      if (pos_ != end_) {
        if (*pos_ == '\n') ++pos_;
      } else {
        skipLF_ = true;
      }
    }
    return true;
  }
}

}  // namespace qm
