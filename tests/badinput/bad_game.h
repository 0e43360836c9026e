// A game folder with one weapon in each standard file, the main window's state
// over it, and the check that the state is still usable after bad input.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/game_files.h"
#include "presentation/main_window_state.h"
#include "test_support.h"

namespace qm::badinput {

using Path = std::filesystem::path;

// Standard file i (0 to 7) holds the weapon STD<i+1> with the ID and the
// reload time i+1.
inline std::string StandardName(std::size_t i) { return "STD" + std::to_string(i + 1); }
inline std::string StandardEntry(std::size_t i) { return "  " + std::to_string(i + 1) + " - " + StandardName(i); }

// Permissions do not stop the superuser.
inline bool RunningAsRoot() { return ::geteuid() == 0; }
inline Path Chmod(const Path& p, int mode) {
  std::filesystem::permissions(p, static_cast<std::filesystem::perms>(mode));
  return p;
}

inline std::vector<std::string> SortedTexts(const WeaponList& list) {
  std::vector<std::string> out;
  for (const auto& e : list.entries()) out.push_back(e.text);
  std::sort(out.begin(), out.end());
  return out;
}

struct Game {
  Game() {
    ::alarm(60);  // a read that blocks for good ends the program instead of hanging it
    std::map<std::string, std::string> files;
    for (std::size_t i = 0; i < kStandardFiles.size(); ++i)
      files[std::string(kStandardFiles[i])] = "[" + StandardName(i) + "]\r\n\t{\r\n\tid=" + std::to_string(i + 1) +
                                              ";\r\n\treloadtime=" + std::to_string(i + 1) + ";\r\n\t}\r\n";
    test::WriteGame(dir, files);
  }
  ~Game() { ::alarm(0); }

  Path Standard(std::size_t i) const { return dir.path() / "weapons" / std::string(kStandardFiles[i]); }

  // The window still works, without a message: the weapon of a readable
  // standard file loads, and a good file imports and its weapon loads.
  void ExpectUsable(std::optional<std::size_t> readable) {
    const std::size_t messages = host.messages.size();
    if (readable) {
      EXPECT_TRUE(form.showWeapon(StandardName(*readable)));
      EXPECT_EQ(form.weapon()[Slot::vRTime], std::to_string(*readable + 1));
    }
    const long before = form.weaponList().size();
    EXPECT_TRUE(form.addImport(dir.Write("extra.tdf", "[EXTRA]\n{\nid=200;\nrange=5;\n}\n").string()));
    EXPECT_EQ(form.countLine(), CountLine(before + 1));
    EXPECT_TRUE(form.showWeapon("EXTRA"));
    EXPECT_EQ(form.weapon()[Slot::vRng], "5");
    EXPECT_EQ(host.messages.size(), messages) << host.messages.back();
  }

  test::TempDir dir;
  test::ScriptedHost host;
  MainWindowState form{dir.path(), host};
};

}  // namespace qm::badinput
