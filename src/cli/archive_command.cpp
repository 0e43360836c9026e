// The game's archives: `archive` lists one or unpacks a file of it to
// standard output, `pack` writes one, `unpack` writes its files to a folder.
#include <filesystem>
#include <memory>
#include <optional>

#include "archive/archive.h"
#include "archive/archive_writer.h"
#include "archive/extract.h"
#include "catalogue/game_files.h"
#include "catalogue/overrides.h"
#include "cli/command.h"
#include "platform/files.h"
#include "platform/path_text.h"
#include "text/text.h"

namespace qm {

namespace {

namespace fs = std::filesystem;

// Whether `inner` lies inside `outer` (both made absolute, links resolved as
// far as they exist).
bool liesInside(const fs::path& inner, const fs::path& outer) {
  std::error_code ec;
  const fs::path rel = fs::weakly_canonical(inner, ec).lexically_relative(fs::weakly_canonical(outer, ec));
  return !ec && !rel.empty() && *rel.begin() != "..";
}

std::string existsRefusal(const fs::path& path) {
  return platform::utf8Of(path) + ": exists (--overwrite replaces it)";
}

struct PackArgs {
  std::vector<std::string> paths;
  bool changes = false, lz77 = false, store = false, overwrite = false;
  int level = kDefaultPackLevel;
};

// The game folder's loose files that override its archives' files, after a
// warning for each damaged archive; nothing, after an error, when there are none.
std::optional<std::vector<PackInput>> overridingFiles(CommandContext& context, const GameFiles& game) {
  for (const UnreadableFile& f : game.damagedArchives())
    context.err << "warning: cannot read archive " << f.name << ": " << f.reason << '\n';
  std::vector<PackInput> inputs;
  for (Override& o : gameOverrides(game)) inputs.push_back({std::move(o.inner), std::move(o.loose), std::nullopt});
  if (inputs.empty()) {
    context.err << platform::utf8Of(context.game()) << ": no loose file overrides a file of the game's archives\n";
    return std::nullopt;
  }
  return inputs;
}

// The files of `folder`; nothing, after an error, when they cannot be packed
// into `out`.
std::optional<std::vector<PackInput>> folderFiles(CommandContext& context, const fs::path& folder,
                                                  const fs::path& out) {
  if (liesInside(out, folder)) {
    context.err << platform::utf8Of(out) << ": lies inside " << platform::utf8Of(folder) << ", which it would pack\n";
    return std::nullopt;
  }
  std::vector<PackInput> inputs;
  if (auto refusal = filesToPack(folder, inputs)) {
    context.err << *refusal << '\n';
    return std::nullopt;
  }
  return inputs;
}

// Where the game reads each packed file once the archive `out` lies in its
// folder, with a warning when an archive searched before it shadows some.
void printReadFrom(CommandContext& context, const GameFiles& game, const PackOutcome& packed, const fs::path& out) {
  const std::string name = platform::utf8Of(out.filename());
  std::size_t shadowed = 0;
  context.out << "Read by the game once " << name << " lies in the game folder and the loose copies are gone:\n";
  for (const PackedFile& f : packed.files) {
    const std::string from = readFrom(game, f.path, name);
    shadowed += from != name;
    context.out << listedPath(f.path) << '\t' << from << '\n';
  }
  if (shadowed)
    context.err << "warning: " << shadowed << " of " << packed.files.size()
                << " files would be read from an archive searched before " << name << '\n';
}

int runPack(CommandContext& context, const PackArgs& a) {
  if (a.paths.size() != (a.changes ? 1u : 2u))
    throw UsageError(a.changes ? "pack --changes takes only OUT" : "pack takes FOLDER and OUT");
  const fs::path out = platform::pathOf(a.paths.back());
  std::error_code ec;
  if (!a.overwrite && fs::exists(fs::symlink_status(out, ec))) {
    context.err << existsRefusal(out) << '\n';
    return 1;
  }
  std::optional<GameFiles> game;
  if (a.changes) game.emplace(context.game());
  std::optional<std::vector<PackInput>> inputs =
      game ? overridingFiles(context, *game) : folderFiles(context, platform::pathOf(a.paths.front()), out);
  if (!inputs) return 1;
  PackOptions options;
  options.method = a.store ? PackMethod::Stored : a.lz77 ? PackMethod::Lz77 : PackMethod::Zlib;
  options.level = a.level;
  const PackOutcome packed = packArchive(out, std::move(*inputs), options);
  if (packed.failure) {
    context.err << platform::utf8Of(out) << ": " << *packed.failure << "; nothing written\n";
    return 1;
  }
  for (const PackedFile& f : packed.files)
    context.out << f.size << '\t' << f.stored << '\t' << listedPath(f.path) << '\n';
  context.out << packed.files.size() << " files, " << packed.bytesIn << " bytes in, " << packed.bytesOut
              << " bytes out\n";
  if (game) printReadFrom(context, *game, packed, out);
  return 0;
}

}  // namespace

Command::Run declarePack(CLI::App& sub) {
  auto a = std::make_shared<PackArgs>();
  sub.add_option("FOLDER OUT", a->paths, "The folder to pack and the archive to write (only OUT with --changes)")
      ->type_name("PATH")
      ->required();
  sub.add_flag("--changes", a->changes, "Pack the game folder's loose files that override its archives");
  CLI::Option* level = sub.add_option("--level", a->level, "zlib level, 1 to 12 (default 6)")
                           ->type_name("N")
                           ->check(CLI::Range(kLeastPackLevel, kMostPackLevel));
  CLI::Option* lz77 = sub.add_flag("--lz77", a->lz77, "Pack in the game's LZ77");
  CLI::Option* store = sub.add_flag("--store", a->store, "Store the files as they are");
  level->excludes(lz77)->excludes(store);
  lz77->excludes(store);
  sub.add_flag("--overwrite", a->overwrite, "Replace OUT when it exists");
  return [a](CommandContext& context) { return runPack(context, *a); };
}

Command::Run declareUnpack(CLI::App& sub) {
  struct Args {
    std::string archive, dir;
    std::vector<std::string> paths;
    bool overwrite = false;
  };
  auto a = std::make_shared<Args>();
  sub.add_option("ARCHIVE", a->archive, "The archive (" + archiveExtensionList(", ") + ")")
      ->type_name("ARCHIVE")
      ->required();
  sub.add_option("DIR", a->dir, "The folder to write its files under")->type_name("DIR")->required();
  sub.add_option("PATH", a->paths, "Only these files inside it, letter case ignored")->type_name("PATH");
  sub.add_flag("--overwrite", a->overwrite, "Replace files that exist");
  return [a](CommandContext& context) {
    std::string reason;
    const auto archive = Archive::open(platform::pathOf(a->archive), reason);
    if (!archive) {
      context.err << a->archive << ": " << reason << '\n';
      return 1;
    }
    std::vector<const ArchiveMember*> chosen;
    for (const std::string& path : a->paths)
      if (const ArchiveMember* m = archive->find(utf8ToCp1252(path)))
        chosen.push_back(m);
      else
        return context.err << a->archive << ": no file " << path << " inside\n", 1;
    if (a->paths.empty())
      for (const ArchiveMember& m : archive->members()) chosen.push_back(&m);
    // Every target is checked before any is written.
    const std::vector<ExtractTarget> targets = extractTargets(chosen, platform::pathOf(a->dir));
    bool refused = false;
    for (const ExtractTarget& t : targets) {
      if (t.leaves)
        context.err << a->archive << ": " << listedPath(t.member->path) << " would leave " << a->dir << '\n';
      else if (t.exists && !a->overwrite)
        context.err << existsRefusal(t.path) << '\n';
      else
        continue;
      refused = true;
    }
    if (refused) return 1;
    const std::vector<std::string> failures = extractFiles(*archive, platform::pathOf(a->archive), a->archive, targets);
    for (const std::string& failure : failures) context.err << failure << '\n';
    return failures.empty() ? 0 : 1;
  };
}

Command::Run declareArchive(CLI::App& sub) {
  struct Args {
    std::string file;
    std::optional<std::string> path;
  };
  auto a = std::make_shared<Args>();
  sub.add_option("FILE", a->file, "The archive (" + archiveExtensionList(", ") + ")")->type_name("FILE")->required();
  sub.add_option("PATH", a->path, "A file inside it, letter case ignored")->type_name("PATH");
  return [a](CommandContext& context) {
    std::string reason;
    const auto archive = Archive::open(platform::pathOf(a->file), reason);
    if (!archive) {
      context.err << a->file << ": " << reason << '\n';
      return 1;
    }
    if (!a->path) {
      for (const ArchiveMember& m : archive->members())
        context.out << m.size << '\t' << methodName(m.method) << '\t' << listedPath(m.path) << '\n';
      return 0;
    }
    const ArchiveMember* member = archive->find(utf8ToCp1252(*a->path));
    if (!member) {
      context.err << a->file << ": no file " << *a->path << " inside\n";
      return 1;
    }
    std::string bytes;
    if (!archive->unpack(*member, bytes, reason)) {
      context.err << a->file << "/" << cp1252ToUtf8(member->path) << ": " << reason << '\n';
      return 1;
    }
    context.out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return 0;
  };
}

}  // namespace qm
