// Exports that cannot be written: a message names the path, the dialog stays
// open and nothing in the folder changes, not even by a temporary file.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <map>

#include "presentation/export_dialog_state.h"
#include "test_support.h"

namespace qm::badinput {
namespace {

using Path = std::filesystem::path;

// Every entry under `root`: a file with its bytes, anything else as "-".
std::map<std::string, std::string> snapshot(const Path& root) {
  std::map<std::string, std::string> out;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root))
    out[e.path().lexically_relative(root).string()] = e.is_regular_file() ? test::readFile(e.path()) : "-";
  return out;
}

struct ExportCase {
  const char* what;
  Path (*prepare)(const test::TempDir& d);  // returns the path to export to
  bool diskFull = false;                    // writes beyond 64 bytes fail
};

const std::string kOld = "[OLD]\r\n{\r\nid=1;\r\n}\r\n[OLD2]\r\n{\r\nid=2;\r\n}\r\n";

const ExportCase kCases[] = {
    {"path_is_a_folder", [](const test::TempDir& d) { return d.write("folder.tdf/kept.tdf", kOld).parent_path(); }},
    {"over_a_read_only_file",
     [](const test::TempDir& d) {
       const Path locked = d.write("locked.tdf", kOld);
       std::filesystem::permissions(locked, std::filesystem::perms(0444));
       return locked;
     }},
    // No temporary file can be made beside it, as in a missing or read-only folder.
    {"under_a_regular_file", [](const test::TempDir& d) { return d.write("file.txt", kOld) / "out.tdf"; }},
    {"write_fails_part_way", [](const test::TempDir& d) { return d.write("full.tdf", kOld); }, true},
};

TEST(FailingExport, MessageDialogStaysOpenNothingChanges) {
  for (const ExportCase& c : kCases) {
    SCOPED_TRACE(c.what);
    test::TempDir out;
    const Path target = c.prepare(out);
    const auto before = snapshot(out.path());
    const bool asks = std::filesystem::is_regular_file(target);  // whether to write over it

    test::ScriptedHost host;
    host.paths = {target.string()};
    if (asks) host.answers = {Answer::Yes};
    ExportDialogState dialog;
    dialog.actualName = "newgun", dialog.name = "New Gun", dialog.weaponId = "42";
    std::filesystem::path cd1Path;

    struct rlimit saved {
    }, limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of ending the program
    limit = saved;
    if (c.diskFull) limit.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    const auto outcome = dialog.exportWeapon(CurrentWeapon{}, host, cd1Path);
    ::setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_EQ(outcome, ExportDialogState::Outcome::StayOpen);
    ASSERT_EQ(host.messages.size(), asks ? 2u : 1u);
    EXPECT_TRUE(host.answers.empty());
    EXPECT_NE(host.messages.back().find(target.string()), std::string::npos) << host.messages.back();
    EXPECT_EQ(snapshot(out.path()), before);
  }
}

}  // namespace
}  // namespace qm::badinput
