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
constexpr Frame FrameOf(Group group) { return group == Group::Identification ? Frame::Selection : Frame::Stats; }

}  // namespace

const std::array<FieldRowLayout, 66> kFieldRows = {{
#define LAYOUT(button, bx, by, caption, cl, ct, cw, ch, value, vl, vt, vw, vh, align) \
  button, {bx, by}, caption, {cl, ct, cw, ch}, value, {vl, vt, vw, vh}, Align::align
#define FIELD(no, key, slot, kind, group, caption, rule, place, layout, text) {no, FrameOf(Group::group), layout},
#define LIST_FIELD(no, key, kind, group, layout, text) {no, FrameOf(Group::group), layout},
#include "weapon/fields.def"
#undef FIELD
#undef LIST_FIELD
#undef LAYOUT
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
