#include "ui/layout.h"

#include <cmath>

#include "weapon/field_table.h"

namespace qm::ui {

const std::string_view kMainWindowName = "Form1";

const std::array<FrameLayout, 4> kMainFrames = {{
    {Frame::Selection, "Frame1", "Weapon Selection", {0, 0, 3255, 2415}},
    {Frame::Options, "Frame2", "Options", {0, 2520, 3255, 1935}},
    {Frame::Description, "Frame3", "Field Description", {0, 4560, 3255, 3975}},
    {Frame::Stats, "Frame4", "Weapon Stats", {3360, 0, 7695, 8535}},
}};

namespace {

// The identification rows stand in the weapon selection frame, the others
// under their headings in the stats frame.
constexpr Frame frameOf(Group group) { return group == Group::Identification ? Frame::Selection : Frame::Stats; }

// The rows by field number: the "?" button and its top left corner, the
// caption label and its place, the value label and its place, how the value
// is aligned. The frame comes from the field's group.
constexpr std::array<FieldRowLayout, kFieldCount> kFieldRowTable = {{
    // clang-format off
    {1, "Command1", {2880, 1200}, "Label3", {120, 1080, 2775, 495}, "Label71", {240, 1320, 2655, 255}, Align::Left},
    {2, "Command2", {2880, 1680}, "Label2", {120, 1560, 2775, 495}, "Label72", {240, 1800, 2655, 255}, Align::Left},
    {3, "Command3", {2880, 2040}, "Label4", {120, 2040, 2775, 255}, "Label73", {2160, 2040, 735, 255}, Align::Centre},
    {4, "Command4", {2280, 480}, "Label60", {120, 480, 2175, 255}, "Label74", {1560, 480, 735, 255}, Align::Centre},
    {5, "Command5", {2280, 840}, "Label58", {120, 840, 2175, 255}, "Label75", {1560, 840, 735, 255}, Align::Centre},
    {6, "Command6", {2280, 1080}, "Label59", {120, 1080, 2175, 255}, "Label76", {1560, 1080, 735, 255}, Align::Centre},
    {7, "Command7", {2280, 1320}, "Label13", {120, 1320, 2175, 255}, "Label77", {1560, 1320, 735, 255}, Align::Centre},
    {8, "Command8", {2280, 1680}, "Label23", {120, 1680, 2175, 255}, "Label78", {1560, 1680, 735, 255}, Align::Centre},
    {9, "Command9", {2280, 1920}, "Label24", {120, 1920, 2175, 255}, "Label79", {1560, 1920, 735, 255}, Align::Centre},
    {10, "Command10", {2280, 2280}, "Label12", {120, 2280, 2175, 255}, "Label80", {1560, 2280, 735, 255}, Align::Centre},
    {11, "Command11", {2280, 2640}, "Label20", {120, 2640, 2175, 255}, "Label81", {1560, 2640, 735, 255}, Align::Centre},
    {12, "Command12", {2280, 2880}, "Label40", {120, 2880, 2175, 255}, "Label82", {1560, 2880, 735, 255}, Align::Centre},
    {13, "Command13", {2280, 3120}, "Label37", {120, 3120, 2175, 255}, "Label83", {1560, 3120, 735, 255}, Align::Centre},
    {14, "Command65", {2280, 3360}, "Label132", {120, 3360, 2175, 255}, "Label131", {1560, 3360, 735, 255}, Align::Centre},
    {15, "Command14", {2280, 3720}, "Label30", {120, 3720, 2175, 255}, "Label84", {1560, 3720, 735, 255}, Align::Centre},
    {16, "Command15", {2280, 4080}, "Label31", {120, 3960, 2175, 495}, "Label85", {240, 4200, 2055, 255}, Align::Left},
    {17, "Command16", {2280, 4560}, "Label26", {120, 4560, 2175, 255}, "Label86", {1560, 4560, 735, 255}, Align::Centre},
    {18, "Command17", {2280, 4920}, "Label33", {120, 4920, 2175, 255}, "Label130", {1560, 4920, 735, 255}, Align::Centre},
    {19, "Command40", {2280, 5520}, "Label5", {120, 5520, 2175, 255}, "Label112", {1320, 5520, 975, 255}, Align::Centre},
    {20, "Command41", {2280, 5880}, "Label42", {120, 5760, 2175, 495}, "Label113", {240, 6000, 2055, 255}, Align::Left},
    {21, "Command42", {2280, 6240}, "Label55", {120, 6240, 2175, 255}, "Label114", {1560, 6240, 735, 255}, Align::Centre},
    {22, "Command43", {2280, 6600}, "Label45", {120, 6600, 2175, 255}, "Label115", {1560, 6600, 735, 255}, Align::Centre},
    {23, "Command44", {2280, 6840}, "Label46", {120, 6840, 2175, 255}, "Label116", {1560, 6840, 735, 255}, Align::Centre},
    {24, "Command45", {2280, 7080}, "Label47", {120, 7080, 2175, 255}, "Label117", {1560, 7080, 735, 255}, Align::Centre},
    {25, "Command46", {2280, 7320}, "Label64", {120, 7320, 2175, 255}, "Label118", {1560, 7320, 735, 255}, Align::Centre},
    {26, "Command47", {2280, 7680}, "Label48", {120, 7680, 2175, 255}, "Label119", {1560, 7680, 735, 255}, Align::Centre},
    {27, "Command48", {2280, 7920}, "Label43", {120, 7920, 2175, 255}, "Label120", {1560, 7920, 735, 255}, Align::Centre},
    {28, "Command49", {2280, 8160}, "Label44", {120, 8160, 2175, 255}, "Label121", {1560, 8160, 735, 255}, Align::Centre},
    {29, "Command22", {4800, 480}, "Label6", {2640, 480, 2175, 255}, "Label95", {4080, 480, 735, 255}, Align::Centre},
    {30, "Command23", {4800, 720}, "Label7", {2640, 720, 2175, 255}, "Label96", {4080, 720, 735, 255}, Align::Centre},
    {31, "Command24", {4800, 960}, "Label8", {2640, 960, 2175, 255}, "Label97", {4080, 960, 735, 255}, Align::Centre},
    {32, "Command25", {4800, 1320}, "Label9", {2640, 1320, 2175, 255}, "Label98", {4080, 1320, 735, 255}, Align::Centre},
    {33, "Command26", {4800, 1560}, "Label10", {2640, 1560, 2175, 255}, "Label99", {4080, 1560, 735, 255}, Align::Centre},
    {34, "Command27", {4800, 1920}, "Label36", {2640, 1920, 2175, 255}, "Label100", {4080, 1920, 735, 255}, Align::Centre},
    {35, "Command28", {4800, 2280}, "Label25", {2640, 2280, 2175, 255}, "Label101", {4080, 2280, 735, 255}, Align::Centre},
    {36, "Command29", {4800, 2640}, "Label32", {2640, 2640, 2175, 255}, "Label102", {4080, 2640, 735, 255}, Align::Centre},
    {37, "Command30", {4800, 2880}, "Label38", {2640, 2880, 2175, 255}, "Label103", {4080, 2880, 735, 255}, Align::Centre},
    {38, "Command31", {4800, 3240}, "Label39", {2640, 3240, 2175, 255}, "Label104", {4080, 3240, 735, 255}, Align::Centre},
    {39, "Command32", {4800, 3480}, "Label16", {2640, 3480, 2175, 255}, "Label105", {4080, 3480, 735, 255}, Align::Centre},
    {40, "Command33", {4800, 3720}, "Label17", {2640, 3720, 2175, 255}, "Label106", {4080, 3720, 735, 255}, Align::Centre},
    {41, "Command34", {4800, 3960}, "Label29", {2640, 3960, 2175, 255}, "Label107", {4080, 3960, 735, 255}, Align::Centre},
    {42, "Command35", {4800, 4320}, "Label27", {2640, 4320, 2175, 255}, "Label108", {4080, 4320, 735, 255}, Align::Centre},
    {43, "Command36", {4800, 4680}, "Label22", {2640, 4680, 2175, 255}, "Label109", {4080, 4680, 735, 255}, Align::Centre},
    {44, "Command37", {4800, 5040}, "Label34", {2640, 5040, 2175, 255}, "Label110", {4080, 5040, 735, 255}, Align::Centre},
    {45, "Command38", {4800, 5400}, "Label28", {2640, 5400, 2175, 255}, "Label111", {4080, 5400, 735, 255}, Align::Centre},
    {46, "Command50", {4800, 6120}, "Label50", {2640, 6000, 2175, 495}, "Label91", {2760, 6240, 2055, 255}, Align::Left},
    {47, "Command51", {4800, 6600}, "Label51", {2640, 6480, 2175, 495}, "Label92", {2760, 6720, 2055, 255}, Align::Left},
    {48, "Command52", {4800, 7080}, "Label52", {2640, 6960, 2175, 495}, "Label93", {2760, 7200, 2055, 255}, Align::Left},
    {49, "Command53", {4800, 7560}, "Label53", {2640, 7440, 2175, 495}, "Label94", {2760, 7680, 2055, 255}, Align::Left},
    {50, "Command18", {7320, 600}, "Label49", {5160, 480, 2175, 495}, "Label87", {5280, 720, 2055, 255}, Align::Left},
    {51, "Command19", {7320, 1080}, "Label54", {5160, 960, 2175, 495}, "Label88", {5280, 1200, 2055, 255}, Align::Left},
    {52, "Command20", {7320, 1560}, "Label56", {5160, 1440, 2175, 495}, "Label89", {5280, 1680, 2055, 255}, Align::Left},
    {53, "Command21", {7320, 2040}, "Label57", {5160, 1920, 2175, 495}, "Label90", {5280, 2160, 2055, 255}, Align::Left},
    {54, "Command64", {7320, 2520}, "Label134", {5160, 2400, 2175, 495}, "Label133", {5280, 2640, 2055, 255}, Align::Left},
    {55, "Command66", {7320, 3000}, "Label136", {5160, 2880, 2175, 495}, "Label135", {5280, 3120, 2055, 255}, Align::Left},
    {56, "Command39", {7320, 4320}, "", {0, 0, 0, 0}, "List1", {5160, 3720, 2175, 1425}, Align::Left},
    {57, "Command68", {7320, 5520}, "Label144", {5160, 5520, 2175, 255}, "Label142", {6600, 5520, 735, 255}, Align::Centre},
    {58, "Command67", {7320, 5760}, "Label143", {5160, 5760, 2175, 255}, "Label141", {6600, 5760, 735, 255}, Align::Centre},
    {59, "Command54", {7320, 6120}, "Label41", {5160, 6120, 2175, 255}, "Label122", {6600, 6120, 735, 255}, Align::Centre},
    {60, "Command55", {7320, 6480}, "Label11", {5160, 6480, 2175, 255}, "Label123", {6600, 6480, 735, 255}, Align::Centre},
    {61, "Command56", {7320, 6840}, "Label18", {5160, 6840, 2175, 255}, "Label124", {6600, 6840, 735, 255}, Align::Centre},
    {62, "Command57", {7320, 7080}, "Label19", {5160, 7080, 2175, 255}, "Label125", {6600, 7080, 735, 255}, Align::Centre},
    {63, "Command58", {7320, 7320}, "Label21", {5160, 7320, 2175, 255}, "Label126", {6600, 7320, 735, 255}, Align::Centre},
    {64, "Command59", {7320, 7680}, "Label35", {5160, 7680, 2175, 255}, "Label127", {6600, 7680, 735, 255}, Align::Centre},
    {65, "Command60", {7320, 7920}, "Label14", {5160, 7920, 2175, 255}, "Label128", {6600, 7920, 735, 255}, Align::Centre},
    {66, "Command63", {7320, 8160}, "Label15", {5160, 8160, 2175, 255}, "Label129", {6600, 8160, 735, 255}, Align::Centre},
    // clang-format on
}};

constexpr std::array<FieldRowLayout, kFieldCount> withFrames(std::array<FieldRowLayout, kFieldCount> rows) {
  for (FieldRowLayout& row : rows) row.frame = frameOf(fieldByNumber(row.field).group);
  return rows;
}

// One row per field, in field-number order; only the damage list, which is a
// list box, has no caption label.
static_assert([] {
  for (int i = 0; i < kFieldCount; ++i) {
    const FieldRowLayout& row = kFieldRowTable[static_cast<std::size_t>(i)];
    if (row.field != i + 1 || row.hasCaption() != (kFields[i].kind != Kind::List)) return false;
  }
  return true;
}());

}  // namespace

const std::array<FieldRowLayout, kFieldCount> kFieldRows = withFrames(kFieldRowTable);

const std::array<HeadingLayout, 8> kHeadings = {{
    {Frame::Selection, "Label67", "Weapon Idenification:", {120, 840, 3015, 255}},
    {Frame::Stats, "Label68", "Weapon Stats:", {120, 240, 2175, 255}},
    {Frame::Stats, "Label62", "Projectile Appearance:", {120, 5280, 2175, 255}},
    {Frame::Stats, "Label65", "Projectile Physics:", {2640, 240, 2175, 255}},
    {Frame::Stats, "Label69", "Sound:", {2640, 5760, 2175, 255}},
    {Frame::Stats, "Label61", "Explosion Appearance:", {5160, 240, 2175, 255}},
    {Frame::Stats, "Label66", "Damage:", {5160, 3480, 2175, 255}},
    {Frame::Stats, "Label63", "Explosion Physics:", {5160, 5280, 2175, 255}},
}};

constexpr std::array<ControlLayout, 12> kMainControls = {{
    {MainControl::CountLine, Frame::Selection, "Label1", "0 Weapons, 0 IDs free", {120, 240, 3015, 225}},
    {MainControl::WeaponList, Frame::Selection, "Combo1", "Weapons", {120, 480, 3015, 315}},
    {MainControl::ExportButton, Frame::Options, "Command61", "Export as New Weapon TDF", {120, 240, 1455, 495}},
    {MainControl::ImportButton, Frame::Options, "Command62", "Import  3rd Party Weapon TDF", {1680, 240, 1455, 495}},
    {MainControl::SpaceLabel, Frame::Options, "Label145", "", {240, 960, 2775, 255}},
    {MainControl::ModeTitle, Frame::Options, "Label70", "Mode", {1320, 1320, 615, 255}},
    {MainControl::ViewingOption, Frame::Options, "Option1", "Viewing Mode", {120, 1560, 1455, 255}},
    {MainControl::ActualOption, Frame::Options, "Option2", "Actual Mode", {1920, 1560, 1215, 255}},
    {MainControl::KeyCaption, Frame::Description, "Label137", "Actual Field Name:", {120, 240, 1335, 255}},
    {MainControl::DescriptionKey, Frame::Description, "Label138", "None", {1560, 240, 1575, 255}},
    {MainControl::DescriptionCaption, Frame::Description, "Label140", "Description:", {120, 600, 1335, 255}},
    {MainControl::DescriptionText, Frame::Description, "Label139", "", {120, 840, 3015, 3015}},
}};

// The table lists the controls in the order of the enumeration.
static_assert([] {
  for (std::size_t i = 0; i < kMainControls.size(); ++i)
    if (static_cast<std::size_t>(kMainControls[i].control) != i) return false;
  return true;
}());

const ControlLayout& placeOf(MainControl control) { return kMainControls[static_cast<std::size_t>(control)]; }

const std::array<LineLayout, 3> kMainLines = {{
    {Frame::Stats, "Line1", {2580, 240}, {2580, 8280}},
    {Frame::Stats, "Line2", {5100, 240}, {5100, 8280}},
    {Frame::Options, "Line3", {120, 1440}, {3120, 1440}},
}};

namespace {

constexpr std::string_view kTabOrder[] = {
    "Combo1",    "List1",     "Command4",  "Command5",  "Command6",  "Command7",  "Command8",  "Command9",  "Command10",
    "Command11", "Command12", "Command13", "Command14", "Command15", "Command16", "Command17", "Command22", "Command23",
    "Command24", "Command25", "Command26", "Command27", "Command28", "Command29", "Command30", "Command31", "Command32",
    "Command33", "Command34", "Command35", "Command36", "Command37", "Command38", "Command39", "Command40", "Command41",
    "Command42", "Command43", "Command44", "Command45", "Command46", "Command47", "Command48", "Command49", "Command50",
    "Command51", "Command52", "Command53", "Command54", "Command55", "Command56", "Command57", "Command58", "Command59",
    "Command60", "Command63", "Option1",   "Option2",   "Command61", "Command62", "Command3",  "Command2",  "Command1",
    "Command65", "Command21", "Command20", "Command19", "Command18", "Command64", "Command66", "Command67", "Command68",
};

}  // namespace

std::span<const std::string_view> mainTabOrder() { return kTabOrder; }

const std::string_view kExportDialogName = "Form2";
const FrameLayout kExportFrame = {Frame::Window, "Frame1", "New Values:", {0, 0, 4095, 1335}};

const std::array<DialogControlLayout, 3> kExportBoxes = {{
    {"Text1", "", {1200, 240, 2775, 285}, 1},
    {"Text2", "", {1200, 600, 2775, 285}, 3},
    {"Text3", "", {1200, 960, 1455, 285}, 5},
}};
const std::array<DialogControlLayout, 3> kExportCaptions = {{
    {"Label1", "Actual Name:", {120, 240, 1095, 255}, 2},
    {"Label2", "Name:", {120, 600, 1095, 255}, 4},
    {"Label3", "Weapon ID:", {120, 960, 1095, 255}, 6},
}};
const DialogControlLayout kExportContinue = {"Command1", "Continue", {2760, 960, 1215, 255}, 7};

int TwipScale::px(int twips) const { return static_cast<int>(std::lround(twips * dpi_ / 1440.0)); }

}  // namespace qm::ui
