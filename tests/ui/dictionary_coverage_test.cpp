// Every phrase of the program's texts has a German entry: a text added without one would show
// in English in the German window, so the test fails and names the phrases that lack one.
#include <gtest/gtest.h>

#include <set>

#include "platform/file_system.h"
#include "platform/path.h"
#include "ui/translator.h"

namespace {

// The string literals of a C++ source, escapes resolved; comments and character literals skipped.
std::vector<std::string> stringLiterals(const std::string& source) {
  std::vector<std::string> literals;
  for (std::size_t i = 0; i < source.size(); ++i) {
    if (source.compare(i, 2, "//") == 0) {
      i = source.find('\n', i);
      if (i == std::string::npos) break;
    } else if (source.compare(i, 2, "/*") == 0) {
      i = source.find("*/", i);
      if (i == std::string::npos) break;
      ++i;
    } else if (source[i] == '\'') {
      for (++i; i < source.size() && source[i] != '\''; ++i) {
        if (source[i] == '\\') ++i;
      }
    } else if (source[i] == '"') {
      std::string literal;
      for (++i; i < source.size() && source[i] != '"'; ++i) {
        if (source[i] == '\\' && i + 1 < source.size()) {
          const char next = source[++i];
          literal += next == 'n' ? '\n' : next == 't' ? '\t' : next;
        } else {
          literal += source[i];
        }
      }
      literals.push_back(literal);
    }
  }
  return literals;
}

void collectPhrases(const std::string& folder, std::set<std::string>& phrases) {
  for (const std::string& path : platform::filesBelow(folder)) {
    const std::string extension = platform::extensionOf(path);
    if (extension != "cpp" && extension != "h") continue;
    // Adjacent literals form one text; join them so a token split over two lines is found.
    std::string joined;
    for (const std::string& literal : stringLiterals(platform::readWholeFile(path).value_or(""))) joined += literal + "\x01";
    std::size_t at = 0;
    while ((at = joined.find("${", at)) != std::string::npos) {
      const std::size_t close = joined.find('}', at);
      if (close == std::string::npos) break;
      std::string phrase = joined.substr(at + 2, close - at - 2);
      std::erase(phrase, '\x01');
      phrases.insert(phrase);
      at = close;
    }
  }
}

}  // namespace

TEST(DictionaryCoverage, TheGermanDictionaryHasEveryPhrase) {
  ui::Translator german;
  ASSERT_TRUE(german.LoadDictionary(platform::joinPath(VELKOR_SOURCE_DIR, "ui/deutsch.dic")));
  EXPECT_EQ(german.Header().language, "Deutsch");
  std::set<std::string> phrases;
  for (const char* folder : {"platform", "engine", "stores", "config", "ui", "app"}) {
    collectPhrases(platform::joinPath(VELKOR_SOURCE_DIR, folder), phrases);
  }
  EXPECT_GT(phrases.size(), 50u);
  std::vector<std::string> missing;
  for (const std::string& phrase : phrases) {
    // A phrase the file cannot hold (a line break, leading blanks) or whose entry breaks its
    // "%s"/"%d" conversions counts as missing too.
    if (!german.Knows(phrase)) missing.push_back(phrase);
  }
  std::string list;
  for (const std::string& phrase : missing) list += "not in deutsch.dic: " + phrase + '\n';
  EXPECT_TRUE(missing.empty()) << missing.size() << " phrases lack a German entry:\n" << list;
}
