#include "ui/change_field_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "text/text.h"
#include "ui/controls.h"

namespace qm::ui {

namespace {

// The preview's columns.
constexpr int kNew = 3, kNote = 4, kPreviewColumns = 5;

}  // namespace

ChangeFieldDialog::ChangeFieldDialog(Rows rows, const std::string& key, QWidget* parent)
    : QDialog(parent), rows_(std::move(rows)) {
  setObjectName("changeFieldDialog");
  setWindowTitle("Change field");
  key_ = new QComboBox(this);
  key_->setObjectName("changeFieldKey");
  for (const TableSource::Key& k : rows_.keys) key_->addItem(fromUtf8(k.caption), fromCp1252(k.key));
  key_->setMaxVisibleItems(20);
  const int first = key_->findData(fromUtf8(key));
  key_->setCurrentIndex(first < 0 ? 0 : first);
  operation_ = new QComboBox(this);
  operation_->setObjectName("changeFieldOperation");
  operation_->addItem("set to", static_cast<int>(FieldOperation::SetTo));
  operation_->addItem("multiply by", static_cast<int>(FieldOperation::MultiplyBy));
  operation_->addItem("add", static_cast<int>(FieldOperation::Add));
  value_ = new QLineEdit(this);
  value_->setObjectName("changeFieldValue");
  summary_ = new QLabel(this);
  summary_->setObjectName("changeFieldSummary");
  summary_->setTextFormat(Qt::PlainText);
  summary_->setWordWrap(true);

  preview_ = new QTableWidget(0, kPreviewColumns, this);
  preview_->setObjectName("changeFieldPreview");
  QString noun = fromUtf8(rows_.singular);
  if (!noun.isEmpty()) noun[0] = noun[0].toUpper();
  preview_->setHorizontalHeaderLabels({noun, "File", "Old value", "New value", "Note"});
  preview_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  preview_->setSelectionMode(QAbstractItemView::NoSelection);
  preview_->verticalHeader()->hide();
  preview_->verticalHeader()->setDefaultSectionSize(preview_->fontMetrics().height() + 6);
  preview_->horizontalHeader()->setStretchLastSection(true);
  preview_->setWordWrap(false);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
  apply_ = buttons->addButton("Apply", QDialogButtonBox::AcceptRole);
  apply_->setObjectName("changeFieldApply");
  apply_->setDefault(true);

  auto* form = new QFormLayout;
  form->addRow("Field:", key_);
  form->addRow("Operation:", operation_);
  form->addRow("Value:", value_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(summary_);
  layout->addWidget(preview_, 1);
  layout->addWidget(buttons);

  connect(key_, &QComboBox::currentIndexChanged, this, &ChangeFieldDialog::keyChosen);
  connect(operation_, &QComboBox::currentIndexChanged, this, &ChangeFieldDialog::showPlan);
  connect(value_, &QLineEdit::textChanged, this, &ChangeFieldDialog::showPlan);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  keyChosen();
  value_->setFocus();
  resize(720, 480);
}

void ChangeFieldDialog::keyChosen() {
  current_ = rows_.targets(utf8ToCp1252(key_->currentData().toString().toStdString()));
  showPlan();
}

void ChangeFieldDialog::showPlan() {
  plan_ = rows_.plan(current_, utf8ToCp1252(key_->currentData().toString().toStdString()),
                     static_cast<FieldOperation>(operation_->currentData().toInt()),
                     utf8ToCp1252(value_->text().toStdString()));
  preview_->setRowCount(static_cast<int>(plan_.rows.size()));
  for (int r = 0; r < preview_->rowCount(); ++r) {
    const FieldChangeRow& row = plan_.rows[r];
    const bool changes = row.outcome == FieldChangeRow::Outcome::Changes;
    const QString texts[kPreviewColumns] = {
        fromCp1252(row.target.weapon), fromUtf8(row.target.file), fromCp1252(row.target.old.value_or(std::string())),
        changes ? fromCp1252(row.shown) : QString(), fromUtf8(row.warning.empty() ? row.note : row.warning)};
    for (int c = 0; c < kPreviewColumns; ++c) {
      auto* item = new QTableWidgetItem(texts[c]);
      if (!changes) item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
      if (!row.warning.empty() && (c == kNew || c == kNote)) item->setBackground(QColor(255, 224, 138));
      item->setToolTip(texts[c]);
      preview_->setItem(r, c, item);
    }
  }
  // The note takes the room the others leave.
  for (int c = 0; c < kNote; ++c) preview_->resizeColumnToContents(c);
  summary_->setText(fromUtf8(plan_.summary(rows_.singular, rows_.plural)));
  apply_->setEnabled(plan_.canApply());
}

}  // namespace qm::ui
