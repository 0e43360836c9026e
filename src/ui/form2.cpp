#include "ui/form2.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <algorithm>
#include <vector>

#include "ui/controls.h"
#include "ui/layout.h"

namespace qm::ui {

Form2::Form2(Form1State& main, Host& host) : QWidget(nullptr), main_(main), host_(host) {
  setObjectName("Form2");
  setWindowTitle(FromUtf8(kForm2Title));
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  // A tool window would not keep the program running on its own; this one
  // does while it is on the screen.
  setAttribute(Qt::WA_QuitOnClose, true);
  setFont(DialogFont());

  const TwipScale scale = ScreenScale();
  setFixedSize(scale.px(kForm2Width), scale.px(kForm2Height));

  auto* frame = new FrameBox(FromUtf8(kForm2Frame.caption), this);
  frame->setObjectName(FromUtf8(kForm2Frame.name));
  frame->setGeometry(ToPixels(scale, kForm2Frame.rect));

  std::vector<std::pair<int, QWidget*>> focusable;
  for (const ControlLayout& c : kForm2Controls) {
    QWidget* widget = nullptr;
    switch (c.kind) {
      case ControlKind::TextBox: {
        auto* edit = new QLineEdit(frame);
        const int k = c.name.back() - '1';
        texts_[k] = edit;
        connect(edit, &QLineEdit::textChanged, this, [this, k](const QString& text) {
          std::string* fields[] = {&state_.Text1, &state_.Text2, &state_.Text3};
          *fields[k] = text.toStdString();
        });
        widget = edit;
        focusable.emplace_back(c.tabIndex, edit);
        break;
      }
      case ControlKind::PushButton: {
        auto* button = new WrapButton(FromUtf8(c.text), frame);
        connect(button, &QPushButton::clicked, this, [this] { Command1_Click(); });
        widget = button;
        focusable.emplace_back(c.tabIndex, button);
        break;
      }
      default: {
        auto* label = new QLabel(FromUtf8(c.text), frame);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        widget = label;
        break;
      }
    }
    widget->setObjectName(FromUtf8(c.name));
    widget->setGeometry(ToPixels(scale, c.rect));
  }

  std::sort(focusable.begin(), focusable.end());
  for (std::size_t i = 1; i < focusable.size(); ++i) setTabOrder(focusable[i - 1].second, focusable[i].second);
  focusable.front().second->setFocus();

  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

void Form2::Command1_Click() {
  if (state_.Command1_Click(main_.weapon, host_, main_.cd1Path) == Form2State::Outcome::Hide) hide();
}

void Form2::ShowTexts() {
  const std::string* fields[] = {&state_.Text1, &state_.Text2, &state_.Text3};
  for (std::size_t k = 0; k < texts_.size(); ++k) texts_[k]->setText(QString::fromStdString(*fields[k]));
}

void Form2::closeEvent(QCloseEvent* event) {
  state_.Form_Unload();
  ShowTexts();
  QWidget::closeEvent(event);
}

}  // namespace qm::ui
