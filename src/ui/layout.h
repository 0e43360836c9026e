// The layout of the two windows as data: every control's name, container,
// starting text and place in twips (1/1440 inch), the field rows' by field
// number. The windows build their controls from these tables; nothing about
// the layout is written as code.
#pragma once

#include <array>
#include <span>
#include <string_view>

#include "weapon/field_table.h"

namespace qm::ui {

struct TwipPoint {
  int x = 0, y = 0;
};

struct TwipRect {
  int left = 0, top = 0, width = 0, height = 0;
  constexpr int right() const { return left + width; }
  constexpr int bottom() const { return top + height; }
};

// Where a control stands: the window's client area or one of its frames.
enum class Frame { Window, Selection, Options, Description, Stats };

enum class Align { Left, Centre };

// --- Main window -------------------------------------------------------------

extern const std::string_view kMainWindowName;
inline constexpr int kMainWidth = 11055;
inline constexpr int kMainHeight = 8535;

struct FrameLayout {
  Frame frame;
  std::string_view name;
  std::string_view caption;
  TwipRect rect;
};
extern const std::array<FrameLayout, 4> kMainFrames;

// One row per field, in field-number order: the "?" button, the caption label
// that is the row's box, and the value label inside the box at its right
// end. The damage list has no caption label; its value is the list box. The
// labels' texts come from the window's state.
struct FieldRowLayout {
  int field;
  std::string_view button;
  TwipPoint buttonPos;  // the button is 255 x 255
  std::string_view caption;
  TwipRect captionRect;
  std::string_view value;
  TwipRect valueRect;
  Align valueAlign;
  Frame frame = Frame::Stats;  // from the field's group

  constexpr bool hasCaption() const { return !caption.empty(); }
};
inline constexpr int kHelpButtonSize = 255;
extern const std::array<FieldRowLayout, kFieldCount> kFieldRows;

// The eight bold, centred group headings.
struct HeadingLayout {
  Frame frame;
  std::string_view name;
  std::string_view text;
  TwipRect rect;
};
extern const std::array<HeadingLayout, 8> kHeadings;

// The main window's controls that are not field rows or headings.
enum class MainControl {
  CountLine,   // "130 Weapons, 126 IDs available"
  WeaponList,  // drop-down list with edit field
  ExportButton,
  ImportButton,
  SpaceLabel,     // empty until clicked
  ModeTitle,      // centred over the line above the mode options
  ViewingOption,  // starts selected
  ActualOption,
  KeyCaption,  // "Actual Field Name:"
  DescriptionKey,
  DescriptionCaption,  // "Description:"
  DescriptionText,     // word-wrapped
};

struct ControlLayout {
  MainControl control;
  Frame frame;
  std::string_view name;
  std::string_view text;
  TwipRect rect;
};
extern const std::array<ControlLayout, 12> kMainControls;
// The layout of one of the controls above.
const ControlLayout& placeOf(MainControl control);

struct LineLayout {
  Frame frame;
  std::string_view name;
  TwipPoint from, to;
};
extern const std::array<LineLayout, 3> kMainLines;

// The keyboard focus order of the main window, by control name.
std::span<const std::string_view> mainTabOrder();

// --- Export dialog -------------------------------------------------------------

extern const std::string_view kExportDialogName;
inline constexpr int kExportWidth = 4095;
inline constexpr int kExportHeight = 1335;
extern const FrameLayout kExportFrame;

// The three boxes (in the order actual name, name, weapon ID), their
// captions and the Continue button, all inside the one frame. `tabIndex`
// orders the focusable ones.
struct DialogControlLayout {
  std::string_view name;
  std::string_view text;
  TwipRect rect;
  int tabIndex;
};
extern const std::array<DialogControlLayout, 3> kExportBoxes;
extern const std::array<DialogControlLayout, 3> kExportCaptions;
extern const DialogControlLayout kExportContinue;

// --- Twips on screen -------------------------------------------------------

// Converts twips to device-independent pixels: 15 twips are one pixel at 96
// dots per inch, scaled with the screen's logical resolution.
class TwipScale {
 public:
  explicit constexpr TwipScale(double dpi = 96.0) : dpi_(dpi) {}
  int px(int twips) const;

 private:
  double dpi_;
};

}  // namespace qm::ui
