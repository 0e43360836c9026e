#include "ui/layout.h"

#include <cmath>

namespace qm::ui {

const std::string_view kMainWindowName = "Form1";

const std::array<FrameLayout, 4> kMainFrames = {{
    {Frame::Selection, "Frame1", "Weapon Selection", {0, 0, 3255, 2415}},
    {Frame::Options, "Frame2", "Options", {0, 2520, 3255, 1935}},
    {Frame::Description, "Frame3", "Field Description", {0, 4560, 3255, 3975}},
    {Frame::Stats, "Frame4", "Weapon Stats", {3360, 0, 7695, 8535}},
}};

// field, container, "?" button and its (left, top), caption label with its
// layout text and box, value label with its layout text, place and alignment.
const std::array<FieldRowLayout, 66> kFieldRows = {{
    { 1, Frame::Selection, "Command1", {2880, 1200}, "Label3", "Name:", {120, 1080, 2775, 495}, "Label71", "None", {240, 1320, 2655, 255}, Align::Left},
    { 2, Frame::Selection, "Command2", {2880, 1680}, "Label2", "Actual Name:", {120, 1560, 2775, 495}, "Label72", "None", {240, 1800, 2655, 255}, Align::Left},
    { 3, Frame::Selection, "Command3", {2880, 2040}, "Label4", "Weapon ID:", {120, 2040, 2775, 255}, "Label73", "0", {2160, 2040, 735, 255}, Align::Centre},
    { 4, Frame::Stats, "Command4", {2280, 480}, "Label60", "Command Fire:", {120, 480, 2175, 255}, "Label74", "NO", {1560, 480, 735, 255}, Align::Centre},
    { 5, Frame::Stats, "Command5", {2280, 840}, "Label58", "Enegy Needed:", {120, 840, 2175, 255}, "Label75", "0", {1560, 840, 735, 255}, Align::Centre},
    { 6, Frame::Stats, "Command6", {2280, 1080}, "Label59", "Metal Needed:", {120, 1080, 2175, 255}, "Label76", "0", {1560, 1080, 735, 255}, Align::Centre},
    { 7, Frame::Stats, "Command7", {2280, 1320}, "Label13", "Energy Per Shot:", {120, 1320, 2175, 255}, "Label77", "0", {1560, 1320, 735, 255}, Align::Centre},
    { 8, Frame::Stats, "Command8", {2280, 1680}, "Label23", "Burst Rounds:", {120, 1680, 2175, 255}, "Label78", "0", {1560, 1680, 735, 255}, Align::Centre},
    { 9, Frame::Stats, "Command9", {2280, 1920}, "Label24", "Burst Rate:", {120, 1920, 2175, 255}, "Label79", "0", {1560, 1920, 735, 255}, Align::Centre},
    {10, Frame::Stats, "Command10", {2280, 2280}, "Label12", "Reload Time:", {120, 2280, 2175, 255}, "Label80", "0", {1560, 2280, 735, 255}, Align::Centre},
    {11, Frame::Stats, "Command11", {2280, 2640}, "Label20", "Turret:", {120, 2640, 2175, 255}, "Label81", "NO", {1560, 2640, 735, 255}, Align::Centre},
    {12, Frame::Stats, "Command12", {2280, 2880}, "Label40", "Min Barrel Angle:", {120, 2880, 2175, 255}, "Label82", "0", {1560, 2880, 735, 255}, Align::Centre},
    {13, Frame::Stats, "Command13", {2280, 3120}, "Label37", "Tolerance:", {120, 3120, 2175, 255}, "Label83", "0", {1560, 3120, 735, 255}, Align::Centre},
    {14, Frame::Stats, "Command65", {2280, 3360}, "Label132", "Aim Rate:", {120, 3360, 2175, 255}, "Label131", "0", {1560, 3360, 735, 255}, Align::Centre},
    {15, Frame::Stats, "Command14", {2280, 3720}, "Label30", "Two Phase:", {120, 3720, 2175, 255}, "Label84", "NO", {1560, 3720, 735, 255}, Align::Centre},
    {16, Frame::Stats, "Command15", {2280, 4080}, "Label31", "Second Phase:", {120, 3960, 2175, 495}, "Label85", "None", {240, 4200, 2055, 255}, Align::Left},
    {17, Frame::Stats, "Command16", {2280, 4560}, "Label26", "Random Decay:", {120, 4560, 2175, 255}, "Label86", "0", {1560, 4560, 735, 255}, Align::Centre},
    {18, Frame::Stats, "Command17", {2280, 4920}, "Label33", "Tracks:", {120, 4920, 2175, 255}, "Label130", "NO", {1560, 4920, 735, 255}, Align::Centre},
    {19, Frame::Stats, "Command40", {2280, 5520}, "Label5", "Render Type:", {120, 5520, 2175, 255}, "Label112", "None", {1320, 5520, 975, 255}, Align::Centre},
    {20, Frame::Stats, "Command41", {2280, 5880}, "Label42", "Model:", {120, 5760, 2175, 495}, "Label113", "NO", {240, 6000, 2055, 255}, Align::Left},
    {21, Frame::Stats, "Command42", {2280, 6240}, "Label55", "Has Propeller:", {120, 6240, 2175, 255}, "Label114", "NO", {1560, 6240, 735, 255}, Align::Centre},
    {22, Frame::Stats, "Command43", {2280, 6600}, "Label45", "Smoke Trail:", {120, 6600, 2175, 255}, "Label115", "NO", {1560, 6600, 735, 255}, Align::Centre},
    {23, Frame::Stats, "Command44", {2280, 6840}, "Label46", "Smoke Delay:", {120, 6840, 2175, 255}, "Label116", "0", {1560, 6840, 735, 255}, Align::Centre},
    {24, Frame::Stats, "Command45", {2280, 7080}, "Label47", "Start Smoke:", {120, 7080, 2175, 255}, "Label117", "NO", {1560, 7080, 735, 255}, Align::Centre},
    {25, Frame::Stats, "Command46", {2280, 7320}, "Label64", "End Smoke:", {120, 7320, 2175, 255}, "Label118", "NO", {1560, 7320, 735, 255}, Align::Centre},
    {26, Frame::Stats, "Command47", {2280, 7680}, "Label48", "Laser:", {120, 7680, 2175, 255}, "Label119", "NO", {1560, 7680, 735, 255}, Align::Centre},
    {27, Frame::Stats, "Command48", {2280, 7920}, "Label43", "Color:", {120, 7920, 2175, 255}, "Label120", "0", {1560, 7920, 735, 255}, Align::Centre},
    {28, Frame::Stats, "Command49", {2280, 8160}, "Label44", "Color 2:", {120, 8160, 2175, 255}, "Label121", "0", {1560, 8160, 735, 255}, Align::Centre},
    {29, Frame::Stats, "Command22", {4800, 480}, "Label6", "Ballistic:", {2640, 480, 2175, 255}, "Label95", "NO", {4080, 480, 735, 255}, Align::Centre},
    {30, Frame::Stats, "Command23", {4800, 720}, "Label7", "Line Of Sight:", {2640, 720, 2175, 255}, "Label96", "NO", {4080, 720, 735, 255}, Align::Centre},
    {31, Frame::Stats, "Command24", {4800, 960}, "Label8", "Dropped:", {2640, 960, 2175, 255}, "Label97", "NO", {4080, 960, 735, 255}, Align::Centre},
    {32, Frame::Stats, "Command25", {4800, 1320}, "Label9", "Range:", {2640, 1320, 2175, 255}, "Label98", "0", {4080, 1320, 735, 255}, Align::Centre},
    {33, Frame::Stats, "Command26", {4800, 1560}, "Label10", "Coverage:", {2640, 1560, 2175, 255}, "Label99", "0", {4080, 1560, 735, 255}, Align::Centre},
    {34, Frame::Stats, "Command27", {4800, 1920}, "Label36", "Accuracy:", {2640, 1920, 2175, 255}, "Label100", "0", {4080, 1920, 735, 255}, Align::Centre},
    {35, Frame::Stats, "Command28", {4800, 2280}, "Label25", "Spray Angle:", {2640, 2280, 2175, 255}, "Label101", "0", {4080, 2280, 735, 255}, Align::Centre},
    {36, Frame::Stats, "Command29", {4800, 2640}, "Label32", "Guided:", {2640, 2640, 2175, 255}, "Label102", "NO", {4080, 2640, 735, 255}, Align::Centre},
    {37, Frame::Stats, "Command30", {4800, 2880}, "Label38", "Turn Rate:", {2640, 2880, 2175, 255}, "Label103", "0", {4080, 2880, 735, 255}, Align::Centre},
    {38, Frame::Stats, "Command31", {4800, 3240}, "Label39", "Start Velocity:", {2640, 3240, 2175, 255}, "Label104", "0", {4080, 3240, 735, 255}, Align::Centre},
    {39, Frame::Stats, "Command32", {4800, 3480}, "Label16", "Velocity:", {2640, 3480, 2175, 255}, "Label105", "0", {4080, 3480, 735, 255}, Align::Centre},
    {40, Frame::Stats, "Command33", {4800, 3720}, "Label17", "Acceleration:", {2640, 3720, 2175, 255}, "Label106", "0", {4080, 3720, 735, 255}, Align::Centre},
    {41, Frame::Stats, "Command34", {4800, 3960}, "Label29", "Self Propelled:", {2640, 3960, 2175, 255}, "Label107", "NO", {4080, 3960, 735, 255}, Align::Centre},
    {42, Frame::Stats, "Command35", {4800, 4320}, "Label27", "Bounce:", {2640, 4320, 2175, 255}, "Label108", "NO", {4080, 4320, 735, 255}, Align::Centre},
    {43, Frame::Stats, "Command36", {4800, 4680}, "Label22", "Hit Only Units:", {2640, 4680, 2175, 255}, "Label109", "NO", {4080, 4680, 735, 255}, Align::Centre},
    {44, Frame::Stats, "Command37", {4800, 5040}, "Label34", "Water Weapon:", {2640, 5040, 2175, 255}, "Label110", "NO", {4080, 5040, 735, 255}, Align::Centre},
    {45, Frame::Stats, "Command38", {4800, 5400}, "Label28", "Flight Time:", {2640, 5400, 2175, 255}, "Label111", "0", {4080, 5400, 735, 255}, Align::Centre},
    {46, Frame::Stats, "Command50", {4800, 6120}, "Label50", "Sound Start:", {2640, 6000, 2175, 495}, "Label91", "None", {2760, 6240, 2055, 255}, Align::Left},
    {47, Frame::Stats, "Command51", {4800, 6600}, "Label51", "Sound Hit:", {2640, 6480, 2175, 495}, "Label92", "None", {2760, 6720, 2055, 255}, Align::Left},
    {48, Frame::Stats, "Command52", {4800, 7080}, "Label52", "Sound Water:", {2640, 6960, 2175, 495}, "Label93", "None", {2760, 7200, 2055, 255}, Align::Left},
    {49, Frame::Stats, "Command53", {4800, 7560}, "Label53", "Sound Trigger:", {2640, 7440, 2175, 495}, "Label94", "None", {2760, 7680, 2055, 255}, Align::Left},
    {50, Frame::Stats, "Command18", {7320, 600}, "Label49", "Explosion GAF:", {5160, 480, 2175, 495}, "Label87", "None", {5280, 720, 2055, 255}, Align::Left},
    {51, Frame::Stats, "Command19", {7320, 1080}, "Label54", "Explosion Art:", {5160, 960, 2175, 495}, "Label88", "None", {5280, 1200, 2055, 255}, Align::Left},
    {52, Frame::Stats, "Command20", {7320, 1560}, "Label56", "Water Exp. GAF:", {5160, 1440, 2175, 495}, "Label89", "None", {5280, 1680, 2055, 255}, Align::Left},
    {53, Frame::Stats, "Command21", {7320, 2040}, "Label57", "Water Exp. Art:", {5160, 1920, 2175, 495}, "Label90", "None", {5280, 2160, 2055, 255}, Align::Left},
    {54, Frame::Stats, "Command64", {7320, 2520}, "Label134", "Lava Exp. GAF:", {5160, 2400, 2175, 495}, "Label133", "None", {5280, 2640, 2055, 255}, Align::Left},
    {55, Frame::Stats, "Command66", {7320, 3000}, "Label136", "Lava Exp. Art:", {5160, 2880, 2175, 495}, "Label135", "None", {5280, 3120, 2055, 255}, Align::Left},
    {56, Frame::Stats, "Command39", {7320, 4320}, "", "", {}, "List1", "None", {5160, 3720, 2175, 1425}, Align::Left},
    {57, Frame::Stats, "Command68", {7320, 5520}, "Label144", "Shake Magnitude:", {5160, 5520, 2175, 255}, "Label142", "0", {6600, 5520, 735, 255}, Align::Centre},
    {58, Frame::Stats, "Command67", {7320, 5760}, "Label143", "Shake Duration:", {5160, 5760, 2175, 255}, "Label141", "0", {6600, 5760, 735, 255}, Align::Centre},
    {59, Frame::Stats, "Command54", {7320, 6120}, "Label41", "Paralyzer:", {5160, 6120, 2175, 255}, "Label122", "NO", {6600, 6120, 735, 255}, Align::Centre},
    {60, Frame::Stats, "Command55", {7320, 6480}, "Label11", "No Explosion:", {5160, 6480, 2175, 255}, "Label123", "NO", {6600, 6480, 735, 255}, Align::Centre},
    {61, Frame::Stats, "Command56", {7320, 6840}, "Label18", "Explosion Area:", {5160, 6840, 2175, 255}, "Label124", "0", {6600, 6840, 735, 255}, Align::Centre},
    {62, Frame::Stats, "Command57", {7320, 7080}, "Label19", "Edge Power:", {5160, 7080, 2175, 255}, "Label125", "0", {6600, 7080, 735, 255}, Align::Centre},
    {63, Frame::Stats, "Command58", {7320, 7320}, "Label21", "Chance of Fire:", {5160, 7320, 2175, 255}, "Label126", "0%", {6600, 7320, 735, 255}, Align::Centre},
    {64, Frame::Stats, "Command59", {7320, 7680}, "Label35", "Range Explode:", {5160, 7680, 2175, 255}, "Label127", "NO", {6600, 7680, 735, 255}, Align::Centre},
    {65, Frame::Stats, "Command60", {7320, 7920}, "Label14", "Weapon Timer:", {5160, 7920, 2175, 255}, "Label128", "0", {6600, 7920, 735, 255}, Align::Centre},
    {66, Frame::Stats, "Command63", {7320, 8160}, "Label15", "No Auto-Range:", {5160, 8160, 2175, 255}, "Label129", "NO", {6600, 8160, 735, 255}, Align::Centre},
}};

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

const ControlLayout& Place(MainControl control) { return kMainControls[static_cast<std::size_t>(control)]; }

const std::array<LineLayout, 3> kMainLines = {{
    {Frame::Stats, "Line1", {2580, 240}, {2580, 8280}},
    {Frame::Stats, "Line2", {5100, 240}, {5100, 8280}},
    {Frame::Options, "Line3", {120, 1440}, {3120, 1440}},
}};

namespace {

constexpr std::string_view kTabOrder[] = {
    "Combo1", "List1",
    "Command4", "Command5", "Command6", "Command7", "Command8", "Command9", "Command10",
    "Command11", "Command12", "Command13", "Command14", "Command15", "Command16", "Command17",
    "Command22", "Command23", "Command24", "Command25", "Command26", "Command27", "Command28",
    "Command29", "Command30", "Command31", "Command32", "Command33", "Command34", "Command35",
    "Command36", "Command37", "Command38", "Command39", "Command40", "Command41", "Command42",
    "Command43", "Command44", "Command45", "Command46", "Command47", "Command48", "Command49",
    "Command50", "Command51", "Command52", "Command53", "Command54", "Command55", "Command56",
    "Command57", "Command58", "Command59", "Command60",
    "Command63",
    "Option1", "Option2", "Command61", "Command62",
    "Command3", "Command2", "Command1", "Command65", "Command21", "Command20", "Command19",
    "Command18", "Command64", "Command66", "Command67", "Command68",
};

}  // namespace

std::span<const std::string_view> MainTabOrder() { return kTabOrder; }

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
