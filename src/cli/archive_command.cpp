// The game's archives: `archive` lists one or unpacks a file of it to
// standard output, `pack` writes one, `unpack` writes its files to a folder.
#include <atomic>
#include <filesystem>
#include <memory>
#include <optional>
#include <thread>

#include "archive/archive.h"
#include "archive/archive_writer.h"
#include "catalogue/game_files.h"
#include "catalogue/overrides.h"
#include "cli/command.h"
#include "platform/files.h"
#include "platform/path_text.h"
#include "text/text.h"

namespace qm {

namespace {

// A path made fit for a one-a-line listing: newline, carriage return, tab and
// backslash written as \n, \r, \t and \\.
std::string listedPath(std::string_view path) {
  std::string out;
  for (char c : path) {
    const char* escape = c == '\n' ? "\\n" : c == '\r' ? "\\r" : c == '\t' ? "\\t" : c == '\\' ? "\\\\" : nullptr;
    if (escape)
      out += escape;
    else
      out += c;
  }
  return out;
}

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

}  // namespace

Command::Run declarePack(CLI::App& sub) {
  struct Args {
    std::vector<std::string> paths;
    bool changes = false, lz77 = false, store = false, overwrite = false;
    int level = kDefaultPackLevel;
  };
  auto a = std::make_shared<Args>();
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
  return [a](Session& session) {
    if (a->paths.size() != (a->changes ? 1u : 2u))
      throw UsageError(a->changes ? "pack --changes takes only OUT" : "pack takes FOLDER and OUT");
    const fs::path out = platform::pathOf(a->paths.back());
    std::error_code ec;
    if (!a->overwrite && fs::exists(fs::symlink_status(out, ec))) {
      session.err << existsRefusal(out) << '\n';
      return 1;
    }
    std::vector<PackInput> inputs;
    std::optional<GameFiles> game;
    if (a->changes) {
      game.emplace(session.game());
      for (const UnreadableFile& f : game->damagedArchives())
        session.err << "warning: cannot read archive " << f.name << ": " << f.reason << '\n';
      for (Override& o : gameOverrides(*game)) inputs.push_back({std::move(o.inner), std::move(o.loose), std::nullopt});
      if (inputs.empty()) {
        session.err << platform::utf8Of(session.game()) << ": no loose file overrides a file of the game's archives\n";
        return 1;
      }
    } else {
      const fs::path folder = platform::pathOf(a->paths.front());
      if (liesInside(out, folder)) {
        session.err << platform::utf8Of(out) << ": lies inside " << platform::utf8Of(folder)
                    << ", which it would pack\n";
        return 1;
      }
      if (auto refusal = filesToPack(folder, inputs)) {
        session.err << *refusal << '\n';
        return 1;
      }
    }
    PackOptions options;
    options.method = a->store ? PackMethod::Stored : a->lz77 ? PackMethod::Lz77 : PackMethod::Zlib;
    options.level = a->level;
    const PackOutcome packed = packArchive(out, std::move(inputs), options);
    if (packed.failure) {
      session.err << platform::utf8Of(out) << ": " << *packed.failure << "; nothing written\n";
      return 1;
    }
    for (const PackedFile& f : packed.files)
      session.out << f.size << '\t' << f.stored << '\t' << listedPath(cp1252ToUtf8(f.path)) << '\n';
    session.out << packed.files.size() << " files, " << packed.bytesIn << " bytes in, " << packed.bytesOut
                << " bytes out\n";
    if (!game) return 0;
    // Where the game reads each file once the archive lies in its folder.
    const std::string name = platform::utf8Of(out.filename());
    std::size_t shadowed = 0;
    session.out << "Read by the game once " << name << " lies in the game folder and the loose copies are gone:\n";
    for (const PackedFile& f : packed.files) {
      const std::string from = readFrom(*game, f.path, name);
      shadowed += from != name;
      session.out << listedPath(cp1252ToUtf8(f.path)) << '\t' << from << '\n';
    }
    if (shadowed)
      session.err << "warning: " << shadowed << " of " << packed.files.size()
                  << " files would be read from an archive searched before " << name << '\n';
    return 0;
  };
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
  return [a](Session& session) {
    std::string reason;
    const auto archive = Archive::open(platform::pathOf(a->archive), reason);
    if (!archive) {
      session.err << a->archive << ": " << reason << '\n';
      return 1;
    }
    std::vector<const ArchiveMember*> chosen;
    for (const std::string& path : a->paths)
      if (const ArchiveMember* m = archive->find(utf8ToCp1252(path)))
        chosen.push_back(m);
      else
        return session.err << a->archive << ": no file " << path << " inside\n", 1;
    if (a->paths.empty())
      for (const ArchiveMember& m : archive->members()) chosen.push_back(&m);
    // Every target is checked before any is written.
    const fs::path dir = platform::pathOf(a->dir);
    std::vector<fs::path> targets;
    bool refused = false;
    for (const ArchiveMember* m : chosen) {
      fs::path target = dir;
      bool leaves = false;
      std::string_view rest = m->path;
      for (std::size_t cut; !rest.empty(); rest.remove_prefix(std::min(cut + 1, rest.size()))) {
        cut = std::min(rest.find('/'), rest.size());
        const std::string name = cp1252ToUtf8(rest.substr(0, cut));
        const fs::path part = platform::pathOf(name);
        leaves =
            leaves || part.empty() || part.has_root_path() || part != part.filename() || part == "." || part == "..";
        target /= part;
      }
      std::error_code ec;
      if (leaves || !liesInside(target, dir)) {
        session.err << a->archive << ": " << listedPath(cp1252ToUtf8(m->path)) << " would leave " << a->dir << '\n';
        refused = true;
      } else if (!a->overwrite && fs::exists(fs::symlink_status(target, ec))) {
        session.err << existsRefusal(target) << '\n';
        refused = true;
      }
      targets.push_back(std::move(target));
    }
    if (refused) return 1;
    // Two files at a time, each thread with the archive opened for itself, so
    // that one file reaching the disk does not hold up the unpacking of the
    // next; the messages come in the archive's order.
    std::vector<std::string> failures(chosen.size());
    std::atomic<std::size_t> next{0};
    const auto unpackSome = [&](std::shared_ptr<const Archive> own) {
      std::string bytes, why;
      for (std::size_t i; (i = next.fetch_add(1)) < chosen.size();) {
        const std::string inner = cp1252ToUtf8(chosen[i]->path);
        const ArchiveMember& member = own->members()[chosen[i] - archive->members().data()];
        std::error_code ec;
        if (!own->unpack(member, bytes, why))
          failures[i] = a->archive + "/" + listedPath(inner) + ": " + why + "; skipped";
        else if (fs::create_directories(targets[i].parent_path(), ec); ec)
          failures[i] =
              platform::utf8Of(targets[i].parent_path()) + ": " + ec.message() + "; " + listedPath(inner) + " skipped";
        else if (auto failed = platform::replaceFile(targets[i], bytes))
          failures[i] = platform::utf8Of(targets[i]) + ": " + *failed;
      }
    };
    std::thread other;
    if (chosen.size() > 1 && std::thread::hardware_concurrency() > 1)
      if (auto second = Archive::open(platform::pathOf(a->archive), reason)) other = std::thread(unpackSome, second);
    unpackSome(archive);
    if (other.joinable()) other.join();
    int status = 0;
    for (const std::string& failure : failures)
      if (!failure.empty()) session.err << failure << '\n', status = 1;
    return status;
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
  return [a](Session& session) {
    std::string reason;
    const auto archive = Archive::open(platform::pathOf(a->file), reason);
    if (!archive) {
      session.err << a->file << ": " << reason << '\n';
      return 1;
    }
    if (!a->path) {
      for (const ArchiveMember& m : archive->members())
        session.out << m.size << '\t' << methodName(m.method) << '\t' << listedPath(cp1252ToUtf8(m.path)) << '\n';
      return 0;
    }
    const ArchiveMember* member = archive->find(utf8ToCp1252(*a->path));
    if (!member) {
      session.err << a->file << ": no file " << *a->path << " inside\n";
      return 1;
    }
    std::string bytes;
    if (!archive->unpack(*member, bytes, reason)) {
      session.err << a->file << "/" << cp1252ToUtf8(member->path) << ": " << reason << '\n';
      return 1;
    }
    session.out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return 0;
  };
}

}  // namespace qm
