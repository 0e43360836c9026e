// The archive reader: every method and cipher read back byte for byte, and
// damaged archives each answered by what is wrong with them.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "support/archive_writer.h"

namespace qm {
namespace {

using test::FileToPack;

// Text that packs well but not trivially: weapon-like lines with varying numbers.
std::string WeaponText(std::size_t size) {
  std::string out;
  for (unsigned i = 0; out.size() < size; ++i)
    out += "[GUN" + std::to_string(i * 7919 % 1000) + "]\r\n{\r\n\tid=" + std::to_string(i % 256) +
           ";\r\n\treloadtime=" + std::to_string(i % 13) + ".5;\r\n}\r\n";
  out.resize(size);
  return out;
}

std::vector<FileToPack> EveryKind() {
  std::string bytes;
  for (int i = 0; i < 300; ++i) bytes += static_cast<char>(i * 37 % 256);
  // Listed in the archive's own order: each folder's entries where it stands.
  return {
      {"Weapons/Cannons.TDF", WeaponText(3000), PackMethod::Stored},
      {"weapons/lasers.tdf", WeaponText(5000), PackMethod::Lz77},
      {"weapons/zipped.tdf", WeaponText(150000), PackMethod::Zlib},
      {"weapons/Sub/Deep/runs.tdf", std::string(9000, 'a') + "ab" + std::string(70, 'b'), PackMethod::Lz77, true},
      {"weapons/Sub/bytes.bin", bytes, PackMethod::Zlib, true},
      {"big.tdf", WeaponText(200000), PackMethod::Lz77, true},  // four chunks, the last one short
      {"empty.tdf", "", PackMethod::Lz77},
      {"EXACT.tdf", WeaponText(65536), PackMethod::Zlib},
  };
}

std::shared_ptr<const Archive> OpenBytes(const std::string& bytes, std::string& reason) {
  return Archive::Open(ArchiveInMemory(bytes), reason);
}

TEST(ArchiveTest, EveryMethodAndCipherReadsBackByteForByte) {
  const auto files = EveryKind();
  for (std::uint8_t key : {0, 1, 0x5A, 0xFF}) {
    std::string reason;
    const auto archive = OpenBytes(test::WriteArchive(files, key).bytes, reason);
    ASSERT_TRUE(archive) << reason;
    ASSERT_EQ(archive->members().size(), files.size());
    std::string out;
    for (std::size_t i = 0; i < files.size(); ++i) {
      const ArchiveMember& m = archive->members()[i];
      EXPECT_EQ(m.path, files[i].path);
      EXPECT_EQ(m.method, files[i].method);
      EXPECT_EQ(m.size, files[i].bytes.size());
      ASSERT_TRUE(archive->Unpack(m, out, reason)) << m.path << " key " << int(key) << ": " << reason;
      EXPECT_TRUE(out == files[i].bytes) << m.path << " key " << int(key);
    }
  }
}

TEST(ArchiveTest, FindsPathsInAnyCase) {
  std::string reason;
  const auto archive = OpenBytes(test::WriteArchive(EveryKind()).bytes, reason);
  ASSERT_TRUE(archive) << reason;
  for (const char* path : {"weapons/cannons.tdf", "WEAPONS\\CANNONS.tdf", "/Weapons/Cannons.TDF"})
    EXPECT_EQ(archive->Find(path), &archive->members()[0]) << path;
  for (const char* path : {"weapons", "weapons/sub", "cannons.tdf", "weapons/cannons.tdf/", ""})
    EXPECT_EQ(archive->Find(path), nullptr) << path;
}

// A stream written by hand: literals "a" "b", then a copy of five bytes from
// ring position 1 that overlaps what it writes, then the end mark.
TEST(ArchiveTest, Lz77CopiesFromTheRingAsTheyWriteIt) {
  FileToPack f{"x", "abababa", PackMethod::Lz77};
  f.tamper = [](int, std::string& stored, std::uint32_t&) { stored = std::string("\x0C" "ab\x13\0\0\0", 7); };
  std::string reason, out;
  const auto archive = OpenBytes(test::WriteArchive({f}).bytes, reason);
  ASSERT_TRUE(archive && archive->Unpack(archive->members()[0], out, reason)) << reason;
  EXPECT_EQ(out, "abababa");
}

// Counts what is read, to show that opening reads the directory only.
class CountingBytes : public ArchiveBytes {
 public:
  explicit CountingBytes(std::string bytes) : inner_(ArchiveInMemory(std::move(bytes))) {}
  std::uint64_t size() const override { return inner_->size(); }
  bool ReadAt(std::uint64_t offset, std::size_t n, char* out, std::string& reason) const override {
    end = std::max<std::uint64_t>(end, offset + n);
    return inner_->ReadAt(offset, n, out, reason);
  }
  mutable std::uint64_t end = 0;

 private:
  std::shared_ptr<const ArchiveBytes> inner_;
};

TEST(ArchiveTest, OpeningReadsOnlyTheDirectory) {
  const std::string bytes = test::WriteArchive(EveryKind()).bytes;
  auto counting = std::make_shared<CountingBytes>(bytes);
  std::string reason;
  ASSERT_TRUE(Archive::Open(counting, reason)) << reason;
  EXPECT_EQ(counting->end, test::GetU32(bytes, 8));
}

struct Damage {
  const char* what;
  std::function<void(test::WrittenArchive&)> damage;
  std::string message;  // part of the reason given, by Open or else by Unpack
};

TEST(ArchiveTest, DamagedArchivesSayWhatIsWrong) {
  auto put = [](const char* key, int add, std::uint32_t value) {
    return [=](test::WrittenArchive& a) {
      const std::string k = key;
      const std::uint32_t at = k == "header" ? 0 : k[0] == 'e' ? a.entryAt.at(k.substr(2)) : a.recordAt.at(k.substr(2));
      test::PutU32(a.bytes, at + add, value);
    };
  };
  const Damage cases[] = {
      {"too short", [](auto& a) { a.bytes.resize(12); }, "too short"},
      {"not an archive", [](auto& a) { a.bytes[0] = 'X'; }, "no archive marker"},
      {"a saved game", put("header", 4, 0x4B4E4142), "a saved game"},
      {"unknown version", put("header", 4, 0x20000), "unknown version"},
      {"directory past the end", [](auto& a) { test::PutU32(a.bytes, 8, a.bytes.size() + 1); }, "outside the file"},
      {"directory start in the header", put("header", 16, 4), "outside the file"},
      {"folder contains itself", [](auto& a) { test::PutU32(a.bytes, a.entryAt.at("d/e/") + 4, a.recordAt.at("d/")); },
       "folder \"d/e/\" contains itself"},
      {"root contains itself", [](auto& a) { test::PutU32(a.bytes, a.entryAt.at("d/") + 4, 20); }, "contains itself"},
      {"too many entries", put("r:d/", 0, 1000000), "do not fit the directory"},
      {"huge entry count", put("r:", 0, 0xFFFFFFFF), "do not fit the directory"},
      {"name outside", put("e:d/e/f.tdf", 0, 0xFFFFFFF0), "outside the directory"},
      {"name with no end", [](auto& a) { test::PutU32(a.bytes, 8, test::GetU32(a.bytes, 8) - 1); }, "no end"},
      {"empty name", [](auto& a) { a.bytes[test::GetU32(a.bytes, a.entryAt.at("z.tdf"))] = 0; }, "an empty name"},
      {"name with a slash", [](auto& a) { a.bytes[test::GetU32(a.bytes, a.entryAt.at("z.tdf"))] = '\\'; }, "a slash"},
      {"file record outside", put("e:big.tdf", 4, 3), "outside the directory"},
      {"unknown method", [](auto& a) { a.bytes[a.recordAt.at("z.tdf") + 8] = 3; }, "unknown packing method 3"},
      {"stored size past the end", put("r:d/e/f.tdf", 4, 0xFFFFFF00), "cannot hold"},
      {"packed size needing more chunks than fit", put("r:big.tdf", 4, 0xFFFFFFFF), "cannot hold"},
      {"content past the end", put("r:z.tdf", 0, 0xFFFFFFF0), "cannot hold"},
      {"chunk marker", [](auto& a) { a.bytes[a.chunksAt.at("big.tdf")[1]] = 'X'; }, "chunk 2 of 4 has no chunk marker"},
      {"chunk checksum", [](auto& a) { a.bytes[a.chunksAt.at("z.tdf")[0] + 30]++; }, "wrong checksum"},
      {"chunk method", [](auto& a) { a.bytes[a.chunksAt.at("z.tdf")[0] + 5] = 9; }, "unknown packing method 9"},
      {"chunk stored past the end", [](auto& a) { test::PutU32(a.bytes, a.chunksAt.at("big.tdf")[3] + 7, 1 << 30); },
       "runs past the end"},
      {"chunk over 64 KiB", [](auto& a) { test::PutU32(a.bytes, a.chunksAt.at("big.tdf")[0] + 11, 65537); },
       "more than the 65536 left"},
      {"chunks short of the size", put("r:big.tdf", 4, 4 * 65536), "unpack to 200000 bytes, not 262144"},
      {"chunk beyond the size", put("r:z.tdf", 4, 100), "more than the 100 left"},
  };
  const auto intact = test::WriteArchive({{"d/e/f.tdf", "text", PackMethod::Stored},
                                          {"big.tdf", WeaponText(200000), PackMethod::Lz77},
                                          {"z.tdf", WeaponText(1000), PackMethod::Zlib}});
  for (const Damage& c : cases) {
    auto written = intact;
    c.damage(written);
    std::string reason, out;
    const auto archive = OpenBytes(written.bytes, reason);
    if (archive) {
      bool allRead = true;
      for (const ArchiveMember& m : archive->members()) allRead = archive->Unpack(m, out, reason) && allRead;
      EXPECT_FALSE(allRead) << c.what;
    }
    EXPECT_NE(reason.find(c.message), std::string::npos) << c.what << ": " << reason;
  }
}

struct StreamDamage {
  const char* what;
  PackMethod method;
  std::function<void(std::string& stored, std::uint32_t& unpacked)> tamper;
  std::uint32_t declaredSize;  // the file record's size, when changed
  std::string message;
};

TEST(ArchiveTest, DamagedChunksSayWhatIsWrong) {
  using S = std::string&;
  using N = std::uint32_t&;
  const StreamDamage cases[] = {
      {"zlib ends early", PackMethod::Zlib, [](S s, N) { s.resize(s.size() / 2); }, 0, "its zlib stream ends early"},
      {"zlib data damaged", PackMethod::Zlib, [](S s, N) { s[s.size() / 2] ^= 0x55; }, 0, "zlib stream is damaged"},
      {"zlib gives more", PackMethod::Zlib, [](S, N n) { n = 99; }, 0, "more than its 99 bytes"},
      {"zlib gives less", PackMethod::Zlib, [](S, N n) { n = 1001; }, 1001, "unpacks to 1000 bytes, not 1001"},
      {"LZ77 without end mark", PackMethod::Lz77, [](S s, N) { s.resize(s.size() - 2); }, 0, "before its end mark"},
      {"LZ77 gives more", PackMethod::Lz77, [](S, N n) { n = 999; }, 0, "more than its 999 bytes"},
      {"LZ77 gives less", PackMethod::Lz77, [](S, N n) { n = 1001; }, 1001, "unpacks to 1000 bytes, not 1001"},
  };
  for (const StreamDamage& c : cases) {
    FileToPack f{"f.tdf", WeaponText(1000), c.method};
    f.tamper = [&c](int, std::string& s, std::uint32_t& n) { c.tamper(s, n); };
    auto written = test::WriteArchive({f});
    if (c.declaredSize) test::PutU32(written.bytes, written.recordAt.at("f.tdf") + 4, c.declaredSize);
    std::string reason, out;
    const auto archive = OpenBytes(written.bytes, reason);
    ASSERT_TRUE(archive) << reason;
    EXPECT_FALSE(archive->Unpack(archive->members()[0], out, reason)) << c.what;
    EXPECT_EQ(reason.find("damaged archive: chunk 1 of 1: "), 0u) << c.what << ": " << reason;
    EXPECT_NE(reason.find(c.message), std::string::npos) << c.what << ": " << reason;
  }
}

// Folders that each list the next one twice: a tree of 2^30 paths in a few
// hundred bytes, which the reader must refuse rather than walk.
TEST(ArchiveTest, SharedFoldersDoNotMultiplyTheWalk) {
  const std::uint32_t levels = 30, size = 8 + 18;
  std::string bytes(20 + levels * size + 2, '\0');
  bytes.replace(0, 8, "HAPI\0\0\1\0", 8);
  test::PutU32(bytes, 8, static_cast<std::uint32_t>(bytes.size()));
  test::PutU32(bytes, 16, 20);
  const std::uint32_t name = static_cast<std::uint32_t>(bytes.size() - 2);
  bytes[name] = 'n';
  for (std::uint32_t i = 0; i + 1 < levels; ++i) {
    const std::uint32_t at = 20 + i * size;
    test::PutU32(bytes, at, 2);
    test::PutU32(bytes, at + 4, at + 8);
    for (std::uint32_t e = at + 8; e < at + size; e += 9) {
      test::PutU32(bytes, e, name);
      test::PutU32(bytes, e + 4, at + size);
      bytes[e + 8] = 1;
    }
  }
  std::string reason;
  EXPECT_FALSE(OpenBytes(bytes, reason));
  EXPECT_NE(reason.find("more entries than it holds"), std::string::npos) << reason;
}

}  // namespace
}  // namespace qm
