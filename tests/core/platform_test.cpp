// The file calls that differ between systems: whole-file reads, one-step
// replacement and the folders file dialogs may start in.
#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "test_support.h"

namespace qm::platform {
namespace {

// Whole files replaced in one step and read back through one buffer, larger
// and smaller than before; a missing file; a read-only one refused and kept.
TEST(PlatformTest, ReplacesAndReadsWholeFilesAsBytes) {
  test::TempDir dir;
  const auto file = dir.path() / "a.tdf";
  std::string out, reason;
  // A large file after a small one: the buffer grows onto large pages.
  const std::string small("a\r\n\0b\x1a\xff", 7);
  for (const std::string& bytes : {small, std::string((5 << 20) + 7, '\xe9'), std::string(), small}) {
    EXPECT_EQ(replaceFile(file, bytes), std::nullopt);
    EXPECT_TRUE(readRegularFile(file, out, reason)) << reason;
    EXPECT_TRUE(out == bytes) << out.size() << " bytes read";
  }
  EXPECT_FALSE(readRegularFile(dir.path() / "none.tdf", out, reason));
  EXPECT_EQ(out, "");
  std::filesystem::permissions(
      file,
      std::filesystem::perms::owner_write | std::filesystem::perms::group_write | std::filesystem::perms::others_write,
      std::filesystem::perm_options::remove);
  EXPECT_EQ(replaceFile(file, "lost"), "the file is read-only");
  EXPECT_EQ(test::readFile(file), std::string("a\r\n\0b\x1a\xff", 7));
}

// Files held whole: the bytes as they are (mapped where the system allows),
// the same refusals as a read, and a held file that shrinks on disk, or is
// replaced by a save, reads on without stopping the program.
TEST(PlatformTest, HoldsFiles) {
  test::TempDir dir;
  const std::string bytes = std::string("[A]\r\n{\0\xff", 8) + std::string(3 << 20, 'x');
  const auto file = dir.write("a.tdf", bytes);
  std::string reason;
  HeldFile held, empty, tooLarge;
  ASSERT_TRUE(HeldFile::hold(file, held, reason)) << reason;
  EXPECT_TRUE(held.bytes() == bytes);
  EXPECT_TRUE(HeldFile::hold(dir.write("empty.tdf", ""), empty, reason));
  EXPECT_EQ(empty.bytes(), "");
  EXPECT_FALSE(HeldFile::hold(file, tooLarge, reason, 100, "too large"));
  EXPECT_EQ(reason, "too large");
  EXPECT_FALSE(HeldFile::hold(dir.path() / "none.tdf", tooLarge, reason));
  EXPECT_FALSE(HeldFile::hold(dir.path(), tooLarge, reason));
  EXPECT_EQ(reason, "not a regular file");

  HeldFile moved(std::move(held)), kept(std::string("in memory"));
  std::filesystem::resize_file(file, 4);
  const std::string_view now = moved.bytes();
  ASSERT_EQ(now.size(), bytes.size());
  EXPECT_EQ(now.substr(0, 4), "[A]\r");
  // Past its new end a mapped file reads as zeros; bytes read into memory stay.
  const char past = moved.mapped() ? '\0' : 'x';
  std::size_t read = 0;
  for (std::size_t i = std::size_t{64} << 10; i < now.size(); i += 4096) read += now[i] == past;
  EXPECT_EQ(read, (now.size() - (std::size_t{64} << 10) + 4095) / 4096);
  EXPECT_EQ(replaceFile(file, "new"), std::nullopt);
  EXPECT_EQ(now[0], '[');
  EXPECT_EQ(kept.bytes(), "in memory");
}

// The process table is the window's test; /dev is told apart by its path.
TEST(PlatformTest, OrdinaryFolders) {
  test::TempDir dir;
  EXPECT_TRUE(isOrdinaryFolder(dir.path()));
  EXPECT_FALSE(isOrdinaryFolder(dir.write("file.tdf", "")));
#ifndef _WIN32
  for (const char* pseudo : {"/dev", "/sys/kernel"}) EXPECT_FALSE(isOrdinaryFolder(pseudo)) << pseudo;
#endif
}

}  // namespace
}  // namespace qm::platform
