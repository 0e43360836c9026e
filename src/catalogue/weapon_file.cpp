#include "catalogue/weapon_file.h"

#include <new>
#include <stdexcept>

#include "platform/files.h"

namespace qm {

namespace {

class LooseFile final : public WeaponFile {
 public:
  explicit LooseFile(std::filesystem::path path) : path_(std::move(path)), name_(path_.string()) {}

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
    reason = NoMemoryFor(ec ? 0 : size);
    return false;
  }
  std::filesystem::path diskPath() const override { return path_; }

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

}  // namespace

std::string NoMemoryFor(std::uint64_t bytes) {
  return "not enough memory to hold its " + std::to_string(bytes) + " bytes";
}

WeaponFilePtr unreadableFile(std::string name, std::string reason) {
  return std::make_shared<FailedFile>(std::move(name), std::move(reason));
}

WeaponFilePtr looseFile(std::filesystem::path path) { return std::make_shared<LooseFile>(std::move(path)); }

}  // namespace qm
