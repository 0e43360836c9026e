// The main window's and the export dialog's procedures, driven through a
// scripted host: start-up, picks, modes, imports and exports.
#include <gtest/gtest.h>

#include "export/checks.h"
#include "presentation/form1_state.h"
#include "presentation/form2_state.h"
#include "presentation/values.h"
#include "test_support.h"

namespace qm {
namespace {

using test::ScriptedHost;
using test::TempDir;

std::vector<std::string> Texts(const WeaponList& list) {
  std::vector<std::string> out;
  for (const auto& e : list.entries()) out.push_back(e.text);
  return out;
}

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteGame(dir, {{"cannons.tdf", "[GUN]\r\n\t{\r\n\tid=12;\r\n\trange=600;\r\n\tballistic=1;\r\n\t[DAMAGE]\r\n\t\t{\r\n"
                                     "\t\tdefault=50;\r\n\t\t}\r\n\t}\r\n"},
                          {"lasers.tdf", "[LASER]\n\t{\n\tid=3;\n\tbeamweapon=1;\n\t}\n"}});
  }
  std::string Extra(const std::string& name, const std::string& text) { return dir.Write(name, text).string(); }

  TempDir dir;
  ScriptedHost host;
  Form1State form{dir.path(), host};
};

TEST_F(FormTest, StartUpListsTheStandardWeaponsInViewingMode) {
  form.Form_Load();
  EXPECT_EQ(Texts(form.Combo1), (std::vector<std::string>{"  3 - LASER", " 12 - GUN"}));
  EXPECT_EQ(form.Label1, "2 Weapons, 254 IDs available");
  EXPECT_TRUE(form.VMode);
  EXPECT_EQ(form.captionTexts, MSwap(true));
  EXPECT_EQ(form.valueTexts[SlotIndex(Slot::vExP)], "100%");
  EXPECT_EQ(form.weapon.damage, std::vector<std::string>{"None"});
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(FormTest, PickingModesAndNotFound) {
  form.Form_Load();
  form.Combo1_Click(1);
  EXPECT_EQ(form.valueTexts[SlotIndex(Slot::vName1)], "GUN");
  EXPECT_EQ(form.valueTexts[SlotIndex(Slot::vBal)], "YES");
  EXPECT_EQ(form.weapon.damage, std::vector<std::string>{"default=50"});

  form.OptionClick(false);
  EXPECT_FALSE(form.VMode);
  EXPECT_EQ(form.valueTexts[SlotIndex(Slot::vBal)], "1");
  EXPECT_EQ(form.valueTexts[SlotIndex(Slot::vExP)], "");
  EXPECT_EQ(form.captionTexts, MSwap(false));

  // The weapon's block disappears: the previous weapon stays, in the mode shown.
  test::WriteGame(dir, {{"lasers.tdf", "[LASER]\n{\nid=3;\n}\n"}});
  form.Combo1_Click(1);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, kMsgNotFound);
  EXPECT_EQ(form.weapon[Slot::vRng], "600");
  EXPECT_EQ(form.valueTexts[SlotIndex(Slot::vRng)], "600");
  EXPECT_EQ(form.weapon.damage, std::vector<std::string>{"default=50"});
  EXPECT_FALSE(form.VMode);

  form.OptionClick(true);
  EXPECT_EQ(form.valueTexts[SlotIndex(Slot::vBal)], "YES");
  EXPECT_EQ(form.captionTexts, MSwap(true));
}

TEST_F(FormTest, DescriptionsAndLabel145) {
  form.Form_Load();
  EXPECT_EQ(form.Label138, "None");
  form.HelpClick(14);
  EXPECT_EQ(form.Label138, "aimrate");
  form.HelpClick(0);
  form.HelpClick(67);
  EXPECT_EQ(form.Label138, "aimrate");
  form.Label145_Click();
  EXPECT_EQ(form.Label145, "Hmm, is this space here for a reason?");
}

TEST_F(FormTest, ImportPaths) {
  form.Form_Load();
  const std::string three = Extra("three.tdf", "[ZED]\nid=200;\n[ALPHA]\nid=1;\n[MID]\nID=50;\n");

  host.paths = {std::nullopt};  // cancelled
  form.Command62_Click();
  EXPECT_EQ(form.IWeaps, 0);
  EXPECT_EQ(form.Label1, "2 Weapons, 254 IDs available");

  host.paths = {(dir.path() / "missing.tdf").string()};
  form.Command62_Click();
  EXPECT_EQ(form.IWeaps, 0);
  EXPECT_TRUE(host.messages.empty());

  host.paths = {three};
  form.Command62_Click();
  EXPECT_EQ(form.IWeaps, 1);
  EXPECT_EQ(form.IWeap[0], three);
  EXPECT_EQ(Texts(form.Combo1),
            (std::vector<std::string>{"  1 - ALPHA", "  3 - LASER", " 12 - GUN", " 50 - MID", "200 - ZED"}));
  EXPECT_EQ(form.Label1, "5 Weapons, 251 IDs available");
  EXPECT_EQ(host.dialogStarts.back(), (dir.path() / "missing.tdf").string());  // starts from the last path

  // An extra file's block beats the standard files' one.
  const std::string gun = Extra("gun.tdf", "[GUN]\n{\nid=99;\nrange=1;\n}\n");
  form.ImportFile(gun);
  form.Combo1_Click(2);  // " 12 - GUN"
  EXPECT_EQ(form.weapon[Slot::vRng], "1");
  EXPECT_EQ(form.weapon[Slot::vID], "99");
}

TEST_F(FormTest, SixteenthImportAsks) {
  form.Form_Load();
  const std::string one = Extra("one.tdf", "[ONE]\nid=9;\n");
  for (int i = 0; i < 15; ++i) ASSERT_TRUE(form.ImportFile(one));
  EXPECT_EQ(form.WNum, 17);

  host.answers = {Answer::Cancel};
  EXPECT_FALSE(form.ImportFile(one));
  EXPECT_EQ(form.IWeaps, 15);
  EXPECT_EQ(form.WNum, 17);
  EXPECT_EQ(host.messages.back().text, kMsgSlotsFull);
  EXPECT_EQ(host.messages.back().buttons, Buttons::OkCancel);

  form.OptionClick(false);
  const std::string two = Extra("two.tdf", "[TWO]\nid=8;\n");
  host.answers = {Answer::Ok};
  EXPECT_TRUE(form.ImportFile(two));
  EXPECT_EQ(form.IWeaps, 1);
  EXPECT_EQ(form.IWeap[0], two);
  for (int k = 1; k < kExtraSlots; ++k) EXPECT_EQ(form.IWeap[k], "");
  EXPECT_EQ(Texts(form.Combo1), (std::vector<std::string>{"  3 - LASER", "  8 - TWO", " 12 - GUN"}));
  EXPECT_EQ(form.Label1, "3 Weapons, 253 IDs available");
  EXPECT_TRUE(form.VMode);  // the rescan returns to Viewing Mode
}

TEST_F(FormTest, UnreadableFilesAreNamedOnce) {
  std::filesystem::remove(dir.path() / "weapons" / "fires.tdf");
  std::filesystem::remove(dir.path() / "weapons" / "units.tdf");
  form.Form_Load();
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_NE(host.messages[0].text.find("fires.tdf"), std::string::npos);
  EXPECT_NE(host.messages[0].text.find("units.tdf"), std::string::npos);
  EXPECT_EQ(form.WNum, 2);
  form.Combo1_Click(0);  // still usable
  EXPECT_EQ(form.weapon[Slot::vBeam], "1");
  EXPECT_EQ(host.messages.size(), 1u);

  std::filesystem::create_directories(dir.path() / "folder.tdf");
  EXPECT_FALSE(form.ImportFile((dir.path() / "folder.tdf").string()));
  EXPECT_EQ(form.IWeaps, 0);
  EXPECT_EQ(host.messages.size(), 2u);
}

class ExportDialogTest : public FormTest {
 protected:
  Form2State::Outcome Continue(const char* n1, const char* n2, const char* id) {
    dialog.Text1 = n1, dialog.Text2 = n2, dialog.Text3 = id;
    return dialog.Command1_Click(form.weapon, host, form.cd1Path);
  }
  Form2State dialog;
};

TEST_F(ExportDialogTest, RefusalsCancelAndOverwrite) {
  form.Form_Load();
  form.Combo1_Click(1);
  using O = Form2State::Outcome;

  EXPECT_EQ(Continue("new", "", "5"), O::StayOpen);
  EXPECT_EQ(host.messages.back().text, kMsgFillAllFields);
  EXPECT_EQ(Continue("new", "New", "abc"), O::StayOpen);
  EXPECT_EQ(host.messages.back().text, kMsgNeedWeaponId);
  EXPECT_TRUE(host.dialogStarts.empty());  // no file dialog for a refusal

  host.paths = {std::nullopt};
  EXPECT_EQ(Continue("new", "New", "5"), O::Hide);
  host.paths = {std::string()};
  EXPECT_EQ(Continue("new", "New", "5"), O::StayOpen);
  EXPECT_EQ(host.messages.back().text, kMsgNeedFileName);

  const auto target = dir.Write("out.tdf", "keep me");
  host.paths = {target.string()};
  host.answers = {Answer::No};
  EXPECT_EQ(Continue("new", "New", "12.5"), O::StayOpen);
  EXPECT_EQ(host.messages.back().text, kMsgOverwrite);
  EXPECT_EQ(host.messages.back().buttons, Buttons::YesNo);
  EXPECT_EQ(test::ReadFile(target), "keep me");
  EXPECT_EQ(dialog.Text1, "new");  // the texts stay for another try

  host.paths = {target.string()};
  host.answers = {Answer::Yes};
  EXPECT_EQ(Continue("new", "New", "12.5"), O::Hide);
  const std::string written = test::ReadFile(target);
  EXPECT_NE(written.find("[NEW]\r\n\t{\r\n\tid=12;\r\n\tname=New;\r\n"), std::string::npos);
  EXPECT_NE(written.find("\trange=600;\r\n"), std::string::npos);
  EXPECT_EQ(host.dialogStarts.back(), target.string());

  dialog.Form_Unload();
  EXPECT_EQ(dialog.Text1 + dialog.Text2 + dialog.Text3, "");
}

TEST_F(ExportDialogTest, WriteFailureKeepsTheDialogOpen) {
  form.Form_Load();
  const auto blocker = dir.Write("plain.txt", "x");
  host.paths = {(blocker / "out.tdf").string()};
  EXPECT_EQ(Continue("new", "New", "5"), Form2State::Outcome::StayOpen);
  EXPECT_NE(host.messages.back().text.find("out.tdf"), std::string::npos);
  EXPECT_EQ(test::ReadFile(blocker), "x");
}

}  // namespace
}  // namespace qm
