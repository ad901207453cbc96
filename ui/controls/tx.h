#pragma once
// The one spelling of a shown text: written with "${phrase}" tokens ("&${File}", "${Total}: %d")
// and translated through the program's dictionary before it reaches a widget. Texts that arrive
// from the engine are translated already and are only converted.
#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

// The text with every token translated.
[[nodiscard]] QString tx(std::string_view text);
// Translated first, then filled: each "%s" or "%d" takes the next argument.
[[nodiscard]] QString txf(std::string_view format, const std::vector<std::string>& args);
[[nodiscard]] inline QString qs(const std::string& text) { return QString::fromStdString(text); }
[[nodiscard]] inline std::string ss(const QString& text) { return text.toStdString(); }

}  // namespace ui
