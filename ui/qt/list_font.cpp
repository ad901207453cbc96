#include "ui/qt/list_font.h"

#include <QApplication>

#include "ui/controls/tx.h"

namespace ui::qt {

QFont FontOfRecord(const config::LogFont& record) {
  if (record == config::LogFont{}) return QApplication::font();
  QFont font(qs(record.faceName));
  if (record.height != 0) font.setPixelSize(record.height < 0 ? -record.height : record.height);
  font.setWeight(static_cast<QFont::Weight>(std::clamp(record.weight == 0 ? 400 : record.weight, 100, 900)));
  font.setItalic(record.italic != 0);
  font.setUnderline(record.underline != 0);
  font.setStrikeOut(record.strikeOut != 0);
  return font;
}

config::LogFont RecordOfFont(const QFont& font, config::LogFont base) {
  base.faceName = ss(font.family()).substr(0, 31);
  const int pixels = font.pixelSize() > 0 ? font.pixelSize() : qRound(font.pointSizeF() * 96.0 / 72.0);
  base.height = -pixels;
  base.weight = font.weight();
  base.italic = font.italic() ? 1 : 0;
  base.underline = font.underline() ? 1 : 0;
  base.strikeOut = font.strikeOut() ? 1 : 0;
  return base;
}

}  // namespace ui::qt
