// Editing files as POSIX systems have them: links, owners, permissions,
// full disks.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include "catalogue/game_files.h"
#include "edit/session.h"
#include "test_support.h"

namespace qm::badinput {
namespace {

constexpr auto kSet = edit::Change::Kind::Set;

// The files of a folder as an edit leaves them: a link stays a link, other
// hard links are refused unless broken, owner, group and mode are kept for
// the file and its backup, leftovers of killed writers go, a read-only folder
// is named as such, and a file is never grown past what Quillmark reads.
TEST(EditFiles, LinksOwnersLeftoversFullDisksAndSizes) {
  test::TempDir dir;
  test::writeGame(dir, {{"lasers.tdf", "[LASER]\n{\nid=5;\n}\n"}, {"cannons.tdf", "[GUN]\n{\nid=6;\n}\n"}});
  const auto file = [&](const char* name) { return dir.path() / "weapons" / name; };
  const auto open = [&] { return edit::Session(dir.path(), GameFiles(dir.path()).standardFiles()); };
  namespace fs = std::filesystem;
  const fs::path lasers = file("lasers.tdf"), real = dir.path() / "real-lasers.tdf";
  fs::rename(lasers, real);
  fs::create_symlink(real, lasers);
  dir.write("weapons/.quillmark-Ab12Zx", "left by a killed save");
  dir.write("weapons/.quillmark-notes", "not ours");
  edit::Session s = open();
  ASSERT_TRUE(s.apply({{kSet, "LASER", "id", "8"}}).step);
  ASSERT_FALSE(s.save().refusal);
  EXPECT_TRUE(fs::is_symlink(lasers));
  EXPECT_NE(test::readFile(real).find("id=8;"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir.path() / "weapons" / ".quillmark-Ab12Zx"));
  EXPECT_TRUE(fs::exists(dir.path() / "weapons" / ".quillmark-notes"));

  const fs::path cannons = file("cannons.tdf"), other = dir.path() / "other-name.tdf";
  fs::create_hard_link(cannons, other);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(cannons.c_str(), 4321, 4322), 0);
  }
  fs::permissions(cannons, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  edit::Session t = open();
  ASSERT_TRUE(t.apply({{kSet, "GUN", "id", "9"}}).step);
  EXPECT_NE(t.save().refusal.value_or("").find("has 2 hard links"), std::string::npos);
  ASSERT_FALSE(t.save(true, true).refusal);
  EXPECT_NE(test::readFile(other), test::readFile(cannons));
  for (const fs::path& p : {cannons, fs::path(cannons.string() + ".bak")}) {
    struct stat st {};
    ASSERT_EQ(::stat(p.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u) << p;
    if (root) {
      EXPECT_EQ(st.st_uid, 4321u) << p;
      EXPECT_EQ(st.st_gid, 4322u) << p;
    }
  }

  // A folder marked read-only, its file writable.
  ASSERT_TRUE(t.apply({{kSet, "GUN", "id", "10"}}).step);
  fs::permissions(cannons.parent_path(), fs::perms::owner_write, fs::perm_options::remove);
  const auto refusal = t.save().refusal;
  fs::permissions(cannons.parent_path(), fs::perms::owner_write, fs::perm_options::add);
  EXPECT_NE(refusal.value_or("").find("the folder is read-only"), std::string::npos) << refusal.value_or("");

  // A full disk (here a limit on the size of files written).
  ASSERT_TRUE(t.apply({{kSet, "GUN", "name", std::string(4096, 'n')}}).step);
  struct rlimit saved {
  }, limit{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  std::signal(SIGXFSZ, SIG_IGN);
  limit = saved;
  limit.rlim_cur = 1024;
  const std::string before = test::readFile(cannons);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  const auto full = t.save();
  ::setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_NE(full.refusal.value_or("").find(": the file is unchanged"), std::string::npos) << full.refusal.value_or("");
  EXPECT_EQ(test::readFile(cannons), before);

  const edit::Applied huge = t.apply({{kSet, "GUN", "name", std::string(kLargestWeaponFile, 'x')}});
  EXPECT_FALSE(huge.step);
  EXPECT_NE(huge.refusal.find("larger than 64 MiB"), std::string::npos);
}

}  // namespace
}  // namespace qm::badinput
