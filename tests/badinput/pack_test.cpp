// Packs that cannot be written: a disk that fills up part way, an old archive
// that must stay, a pipe among the files. The message names the archive and
// says why; the folder is as it was, without a temporary file.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <sstream>

#include "archive/archive.h"
#include "cli/cli.h"
#include "test_support.h"

namespace qm::badinput {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> entries(const fs::path& root) {
  std::vector<std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(root))
    out.push_back(e.path().lexically_relative(root).string());
  std::sort(out.begin(), out.end());
  return out;
}

int run(const std::vector<std::string>& args, std::string& err, rlim_t fileSizeLimit = RLIM_INFINITY) {
  struct rlimit saved {
  }, limit{};
  if (::getrlimit(RLIMIT_FSIZE, &saved) != 0) return -1;
  std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of ending the program
  limit = saved;
  limit.rlim_cur = fileSizeLimit;
  if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return -1;
  std::ostringstream out, errors;
  const int status = runCli(args, out, errors);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  err = errors.str();
  return status;
}

TEST(PackBadInputTest, NothingLeftBehind) {
  test::TempDir dir;
  std::string random(3 << 20, '\0');
  for (std::size_t i = 0; i < random.size(); ++i) random[i] = static_cast<char>(i * 2654435761u >> 13);
  dir.write("mod/weapons/big.bin", random);
  dir.write("mod/weapons/small.tdf", "[GUN]\r\n{\r\n}\r\n");
  dir.write("out/old.ufo", "the old archive");
  const std::string mod = (dir.path() / "mod").string(), old = (dir.path() / "out/old.ufo").string();
  const auto before = entries(dir.path());

  const struct {
    const char* what;
    std::vector<std::string> args;
    rlim_t limit;
    const char* says;
  } kCases[] = {
      {"disk fills up in the content", {"pack", mod, old, "--store", "--overwrite"}, 1 << 20, "File too large"},
      {"disk fills up at the start", {"pack", mod, old, "--overwrite"}, 10, "File too large"},
      {"pipe among the files", {"pack", mod, old, "--overwrite"}, RLIM_INFINITY, "neither a file nor a folder"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    const fs::path pipe = dir.path() / "mod/weapons/pipe";
    if (c.limit == RLIM_INFINITY) {
      ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    }
    std::string err;
    EXPECT_EQ(run(c.args, err, c.limit), 1);
    EXPECT_NE(err.find(c.says), std::string::npos) << err;
    EXPECT_NE(err.find(c.limit == RLIM_INFINITY ? "pipe" : old), std::string::npos) << err;
    fs::remove(pipe);
    EXPECT_EQ(entries(dir.path()), before);
    EXPECT_EQ(test::readFile(old), "the old archive");
  }
  // With room, the same pack goes through.
  std::string err;
  EXPECT_EQ(run({"pack", mod, old, "--overwrite"}, err), 0) << err;
  std::string reason;
  EXPECT_TRUE(Archive::open(fs::path(old), reason)) << reason;
}

}  // namespace
}  // namespace qm::badinput
