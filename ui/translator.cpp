#include "ui/translator.h"

#include <cctype>

#include "engine/text.h"
#include "platform/case_fold.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace ui {
namespace {

constexpr std::string_view kHeaderWord = "Vorlexa ";
// A NUL byte in a dictionary line reads as the middle dot.
constexpr std::string_view kMiddleDot = "\xC2\xB7";

// Dictionaries made for the old 8-bit code page are read as Latin-1.
std::string asUtf8(std::string_view text) {
  if (platform::isValidUtf8(text)) return std::string(text);
  std::string out;
  for (const char ch : text) platform::appendUtf8(out, static_cast<unsigned char>(ch));
  return out;
}

// Lines split at the line end the file uses first: CR LF, LF CR, LF or CR.
std::vector<std::string> dictionaryLines(std::string_view content) {
  std::string_view end = "\n";
  const std::size_t first = content.find_first_of("\r\n");
  if (first != std::string_view::npos) {
    const char c = content[first];
    const char next = first + 1 < content.size() ? content[first + 1] : '\0';
    if (c == '\r') {
      end = next == '\n' ? "\r\n" : "\r";
    } else {
      end = next == '\r' ? "\n\r" : "\n";
    }
  }
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t stop = content.find(end, start);
    if (stop == std::string_view::npos) stop = content.size();
    std::string line;
    for (const char c : content.substr(start, stop - start)) {
      if (c == '\0') {
        line += kMiddleDot;
      } else {
        line += c;
      }
    }
    lines.push_back(asUtf8(line));
    start = stop + end.size();
  }
  return lines;
}

std::string bracketed(const std::string& line) {
  const std::size_t open = line.find('[');
  const std::size_t close = line.rfind(']');
  if (open == std::string::npos || close == std::string::npos || close < open) return {};
  return line.substr(open + 1, close - open - 1);
}

std::string withoutLeadingBlanks(const std::string& line) {
  const std::size_t first = line.find_first_not_of(" \t");
  return first == std::string::npos ? std::string() : line.substr(first);
}

}  // namespace

std::vector<std::string> FormatConversions(std::string_view text) {
  std::vector<std::string> conversions;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    std::size_t j = i + 1;
    if (j < text.size() && text[j] == '%') {
      i = j;
      continue;
    }
    while (j < text.size() && std::string_view("-+ #0").find(text[j]) != std::string_view::npos) ++j;
    while (j < text.size() && (std::isdigit(static_cast<unsigned char>(text[j])) != 0 || text[j] == '*' || text[j] == '.')) ++j;
    std::string conversion;
    while (j < text.size() && std::string_view("hlLqjztI3264").find(text[j]) != std::string_view::npos) conversion += text[j++];
    if (j < text.size()) conversion += text[j];
    conversions.push_back(conversion.empty() ? std::string("%") : conversion);
    i = j;
  }
  return conversions;
}

void Translator::Clear() {
  dictionary_.clear();
  header_ = {};
}

bool Translator::LoadDictionary(const std::string& path) {
  Clear();
  const auto content = platform::readWholeFile(path);
  return content && LoadDictionaryText(*content, platform::fileNameOf(path));
}

bool Translator::LoadDictionaryText(std::string_view content, const std::string& fileName) {
  Clear();
  if (!content.starts_with(kHeaderWord)) return false;
  const std::vector<std::string> lines = dictionaryLines(content);
  header_.fileName = fileName;
  if (lines.size() > 1) header_.language = bracketed(lines[1]);
  if (lines.size() > 2) header_.second = bracketed(lines[2]);
  if (lines.size() > 3) header_.third = bracketed(lines[3]);
  for (std::size_t i = 4; i < lines.size(); ++i) {
    const std::string key = withoutLeadingBlanks(lines[i]);
    if (key.empty() || key.front() == ';' || key.front() == '[') continue;
    if (++i >= lines.size()) break;
    const std::string& value = lines[i];
    if (value.empty() || value.front() == ';') continue;
    dictionary_[key] = value;
  }
  return true;
}

std::string Translator::TranslatePhrase(std::string_view phrase) const {
  return Knows(phrase) ? dictionary_.find(std::string(phrase))->second : std::string(phrase);
}

bool Translator::Knows(std::string_view phrase) const {
  const auto found = dictionary_.find(std::string(phrase));
  // A stray "%s" or "%n" in a dictionary must never reach a formatting call.
  return found != dictionary_.end() && FormatConversions(found->second) == FormatConversions(phrase);
}

std::string Translator::Translate(std::string_view text) const {
  if (text.size() < kMinLength || text.size() >= kMaxLength || text.find("${") == std::string_view::npos) {
    return std::string(text);
  }
  std::string out;
  std::size_t position = 0;
  for (;;) {
    const std::size_t open = text.find("${", position);
    if (open == std::string_view::npos) break;
    const std::size_t close = text.find('}', open + 2);
    if (close == std::string_view::npos) return std::string(text);
    out.append(text.substr(position, open - position));
    out += TranslatePhrase(text.substr(open + 2, close - open - 2));
    position = close + 1;
  }
  out.append(text.substr(position));
  return out;
}

std::vector<DictionaryInfo> ListDictionaries(const std::string& folder) {
  std::vector<DictionaryInfo> found;
  auto search = platform::DirectorySearch::open(folder);
  platform::FindData entry;
  while (search && search->next(entry)) {
    if (entry.isFolder() || platform::asciiLower(platform::extensionOf(entry.name)) != "dic") continue;
    Translator reader;
    if (reader.LoadDictionary(platform::joinPath(folder, entry.name))) found.push_back(reader.Header());
  }
  return found;
}

std::string FindDictionary(const std::string& name, const std::string& executableFolder, const std::string& dataFolder) {
  if (name.empty()) return {};
  if (platform::isAbsolutePath(name)) return platform::exists(name) ? name : std::string();
  for (const std::string& folder : {executableFolder, dataFolder}) {
    if (folder.empty()) continue;
    const std::string candidate = platform::joinPath(folder, name);
    if (platform::exists(candidate)) return candidate;
  }
  return {};
}

Translator& GlobalTranslator() {
  static Translator translator;
  return translator;
}

bool UseDictionary(const std::string& name, const std::string& executableFolder, const std::string& dataFolder) {
  const std::string path = FindDictionary(name, executableFolder, dataFolder);
  if (path.empty() || !GlobalTranslator().LoadDictionary(path)) return false;
  engine::SetTranslator([](std::string_view text) { return GlobalTranslator().Translate(text); });
  return true;
}

}  // namespace ui
