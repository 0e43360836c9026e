// Exports that cannot be written: each gives a message that names the path,
// the dialog stays open with its texts, nothing in the folder changes (an
// existing file stays byte for byte, no temporary file is left), and a
// following export to a good path works.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <map>

#include "bad_game.h"
#include "presentation/form2_state.h"

namespace qm::badinput {
namespace {

// Every file under `root` with its bytes, folders as "/".
std::map<std::string, std::string> Snapshot(const std::filesystem::path& root) {
  std::map<std::string, std::string> out;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    const std::string rel = std::filesystem::relative(e.path(), root).string();
    out[rel] = e.is_directory() ? "/" : test::ReadFile(e.path());
  }
  return out;
}

struct ExportCase {
  const char* what;
  // Prepares the folder `dir` and returns the path to export to.
  std::filesystem::path (*prepare)(const test::TempDir& dir);
  bool asksOverwrite;      // a file is there: the overwrite question comes first
  bool needsPermissions;   // relies on permissions, which do not stop root
};
void PrintTo(const ExportCase& c, std::ostream* os) { *os << c.what; }

const ExportCase kCases[] = {
    {"folder_does_not_exist", [](const test::TempDir& d) { return d.path() / "no-such-folder" / "out.tdf"; }, false,
     false},
    {"under_a_regular_file",
     [](const test::TempDir& d) { return d.Write("file.txt", "plain text\n") / "out.tdf"; }, false, false},
    {"path_is_a_folder",
     [](const test::TempDir& d) {
       std::filesystem::create_directories(d.path() / "folder.tdf" / "inside");
       d.Write("folder.tdf/inside/kept.tdf", "kept");
       return d.path() / "folder.tdf";
     },
     false, false},
    {"over_a_read_only_file",
     [](const test::TempDir& d) {
       const auto p = d.Write("locked.tdf", "[OLD]\r\n{\r\nid=1;\r\n}\r\n");
       std::filesystem::permissions(p, std::filesystem::perms(0444));
       return p;
     },
     true, false},
    {"into_a_read_only_folder",
     [](const test::TempDir& d) {
       d.Write("ro/present.tdf", "present");
       std::filesystem::permissions(d.path() / "ro", std::filesystem::perms(0555));
       return d.path() / "ro" / "out.tdf";
     },
     false, true},
    {"over_a_file_in_a_read_only_folder",
     [](const test::TempDir& d) {
       const auto p = d.Write("ro/present.tdf", "present");
       std::filesystem::permissions(d.path() / "ro", std::filesystem::perms(0555));
       return p;
     },
     true, true},
};

class FailingExport : public ::testing::TestWithParam<ExportCase> {};

TEST_P(FailingExport, MessageDialogStaysOpenNothingChanges) {
  const ExportCase& c = GetParam();
  if (c.needsPermissions && RunningAsRoot())
    GTEST_SKIP() << "running as root, where a read-only folder can be written; the path under a regular file "
                    "covers a folder that cannot be written";

  Game game;
  game.form.Form_Load();
  game.form.LoadWeapByName("STD3");
  test::TempDir out;
  const std::filesystem::path target = c.prepare(out);
  const auto before = Snapshot(out.path());

  Form2State dialog;
  dialog.Text1 = "newgun", dialog.Text2 = "New Gun", dialog.Text3 = "42";
  game.host.paths = {target.string()};
  if (c.asksOverwrite) game.host.answers = {Answer::Yes};

  EXPECT_EQ(dialog.Command1_Click(game.form.weapon, game.host, game.form.cd1Path), Form2State::Outcome::StayOpen);
  ASSERT_FALSE(game.host.messages.empty());
  const auto& message = game.host.messages.back();
  EXPECT_EQ(message.buttons, Buttons::Ok);
  EXPECT_NE(message.text.find(target.string()), std::string::npos) << message.text;
  EXPECT_EQ(game.host.messages.size(), c.asksOverwrite ? 2u : 1u);
  EXPECT_TRUE(game.host.answers.empty());
  EXPECT_EQ(dialog.Text1 + "|" + dialog.Text2 + "|" + dialog.Text3, "newgun|New Gun|42");
  EXPECT_EQ(Snapshot(out.path()), before);

  // The user picks another path and the export goes through.
  const auto good = out.path() / "good.tdf";
  game.host.paths = {good.string()};
  EXPECT_EQ(dialog.Command1_Click(game.form.weapon, game.host, game.form.cd1Path), Form2State::Outcome::Hide);
  const std::string written = test::ReadFile(good);
  EXPECT_NE(written.find("[NEWGUN]\r\n\t{\r\n\tid=42;\r\n\tname=New Gun;\r\n"), std::string::npos);
  EXPECT_NE(written.find("\treloadtime=3;\r\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Each, FailingExport, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.what); });

// A write that fails part way, as on a full disk: the file size limit makes
// the writes beyond a few bytes fail (for root too). The file written over
// keeps every byte and no temporary file is left.
TEST(WriteFailsPartWay, ExistingFileKeepsEveryByte) {
  Game game;
  game.form.Form_Load();
  game.form.LoadWeapByName("STD5");
  test::TempDir out;
  const std::string old = StandardBlock(0) + StandardBlock(1);
  const auto target = out.Write("full.tdf", old);
  const auto before = Snapshot(out.path());

  Form2State dialog;
  dialog.Text1 = "newgun", dialog.Text2 = "New Gun", dialog.Text3 = "42";
  game.host.paths = {target.string()};
  game.host.answers = {Answer::Yes};

  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead
  struct rlimit small = saved;
  small.rlim_cur = 64;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const auto outcome = dialog.Command1_Click(game.form.weapon, game.host, game.form.cd1Path);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldSignal);

  EXPECT_EQ(outcome, Form2State::Outcome::StayOpen);
  ASSERT_EQ(game.host.messages.size(), 2u);  // the overwrite question, then the failure
  EXPECT_NE(game.host.messages[1].text.find(target.string()), std::string::npos) << game.host.messages[1].text;
  EXPECT_EQ(Snapshot(out.path()), before);

  // With room again the same export goes through.
  game.host.paths = {target.string()};
  game.host.answers = {Answer::Yes};
  EXPECT_EQ(dialog.Command1_Click(game.form.weapon, game.host, game.form.cd1Path), Form2State::Outcome::Hide);
  EXPECT_NE(test::ReadFile(target).find("\treloadtime=5;\r\n"), std::string::npos);
}

}  // namespace
}  // namespace qm::badinput
