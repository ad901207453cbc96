#include "platform/editor_command.h"

#include <cstdlib>

namespace platform {
namespace {

std::vector<std::string> words(std::string_view text) {
  std::vector<std::string> out;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t start = text.find_first_not_of(" \t", at);
    if (start == std::string_view::npos) break;
    const std::size_t end = std::min(text.find_first_of(" \t", start), text.size());
    out.emplace_back(text.substr(start, end - start));
    at = end;
  }
  return out;
}

std::string_view variable(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string_view() : std::string_view(value);
}

}  // namespace

std::vector<std::string> editorCommand(const std::string& file, std::string_view visual, std::string_view editor) {
  std::vector<std::string> command = words(visual);
  if (command.empty()) command = words(editor);
  if (command.empty()) command = {"xdg-open"};
  command.push_back(file);
  return command;
}

std::vector<std::string> editorCommand(const std::string& file) {
  return editorCommand(file, variable("VISUAL"), variable("EDITOR"));
}

}  // namespace platform
