#include "catalogue/weapon_file.h"

#include "platform/files.h"

namespace qm {

namespace {

class LooseFile final : public WeaponFile {
 public:
  explicit LooseFile(std::filesystem::path path) : path_(std::move(path)), name_(path_.string()) {}

  const std::string& name() const override { return name_; }
  bool read(std::string& out, std::string& reason) const override {
    return platform::readRegularFile(path_, out, reason);
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

WeaponFilePtr unreadableFile(std::string name, std::string reason) {
  return std::make_shared<FailedFile>(std::move(name), std::move(reason));
}

WeaponFilePtr looseFile(std::filesystem::path path) { return std::make_shared<LooseFile>(std::move(path)); }

}  // namespace qm
