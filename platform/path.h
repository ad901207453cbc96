#pragma once
// Path text helpers. On disk paths use "/" only: a "\" is an ordinary character of a name there.
// Stored relative names (history files, listings, packages, archives from Windows) use "\"
// between folders; their readers convert them with fromStoredName.
#include <string>
#include <string_view>

namespace platform {

inline constexpr char kSeparator = '/';

[[nodiscard]] bool isSeparator(char c);
// `folder` and `name` with exactly one separator between them; `folder` empty gives `name`.
[[nodiscard]] std::string joinPath(std::string_view folder, std::string_view name);
[[nodiscard]] std::string withTrailingSeparator(std::string_view path);
[[nodiscard]] std::string withoutTrailingSeparator(std::string_view path);
// The part after the last separator.
[[nodiscard]] std::string fileNameOf(std::string_view path);
// The part before the last separator, without it; empty when there is none.
[[nodiscard]] std::string parentOf(std::string_view path);
// Text after the last "." of the file name, without the dot; empty when there is none.
[[nodiscard]] std::string extensionOf(std::string_view path);
[[nodiscard]] bool isAbsolutePath(std::string_view path);

// "a/b" -> "a\b" for stored names.
[[nodiscard]] std::string toStoredName(std::string_view relative);
// "a\b" or "a/b" -> native "a/b".
[[nodiscard]] std::string fromStoredName(std::string_view stored);
// A relative name from outside (listing, archive, list file) that stays below its folder: not
// empty, not absolute, no drive letter, no empty, "." or ".." part, no control character.
// Either separator divides it (stored names).
[[nodiscard]] bool isSafeRelativeName(std::string_view name);
// The same for a path with "/" between names, where a "\" is part of a name.
[[nodiscard]] bool isSafeRelativePath(std::string_view path);

// The canonical absolute path with links resolved; empty when it cannot be resolved.
[[nodiscard]] std::string canonicalPath(const std::string& path);
// The canonical path a path will have once its missing folders are made: its longest existing
// part resolved, the rest appended ("." and ".." parts of the rest applied as text).
[[nodiscard]] std::string pathAsItWillBe(const std::string& path);
// True when a link in `linkFolder` (a relative folder, "" for the root) whose target text is
// `target` points at or below the root: a relative target whose ".." parts never climb above it.
[[nodiscard]] bool linkTargetStaysBelow(std::string_view linkFolder, std::string_view target);
[[nodiscard]] std::string currentFolder();
// The path a chain of symbolic links ends at (the path itself when it is no link); the end may
// not exist yet.
[[nodiscard]] std::string finalLinkTarget(const std::string& path);

}  // namespace platform
