#include "stores/archiver_description.h"

#include <algorithm>
#include <memory>

#include "engine/store_factory.h"
#include "engine/text.h"
#include "platform/case_fold.h"
#include "platform/text_encoding.h"
#include "stores/archiver_store.h"

namespace stores {
namespace {

constexpr std::string_view kPlaceholders = "AFPpUu";
constexpr int kMaxPlaceholders = 3;

// " a b " from "A  b": lower case, single blanks, one at each end.
std::string extensionList(std::string_view text) {
  std::string list = " ";
  std::size_t pos = 0;
  const std::string lower = platform::asciiLower(std::string(text));
  while (pos < lower.size()) {
    const auto start = lower.find_first_not_of(" \t", pos);
    if (start == std::string::npos) break;
    auto end = lower.find_first_of(" \t", start);
    if (end == std::string::npos) end = lower.size();
    // ".tar.gz" and "tar.gz" are the same extension.
    std::string_view word = std::string_view(lower).substr(start, end - start);
    if (word.starts_with('.')) word.remove_prefix(1);
    if (!word.empty()) list.append(word).append(" ");
    pos = end;
  }
  return list;
}

// The kinds' sections with their extension lists, in the file's order.
std::vector<std::pair<std::string, std::string>> enumerateKinds(const DescriptionFile& file) {
  std::vector<std::pair<std::string, std::string>> kinds;
  for (const std::string& key : file.keys("ext")) {
    const std::string extensions = engine::TrimBlanks(key);
    if (extensions.empty() || extensions.starts_with(';')) continue;
    kinds.emplace_back(engine::TrimBlanks(file.text("ext", key)), extensions);
  }
  if (!kinds.empty()) return kinds;
  for (int number = 1;; ++number) {
    const std::string section = engine::TrimBlanks(file.text("General", std::to_string(number)));
    if (section.empty()) break;
    const std::string own = engine::TrimBlanks(file.text(section, "ext"));
    kinds.emplace_back(section, own.empty() ? section : own);
  }
  return kinds;
}

ArchiverDescription readKind(const DescriptionFile& file, const std::string& section, const std::string& extensions,
                             const ProgramLookup& lookup) {
  ArchiverDescription kind;
  kind.name = section;
  kind.extensions = extensionList(extensions);
  const auto text = [&](const char* key) { return engine::TrimBlanks(file.text(section, key)); };
  const std::string packer = text("p");
  const std::string unpacker = text("u").empty() ? packer : text("u");
  kind.packer = packer.empty() ? std::string() : lookup(packer);
  kind.unpacker = unpacker.empty() ? std::string() : lookup(unpacker);
  kind.listTemplate = text("list");
  kind.getTemplate = text("get");
  kind.addTemplate = text("add");
  kind.deleteTemplate = text("delete");
  kind.unpackTemplate = text("unpack");
  kind.decompressTemplate = text("decompress");
  kind.compressTemplate = text("compress");
  kind.startMarker = file.text(section, "lstart");
  kind.endMarker = file.text(section, "lend");
  kind.lineFormat = text("lformat");
  kind.options = std::atoi(text("opt").c_str());
  if (!kind.endMarker.empty()) kind.flags |= ArchiverDescription::kHasEndMarker;
  if (!kind.packer.empty() && !kind.unpacker.empty()) kind.flags |= ArchiverDescription::kProgramsFound;
  if ((kind.options & 1) == 0) kind.flags |= ArchiverDescription::kOptionBitClear;
  const std::pair<const char*, const std::string*> templates[] = {
      {"list", &kind.listTemplate}, {"get", &kind.getTemplate},       {"add", &kind.addTemplate},
      {"delete", &kind.deleteTemplate}, {"unpack", &kind.unpackTemplate}, {"decompress", &kind.decompressTemplate},
      {"compress", &kind.compressTemplate}};
  for (const auto& [key, value] : templates) {
    if (value->empty() && std::string_view(key) != "list") continue;
    const std::string problem = TemplateProblem(*value);
    if (!problem.empty() && kind.problem.empty()) kind.problem = section + " " + key + ": " + problem;
  }
  return kind;
}

bool listsExtension(const ArchiverDescription& kind, std::string_view extension) {
  return kind.extensions.find(" " + std::string(extension) + " ") != std::string::npos;
}

}  // namespace

engine::ListerRecord ArchiverDescription::Lister() const {
  engine::ListerRecord lister;
  lister.format = lineFormat;
  lister.startMarker = startMarker;
  lister.endMarker = endMarker;
  lister.flags = flags;
  lister.archiverNames = true;
  return lister;
}

std::vector<ArchiverDescription> ReadArchiverDescriptions(const DescriptionFile& file, const ProgramLookup& lookup) {
  std::vector<ArchiverDescription> kinds;
  for (const auto& [section, extensions] : enumerateKinds(file)) kinds.push_back(readKind(file, section, extensions, lookup));
  return kinds;
}

const ArchiverDescription* FindArchiver(const std::vector<ArchiverDescription>& kinds, std::string_view fileName) {
  const std::string lower = platform::asciiLower(std::string(fileName));
  for (auto dot = lower.find('.'); dot != std::string::npos; dot = lower.find('.', dot + 1)) {
    const std::string_view extension = std::string_view(lower).substr(dot + 1);
    if (extension.empty()) break;
    for (const ArchiverDescription& kind : kinds) {
      if (kind.ProgramsFound() && listsExtension(kind, extension)) return &kind;
    }
  }
  return nullptr;
}

std::string TemplateProblem(std::string_view text) {
  if (text.size() < 3 || text.front() != '%') return engine::Translate("${it must begin with a placeholder such as %P}");
  int count = 0;
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    if (text[pos] != '%') continue;
    if (pos + 1 >= text.size() || kPlaceholders.find(text[pos + 1]) == std::string_view::npos) {
      return engine::Translate("${only %A, %F, %P, %p, %U and %u may follow a %}");
    }
    if (++count > kMaxPlaceholders) return engine::Translate("${at most three placeholders}");
    ++pos;
  }
  return {};
}

namespace {

const std::string& valueOf(char letter, const TemplateValues& values) {
  switch (letter) {
    case 'A': return values.archive;
    case 'P': case 'p': return values.packer;
    default: return values.unpacker;
  }
}

// The word with its placeholders replaced, `file` standing for %F.
std::string filledWord(std::string_view word, const TemplateValues& values, const std::string& file) {
  std::string out;
  for (std::size_t pos = 0; pos < word.size(); ++pos) {
    if (word[pos] == '%' && pos + 1 < word.size()) {
      const char letter = word[++pos];
      out += letter == 'F' ? file : valueOf(letter, values);
    } else {
      out += word[pos];
    }
  }
  return out;
}

}  // namespace

std::vector<std::string> ExpandTemplate(std::string_view text, const TemplateValues& values) {
  if (!TemplateProblem(text).empty()) return {};
  std::vector<std::string> arguments;
  for (const std::string& word : engine::CommandWords(text)) {
    if (word.find("%F") == std::string::npos) {
      arguments.push_back(filledWord(word, values, {}));
      continue;
    }
    for (const std::string& file : values.files) arguments.push_back(filledWord(word, values, file));
  }
  return arguments;
}

bool IsArchiverSafeName(std::string_view name) {
  // "-x" is an option; "@x" is 7-Zip's file of names to read.
  if (name.empty() || name.starts_with('-') || name.starts_with('@') || name.front() == ' ' || name.back() == ' ') return false;
  for (const char c : name) {
    if (c == '\\' || c == '*' || c == '?' || c == '[') return false;
  }
  // A listing in the archivers' UTF-8 locale escapes the rest, and the name would not be found again.
  return platform::isPrintableUtf8(name);
}

void RegisterArchivers(std::vector<ArchiverDescription> kinds) {
  auto shared = std::make_shared<const std::vector<ArchiverDescription>>(std::move(kinds));
  engine::StoreFactory::RegisterClaim("archivers", [shared](const std::string& fileName) -> engine::StoreMaker {
    const ArchiverDescription* kind = FindArchiver(*shared, fileName);
    if (kind == nullptr) return {};
    return [kind = *kind](const engine::StoreContext& context) { return std::make_unique<ArchiverStore>(context, kind); };
  });
}

}  // namespace stores
