// The TDF writer and the export dialog's checks. The golden file holds the
// export of a weapon that fills every field.
#include <gtest/gtest.h>

#include <string>

#include "export/checks.h"
#include "export/writer.h"
#include "test_support.h"

namespace qm {
namespace {

// Empty values leave their group's blank line; values go out as they are;
// the new name is capitalised in Windows-1252.
TEST(WriterTest, TheNineteenLineExample) {
  CurrentWeapon w;
  w.clear();
  w[Slot::ReloadTime] = std::string("2");
  w[Slot::Model] = " missile ";
  w.damage = {"default=50"};
  EXPECT_EQ(formatExport("newgun\xe9", "New Gun", -3, w),
            "//This was exported using Quillmark\r\n[NEWGUN\xc9]\r\n\t{\r\n\tid=-3;\r\n\tname=New Gun;\r\n\r\n"
            "\tmodel= missile ;\r\n\treloadtime=2;\r\n\r\n\r\n\r\n\r\n\r\n\r\n"
            "\t[DAMAGE]\r\n\t\t{\r\n\t\tdefault=50;\r\n\t\t}\r\n\t}\r\n");
}

// Writing through a link replaces the file it points to, keeping the link
// and the file's permissions.
TEST(WriterTest, ReplacesFilesKeepingPermissionsAndLinks) {
#ifdef _WIN32
  GTEST_SKIP() << "permission bits and links as POSIX systems have them";
#endif
  test::TempDir dir;
  const auto target = dir.write("gun.tdf", std::string(5000, 'z'));
  std::filesystem::permissions(target, std::filesystem::perms(0640));
  const auto link = dir.path() / "link.tdf";
  std::filesystem::create_symlink(target, link);
  CurrentWeapon w;
  ASSERT_FALSE(writeExport(link, "gun", "Gun", 1, w));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(std::filesystem::status(target).permissions(), std::filesystem::perms(0640));
  const std::string written = test::readFile(target);
  EXPECT_EQ(written, formatExport("gun", "Gun", 1, w));
  EXPECT_NE(written.find("\t\t{\r\n\t\tNone;\r\n"), std::string::npos);  // a damage list never loaded
}

TEST(ChecksTest, RefusalsInTheirOrder) {
  const struct {
    const char *n1, *n2, *id;
    std::optional<std::string_view> message;
  } cases[] = {
      {"", "", "abc", kMsgFillAllFields}, {"a", "b", "", kMsgFillAllFields},    {" ", " ", "5", std::nullopt},
      {"a", "b", "00", kMsgNeedWeaponId}, {"a", "b", "7abc", kMsgNeedWeaponId}, {"a", "b", "0.4", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(checkNewValues(c.n1, c.n2, c.id), c.message) << c.n1 << "|" << c.n2 << "|" << c.id;
}

}  // namespace
}  // namespace qm
