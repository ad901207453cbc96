#include "ui/qt/options/font_page.h"

#include <QCheckBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/controls/tx.h"
#include "ui/qt/list_font.h"

namespace ui::qt {

FontPage::FontPage(QWidget* parent) : OptionsPage(parent) {
  setObjectName("fontPage");
  family_ = new QFontComboBox;
  family_->setObjectName("fontFamily");
  pixels_ = new QSpinBox;
  pixels_->setObjectName("fontPixels");
  pixels_->setRange(6, 72);
  pixels_->setSuffix(QStringLiteral(" px"));
  bold_ = new QCheckBox(tx("&${Bold}"));
  bold_->setObjectName("fontBold");
  italic_ = new QCheckBox(tx("&${Italic}"));
  italic_->setObjectName("fontItalic");
  sample_ = new QLabel(QStringLiteral("letters/anna.txt    15.06.2025  09:30    1.234.567"));
  sample_->setObjectName("fontSample");
  sample_->setFrameShape(QFrame::StyledPanel);
  sample_->setMinimumHeight(48);

  auto* form = new QFormLayout;
  form->addRow(tx("${Font}:"), family_);
  form->addRow(tx("${Size}:"), pixels_);
  form->addRow(QString(), bold_);
  form->addRow(QString(), italic_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(new QLabel(tx("${Sample}:")));
  layout->addWidget(sample_);
  layout->addStretch();
  connect(family_, &QFontComboBox::currentFontChanged, this, &FontPage::showSample);
  connect(pixels_, &QSpinBox::valueChanged, this, &FontPage::showSample);
  connect(bold_, &QCheckBox::toggled, this, &FontPage::showSample);
  connect(italic_, &QCheckBox::toggled, this, &FontPage::showSample);
}

QFont FontPage::shown() const {
  QFont font = family_->currentFont();
  font.setPixelSize(pixels_->value());
  font.setBold(bold_->isChecked());
  font.setItalic(italic_->isChecked());
  return font;
}

void FontPage::showSample() { sample_->setFont(shown()); }

void FontPage::Load(const config::COptions& options) {
  loaded_ = options.listFont;
  const QFont font = FontOfRecord(loaded_);
  family_->setCurrentFont(font);
  pixels_->setValue(font.pixelSize() > 0 ? font.pixelSize() : qRound(font.pointSizeF() * 96.0 / 72.0));
  bold_->setChecked(font.bold());
  italic_->setChecked(font.italic());
  showSample();
  loadedShown_ = shown();
}

void FontPage::Save(config::COptions& options) const {
  // A font left as it was keeps its record, the default one included.
  const QFont font = shown();
  if (font == loadedShown_) return;
  options.listFont = RecordOfFont(font, loaded_);
}

}  // namespace ui::qt
