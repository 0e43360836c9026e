#include "ui/controls.h"

#include <qdrawutil.h>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScreen>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "text/text.h"

namespace qm::ui {

QString fromCp1252(std::string_view bytes) { return fromUtf8(cp1252ToUtf8(bytes)); }

void setValueText(QLabel* label, const QString& text) {
  // The border and a pixel of space stay clear.
  const int room = label->contentsRect().width() - 2;
  const QFontMetrics metrics(label->font());
  const bool fits = metrics.horizontalAdvance(text) <= room;
  label->setText(fits ? text : metrics.elidedText(text, Qt::ElideRight, room));
  // The whole text stays as the tooltip; a mark of an edited value may put
  // its warning there and takes this back when the warning goes.
  label->setProperty("wholeText", fits ? QString() : text);
  label->setToolTip(fits ? QString() : text);
}

QFont dialogFont(bool bold) {
  static const bool kSubstituted = [] {
    QFont::insertSubstitution("MS Sans Serif", "Liberation Sans");
    return true;
  }();
  (void)kSubstituted;
  QFont font("MS Sans Serif");
  font.setPointSizeF(8.25);
  font.setWeight(bold ? QFont::Bold : QFont::Normal);
  // The layout was drawn for MS Sans Serif, whose letters are narrower than
  // those of its stand-in; narrowing the stand-in a little lets the texts
  // fit their labels as they were laid out.
  if (QFontInfo(font).family() != font.family()) font.setStretch(94);
  return font;
}

TwipScale screenScale() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return TwipScale(screen ? screen->logicalDotsPerInch() : 96.0);
}

QRect toPixels(const TwipScale& scale, const TwipRect& r) {
  // Each edge is converted on its own so that neighbouring controls meet.
  const int left = scale.px(r.left), top = scale.px(r.top);
  return QRect(left, top, scale.px(r.right()) - left, scale.px(r.bottom()) - top);
}

QIcon makeAppIcon() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);

  // The crosshair, lower left.
  const QPointF centre(12.5, 19.5);
  p.setPen(QPen(QColor(178, 34, 34), 2.0));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(centre, 8.5, 8.5);
  p.setPen(QPen(QColor(178, 34, 34), 1.5));
  p.drawLine(QPointF(centre.x(), 8.0), QPointF(centre.x(), 14.0));
  p.drawLine(QPointF(centre.x(), 25.0), QPointF(centre.x(), 31.0));
  p.drawLine(QPointF(1.0, centre.y()), QPointF(7.0, centre.y()));
  p.drawLine(QPointF(18.0, centre.y()), QPointF(24.0, centre.y()));

  // The quill, its nib on the crosshair's centre.
  QPainterPath vane;
  vane.moveTo(30.5, 1.5);
  vane.cubicTo(22.0, 3.0, 15.5, 9.0, 16.0, 17.5);
  vane.cubicTo(21.0, 17.0, 28.0, 11.0, 30.5, 1.5);
  p.setPen(QPen(QColor(40, 40, 70), 1.0));
  p.setBrush(QColor(250, 244, 222));
  p.drawPath(vane);
  p.setPen(QPen(QColor(40, 40, 70), 1.2));
  p.drawLine(QPointF(29.5, 2.5), QPointF(14.5, 17.5));
  QPainterPath nib;
  nib.moveTo(centre);
  nib.lineTo(16.5, 14.5);
  nib.lineTo(16.0, 18.0);
  nib.closeSubpath();
  p.setBrush(QColor(40, 40, 70));
  p.drawPath(nib);
  p.end();
  return QIcon(pixmap);
}

void FrameBox::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QFontMetrics metrics(font());
  const QRect border = rect().adjusted(0, metrics.height() / 2, -2, -2);
  p.setPen(palette().color(QPalette::Light));
  p.drawRect(border.translated(1, 1));
  p.setPen(palette().color(QPalette::Mid));
  p.drawRect(border);

  if (title().isEmpty()) return;
  const QRect caption(6, 0, metrics.horizontalAdvance(title()) + 4, metrics.height());
  p.fillRect(caption, palette().color(QPalette::Window));
  p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
  p.drawText(caption, Qt::AlignCenter, title());
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

void BoxLabel::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  // One logical pixel wide, as a frame's line is, whatever the screen's scale.
  QPainter p(this);
  qDrawPlainRect(&p, rect(), palette().color(QPalette::WindowText), 1);
}

void WrapButton::paintEvent(QPaintEvent*) {
  QStylePainter p(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  const QString caption = option.text;
  option.text.clear();
  p.drawControl(QStyle::CE_PushButton, option);
  const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
  p.drawItemText(area, Qt::AlignCenter | Qt::TextWordWrap, option.palette, isEnabled(), caption, QPalette::ButtonText);
}

WeaponListModel::WeaponListModel(const WeaponList& list, QObject* parent) : QAbstractListModel(parent), list_(list) {}

int WeaponListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(list_.size());
}

QVariant WeaponListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  return fromCp1252(list_.at(static_cast<std::size_t>(index.row())).text);
}

void WeaponListModel::reload() {
  beginResetModel();
  endResetModel();
}

}  // namespace qm::ui
