// The file calls that differ between systems: whole-file reads, one-step
// replacement and the folders file dialogs may start in.
#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "test_support.h"

namespace qm::platform {
namespace {

TEST(PlatformTest, ReadsWholeRegularFilesOnly) {
  test::TempDir dir;
  const std::string big(300 * 1024 + 7, '\xe9');
  const struct {
    const char* what;
    std::filesystem::path path;
    bool ok;
    std::string bytes;
  } cases[] = {
      {"bytes as they are", dir.Write("a.tdf", std::string("a\r\n\0b\x1a\xff", 8)), true, std::string("a\r\n\0b\x1a\xff", 8)},
      {"empty", dir.Write("empty.tdf", ""), true, ""},
      {"larger than one read", dir.Write("big.tdf", big), true, big},
      {"shorter than the file before", dir.Write("short.tdf", "x;"), true, "x;"},
      {"missing", dir.path() / "none.tdf", false, ""},
  };
  std::string out = "left over";
  for (const auto& c : cases) {
    std::string reason;
    EXPECT_EQ(readRegularFile(c.path, out, reason), c.ok) << c.what;
    EXPECT_EQ(out, c.bytes) << c.what;
    EXPECT_EQ(reason.empty(), c.ok) << c.what << ": " << reason;
  }
}

// A new file, a longer one replaced by a shorter, and a read-only one refused
// and kept. (What else is refused is the bad-input exports' table.)
TEST(PlatformTest, ReplacesInOneStepButNotReadOnlyFiles) {
  test::TempDir dir;
  const auto file = dir.path() / "new.tdf";
  for (const std::string bytes : {"longer text\r\n", "short"}) {
    EXPECT_EQ(replaceFile(file, bytes), std::nullopt);
    EXPECT_EQ(test::ReadFile(file), bytes);
  }
  std::filesystem::permissions(file, std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                         std::filesystem::perms::others_write,
                               std::filesystem::perm_options::remove);
  EXPECT_EQ(replaceFile(file, "lost"), "the file is read-only");
  EXPECT_EQ(test::ReadFile(file), "short");
}

// The process table is the window's test; /dev is told apart by its path.
TEST(PlatformTest, OrdinaryFolders) {
  test::TempDir dir;
  EXPECT_TRUE(isOrdinaryFolder(dir.path()));
  EXPECT_FALSE(isOrdinaryFolder(dir.Write("file.tdf", "")));
#ifndef _WIN32
  for (const char* pseudo : {"/dev", "/sys/kernel"}) EXPECT_FALSE(isOrdinaryFolder(pseudo)) << pseudo;
#endif
}

}  // namespace
}  // namespace qm::platform
