// Helpers shared by the core tests: temporary game folders and a scripted host.
#pragma once

#include <deque>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "presentation/host.h"

namespace qm::test {

// A folder under the system's temporary folder, removed with everything in it
// when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Writes `bytes` to `relative` (folders are made as needed); returns the path.
  std::filesystem::path Write(const std::filesystem::path& relative, const std::string& bytes) const;

 private:
  std::filesystem::path path_;
};

// Reads a whole file as bytes.
std::string ReadFile(const std::filesystem::path& path);

// A game folder with the eight standard files, each empty unless given by
// its name ("cannons.tdf" ...).
void WriteGame(const TempDir& dir, const std::map<std::string, std::string>& files);

// Records every message and answers from scripts.
class ScriptedHost : public Host {
 public:
  Answer MsgBox(std::string_view text, Buttons buttons) override;
  std::optional<std::string> ShowOpen(const std::string& startPath) override;
  std::optional<std::string> ShowSave(const std::string& startPath) override;
  std::optional<std::size_t> PickFromArchive(const std::string&, const std::vector<std::string>& files) override {
    offered.push_back(files);
    if (picks.empty()) return std::nullopt;
    const auto pick = picks.front();
    picks.pop_front();
    return pick;
  }

  struct Message {
    std::string text;
    Buttons buttons;
  };
  std::vector<Message> messages;
  std::deque<Answer> answers;                      // for OkCancel / YesNo boxes
  std::deque<std::optional<std::string>> paths;    // for the file dialog; nullopt = cancel
  std::deque<std::optional<std::size_t>> picks;    // for the archive's list; nullopt = cancel
  std::vector<std::vector<std::string>> offered;   // what each archive's list showed
};

}  // namespace qm::test
