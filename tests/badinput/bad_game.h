// A game folder with one weapon in each standard file, the main window's
// state over it, and the checks that the state is still usable after bad
// input.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "catalogue/game_files.h"
#include "presentation/form1_state.h"
#include "test_support.h"

namespace qm::badinput {

// The weapon of standard file i (0 to 7): "[STD<i+1>]" with the ID i+1 and
// the reload time i+1.
inline std::string StandardName(std::size_t i) { return "STD" + std::to_string(i + 1); }
inline std::string StandardBlock(std::size_t i) {
  return "[" + StandardName(i) + "]\r\n\t{\r\n\tid=" + std::to_string(i + 1) + ";\r\n\treloadtime=" +
         std::to_string(i + 1) + ";\r\n\t}\r\n";
}

// Permissions do not stop the superuser from reading or writing.
inline bool RunningAsRoot() { return ::geteuid() == 0; }

inline std::vector<std::string> EntryTexts(const WeaponList& list) {
  std::vector<std::string> out;
  for (const auto& e : list.entries()) out.push_back(e.text);
  return out;
}

inline std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

struct Game {
  Game() {
    std::map<std::string, std::string> files;
    for (std::size_t i = 0; i < kStandardFiles.size(); ++i) files[std::string(kStandardFiles[i])] = StandardBlock(i);
    test::WriteGame(dir, files);
  }

  std::filesystem::path Standard(std::size_t i) const { return dir.path() / "weapons" / std::string(kStandardFiles[i]); }

  // After bad input the window must still work: the weapon of a readable
  // standard file loads, and a good file can be imported and loaded, with no
  // message on the way.
  void ExpectUsable(std::size_t readableStandard) {
    const std::size_t messages = host.messages.size();
    EXPECT_TRUE(form.LoadWeapByName(StandardName(readableStandard)));
    EXPECT_EQ(form.weapon[Slot::vRTime], std::to_string(readableStandard + 1));

    const long before = form.WNum;
    const int slots = form.IWeaps;
    const auto extra = dir.Write("extra-" + std::to_string(extras++) + ".tdf", "[EXTRA]\n{\nid=200;\nrange=5;\n}\n");
    EXPECT_TRUE(form.ImportFile(extra.string()));
    EXPECT_EQ(form.IWeaps, slots + 1);
    EXPECT_EQ(form.WNum, before + 1);
    EXPECT_EQ(form.Label1, CountLine(form.WNum));
    EXPECT_TRUE(form.LoadWeapByName("EXTRA"));
    EXPECT_EQ(form.weapon[Slot::vRng], "5");
    EXPECT_EQ(host.messages.size(), messages) << "unexpected message: " << host.messages.back().text;
  }

  test::TempDir dir;
  test::ScriptedHost host;
  Form1State form{dir.path(), host};
  int extras = 0;
};

}  // namespace qm::badinput
