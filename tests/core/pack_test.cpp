// Packing: every archive written is read back by the program's own reader,
// file for file; the refusals leave nothing behind; `pack --changes` makes
// the game read the edited values from the new archive.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "archive/archive.h"
#include "archive/archive_writer.h"
#include "cli/cli.h"
#include "cli_run.h"
#include "platform/path_text.h"
#include "support/archive_writer.h"
#include "test_support.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

std::string randomBytes(std::size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::string out(n, '\0');
  for (char& c : out) c = static_cast<char>(random());
  return out;
}

// Repeats of one random stretch of `period` bytes: every match lies exactly
// `period` bytes back.
std::string periodic(std::size_t n, std::size_t period) {
  const std::string unit = randomBytes(period, 7);
  std::string out;
  while (out.size() < n) out += unit;
  return out.substr(0, n);
}

std::string weaponText(std::size_t size) {
  std::string out;
  for (unsigned i = 0; out.size() < size; ++i)
    out += "[GUN" + std::to_string(i * 7919 % 1000) + "]\r\n{\r\n\tid=" + std::to_string(i % 256) +
           ";\r\n\trange=" + std::to_string(i * 31 % 900) + ";\r\n}\r\n";
  return out.substr(0, size);
}

// Given in no order; the archive holds them folder by folder in name order,
// letter case ignored ("a" < "A-b" < "b.tdf" < "C.tdf").
const std::vector<std::pair<std::string, std::string>> kFiles = {
    {"C.tdf", weaponText(200000)},  // four chunks, the last one short
    {"b.tdf", ""},
    {"A-b/z.bin", randomBytes(70000, 1)},  // does not pack: LZ77's and zlib's worst case
    {"a/Sub/exact.tdf", weaponText(65536)},
    {"a/one", "x"},
    {"a/\xC9t\xE9.tdf", "caf\xE9"},             // Windows-1252 name
    {"a/runs", std::string(9000, 'a') + "ab"},  // copies that overlap what they write
    {"a/period4095", periodic(100000, 4095)},   // copies from the ring's far end, position 0 among them
    {"a/period4096", periodic(70000, 4096)},    // repeats just beyond the ring
};
// Names compare as their folded bytes: \xE9 after every ASCII letter.
const std::vector<std::string> kOrder = {"a/one",           "a/period4095", "a/period4096", "a/runs", "a/Sub/exact.tdf",
                                         "a/\xC9t\xE9.tdf", "A-b/z.bin",    "b.tdf",        "C.tdf"};

std::vector<PackInput> inputs() {
  std::vector<PackInput> out;
  for (const auto& [path, bytes] : kFiles) out.push_back({path, {}, bytes});
  return out;
}

std::string bytesOf(const std::string& path) {
  for (const auto& [p, bytes] : kFiles)
    if (p == path) return bytes;
  return "?";
}

TEST(PackTest, EveryMethodAndLevelReadsBack) {
  const struct {
    PackMethod method;
    int level;
  } kCases[] = {{PackMethod::Stored, 6}, {PackMethod::Lz77, 6}, {PackMethod::Zlib, 1},
                {PackMethod::Zlib, 6},   {PackMethod::Zlib, 9}, {PackMethod::Zlib, 12}};
  test::TempDir dir;
  [[maybe_unused]] std::uint64_t zlibSize = 0;
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(methodName(c.method)) + " " + std::to_string(c.level));
    const fs::path out = dir.path() / "out.ufo";
    PackOptions options{c.method, c.level, 2};
    std::uint64_t lastDone = 0;
    const PackOutcome packed =
        packArchive(out, inputs(), options, [&](std::uint64_t done, std::uint64_t) { return lastDone = done, true; });
    ASSERT_FALSE(packed.failure) << *packed.failure;
    EXPECT_EQ(packed.bytesOut, fs::file_size(out));
    EXPECT_EQ(lastDone, packed.bytesIn);
    std::string reason, bytes;
    const auto archive = Archive::open(out, reason);
    ASSERT_TRUE(archive) << reason;
    std::vector<std::string> paths;
    for (const ArchiveMember& m : archive->members()) {
      paths.push_back(m.path);
      EXPECT_EQ(m.method, c.method);
      ASSERT_TRUE(archive->unpack(m, bytes, reason)) << m.path << ": " << reason;
      EXPECT_TRUE(bytes == bytesOf(m.path)) << m.path;
    }
    EXPECT_EQ(paths, kOrder);
    ASSERT_EQ(packed.files.size(), kOrder.size());
    EXPECT_EQ(packed.files[6].path, "A-b/z.bin");
    EXPECT_EQ(packed.files[6].size, 70000u);
    if (c.method == PackMethod::Zlib && c.level == 6) zlibSize = packed.bytesOut;
#ifndef _WIN32
    // Levels above 9 pack harder than zlib only through libdeflate, which the
    // Windows build does without (there they pack as level 9).
    if (c.method == PackMethod::Zlib && c.level == 12) {
      EXPECT_LT(packed.bytesOut, zlibSize);
    }
#endif
  }
  // The LZ77 packer finds repeats: weapon text packs to well under half.
  EXPECT_LT(packLz77(weaponText(65536)).size(), 65536u * 2 / 5);
  EXPECT_LT(packLz77(periodic(65536, 4095)).size(), 65536u / 5);
}

TEST(PackTest, RefusalsAndCancelWriteNothing) {
  const struct {
    std::vector<std::string> paths;
    std::string says;
  } kRefused[] = {
      {{"weapons/a.tdf", "WEAPONS/A.TDF"}, "differ only in letter case"},
      {{"Weapons/a.tdf", "weapons/b.tdf", "wEapons/A.tdf"}, "differ only in letter case"},
      {{"weapons", "Weapons/a.tdf"}, "is a file and a folder"},
      {{"weapons//a.tdf"}, "not a path inside an archive"},
      {{"../a.tdf"}, "not a path inside an archive"},
      {{""}, "not a path inside an archive"},
  };
  test::TempDir dir;
  const fs::path out = dir.path() / "out.hpi";
  for (const auto& c : kRefused) {
    std::vector<PackInput> files;
    for (const std::string& p : c.paths) files.push_back({p, {}, std::string("x")});
    const PackOutcome packed = packArchive(out, files, {});
    ASSERT_TRUE(packed.failure) << c.paths[0];
    EXPECT_NE(packed.failure->find(c.says), std::string::npos) << *packed.failure;
  }
  // A file that cannot be read, and a cancel after the first batch.
  EXPECT_TRUE(packArchive(out, {{"a.tdf", dir.path() / "missing", std::nullopt}}, {}).failure);
  std::vector<PackInput> large;
  for (int i = 0; i < 3; ++i) large.push_back({"f" + std::to_string(i), {}, randomBytes(5 << 20, i)});
  const PackOutcome cancelled =
      packArchive(out, large, {PackMethod::Stored}, [](std::uint64_t, std::uint64_t) { return false; });
  EXPECT_TRUE(cancelled.cancelled);
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

#ifndef _WIN32
// Symbolic links inside the folder are followed; one that leads out of it or
// round in a loop, or a name Windows-1252 cannot hold, refuses the folder.
TEST(PackTest, FolderWalk) {
  test::TempDir dir;
  const fs::path folder = dir.path() / "mod";
  dir.write("mod/weapons/a.tdf", "a");
  dir.write("outside/b.tdf", "b");
  fs::create_directory_symlink(folder / "weapons", folder / "linked");
  std::vector<PackInput> files;
  ASSERT_FALSE(filesToPack(folder, files));
  ASSERT_EQ(files.size(), 2u);
  EXPECT_FALSE(packRefusal(files));

  const struct {
    std::string make;
    std::string says;
  } kRefused[] = {{"out", "leads out of"},
                  {"loop", "round in a loop"},
                  {"self", "round in a loop"},
                  {"name", "Windows-1252 cannot hold"}};
  for (const auto& c : kRefused) {
    const fs::path bad = folder / "weapons" / "bad";
    if (c.make == "out") fs::create_directory_symlink(dir.path() / "outside", bad);
    if (c.make == "loop") fs::create_directory_symlink(folder, bad);
    if (c.make == "self") fs::create_symlink(bad, bad);
    if (c.make == "name") dir.write("mod/weapons/\xE6\xBC\xA2.tdf", "x");
    files.clear();
    const auto refusal = filesToPack(folder, files);
    ASSERT_TRUE(refusal) << c.make;
    EXPECT_NE(refusal->find(c.says), std::string::npos) << *refusal;
    fs::remove(bad);
    fs::remove(folder / "weapons" / "\xE6\xBC\xA2.tdf");
  }
}

#endif

using test::cli;
using test::CliRun;

TEST(PackCliTest, PackAndUnpackAFolder) {
  test::TempDir dir;
  const std::string mod = platform::utf8Of(dir.path() / "mod"), out = platform::utf8Of(dir.path() / "mod.gp3"),
                    back = platform::utf8Of(dir.path() / "back");
  dir.write("mod/weapons/Cannons.tdf", weaponText(100000));
  dir.write("mod/units/armcom.fbi", "[UNITINFO]\n{\n}\n");
  for (const char* method : {"--store", "--lz77", "--level=11"}) {
    const CliRun packed = cli({"pack", mod, out, method, "--overwrite"});
    ASSERT_EQ(packed.status, 0) << packed.err;
    if (method == std::string("--store")) {
      EXPECT_EQ(packed.out.substr(0, packed.out.find('\n')), "15\t15\tunits/armcom.fbi");
    }
    EXPECT_NE(packed.out.find("\tweapons/Cannons.tdf\n2 files, 100015 bytes in, "), std::string::npos) << packed.out;
    const CliRun unpacked = cli({"unpack", out, back, "--overwrite"});
    ASSERT_EQ(unpacked.status, 0) << unpacked.err;
    EXPECT_EQ(test::readFile(back + "/weapons/Cannons.tdf"), weaponText(100000));
  }
  // One path only, letter case ignored.
  fs::remove_all(back);
  ASSERT_EQ(cli({"unpack", out, back, "WEAPONS/cannons.TDF"}).status, 0);
  EXPECT_TRUE(fs::exists(back + "/weapons/Cannons.tdf"));
  EXPECT_FALSE(fs::exists(back + "/units"));

  const struct {
    std::vector<std::string> args;
    std::string says;
  } kRefused[] = {
      {{"pack", mod, out}, "exists (--overwrite replaces it)"},
      {{"pack", mod, mod + "/in.ufo"}, "lies inside"},
      {{"unpack", out, back}, "exists (--overwrite replaces it)"},
      {{"unpack", out, back, "none.tdf"}, "no file none.tdf inside"},
  };
  const auto before = fs::file_size(out);
  for (const auto& c : kRefused) {
    const CliRun run = cli(c.args);
    EXPECT_EQ(run.status, 1) << c.args[2];
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
  }
  EXPECT_FALSE(fs::exists(mod + "/in.ufo"));
  EXPECT_EQ(fs::file_size(out), before);
  EXPECT_EQ(cli({"pack", mod, out, "--lz77", "--store"}).status, 2);
  EXPECT_EQ(cli({"pack", mod, out, "--level", "13"}).status, 2);
  EXPECT_EQ(cli({"pack", "--changes", mod, out}).status, 2);
}

// An archive whose member would be written outside DIR, and one with a
// damaged member: the first is refused whole, the second gives the others.
TEST(PackCliTest, UnpackRefusesLeavingAndSkipsDamage) {
  test::TempDir dir;
  const fs::path back = dir.path() / "back";
  fs::create_directories(back);
#ifndef _WIN32
  fs::create_directory_symlink(dir.path(), back / "up");
  dir.write("leaves.hpi", test::writeArchive({{"up/escaped.tdf", "x"}}).bytes);
  const CliRun leaves = cli({"unpack", platform::utf8Of(dir.path() / "leaves.hpi"), platform::utf8Of(back)});
  EXPECT_EQ(leaves.status, 1);
  EXPECT_NE(leaves.err.find("up/escaped.tdf would leave"), std::string::npos) << leaves.err;
  EXPECT_FALSE(fs::exists(dir.path() / "escaped.tdf"));
  fs::remove(back / "up");
#endif

  test::WrittenArchive damaged = test::writeArchive(
      {{"a.tdf", weaponText(1000), PackMethod::Zlib}, {"b.tdf", weaponText(1000), PackMethod::Zlib}});
  damaged.bytes[damaged.chunksAt["a.tdf"][0] + 30] ^= 0x55;
  dir.write("damaged.ufo", damaged.bytes);
  const CliRun run = cli({"unpack", platform::utf8Of(dir.path() / "damaged.ufo"), platform::utf8Of(back)});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("damaged.ufo/a.tdf: damaged archive: chunk 1 of 1 has a wrong checksum; skipped"),
            std::string::npos)
      << run.err;
  EXPECT_FALSE(fs::exists(back / "a.tdf"));
  EXPECT_EQ(test::readFile(back / "b.tdf"), weaponText(1000));
}

// The loop the modder closes: set an archived weapon and unit, pack the
// overrides, move the loose copies away, and the game reads the new values
// from the archive; an archive searched before it is named in the report.
TEST(PackCliTest, PackChangesIsReadByTheGame) {
  test::TempDir dir;
  const std::string game = platform::utf8Of(dir.path());
  const std::string cannons = "[GUN]\r\n{\r\n\tid=12;\r\n\treloadtime=2;\r\n}\r\n";
  const std::string unit = "[UNITINFO]\r\n{\r\n\tUnitName=ARMCOM;\r\n\tMaxDamage=100;\r\n}\r\n";
  dir.write("rev.gp3", test::writeArchive({{"units/armfig.fbi", "[UNITINFO]\r\n{\r\n}\r\n", PackMethod::Zlib},
                                           {"units/other.fbi", "x", PackMethod::Zlib}})
                           .bytes);
  dir.write("base.hpi", test::writeArchive({{"weapons/cannons.tdf", cannons, PackMethod::Zlib},
                                            {"units/armcom.fbi", unit, PackMethod::Lz77},
                                            {"units/armfig.fbi", "[UNITINFO]\r\n{\r\n}\r\n", PackMethod::Zlib}})
                            .bytes);
  const auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--game", game});
    return cli(args);
  };
  ASSERT_EQ(run({"set", "GUN", "reloadtime=3.5", "--no-backup"}).status, 0);
  dir.write("units/ARMCOM.fbi", "[UNITINFO]\r\n{\r\n\tUnitName=ARMCOM;\r\n\tMaxDamage=250;\r\n}\r\n");
  dir.write("units/armfig.fbi", "[UNITINFO]\r\n{\r\n\tMaxDamage=5;\r\n}\r\n");
  dir.write("units/notes.txt", "not in any archive");

  const CliRun packed = run({"pack", "--changes", game + "/zz_mod.ufo"});
  ASSERT_EQ(packed.status, 0) << packed.err;
  const std::size_t report = packed.out.find("3 files, ");
  ASSERT_NE(report, std::string::npos) << packed.out;
  EXPECT_NE(packed.out.find(
                "units/ARMCOM.fbi\tzz_mod.ufo\nunits/armfig.fbi\trev.gp3\nweapons/cannons.tdf\tzz_mod.ufo\n", report),
            std::string::npos)
      << packed.out;
  EXPECT_NE(packed.err.find("1 of 3 files would be read from an archive searched before zz_mod.ufo"),
            std::string::npos);

  fs::create_directories(dir.path() / "backup");
  fs::rename(dir.path() / "weapons", dir.path() / "backup/weapons");
  fs::rename(dir.path() / "units", dir.path() / "backup/units");
  const CliRun shown = run({"show", "GUN", "--actual", "--json"});
  EXPECT_NE(shown.out.find("\"reloadtime =\", \"value\": \"3.5\""), std::string::npos) << shown.out;
  EXPECT_NE(run({"list"}).out.find("GUN"), std::string::npos);
  std::string reason, bytes;
  const auto archive = Archive::open(dir.path() / "zz_mod.ufo", reason);
  ASSERT_TRUE(archive) << reason;
  ASSERT_TRUE(archive->unpack(*archive->find("units/armcom.fbi"), bytes, reason));
  EXPECT_NE(bytes.find("MaxDamage=250;"), std::string::npos);

  // Nothing left to pack.
  EXPECT_EQ(run({"pack", "--changes", game + "/zz_other.ufo"}).status, 1);
}

}  // namespace
}  // namespace qm
