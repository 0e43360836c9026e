#include "catalogue/weapon_file.h"

#include <cstring>
#include <new>
#include <stdexcept>

#include "platform/files.h"
#include "platform/path_text.h"

namespace qm {

void PieceBuffer::grow(std::size_t keep) {
  std::unique_ptr<char[]> bigger(new char[size_ * 2]);
  std::memcpy(bigger.get(), data_.get(), keep);
  data_ = std::move(bigger);
  size_ *= 2;
}

bool readLinePieces(PieceBuffer& buffer, const ReadSome& readSome, const TakePiece& take, std::string& reason) {
  std::size_t kept = 0;  // the start of a line not yet ended, at the buffer's start
  for (;;) {
    if (kept == buffer.size()) buffer.grow(kept);
    char* data = buffer.data();
    const std::ptrdiff_t got = readSome(data + kept, buffer.size() - kept, reason);
    if (got < 0) return false;
    if (got == 0) {
      if (kept != 0) take(std::string_view(data, kept));
      return true;
    }
    const std::size_t end = kept + static_cast<std::size_t>(got);
    // The piece ends after the last line end, unless that is a CR in the last
    // byte, whose LF may be still to come. The kept bytes hold no line end
    // but such a CR in their last byte, so the search stops there.
    const std::size_t stop = kept == 0 ? 0 : kept - 1;
    std::size_t cut = end;
    while (cut > stop && !(data[cut - 1] == '\n' || (data[cut - 1] == '\r' && cut != end))) --cut;
    if (cut == stop) {
      kept = end;
      continue;
    }
    take(std::string_view(data, cut));
    std::memmove(data, data + cut, end - cut);
    kept = end - cut;
  }
}

bool WeaponFile::readInPieces(PieceBuffer&, const TakePiece& take, std::string& reason) const {
  std::string bytes;
  if (!read(bytes, reason)) return false;
  if (!bytes.empty()) take(bytes);
  return true;
}

bool WeaponFile::hold(platform::HeldFile& out, std::string& reason) const {
  std::string bytes;
  if (!read(bytes, reason)) return false;
  out = platform::HeldFile(bytes);
  return true;
}

namespace {

class LooseFile final : public WeaponFile {
 public:
  explicit LooseFile(std::filesystem::path path) : path_(std::move(path)), name_(platform::utf8Of(path_)) {}

  const std::string& name() const override { return name_; }
  bool read(std::string& out, std::string& reason) const override {
    try {
      return platform::readRegularFile(path_, out, reason, kLargestWeaponFile, kMsgFileTooLarge);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path_, ec);
    std::string().swap(out);
    reason = noMemoryFor(ec ? 0 : size);
    return false;
  }
  std::filesystem::path diskPath() const override { return path_; }
  std::string sourceKey() const override { return "file:" + name_; }
  bool hold(platform::HeldFile& out, std::string& reason) const override {
    try {
      // Stamped before it is read: a change while it is read shows later.
      const auto stamp = platform::HeldFile::stampOf(path_);
      if (!platform::HeldFile::hold(path_, out, reason, kLargestWeaponFile, kMsgFileTooLarge)) return false;
      out.stamp = stamp;
      return true;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path_, ec);
    reason = noMemoryFor(ec ? 0 : size);
    return false;
  }
  bool stillHolds(const platform::HeldFile& held) const override {
    return held.stamp && held.stamp == platform::HeldFile::stampOf(path_);
  }
  bool readInPieces(PieceBuffer& buffer, const TakePiece& take, std::string& reason) const override {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(platform::openRegularFile(path_, reason), std::fclose);
    if (!file) return false;
    // No weapon file is larger than kLargestWeaponFile: past it the file is
    // refused, as a whole read refuses it.
    std::uint64_t total = 0;
    const ReadSome readSome = [f = file.get(), &total](char* out, std::size_t n, std::string& why) -> std::ptrdiff_t {
      const std::ptrdiff_t got = platform::readSome(f, out, n, why);
      if (got > 0 && (total += static_cast<std::uint64_t>(got)) > kLargestWeaponFile) {
        why = kMsgFileTooLarge;
        return -1;
      }
      return got;
    };
    return readLinePieces(buffer, readSome, take, reason);
  }

 private:
  std::filesystem::path path_;
  std::string name_;
};

class FailedFile final : public WeaponFile {
 public:
  FailedFile(std::string name, std::string reason) : name_(std::move(name)), reason_(std::move(reason)) {}
  const std::string& name() const override { return name_; }
  bool read(std::string&, std::string& reason) const override {
    reason = reason_;
    return false;
  }

 private:
  std::string name_, reason_;
};

class MemoryFile final : public WeaponFile {
 public:
  MemoryFile(std::string name, std::string bytes, std::filesystem::path path)
      : name_(std::move(name)), bytes_(std::move(bytes)), path_(std::move(path)) {}
  const std::string& name() const override { return name_; }
  bool read(std::string& out, std::string&) const override {
    out.assign(bytes_);
    return true;
  }
  std::filesystem::path diskPath() const override { return path_; }

 private:
  std::string name_, bytes_;
  std::filesystem::path path_;
};

}  // namespace

WeaponFilePtr memoryFile(std::string name, std::string bytes, std::filesystem::path diskPath) {
  return std::make_shared<MemoryFile>(std::move(name), std::move(bytes), std::move(diskPath));
}

std::string noMemoryFor(std::uint64_t bytes) {
  return "not enough memory to hold its " + std::to_string(bytes) + " bytes";
}

WeaponFilePtr unreadableFile(std::string name, std::string reason) {
  return std::make_shared<FailedFile>(std::move(name), std::move(reason));
}

WeaponFilePtr looseFile(std::filesystem::path path) { return std::make_shared<LooseFile>(std::move(path)); }

}  // namespace qm
