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

// Files held whole: the bytes as they are (a large file on large pages, a
// small one in a string), the same refusals as a read, and bytes that stay as
// they were read when the file shrinks on disk or is replaced by a save.
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
  // Held bytes are a copy: what happens to the file after does not reach them.
  std::filesystem::resize_file(file, 4);
  EXPECT_TRUE(moved.bytes() == bytes);
  EXPECT_EQ(replaceFile(file, "new"), std::nullopt);
  EXPECT_TRUE(moved.bytes() == bytes);
  HeldFile small;
  ASSERT_TRUE(HeldFile::hold(file, small, reason));
  EXPECT_EQ(small.bytes(), "new");
  moved = std::move(small);
  EXPECT_EQ(moved.bytes(), "new");
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
