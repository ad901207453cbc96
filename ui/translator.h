#pragma once
// Translation of interface text: every "${phrase}" token of a text is replaced by the phrase's
// translation from the loaded dictionary, or by the phrase itself.
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ui {

struct DictionaryInfo {
  std::string language;
  std::string fileName;
  std::string second;
  std::string third;
};

class Translator {
 public:
  // Texts shorter than this, or this long and longer, are shown as they are.
  static constexpr std::size_t kMinLength = 3;
  static constexpr std::size_t kMaxLength = 800;

  // Clears the dictionary, then reads the file; false (dictionary left empty) when the file
  // cannot be read or does not begin with the header word.
  bool LoadDictionary(const std::string& path);
  bool LoadDictionaryText(std::string_view content, const std::string& fileName);
  void Clear();

  [[nodiscard]] std::string Translate(std::string_view text) const;
  // The translation of one phrase, or the phrase itself. A translation that is a message format
  // is used only when its conversions ("%s", "%d") match the phrase's.
  [[nodiscard]] std::string TranslatePhrase(std::string_view phrase) const;
  // Whether TranslatePhrase finds a usable translation, also one spelled like the phrase ("Name").
  [[nodiscard]] bool Knows(std::string_view phrase) const;

  [[nodiscard]] const DictionaryInfo& Header() const { return header_; }
  [[nodiscard]] std::size_t Size() const { return dictionary_.size(); }

 private:
  std::unordered_map<std::string, std::string> dictionary_;
  DictionaryInfo header_;
};

// The dictionaries ("*.dic" whose first line begins with the header word) in a folder.
[[nodiscard]] std::vector<DictionaryInfo> ListDictionaries(const std::string& folder);
// Where a dictionary named in the configuration is: as given when that is an absolute path, else
// beside the executable, else in the installed data folder; never the current folder. Empty
// when it is nowhere.
[[nodiscard]] std::string FindDictionary(const std::string& name, const std::string& executableFolder,
                                         const std::string& dataFolder);

// The process's translator, used by every text the program shows.
[[nodiscard]] Translator& GlobalTranslator();
// Loads the named dictionary into the process's translator and makes every engine text go
// through it. False when the dictionary was not found or not readable.
bool UseDictionary(const std::string& name, const std::string& executableFolder, const std::string& dataFolder);

// The printf conversions of a message format, in order ("%s %5d %%" gives "s", "d").
[[nodiscard]] std::vector<std::string> FormatConversions(std::string_view text);

}  // namespace ui
