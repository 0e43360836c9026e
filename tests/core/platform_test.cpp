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

// What a replacement must not touch (the exports prove the writes that succeed).
TEST(PlatformTest, ReplaceRefusesReadOnlyFilesAndFolders) {
  test::TempDir dir;
  const auto locked = dir.Write("locked.tdf", "kept");
  std::filesystem::permissions(locked, std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                           std::filesystem::perms::others_write,
                               std::filesystem::perm_options::remove);
  EXPECT_EQ(replaceFile(locked, "lost"), "the file is read-only");
  EXPECT_EQ(test::ReadFile(locked), "kept");
  EXPECT_TRUE(replaceFile(dir.path(), "lost").has_value());
}

TEST(PlatformTest, OrdinaryFolders) {
  test::TempDir dir;
  EXPECT_TRUE(isOrdinaryFolder(dir.path()));
  EXPECT_FALSE(isOrdinaryFolder(dir.Write("file.tdf", "")));
  EXPECT_FALSE(isOrdinaryFolder(dir.path() / "none"));
#ifndef _WIN32
  for (const char* pseudo : {"/proc", "/proc/self", "/proc/self/fd", "/sys/kernel", "/dev", "/dev/pts"})
    if (std::filesystem::exists(pseudo)) {
      EXPECT_FALSE(isOrdinaryFolder(pseudo)) << pseudo;
    }
#endif
}

}  // namespace
}  // namespace qm::platform
