// The layout of the two windows as data: every control's name, container,
// starting text and place in twips (1/1440 inch). The windows build their
// controls from these tables; nothing about the layout is written as code.
#pragma once

#include <array>
#include <span>
#include <string_view>

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
enum class Frame { Window, Frame1, Frame2, Frame3, Frame4 };

enum class Align { Left, Centre };

// --- Main window -------------------------------------------------------------

inline constexpr int kForm1Width = 11055;
inline constexpr int kForm1Height = 8535;

struct FrameLayout {
  Frame frame;
  std::string_view name;
  std::string_view caption;
  TwipRect rect;
};
extern const std::array<FrameLayout, 4> kForm1Frames;

// One row per field: the "?" button, the caption label that is the row's box,
// and the value label inside the box at its right end. Field 56 has no
// caption label; its value is the list box List1.
struct FieldRowLayout {
  int field;
  Frame frame;
  std::string_view button;
  TwipPoint buttonPos;  // the button is 255 x 255
  std::string_view caption;
  std::string_view captionText;
  TwipRect captionRect;
  std::string_view value;
  std::string_view valueText;
  TwipRect valueRect;
  Align valueAlign;

  constexpr bool hasCaption() const { return !caption.empty(); }
};
inline constexpr int kHelpButtonSize = 255;
extern const std::array<FieldRowLayout, 66> kFieldRows;

// The eight bold, centred group headings.
struct HeadingLayout {
  Frame frame;
  std::string_view name;
  std::string_view text;
  TwipRect rect;
};
extern const std::array<HeadingLayout, 8> kHeadings;

enum class ControlKind {
  Label,         // plain label
  ClickLabel,    // label that answers a click
  TitleLabel,    // centred label drawn over a line
  TextLabel,     // word-wrapped text block
  Combo,         // drop-down list with edit field
  PushButton,
  Option,        // option button
  TextBox,
};

// The controls that are not field rows or headings. Where `selected` is set,
// the option button starts selected. `tabIndex` orders the focusable
// controls where a window gives one (the export dialog).
struct ControlLayout {
  Frame frame;
  std::string_view name;
  ControlKind kind;
  std::string_view text;
  TwipRect rect;
  bool selected = false;
  int tabIndex = -1;
};
extern const std::array<ControlLayout, 12> kForm1Controls;

struct LineLayout {
  Frame frame;
  std::string_view name;
  TwipPoint from, to;
};
extern const std::array<LineLayout, 3> kForm1Lines;

// The keyboard focus order of the main window, by control name.
std::span<const std::string_view> Form1TabOrder();

// --- Export dialog -------------------------------------------------------------

inline constexpr int kForm2Width = 4095;
inline constexpr int kForm2Height = 1335;
extern const FrameLayout kForm2Frame;
extern const std::array<ControlLayout, 7> kForm2Controls;

// --- Twips on screen -------------------------------------------------------

// Converts twips to device-independent pixels: 15 twips are one pixel at 96
// dots per inch, scaled with the screen's logical resolution.
class TwipScale {
 public:
  explicit constexpr TwipScale(double dpi = 96.0) : dpi_(dpi) {}
  int px(int twips) const;
  double dpi() const { return dpi_; }

 private:
  double dpi_;
};

}  // namespace qm::ui
