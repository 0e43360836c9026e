#include "ui/export_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QShortcut>
#include <algorithm>
#include <vector>

#include "ui/controls.h"
#include "ui/layout.h"

namespace qm::ui {

ExportDialog::ExportDialog(MainWindowState& main, Host& host) : QWidget(nullptr), main_(main), host_(host) {
  setObjectName(fromUtf8(kExportDialogName));
  setWindowTitle(fromUtf8(kExportDialogTitle));
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  // A tool window would not keep the program running on its own; this one
  // does while it is on the screen.
  setAttribute(Qt::WA_QuitOnClose, true);
  setFont(dialogFont());

  const TwipScale scale = screenScale();
  setFixedSize(scale.px(kExportWidth), scale.px(kExportHeight));

  auto* frame = new FrameBox(fromUtf8(kExportFrame.caption), this);
  frame->setObjectName(fromUtf8(kExportFrame.name));
  frame->setGeometry(toPixels(scale, kExportFrame.rect));

  std::vector<std::pair<int, QWidget*>> focusable;
  const auto place = [&](QWidget* widget, const DialogControlLayout& layout) {
    widget->setObjectName(fromUtf8(layout.name));
    widget->setGeometry(toPixels(scale, layout.rect));
  };
  for (std::size_t k = 0; k < boxes_.size(); ++k) {
    auto* caption = new QLabel(fromUtf8(kExportCaptions[k].text), frame);
    caption->setTextFormat(Qt::PlainText);
    caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    place(caption, kExportCaptions[k]);

    auto* box = new QLineEdit(frame);
    connect(box, &QLineEdit::textChanged, this, [this, k](const QString& text) { boxText(k) = text.toStdString(); });
    // Enter in a box is Continue, as on the button.
    connect(box, &QLineEdit::returnPressed, this, [this] { exportWeapon(); });
    place(box, kExportBoxes[k]);
    boxes_[k] = box;
    focusable.emplace_back(kExportBoxes[k].tabIndex, box);
  }
  auto* button = new WrapButton(fromUtf8(kExportContinue.text), frame);
  button->setAutoDefault(true);  // Enter presses it too
  connect(button, &QPushButton::clicked, this, [this] { exportWeapon(); });
  place(button, kExportContinue);
  focusable.emplace_back(kExportContinue.tabIndex, button);

  std::sort(focusable.begin(), focusable.end());
  for (std::size_t i = 1; i < focusable.size(); ++i) setTabOrder(focusable[i - 1].second, focusable[i].second);
  focusable.front().second->setFocus();

  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());

  // Escape hides the dialog as a cancelled save dialog does: the texts stay.
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &ExportDialog::leave);
}

std::string& ExportDialog::boxText(std::size_t k) {
  std::string* texts[] = {&state_.actualName, &state_.name, &state_.weaponId};
  return *texts[k];
}

void ExportDialog::present() {
  const bool fresh = !isVisible();
  // The lowest ID no weapon uses, inside the empty ID box and as its tooltip.
  const QString hint = fromUtf8(nextFreeIdText(nextFreeId(main_.gameDir(), main_.imports())));
  boxes_[2]->setPlaceholderText(hint);
  boxes_[2]->setToolTip(hint);
  show();
  raise();
  activateWindow();
  if (fresh) boxes_.front()->setFocus();
}

void ExportDialog::exportWeapon() {
  if (state_.exportWeapon(main_.weapon(), host_, main_.lastPath()) != ExportDialogState::Outcome::Hide) return;
  hide();
  // The file is written as it is; what the game will misread in it is said.
  if (!state_.written.empty())
    if (const std::string findings = exportFindings(main_.gameDir(), main_.imports(), state_.written);
        !findings.empty())
      host_.msgBox(findings, Buttons::Ok);
  leave();
}

void ExportDialog::leave() {
  hide();
  // Hiding is not closing: the program would not notice that no window is
  // left on the screen once the main window has been closed.
  if (!QGuiApplication::quitOnLastWindowClosed()) return;
  for (const QWidget* top : QApplication::topLevelWidgets())
    if (top != this && top->isVisible() && top->testAttribute(Qt::WA_QuitOnClose) && top->windowType() != Qt::Popup)
      return;
  QCoreApplication::quit();
}

void ExportDialog::showTexts() {
  for (std::size_t k = 0; k < boxes_.size(); ++k) boxes_[k]->setText(QString::fromStdString(boxText(k)));
}

void ExportDialog::closeEvent(QCloseEvent* event) {
  state_.discardTexts();
  showTexts();
  QWidget::closeEvent(event);
}

}  // namespace qm::ui
