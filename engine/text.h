#pragma once
// Interface texts carry their translatable phrases as "${phrase}" tokens. Code that shows a text
// passes it through Translate first; the translator installs itself at start-up.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

using TranslateFunction = std::string (*)(std::string_view text);

// Installs the process's translator; nullptr restores the default (tokens show their phrase).
void SetTranslator(TranslateFunction translate);
[[nodiscard]] std::string Translate(std::string_view text);
// The text with every "${" and its "}" removed, as shown with no dictionary.
[[nodiscard]] std::string StripTokens(std::string_view text);

// Fills a message format: each "%s" or "%d" takes the next argument in order, "%%" is one "%".
// Anything else is copied as it stands; missing arguments leave nothing. Never reads beyond
// `args`, whatever the format holds.
[[nodiscard]] std::string FormatText(std::string_view format, const std::vector<std::string>& args);
// Translate, then FormatText.
[[nodiscard]] std::string TranslateFormat(std::string_view format, const std::vector<std::string>& args);

// The text without blanks and tabs at either end.
[[nodiscard]] std::string TrimBlanks(std::string_view text);

// The words of a command template: split at blanks and tabs outside double quotes, the quotes
// dropped, so `"a b" c` gives the two words `a b` and `c`, and `""` an empty word.
[[nodiscard]] std::vector<std::string> CommandWords(std::string_view text);

// A name as it may be printed on a line of its own: control characters (a line break in a file
// name) written as "\ooo", so no name can forge a line of the output or move the cursor.
[[nodiscard]] std::string PrintableText(std::string_view text);

}  // namespace engine
