// The message boxes and file dialogs of every test: each message is recorded
// and answered from a script, each file dialog returns the next scripted
// path, each archive's list the next scripted pick. A question with no answer
// left is cancelled (No for a Yes/No box), and so is a dialog with nothing
// left.
#pragma once

#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/path_text.h"
#include "presentation/archive_view.h"
#include "presentation/host.h"

namespace qm::test {

struct ScriptedHost : Host {
  std::vector<std::string> messages;
  std::vector<Buttons> buttons;                   // of each message
  std::deque<Answer> answers;                     // for OkCancel and YesNo boxes
  std::deque<std::optional<std::string>> paths;   // for the file dialogs (UTF-8)
  std::vector<std::string> starts;                // where each file dialog started (UTF-8)
  std::vector<std::string> filters;               // and with which filter
  std::deque<std::optional<std::size_t>> picks;   // for an archive's list of files
  std::vector<std::vector<std::string>> offered;  // what each archive's list showed
  int saveQuestions = 0;                          // how many times a save was put to the user

  Answer msgBox(std::string_view text, Buttons b) override {
    messages.emplace_back(text);
    buttons.push_back(b);
    if (b == Buttons::Ok) return Answer::Ok;
    const Answer none = b == Buttons::YesNo ? Answer::No : Answer::Cancel;
    if (answers.empty()) return none;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  // Asked as the plain message box asks it, so that its text is recorded.
  bool confirmSave(const std::vector<std::pair<std::string, std::string>>& files) override {
    ++saveQuestions;
    return Host::confirmSave(files);
  }
  std::optional<std::filesystem::path> showOpen(const std::filesystem::path& start) override { return showSave(start); }
  std::optional<std::filesystem::path> chooseFolder(const std::filesystem::path& start) override {
    return showSave(start);
  }
  std::optional<std::filesystem::path> showSave(const std::filesystem::path& start,
                                                std::string_view filter = kTdfFilter) override {
    starts.push_back(platform::utf8Of(start));
    filters.emplace_back(filter);
    if (paths.empty()) return std::nullopt;
    const std::optional<std::string> p = paths.front();
    paths.pop_front();
    return p ? std::optional(platform::pathOf(*p)) : std::nullopt;
  }
  std::optional<std::size_t> pickFromArchive(ArchiveView& view) override {
    offered.push_back(view.weaponFiles());
    if (picks.empty()) return std::nullopt;
    const std::optional<std::size_t> pick = picks.front();
    picks.pop_front();
    return pick;
  }
};

}  // namespace qm::test
