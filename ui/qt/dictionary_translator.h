#pragma once
// The funnel for texts that Qt translates itself (its standard buttons, tr() calls): every one is
// looked up by its English phrase in the program's dictionary, whatever its context.
#include <QTranslator>

namespace ui::qt {

class DictionaryTranslator : public QTranslator {
  Q_OBJECT

 public:
  using QTranslator::QTranslator;
  [[nodiscard]] bool isEmpty() const override { return false; }
  // An empty text when the dictionary has no entry, so Qt keeps its own.
  [[nodiscard]] QString translate(const char* context, const char* sourceText, const char* disambiguation,
                                  int n) const override;
};

}  // namespace ui::qt
