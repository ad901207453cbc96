#pragma once
// The command that opens a text file in the user's editor, never run through a shell.
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// $VISUAL, else $EDITOR, else xdg-open (the desktop's program for the file). A variable holds the
// program and its own arguments split at blanks (quotes are not read: there is no shell); the
// file is always the one last argument, whatever it holds. `file` is an absolute path, so it is
// never taken for an option.
[[nodiscard]] std::vector<std::string> editorCommand(const std::string& file, std::string_view visual,
                                                     std::string_view editor);
// The same with the variables of this process's environment.
[[nodiscard]] std::vector<std::string> editorCommand(const std::string& file);

}  // namespace platform
