// Value texts of both modes. The captions, the descriptions and the rule of
// each field are held by the golden file of the command line.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "catalogue/weapon_list.h"
#include "cli/cli.h"
#include "cli_run.h"
#include "platform/path_text.h"
#include "presentation/column_choice.h"
#include "presentation/export_dialog_state.h"
#include "presentation/main_window_state.h"
#include "presentation/quick_find.h"
#include "presentation/values.h"
#include "support/scripted_host.h"
#include "test_support.h"
#include "text/text.h"

namespace qm {
namespace {

std::string shown(Slot s, const std::string& value, bool viewing = true) {
  CurrentWeapon w;
  w.clear();
  w[s] = value;
  return valueTexts(viewing, w)[slotIndex(s)];
}

// After each import the window can say what it added and from which file,
// named as the game folder sees it; a path with no file, a refused sixteenth
// import and a cancelled dialog leave the last word as it was.
TEST(ImportNoteTest, SaysWhatEachImportAdded) {
  test::TempDir game, elsewhere;
  test::writeGame(game, {});
  const std::string three =
      platform::utf8Of(game.write("extra/three.tdf", "[A]\n{\nid=1;\n}\n[B]\n{\nid=2;\n}\n[C]\n{\nid=3;\n}\n"));
  const std::string one = platform::utf8Of(elsewhere.write("one.tdf", "[D]\n{\nid=4;\n}\n"));
  const std::string none = platform::utf8Of(elsewhere.write("none.tdf", "no weapons\n"));
  test::ScriptedHost host;
  MainWindowState window(game.path(), host);
  window.rebuildList();
  EXPECT_EQ(window.importNote(), "");
  const struct {
    std::optional<std::string> path;
    std::string note;
  } cases[] = {
      {three, "3 weapons added from extra/three.tdf (import 1 of 15)"},
      {one, "1 weapon added from " + one + " (import 2 of 15)"},
      {none, "0 weapons added from " + none + " (import 3 of 15)"},
      {platform::utf8Of(elsewhere.path()) + "/gone.tdf", "0 weapons added from " + none + " (import 3 of 15)"},
      {std::nullopt, "0 weapons added from " + none + " (import 3 of 15)"},
  };
  for (const auto& c : cases) {
    host.paths.push_back(c.path);
    window.importFile();
    EXPECT_EQ(window.importNote(), c.note) << c.path.value_or("cancelled");
  }
  for (int i = 3; i < kImportSlots; ++i) ASSERT_TRUE(window.addImport(none));
  host.answers = {Answer::Cancel, Answer::Ok};
  EXPECT_FALSE(window.addImport(one));
  EXPECT_EQ(window.importNote(), "0 weapons added from " + none + " (import 15 of 15)");
  EXPECT_TRUE(window.addImport(three));
  EXPECT_EQ(window.importNote(), "3 weapons added from extra/three.tdf (import 1 of 15)");
}

// A game folder whose name the system's code page may not hold (on Windows
// a name that passed through it would no longer be found): the list, an
// import from the folder, its note, an export into it and the command line.
TEST(PathNamesTest, AGameInAFolderNamedZoe) {
  for (const std::string folder : {"Zo\u00eb", "\u0396\u03c9\u03ae"}) {  // Zoë, and Greek
    test::TempDir dir;
    for (std::string_view file : kStandardFiles) dir.write(folder + "/weapons/" + std::string(file), "");
    dir.write(folder + "/weapons/cannons.tdf", "[GUN]\n{\nid=1;\n}\n");
    dir.write(folder + "/extra/\u00c9lan.tdf", "[BEAM]\n{\nid=2;\n}\n");
    const std::filesystem::path game = dir.path() / platform::pathOf(folder);
    const std::string imported = platform::utf8Of(game) + "/extra/\u00c9lan.tdf";
    test::ScriptedHost host;
    host.paths = {imported, platform::utf8Of(game) + "/new.tdf"};
    MainWindowState window(game, host);
    window.rebuildList();
    window.importFile();
    EXPECT_EQ(window.imports(), std::vector<std::string>{imported}) << folder;
    EXPECT_EQ(window.importNote(), "1 weapon added from extra/\u00c9lan.tdf (import 1 of 15)");
    EXPECT_EQ(window.weaponList().size(), 2u);
    ASSERT_TRUE(window.showWeapon("BEAM"));
    ExportDialogState exported;
    exported.actualName = exported.name = "NEW";
    exported.weaponId = "3";
    EXPECT_EQ(exported.exportWeapon(window.weapon(), host, window.lastPath()), ExportDialogState::Outcome::Hide);
    EXPECT_NE(test::readFile(game / "new.tdf").find("[NEW]\r\n"), std::string::npos);
    EXPECT_EQ(exportFindings(game, window.imports(), exported.written), "");
    EXPECT_EQ(host.messages, std::vector<std::string>{});
    EXPECT_EQ(test::cli({"--import", imported, "list"}, game).out,
              "  1 - GUN\n  2 - BEAM\n2 Weapons, 254 IDs available\n");
  }
}

// Our file-type filters as file dialogs take them.
TEST(DialogFilterTest, PairsOfDescriptionAndPatterns) {
  const struct {
    std::string_view filter, dialog;
  } cases[] = {
      {kTdfFilter, "TDF files (*.tdf)"},
      {"Game archives(*.hpi;*.ufo)|*.hpi;*.ufo|TDF files(*.tdf)|*.tdf",
       "Game archives (*.hpi *.ufo);;TDF files (*.tdf)"},
      {"All | *.a; |Odd one out", "All (*.a)"},  // a description without patterns is dropped
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(dialogFilter(c.filter), c.dialog) << c.filter;
}

TEST(ValuesTest, ViewingModeRules) {
  const struct {
    Slot slot;
    std::string value;
    std::string shown;
  } cases[] = {
      {Slot::Turret, "01", "NO"},
      {Slot::Turret, "1 ", "NO"},
      {Slot::RenderType, "0", "Laser?"},
      {Slot::RenderType, "1", "Model?"},
      {Slot::RenderType, "2", "Bitmap?"},
      {Slot::RenderType, "5", "Bitmap?"},
      {Slot::RenderType, "7", "Lightning?"},
      {Slot::RenderType, "8", "8"},
      {Slot::RenderType, "07", "07"},
      {Slot::EdgeEffectiveness, "0.07", "7%"},
      {Slot::EdgeEffectiveness, "1E+20", "1E+22%"},
      {Slot::EdgeEffectiveness, "1e-9", "1E-07%"},
      {Slot::EdgeEffectiveness, " .5 ", "50%"},
      {Slot::EdgeEffectiveness, "1e307", "1e307%"},
      {Slot::EdgeEffectiveness, "0.5;//x", "0.5;//x%"},
      // Out of a double's range: too small is 0, too large stands as written,
      // whatever the sign of the exponent.
      {Slot::EdgeEffectiveness, "1e-331", "0%"},
      {Slot::EdgeEffectiveness, "0." + std::string(330, '0') + "1", "0%"},
      {Slot::EdgeEffectiveness, "1" + std::string(400, '0') + "e-5", "1" + std::string(400, '0') + "e-5%"},
  };
  for (const auto& c : cases) EXPECT_EQ(shown(c.slot, c.value), c.shown) << fieldOfSlot(c.slot).key << "=" << c.value;
  for (const auto& c : cases) EXPECT_EQ(shown(c.slot, c.value, false), c.value) << "actual " << c.value;
}

// Ballistic, line of sight, dropped: of those that are exactly "1", only the
// last shows YES.
TEST(ValuesTest, AtMostOneTrajectoryFlag) {
  CurrentWeapon w;
  w.clear();
  w[Slot::Ballistic] = std::string("1"), w[Slot::LineOfSight] = std::string("01");
  EXPECT_EQ(valueTexts(true, w)[slotIndex(Slot::Ballistic)], "YES");
  w[Slot::LineOfSight] = w[Slot::Dropped] = std::string("1");
  const auto t = valueTexts(true, w);
  EXPECT_EQ(t[slotIndex(Slot::Ballistic)] + t[slotIndex(Slot::LineOfSight)] + t[slotIndex(Slot::Dropped)], "NONOYES");
}

// Values are shown decoded from Windows-1252 and typed names encoded back:
// every byte survives the round trip.
TEST(TextTest, CodecRoundTrip) {
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(byte)), byte) << b;
  }
  EXPECT_EQ(cp1252ToUtf8("\x80\x8a\x9a\xe9"), "\u20ac\u0160\u0161\u00e9");
}

// The quick find offers the entries of a typed ID first, then the names
// that begin with the text, then those that hold it, each in the list's
// order; letter case ignored.
TEST(QuickFindTest, IdsThenNameStartsThenNameParts) {
  WeaponList list;
  for (auto [id, name] : std::initializer_list<std::pair<const char*, const char*>>{
           {"7", "ARM_LASER"}, {"12", "LASER_7"}, {"70", "CORE_GUN"}, {"3", "laserbeam"}, {"200", "K\xf5_GUN"}})
    list.append(id, name);
  const struct {
    const char* typed;
    std::vector<std::string_view> names;
  } cases[] = {
      {"laser", {"laserbeam", "LASER_7", "ARM_LASER"}},
      {" 7 ", {"ARM_LASER", "LASER_7"}},  // the ID 7, then the name holding "7"; not the ID 70
      {"70", {"CORE_GUN"}},
      {"K\u00f5", {"K\xf5_GUN"}},  // typed in UTF-8, the names are Windows-1252
      {"none", {}},
      {"", {"laserbeam", "ARM_LASER", "LASER_7", "CORE_GUN", "K\xf5_GUN"}},  // the list's order: by entry
  };
  for (const auto& c : cases) {
    std::vector<std::string_view> found;
    for (std::size_t i : quickFind(list, c.typed)) found.push_back(list.entries()[i].name);
    EXPECT_EQ(found, c.names) << "typed '" << c.typed << "'";
  }
}

// After an export the game checks read the new file after the game's: its
// errors and a clash of its ID are named, the rest of the game is not; the
// next free ID is the lowest no weapon uses.
TEST(ExportFindingsTest, NewFileErrorsAndIdClashes) {
  test::TempDir game;
  test::writeGame(game, {{"cannons.tdf", "[GUN]\r\n{\r\nid=0;\r\n}\r\n[OLD]\r\n{\r\nid=1;\r\n}\r\n"},
                         {"lasers.tdf", "[BAD]\r\n{\r\nid=2\r\n}\r\n"}});
  EXPECT_EQ(nextFreeId(game.path(), {}), 3);
  const struct {
    const char* what;
    std::string bytes;
    std::vector<std::string> named;  // in the message; empty for no message
  } cases[] = {
      {"clean", "[NEW]\r\n{\r\n\tid=3;\r\n}\r\n", {}},
      {"ID clash", "[NEW]\r\n{\r\n\tid=1;\r\n}\r\n", {"new.tdf:3:", "[OLD]"}},
      {"ID above 255", "[NEW]\r\n{\r\n\tid=300;\r\n}\r\n", {"new.tdf:3:", "'300'"}},
      {"unclosed comment", "[NEW]\r\n{\r\n\tid=3;\r\n\tcolor=232;\t/* GREEN *;\r\n}\r\n", {"new.tdf:4:"}},
  };
  for (const auto& c : cases) {
    const std::filesystem::path path = game.write("out/new.tdf", c.bytes);
    const std::string message = exportFindings(game.path(), {}, path);
    EXPECT_EQ(message.empty(), c.named.empty()) << c.what << ": " << message;
    for (const std::string& n : c.named) EXPECT_NE(message.find(n), std::string::npos) << c.what << ": " << message;
    EXPECT_EQ(message.find("lasers.tdf"), std::string::npos)
        << c.what << ": the game's own errors are not the export's";
  }
  // Written into the game's weapons folder, the file is read once, not twice.
  const std::filesystem::path inside = game.write("weapons/new.tdf", "[NEW]\r\n{\r\n\tid=3;\r\n}\r\n");
  EXPECT_EQ(exportFindings(game.path(), {}, inside), "");
  EXPECT_EQ(nextFreeId(game.path(), {}), 4);
}

// The column chooser: the filter passes an item when each word is in its
// caption or key; All and None act on what it passes, Reset shows every
// column; a set shows exactly its columns again, those gone passed over.
TEST(ColumnChoiceTest, FilterAllNoneResetAndSets) {
  ColumnChoice c({{"reloadtime", "Reload Time"}, {"range", "Range"}, {"energypershot", "Energy Per Shot"}}, {"range"});
  const auto shown = [&c] {
    std::string out;
    for (const auto& item : c.items()) out += item.shown ? '1' : '0';
    return out;
  };
  EXPECT_EQ(shown(), "101");
  const struct {
    const char* filter;
    std::vector<std::size_t> passing;
  } filters[] = {{"", {0, 1, 2}}, {"  RANGE ", {1}}, {"per shot", {2}}, {"time reload", {0}}, {"shot range", {}}};
  for (const auto& f : filters) EXPECT_EQ(c.passing(f.filter), f.passing) << f.filter;
  c.none("re");  // only reloadtime holds it
  EXPECT_EQ(shown(), "001");
  c.all("range");
  EXPECT_EQ(shown(), "011");
  EXPECT_TRUE(c.saveSet(" balance "));
  EXPECT_FALSE(c.saveSet("  "));
  c.reset();
  EXPECT_EQ(shown(), "111");
  c.setSets({{"balance", {"range", "energypershot", "gone"}}, {"other", {"reloadtime"}}});
  EXPECT_TRUE(c.applySet("balance"));
  EXPECT_EQ(shown(), "011");
  EXPECT_EQ(c.hidden(), std::vector<std::string>({"reloadtime"}));
  EXPECT_FALSE(c.applySet("missing"));
  EXPECT_EQ(shown(), "011");
}

}  // namespace
}  // namespace qm
