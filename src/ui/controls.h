// Small widgets and helpers shared by the two windows.
#pragma once

#include <QAbstractListModel>
#include <QFont>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <filesystem>
#include <string_view>

#include "catalogue/weapon_list.h"
#include "platform/path_text.h"
#include "ui/layout.h"

namespace qm::ui {

// Texts of the core are UTF-8, or Windows-1252 bytes where they come from
// the weapon files.
inline QString fromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
QString fromCp1252(std::string_view bytes);
// Paths between Qt and the core go through UTF-8, never the local code page:
// these two are the only way a QString becomes a path and back.
inline std::filesystem::path toPath(const QString& path) { return platform::pathOf(path.toStdString()); }
inline QString fromPath(const std::filesystem::path& path) { return fromUtf8(platform::utf8Of(path)); }

// Shows `text` in a field row's value label, cut short with "..." before the
// label's right end, where the row's box has its border; the whole text is
// then the label's tooltip.
void setValueText(QLabel* label, const QString& text);

// The windows' font: MS Sans Serif 8.25 pt, Liberation Sans where it is
// missing. `bold` gives the headings' weight.
QFont dialogFont(bool bold = false);

// The scale of the primary screen (96 dpi when there is none).
TwipScale screenScale();

QRect toPixels(const TwipScale& scale, const TwipRect& r);

// The window icon: a quill over a crosshair, drawn at 32 x 32.
QIcon makeAppIcon();

// A frame drawn the classic way: an etched border whose top runs through the
// middle of the caption, the caption at its upper left.
class FrameBox : public QGroupBox {
  Q_OBJECT
 public:
  using QGroupBox::QGroupBox;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A label that reports a click.
class ClickLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

// A label drawn inside a thin box along its outer edge. The box is painted
// here rather than as the label's frame: a frame is drawn around the
// contents, so the margins that place the text would move it.
class BoxLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A push button whose caption wraps onto more lines when it is wider than the
// button, as the tall buttons of the options frame need.
class WrapButton : public QPushButton {
  Q_OBJECT
 public:
  using QPushButton::QPushButton;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// The weapon list as a model for the combo box: reads the entries where they
// are kept and decodes them for display.
class WeaponListModel : public QAbstractListModel {
  Q_OBJECT
 public:
  explicit WeaponListModel(const WeaponList& list, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  // The list has changed.
  void reload();

 private:
  const WeaponList& list_;
};

}  // namespace qm::ui
