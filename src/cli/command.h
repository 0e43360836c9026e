// What every command of quillmark-cli is built from: the context it runs in
// (global options, output streams, the window's state), the usage error, and
// the JSON writer. The list of commands is in cli.cpp.
#pragma once

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "checks/game_check.h"
#include "edit/change.h"
#include "edit/session.h"
#include "presentation/host.h"
#include "presentation/main_window_state.h"

namespace qm {

// A mistake in the command line found while running the command: the
// message and the short usage text go to standard error, the exit status is 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The message box and file dialog of the command line: messages go to
// standard error, the save dialog answers with `savePath`, and the overwrite
// question with `overwrite`.
class CliHost : public Host {
 public:
  explicit CliHost(std::ostream& err) : err_(err) {}

  Answer msgBox(std::string_view text, Buttons buttons) override;
  std::optional<std::filesystem::path> showOpen(const std::filesystem::path&) override { return std::nullopt; }
  std::optional<std::filesystem::path> showSave(const std::filesystem::path&, std::string_view) override {
    return savePath;
  }
  void reportUnreadable(const std::vector<UnreadableFile>& files) override;
  // An import that cannot be read is a warning, as a missing one is.
  void reportImportFailure(const std::vector<UnreadableFile>& files) override { reportUnreadable(files); }

  bool refused = false;  // a message other than a warning was shown
  bool overwrite = false;
  std::optional<std::filesystem::path> savePath;

 private:
  std::ostream& err_;
};

// What a command runs with.
class CommandContext {
 public:
  CommandContext(std::filesystem::path game, std::vector<std::string> imports, std::ostream& out, std::ostream& err)
      : out(out), err(err), game_(std::move(game)), imports_(std::move(imports)), host_(err) {}

  std::ostream& out;
  std::ostream& err;

  // --game (the current directory by default) and the --import paths in order.
  const std::filesystem::path& game() const { return game_; }
  const std::vector<std::string>& imports() const { return imports_; }
  CliHost& host() { return host_; }
  // --all-weapon-files: the list reads every weapon file of the game.
  bool allWeaponFiles = false;

  // The file an --import path names; null, after a warning, when there is
  // none: the command then goes on without it.
  WeaponFilePtr importedFile(const std::string& path);
  // The --import paths that name a file, each missing one warned about.
  std::vector<std::string> importsFound();

  // The window after its start-up scan and the imports; built on the first
  // call. A missing import is skipped with a warning.
  MainWindowState& window();

  // Loads the weapon with the bracket name `name` (weapon bytes) into a
  // window that has no list: a command that needs one weapon does not pay for
  // the scan. The search and every message are those of window() followed by
  // a load by name. After it, window() is that window.
  bool loadWithoutList(std::string_view name);

 private:
  std::filesystem::path game_;
  std::vector<std::string> imports_;
  CliHost host_;
  std::unique_ptr<MainWindowState> window_;
};

// One command. `declare` adds the command's arguments to its CLI11
// subcommand and returns what runs the command once the line is parsed
// (options are bound to storage the returned function owns).
struct Command {
  using Run = std::function<int(CommandContext&)>;
  const char* name;
  const char* synopsis;  // the arguments, for the short usage text
  const char* summary;   // one line for --help
  Run (*declare)(CLI::App& sub);
};

// The weapon commands (weapon_commands.cpp).
Command::Run declareList(CLI::App& sub);
Command::Run declareShow(CLI::App& sub);
Command::Run declareDescribe(CLI::App& sub);
Command::Run declareExport(CLI::App& sub);
// The game checks (game_checks.cpp).
Command::Run declareIds(CLI::App& sub);
Command::Run declareLint(CLI::App& sub);
Command::Run declareRefs(CLI::App& sub);
// The game's archives (archive_command.cpp).
Command::Run declareArchive(CLI::App& sub);
Command::Run declarePack(CLI::App& sub);
Command::Run declareUnpack(CLI::App& sub);
// Editing a weapon in place (set_command.cpp), or with --unit a unit.
Command::Run declareSet(CLI::App& sub);
// What `set` was asked.
struct SetArgs {
  std::string name;
  std::vector<std::string> assignments, removes;
  bool dryRun = false, noBackup = false, breakLinks = false;
  std::optional<std::string> unit;
  std::string engine = "auto";
};
// An argument (UTF-8) in the files' single-byte encoding; nothing, after an
// error, when it holds a character the encoding lacks: it is refused rather
// than written as "?".
std::optional<std::string> argumentBytes(CommandContext& s, const std::string& arg);
// The changes to `target` (bytes) that the KEY=VALUE `assignments` and the
// keys of --remove ask for, made by `rules` (null for a weapon); nothing,
// after an error, when an argument cannot be written in bytes.
std::optional<std::vector<edit::Change>> askedChanges(CommandContext& s, const std::string& target,
                                                      const std::vector<std::string>& assignments,
                                                      const std::vector<std::string>& removes,
                                                      const std::shared_ptr<const edit::BlockRules>& rules = nullptr);
// Prints the step's warnings and notes and each changed file's diff, then
// saves them unless --dry-run: 0, or 1 after the refusal when they cannot be.
int showAndSave(CommandContext& s, edit::Session& session, const edit::Step& step, const SetArgs& a);

// The weapons table (table_commands.cpp).
Command::Run declareTable(CLI::App& sub);
Command::Run declareDiff(CLI::App& sub);

// The units (units_commands.cpp): `units`, `unit`, and the unit forms of
// `table`, `diff` and `set`, which those commands hand over to.
Command::Run declareUnits(CLI::App& sub);
Command::Run declareUnit(CLI::App& sub);
Engine engineNamed(const std::string& name);
// --engine original|later|auto, bound to `engine`.
void addEngineOption(CLI::App& sub, std::string& engine);
int runUnitsTable(CommandContext& s, const std::optional<std::string>& fields, const std::string& format,
                  const std::string& engine);
int runUnitsDiff(CommandContext& s, const std::string& first, const std::string& second, bool asJson,
                 const std::string& engine);
// `set --unit UNIT`: every argument but the options is an assignment.
int runSetUnit(CommandContext& s, const SetArgs& a);

// Writes `value` and a newline: the outer object one member a line, an array
// of objects one element a line, everything else on one line with ", " and
// ": " between items. Strings must be UTF-8.
void writeJson(std::ostream& out, const nlohmann::ordered_json& value);
// Writes `value` on one line, without a newline.
void writeJsonInline(std::ostream& out, const nlohmann::ordered_json& value);

}  // namespace qm
