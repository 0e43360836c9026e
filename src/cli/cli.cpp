// quillmark-cli: the command line, its global options and its commands.
//
// To add a command FOO:
//  1. write `Command::Run declareFoo(CLI::App& sub)` (in its own file, declared
//     in command.h): it adds FOO's arguments to `sub`, binding them to a
//     struct it owns, and returns a function `int(CommandContext&)` that runs FOO and
//     returns the exit status (throw UsageError for a bad argument found late);
//  2. add one row to kCommands below: name, synopsis, summary, declareFoo.
// Parsing, --help, the short usage text and the exit statuses come from here.
#include "cli/cli.h"

#include <algorithm>
#include <cstdlib>

#include "catalogue/file_store.h"
#include "catalogue/game_files.h"
#include "catalogue/scan.h"
#include "cli/command.h"
#include "platform/path_text.h"
#include "text/text.h"

#ifndef QM_VERSION
#define QM_VERSION "unknown"
#endif

namespace qm {

namespace {

const Command kCommands[] = {
    {"list", "", "Prints the weapon list and the count line", declareList},
    {"show", "NAME|--index N [--actual] [--json]", "Prints a weapon as the window shows it", declareShow},
    {"describe", "FIELD", "Prints the key and the description of field FIELD (1 to 66)", declareDescribe},
    {"export", "NAME --actual-name N1 --name N2 --id ID --out FILE [--overwrite]",
     "Writes a weapon as a new weapon file", declareExport},
    {"ids", "[--json]", "Prints the weapon ID census of the whole game", declareIds},
    {"lint", "[FILE]... [--engine E] [--only|--disable CHECK,...] [--errors] [--list-checks] [--json]",
     "Checks weapon files as the game reads them", declareLint},
    {"refs", "NAME [--json]", "Prints the units that name weapon NAME", declareRefs},
    {"set", "NAME|--unit NAME [KEY=VALUE]... [--remove KEY]... [--dry-run] [--no-backup] [--engine E]",
     "Changes values of a weapon (or a unit) in its file, and nothing else", declareSet},
    {"archive", "FILE [PATH]", "Lists the files of a game archive, or unpacks one to standard output", declareArchive},
    {"pack", "FOLDER OUT | --changes OUT [--level N | --lz77 | --store] [--overwrite]",
     "Writes a game archive of a folder's files, or of the game's loose overrides", declarePack},
    {"unpack", "ARCHIVE DIR [PATH]... [--overwrite]", "Writes the files of a game archive under a folder",
     declareUnpack},
    {"table", "[--units] [--fields LIST] [--viewing] [--format tsv|csv|json] [--engine E]",
     "Prints every listed weapon (or every unit) as one table row", declareTable},
    {"diff", "[--units] NAME1 NAME2 [--json] [--engine E]", "Prints the fields in which two weapons (or units) differ",
     declareDiff},
    {"units", "[--json] [--engine E]", "Prints every unit of the game", declareUnits},
    {"unit", "NAME [--json] [--engine E]", "Prints a unit's keys and its weapons", declareUnit},
};

std::string shortUsage() {
  std::string usage =
      "usage: quillmark-cli [--game DIR] [--import FILE]... [--all-weapon-files] COMMAND [ARGS]\ncommands:\n";
  for (const Command& c : kCommands) {
    usage += "  ";
    usage += c.name;
    if (*c.synopsis) usage += std::string(" ") + c.synopsis;
    usage += '\n';
  }
  return usage;
}

int usageError(std::ostream& err, const std::string& message) {
  err << "quillmark-cli: " << message << '\n' << shortUsage();
  return 2;
}

}  // namespace

Answer CliHost::msgBox(std::string_view text, Buttons buttons) {
  err_ << text << '\n';
  refused = true;
  if (buttons == Buttons::YesNo) return overwrite ? (refused = false, Answer::Yes) : Answer::No;
  return buttons == Buttons::OkCancel ? Answer::Cancel : Answer::Ok;
}

void CliHost::reportUnreadable(const std::vector<UnreadableFile>& files) {
  for (const auto& f : files) err_ << "warning: cannot read weapon file " << f.name << ": " << f.reason << '\n';
}

MainWindowState& CommandContext::window() {
  if (window_) return *window_;
  window_ = std::make_unique<MainWindowState>(game_, host_);
  window_->setAllWeaponFiles(allWeaponFiles);
  // A command reads each file from disk once: the files are read side by
  // side first, and kept for the scans and whatever the command reads next.
  window_->setFileStore(std::make_shared<FileStore>());
  window_->readAhead(imports_);
  window_->rebuildList();
  window_->addImports(importsFound());
  return *window_;
}

WeaponFilePtr CommandContext::importedFile(const std::string& path) {
  WeaponFilePtr file = namedWeaponFile(path);
  if (!file) err << "warning: no file at " << path << ", not imported\n";
  return file;
}

std::vector<std::string> CommandContext::importsFound() {
  std::vector<std::string> found;
  for (const std::string& path : imports_)
    if (importedFile(path)) found.push_back(path);
  return found;
}

bool CommandContext::loadWithoutList(std::string_view name) {
  window_ = std::make_unique<MainWindowState>(game_, host_);
  window_->setAllWeaponFiles(allWeaponFiles);
  CurrentWeapon weapon = window_->weapon();
  bool damageCarry = false;
  // The standard files first, then each import in its turn, so that the
  // warnings come in the order the start-up scan and the imports give them.
  bool found = false;
  const auto search = [&](const std::vector<WeaponFilePtr>& files, std::vector<UnreadableFile> unreadable) {
    const LoadOutcome outcome = loadWeapon(name, files, weapon, damageCarry);
    found = found || outcome.found;
    unreadable.insert(unreadable.end(), outcome.unreadable.begin(), outcome.unreadable.end());
    if (!unreadable.empty()) host_.reportUnreadable(unreadable);
  };
  // Damaged archives are named with the standard files, as the scan does.
  search(window_->searchList(), window_->gameFiles().damagedArchives());
  for (const std::string& path : imports_)
    if (const WeaponFilePtr file = importedFile(path)) search({file}, {});
  if (!found) {
    host_.msgBox(kMsgNotFound, Buttons::Ok);
    return false;
  }
  window_->showFound(std::move(weapon), damageCarry);
  return true;
}

namespace {

// Strings with the usual escapes; bytes that are not UTF-8 become U+FFFD
// rather than ending the program.
std::string jsonScalar(const nlohmann::ordered_json& v) {
  return v.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace

void writeJsonInline(std::ostream& out, const nlohmann::ordered_json& v) {
  if (v.is_object()) {
    out << '{';
    const char* sep = "";
    for (const auto& [key, item] : v.items()) {
      out << sep << jsonScalar(key) << ": ";
      writeJsonInline(out, item);
      sep = ", ";
    }
    out << '}';
  } else if (v.is_array()) {
    out << '[';
    const char* sep = "";
    for (const auto& item : v) {
      out << sep;
      writeJsonInline(out, item);
      sep = ", ";
    }
    out << ']';
  } else {
    out << jsonScalar(v);
  }
}

namespace {

void writeMember(std::ostream& out, const nlohmann::ordered_json& v) {
  const bool ofObjects =
      v.is_array() && !v.empty() && std::all_of(v.begin(), v.end(), [](const auto& item) { return item.is_object(); });
  if (!ofObjects) return writeJsonInline(out, v);
  out << "[\n";
  for (std::size_t i = 0; i < v.size(); ++i) {
    out << "    ";
    writeJsonInline(out, v[i]);
    out << (i + 1 < v.size() ? ",\n" : "\n");
  }
  out << "  ]";
}

}  // namespace

void writeJson(std::ostream& out, const nlohmann::ordered_json& value) {
  if (!value.is_object() || value.empty()) {
    writeJsonInline(out, value);
    out << '\n';
    return;
  }
  out << "{\n";
  std::size_t i = 0;
  for (const auto& [key, item] : value.items()) {
    out << "  " << jsonScalar(key) << ": ";
    writeMember(out, item);
    out << (++i < value.size() ? ",\n" : "\n");
  }
  out << "}\n";
}

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool endProcess) {
  CLI::App app("Reads, shows and exports the weapons of a game's TDF files.", "quillmark-cli");
  app.allow_windows_style_options(false);
  app.require_subcommand(0, 1);
  app.set_version_flag("--version", "quillmark-cli " QM_VERSION);

  std::string game = ".";
  std::vector<std::string> imports;
  app.add_option("--game", game, "The game folder, the one that holds weapons/ (default: the current folder)")
      ->type_name("DIR")
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.add_option("--import", imports, "An extra weapon file, as the import button adds it; at most 15")
      ->type_name("FILE")
      ->allow_extra_args(false);
  bool allWeaponFiles = false;
  app.add_flag("--all-weapon-files", allWeaponFiles,
               "List every weapon file of the game's weapons folder, not only the eight standard ones");

  std::vector<std::pair<CLI::App*, Command::Run>> runs;
  for (const Command& c : kCommands) {
    CLI::App* sub = app.add_subcommand(c.name, c.summary);
    sub->fallthrough();  // global options may also follow the command
    runs.emplace_back(sub, c.declare(*sub));
  }

  try {
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    app.parse(reversed);
  } catch (const CLI::Success& e) {
    return app.exit(e, out, err);
  } catch (const CLI::ParseError& e) {
    if (app.get_subcommands().empty() && !app.remaining().empty())
      return usageError(err, "unknown command " + app.remaining().front());
    return usageError(err, e.what());
  }
  if (imports.size() > static_cast<std::size_t>(kImportSlots))
    return usageError(err, "at most 15 files can be imported");

  CommandContext context(platform::pathOf(game), imports, out, err);
  context.allWeaponFiles = allWeaponFiles;
  for (auto& [sub, run] : runs) {
    if (!sub->parsed()) continue;
    int status;
    try {
      status = run(context);
    } catch (const UsageError& e) {
      return usageError(err, e.what());
    }
    if (endProcess) {
      out.flush();
      err.flush();
      std::_Exit(status);
    }
    return status;
  }
  return usageError(err, "no command given");
}

}  // namespace qm
