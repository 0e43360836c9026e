// The TDF writer and the export dialog's checks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/checks.h"
#include "export/writer.h"
#include "test_support.h"
#include "weapon/loader.h"

namespace qm {
namespace {

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2)
    lines.push_back(text.substr(from, at - from));
  EXPECT_EQ(from, text.size()) << "the last line must end with CR LF";
  return lines;
}

TEST(WriterTest, TheNineteenLineExample) {
  CurrentWeapon w;
  w.Clear();
  w[Slot::vRTime] = "2";
  w[Slot::vMod] = "missile";
  w.damage = {"default=50"};
  EXPECT_EQ(SplitCrLf(FormatExport("newgun", "New Gun", 42, w)),
            (std::vector<std::string>{"//This was exported using Quillmark", "[NEWGUN]", "\t{", "\tid=42;",
                                      "\tname=New Gun;", "", "\tmodel=missile;", "\treloadtime=2;", "", "", "", "",
                                      "", "", "\t[DAMAGE]", "\t\t{", "\t\tdefault=50;", "\t\t}", "\t}"}));
}

// Values go out as they are; the name is capitalised in Windows-1252; the
// weapon's own names and ID are replaced; a never-loaded damage list is "None".
TEST(WriterTest, ValuesAndNamesAreWrittenAsTheyAre) {
  CurrentWeapon w;
  w[Slot::vTurret] = "  ", w[Slot::vSSound] = "None", w[Slot::vName1] = w[Slot::vName2] = "ignored", w[Slot::vID] = "99";
  const std::string text = FormatExport("laser2\xe9", "Mixed Case", -3, w);
  for (const char* part : {"[LASER2\xc9]\r\n", "\tid=-3;\r\n", "\tname=Mixed Case;\r\n", "\tturret=  ;\r\n",
                           "\tsoundstart=None;\r\n", "\t\tNone;\r\n"})
    EXPECT_NE(text.find(part), std::string::npos) << part;
  EXPECT_EQ(text.find("ignored"), std::string::npos);
  EXPECT_EQ(text.find("99"), std::string::npos);
}

TEST(WriterTest, ReplacesFilesKeepingPermissionsAndLinks) {
  test::TempDir dir;
  CurrentWeapon w;
  const std::string expected = FormatExport("gun", "Gun", 1, w);
  const auto target = dir.Write("gun.tdf", std::string(5000, 'z'));
#ifndef _WIN32  // permission bits and links as POSIX systems have them
  std::filesystem::permissions(target, std::filesystem::perms(0640));
#endif
  ASSERT_FALSE(WriteExport(target.string(), "gun", "Gun", 1, w));
  EXPECT_EQ(test::ReadFile(target), expected);  // replaced, not appended
#ifndef _WIN32
  EXPECT_EQ(std::filesystem::status(target).permissions(), std::filesystem::perms(0640));
#endif

  const auto noExt = dir.path() / "plain";  // no extension is added
  ASSERT_FALSE(WriteExport(noExt.string(), "gun", "Gun", 1, w));
  EXPECT_EQ(test::ReadFile(noExt), expected);

#ifndef _WIN32
  // Writing through a link replaces the file it points to and keeps the link.
  std::filesystem::create_symlink(target, dir.path() / "link.tdf");
  dir.Write("gun.tdf", "old");
  ASSERT_FALSE(WriteExport((dir.path() / "link.tdf").string(), "gun", "Gun", 1, w));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "link.tdf"));
  EXPECT_EQ(test::ReadFile(target), expected);
#endif
}

TEST(ChecksTest, RefusalsInTheirOrder) {
  const struct {
    const char *n1, *n2, *id;
    std::optional<std::string_view> message;
  } cases[] = {
      {"", "b", "1", kMsgFillAllFields},  {"a", "", "1", kMsgFillAllFields},    {"a", "b", "", kMsgFillAllFields},
      {"", "", "abc", kMsgFillAllFields}, {" ", " ", "5", std::nullopt},        {"a", "b", "00", kMsgNeedWeaponId},
      {"a", "b", "7abc", kMsgNeedWeaponId}, {"a", "b", "9999999999", kMsgNeedWeaponId}, {"a", "b", "-5", std::nullopt},
      {"a", "b", "12.5", std::nullopt},   {"a", "b", "0.4", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(CheckNewValues(c.n1, c.n2, c.id), c.message) << c.n1 << "|" << c.n2 << "|" << c.id;
  EXPECT_EQ(WeaponIdNumber("0.4"), 0);  // leads with 0.4, so it passes, and is written as 0
}

// A weapon read from a file, exported and read back gives the same values.
TEST(WriterTest, RoundTripThroughTheLoader) {
  test::TempDir dir;
  std::string block = "[ORIGINAL]\r\n\t{\r\n\tid=5;\r\n\tname=Old;\r\n";
  int n = 0;
  for (const FieldRow& row : kFields)
    if (row.isKeyLine() && row.slot != Slot::vName2 && row.slot != Slot::vID)
      block += "\t" + std::string(row.key) + "=value " + std::to_string(++n) + "\xe9;\r\n";
  block += "\t[DAMAGE]\r\n\t\t{\r\n\t\tdefault=50;\r\n\t\tARMCOM=1 ;\r\n\t\t}\r\n\t}\r\n";
  const auto source = dir.Write("source.tdf", block);

  CurrentWeapon original;
  bool carry = false;
  ASSERT_TRUE(LoadWeapon("ORIGINAL", {looseFile(source)}, original, carry).found);
  const auto exported = dir.path() / "new.tdf";
  ASSERT_FALSE(WriteExport(exported.string(), "copy", "New", 77, original));

  CurrentWeapon copy;
  ASSERT_TRUE(LoadWeapon("COPY", {looseFile(exported)}, copy, carry).found);
  for (Slot s : kWriterOrder)
    if (s != kGroupEnd) {
      EXPECT_EQ(copy[s], original[s]) << FieldOfSlot(s).key;
    }
  EXPECT_EQ(copy[Slot::vID], "77");
  EXPECT_EQ(copy[Slot::vName2], "New");
  EXPECT_EQ(copy.damage, original.damage);
  EXPECT_EQ(copy.damage, (std::vector<std::string>{"default=50", "ARMCOM=1 "}));
}

}  // namespace
}  // namespace qm
