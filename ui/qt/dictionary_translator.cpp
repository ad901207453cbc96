#include "ui/qt/dictionary_translator.h"

#include <string>

#include "ui/translator.h"

namespace ui::qt {

QString DictionaryTranslator::translate(const char*, const char* sourceText, const char*, int) const {
  if (sourceText == nullptr) return {};
  const std::string out = GlobalTranslator().TranslatePhrase(sourceText);
  return out == sourceText ? QString() : QString::fromStdString(out);
}

}  // namespace ui::qt
