// The archive reader: every method and cipher read back byte for byte, and
// each damaged archive answered by what is wrong with it.
#include <gtest/gtest.h>

#include "archive/archive.h"
#include "archive/archive_writer.h"
#include "support/archive_writer.h"

namespace qm {
namespace {

using test::FileToPack, test::getU32, test::putU32;

// Weapon-like lines with varying numbers: they pack well but not trivially.
std::string weaponText(std::size_t size) {
  std::string out;
  for (unsigned i = 0; out.size() < size; ++i)
    out += "[GUN" + std::to_string(i * 7919 % 1000) + "]\r\n{\r\n\tid=" + std::to_string(i % 256) + ";\r\n}\r\n";
  return out.substr(0, size);
}

// In the archive's own order: each folder's entries where it stands.
const std::vector<FileToPack> kEveryKind = {
    {"Weapons/Cannons.TDF", weaponText(3000)},
    {"weapons/zipped.tdf", weaponText(150000), PackMethod::Zlib},
    // Runs: LZ77 copies that overlap what they write, across the ring's end.
    {"weapons/Sub/Deep/runs.tdf", std::string(9000, 'a') + "ab" + std::string(70, 'b'), PackMethod::Lz77, true},
    {"weapons/Sub/bytes.bin", std::string("\0\x81\xff\r\n", 5), PackMethod::Zlib, true},
    {"big.tdf", weaponText(200000), PackMethod::Lz77, true},  // four chunks, the last one short
    {"empty.tdf", "", PackMethod::Lz77},
    {"EXACT.tdf", weaponText(65536), PackMethod::Zlib},
    {"abab.tdf", "abababa", PackMethod::Lz77},
};

// The archive's bytes, noting how far any read reached.
struct Counting : ArchiveBytes {
  explicit Counting(std::string bytes) : inner(archiveInMemory(std::move(bytes))) {}
  std::shared_ptr<const ArchiveBytes> inner;
  mutable std::uint64_t end = 0, read = 0;
  std::uint64_t size() const override { return inner->size(); }
  bool readAt(std::uint64_t at, std::size_t n, char* out, std::string& reason) const override {
    return end = std::max<std::uint64_t>(end, at + n), read += n, inner->readAt(at, n, out, reason);
  }
};

TEST(ArchiveTest, EveryMethodAndCipherReadsBackByteForByte) {
  // The stream of abab.tdf as written by hand: literals "a" "b", then a copy
  // of five bytes from ring position 1 that overlaps what it writes, then the
  // end mark. So the reader is held to the format, not only to our packer.
  EXPECT_EQ(packLz77("abababa"), std::string("\x0C"
                                             "ab\x13\0\0\0",
                                             7));
  for (std::uint8_t key : {0, 1, 0x5A, 0xFF}) {
    // Half of them end their directory in a file's record, half in a name.
    const auto end = key % 2 ? test::DirectoryEnd::FileRecords : test::DirectoryEnd::Names;
    const std::string bytes = test::writeArchive(kEveryKind, key, end).bytes;
    const auto counting = std::make_shared<Counting>(bytes);
    std::string reason, out;
    const auto archive = Archive::open(counting, reason);
    ASSERT_TRUE(archive) << reason;
    EXPECT_EQ(counting->end, getU32(bytes, 8));  // opening reads the directory and nothing after it
    ASSERT_EQ(archive->members().size(), kEveryKind.size());
    for (std::size_t i = 0; i < kEveryKind.size(); ++i) {
      const ArchiveMember& m = archive->members()[i];
      EXPECT_EQ(std::tuple(m.path, m.method, m.size),
                std::tuple(kEveryKind[i].path, kEveryKind[i].method, kEveryKind[i].bytes.size()));
      ASSERT_TRUE(archive->unpack(m, out, reason)) << m.path << " key " << int(key) << ": " << reason;
      EXPECT_TRUE(out == kEveryKind[i].bytes) << m.path << " key " << int(key);
    }
    for (const char* path : {"weapons/cannons.tdf", "WEAPONS\\CANNONS.tdf", "/Weapons/Cannons.TDF",
                             "weapons//cannons.tdf", "./weapons/cannons.tdf", "weapons/sub/../cannons.tdf"})
      EXPECT_EQ(archive->find(path), &archive->members()[0]) << path;
    for (const char* path : {"weapons", "weapons/sub", "cannons.tdf", "weapons/cannons.tdf/"})
      EXPECT_EQ(archive->find(path), nullptr) << path;
  }
}

TEST(ArchiveTest, DamagedArchivesSayWhatIsWrong) {
  // `message`: part of the reason given, by Open or else by Unpack.
  struct Damage {
    const char* what;
    std::function<void(test::WrittenArchive&)> damage;
    std::string message;
  };
  using A = test::WrittenArchive&;
  auto record = [](A a, const char* path, int add, std::uint32_t value) {
    putU32(a.bytes, a.recordAt.at(path) + add, value);
  };
  auto entry = [](A a, const char* folder, int i) { return a.recordAt.at(folder) + 8 + 9 * i; };
  auto chunk = [](A a, const char* path, int n) { return a.chunksAt.at(path)[n]; };
  // Changes a chunk's stored length and sums its bytes again, so that only
  // the stream itself is wrong.
  auto cut = [chunk](A a, const char* path, int n, std::uint32_t by) {
    const std::uint32_t at = chunk(a, path, n), length = getU32(a.bytes, at + 7) - by;
    std::uint32_t sum = 0;
    for (std::uint32_t i = 0; i < length; ++i) sum += static_cast<unsigned char>(a.bytes[at + 19 + i]);
    putU32(a.bytes, at + 7, length), putU32(a.bytes, at + 15, sum);
  };
  const Damage cases[] = {
      {"too short", [](A a) { a.bytes.resize(12); }, "too short"},
      {"not an archive", [](A a) { a.bytes[0] = 'X'; }, "no archive marker"},
      {"unknown version", [](A a) { putU32(a.bytes, 4, 0x20000); }, "unknown version"},
      {"directory past the end", [](A a) { putU32(a.bytes, 8, a.bytes.size() + 1); }, "outside the file"},
      {"folder contains itself", [&](A a) { putU32(a.bytes, entry(a, "d/", 0) + 4, a.recordAt.at("d/")); },
       "folder \"d/e/\" contains itself"},
      {"entries that do not fit", [&](A a) { record(a, "d/", 0, 1000000); }, "do not fit the directory"},
      {"name with no end", [](A a) { putU32(a.bytes, 8, getU32(a.bytes, 8) - 1); }, "no end"},
      {"name with a slash", [&](A a) { a.bytes[getU32(a.bytes, entry(a, "", 2))] = '\\'; }, "a slash"},
      {"name .", [&](A a) { a.bytes[getU32(a.bytes, entry(a, "", 0))] = '.'; }, "the name ."},
      {"file record outside", [&](A a) { putU32(a.bytes, entry(a, "", 1) + 4, 3); }, "outside the directory"},
      {"unknown method", [&](A a) { a.bytes[a.recordAt.at("z.tdf") + 8] = 3; }, "unknown packing method 3"},
      {"stored size past the end", [&](A a) { record(a, "d/e/f.tdf", 4, 0xFFFFFF00); }, "cannot hold"},
      {"chunk marker", [&](A a) { a.bytes[chunk(a, "big.tdf", 1)] = 'X'; }, "chunk 2 of 4 has no chunk marker"},
      {"chunk checksum", [&](A a) { a.bytes[chunk(a, "z.tdf", 0) + 30]++; }, "wrong checksum"},
      {"chunk method", [&](A a) { a.bytes[chunk(a, "z.tdf", 0) + 5] = 9; }, "unknown packing method 9"},
      {"chunks short of the size", [&](A a) { record(a, "big.tdf", 4, 4 * 65536); }, "200000 bytes, not 262144"},
      {"chunk beyond the size", [&](A a) { record(a, "z.tdf", 4, 100); }, "more than the 100 left"},
      {"zlib ends early", [&](A a) { cut(a, "z.tdf", 0, 100); }, "1 of 1: its zlib stream ends early"},
      {"zlib ends in its checksum", [&](A a) { cut(a, "z.tdf", 0, 2); }, "1 of 1: its zlib stream ends early"},
      {"chunk stores more than it needs", [&](A a) { putU32(a.bytes, chunk(a, "z.tdf", 0) + 7, 150 << 20); },
       "stores 157286400 bytes, more than 1000 bytes could need"},
      {"zlib damaged", [&](A a) { a.bytes[chunk(a, "z.tdf", 0) + 40] ^= 0x55, cut(a, "z.tdf", 0, 0); }, "is damaged"},
      {"zlib gives more", [&](A a) { putU32(a.bytes, chunk(a, "z.tdf", 0) + 11, 999); }, "more than its 999 bytes"},
      {"zlib gives less", [&](A a) { record(a, "z.tdf", 4, 1001), putU32(a.bytes, chunk(a, "z.tdf", 0) + 11, 1001); },
       "it unpacks to 1000 bytes, not 1001"},
      {"LZ77 without end mark", [&](A a) { cut(a, "big.tdf", 3, 2); },
       "4 of 4: its LZ77 stream ends before its end mark"},
      {"LZ77 gives more", [&](A a) { putU32(a.bytes, chunk(a, "big.tdf", 3) + 11, 3000); }, "more than its 3000 bytes"},
      {"LZ77 gives less",
       [&](A a) { record(a, "big.tdf", 4, 200001), putU32(a.bytes, chunk(a, "big.tdf", 3) + 11, 3393); },
       "it unpacks to 3392 bytes, not 3393"},
  };
  const auto intact = test::writeArchive({{"d/e/f.tdf", "text"},
                                          {"big.tdf", weaponText(200000), PackMethod::Lz77},
                                          {"z.tdf", weaponText(1000), PackMethod::Zlib}});
  for (const Damage& c : cases) {
    auto written = intact;
    c.damage(written);
    std::string reason, out;
    if (const auto archive = Archive::open(archiveInMemory(written.bytes), reason)) {
      bool allRead = true;
      for (const ArchiveMember& m : archive->members()) allRead = archive->unpack(m, out, reason) && allRead;
      EXPECT_FALSE(allRead) << c.what;
    }
    EXPECT_NE(reason.find(c.message), std::string::npos) << c.what << ": " << reason;
    EXPECT_EQ(reason.find("damaged archive: "), 0u) << c.what;
  }
}

// A directory end far past its records: opening reads only the pages that
// the entries use, not the megabyte the header claims.
TEST(ArchiveTest, OpeningReadsOnlyWhatTheEntriesUse) {
  std::string bytes = test::writeArchive({{"a/b.tdf", "x"}}).bytes + std::string(1 << 20, '\0');
  putU32(bytes, 8, static_cast<std::uint32_t>(bytes.size()));
  const auto counting = std::make_shared<Counting>(bytes);
  std::string reason;
  const auto archive = Archive::open(counting, reason);
  ASSERT_TRUE(archive) << reason;
  EXPECT_EQ(archive->members().at(0).path, "a/b.tdf");
  EXPECT_LE(counting->read, 20u + 4096u);
}

// Paths are at most kMostPathBytes long, and all together a bounded multiple
// of the directory: long folder names repeated down a deep tree, as in an
// archive of a few kilobytes whose paths would take gigabytes.
TEST(ArchiveTest, PathBombsAreRefused) {
  const auto deep = [](std::size_t levels, std::size_t nameLength, std::size_t files) {
    std::string folders;
    for (std::size_t i = 0; i < levels; ++i) folders += std::string(nameLength, 'a' + i % 26) + "/";
    std::vector<FileToPack> out;
    for (std::size_t i = 0; i < files; ++i) out.emplace_back(folders + std::to_string(i % 10) + std::to_string(i), "");
    return test::writeArchive(out).bytes;
  };
  const struct {
    std::string bytes;
    const char* refused;
  } cases[] = {
      {deep(1, kMostPathBytes - 3, 1), nullptr},  // "aa...a/00": just the longest path
      {deep(1, kMostPathBytes - 2, 1), "has a path longer than 1024 bytes"},
      {deep(8, 126, 3000), "its paths add up to more than"},  // 3 MB of paths from 80 KB
  };
  for (const auto& c : cases) {
    std::string reason;
    const auto archive = Archive::open(archiveInMemory(c.bytes), reason);
    EXPECT_EQ(!archive, c.refused != nullptr) << reason;
    EXPECT_NE(reason.find(c.refused ? c.refused : ""), std::string::npos) << reason;
  }
}

// Folders that each list the next one twice: a tree of 2^30 paths in a few
// hundred bytes, which the reader must refuse rather than walk.
TEST(ArchiveTest, SharedFoldersDoNotMultiplyTheWalk) {
  const std::uint32_t levels = 30, size = 8 + 18, name = 20 + levels * size;
  std::string bytes = std::string("HAPI\0\0\1\0", 8) + std::string(12 + levels * size, '\0') + "n";
  putU32(bytes, 8, name + 2), putU32(bytes, 16, 20), bytes += '\0';
  for (std::uint32_t at = 20; at + size < 20 + levels * size; at += size) {
    putU32(bytes, at, 2);
    putU32(bytes, at + 4, at + 8);
    for (std::uint32_t e = at + 8; e < at + size; e += 9)
      putU32(bytes, e, name), putU32(bytes, e + 4, at + size), bytes[e + 8] = 1;
  }
  std::string reason;
  EXPECT_FALSE(Archive::open(archiveInMemory(bytes), reason));
  EXPECT_NE(reason.find("more entries than it holds"), std::string::npos) << reason;
}

}  // namespace
}  // namespace qm
