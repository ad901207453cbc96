#include "ui/controls/tx.h"

#include "engine/text.h"
#include "ui/translator.h"

namespace ui {

QString tx(std::string_view text) { return QString::fromStdString(GlobalTranslator().Translate(text)); }

QString txf(std::string_view format, const std::vector<std::string>& args) {
  return QString::fromStdString(engine::FormatText(GlobalTranslator().Translate(format), args));
}

}  // namespace ui
