// Sequential line input over a file or a buffer. A line ends at CR LF, at a
// lone CR or at a lone LF; the terminator is not part of the line. A last
// line without a terminator is still a line. Bytes are passed through as they
// are.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class LineReader {
 public:
  // Reads lines from a buffer that outlives the reader.
  explicit LineReader(std::string_view data);
  // Streams lines from an open file; the reader does not own it.
  explicit LineReader(std::FILE* file);

  // The next line, valid until the following call; false at the end.
  bool Next(std::string_view& line);
  // True when reading the file failed part way.
  bool Failed() const { return failed_; }

 private:
  bool Refill();

  std::FILE* file_ = nullptr;
  std::vector<char> buffer_;
  const char* pos_ = nullptr;
  const char* end_ = nullptr;
  std::string carry_;  // a line that runs across buffer refills
  bool skipLF_ = false;  // the last line ended at CR: a following LF belongs to it
  bool failed_ = false;
};

// A weapon file opened for sequential input; closed when it goes away.
class InputFile {
 public:
  // Opens a regular file for reading (not a folder, pipe or device); check ok().
  explicit InputFile(const std::filesystem::path& path);
  bool ok() const { return file_ != nullptr; }
  LineReader& lines() { return *reader_; }

 private:
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
  std::unique_ptr<LineReader> reader_;
};

// Opens each file in turn and hands its lines to `read`; returns the files
// that could not be opened or not be read to the end.
template <class Read>
std::vector<std::filesystem::path> ReadEach(const std::vector<std::filesystem::path>& files, Read read) {
  std::vector<std::filesystem::path> unreadable;
  for (const auto& path : files) {
    InputFile file(path);
    if (file.ok()) read(file.lines());
    if (!file.ok() || file.lines().Failed()) unreadable.push_back(path);
  }
  return unreadable;
}

}  // namespace qm
