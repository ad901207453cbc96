#pragma once
// Outside archivers (tar, 7-Zip, ...) described in a text file: for each kind its extensions,
// its programs and the command templates that list, extract, add and delete. The file is read
// once at start-up; a path whose extension belongs to a kind whose programs were found is opened
// through those programs.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/list_parser.h"

namespace stores {

struct ArchiverDescription {
  // Flag word: an end marker is given; both programs were found; bit 0 of the options is clear.
  static constexpr unsigned kHasEndMarker = 0x1;
  static constexpr unsigned kProgramsFound = 0x2;
  static constexpr unsigned kOptionBitClear = 0x4;

  std::string name;
  // Lower case, blank-separated, with one blank at each end: " tar.gz tgz ".
  std::string extensions;
  // Full paths of the programs (%P and %U); empty when not found.
  std::string packer;
  std::string unpacker;
  std::string listTemplate;
  std::string getTemplate;
  std::string addTemplate;
  std::string deleteTemplate;
  // Extracts the whole archive into the current folder: read once when files are taken out, so
  // that a kind whose every extraction reads the whole archive (a compressed tar) reads it once.
  std::string unpackTemplate;
  // For a compressed archive that its archiver cannot change (a compressed tar): writing the
  // plain archive to standard output, and the compressed form of the plain archive %A. The add
  // and delete commands then work on the plain archive.
  std::string decompressTemplate;
  std::string compressTemplate;
  std::string startMarker;
  std::string endMarker;
  std::string lineFormat;
  int options = 0;
  unsigned flags = 0;
  // What is wrong with the kind's templates ("list: ..."), found when it was read; empty when
  // nothing is.
  std::string problem;

  [[nodiscard]] bool ProgramsFound() const { return (flags & kProgramsFound) != 0; }
  [[nodiscard]] bool Compressed() const { return !decompressTemplate.empty() && !compressTemplate.empty(); }
  [[nodiscard]] bool UnpacksWhole() const { return !unpackTemplate.empty(); }
  [[nodiscard]] bool HasSeconds() const { return lineFormat.find("ss") != std::string::npos; }
  [[nodiscard]] bool HasChecksum() const { return lineFormat.find('C') != std::string::npos; }
  [[nodiscard]] engine::ListerRecord Lister() const;
};

// The description file as sections of keys (an ini file read by the caller).
struct DescriptionFile {
  // The keys of a section in the file's order.
  std::function<std::vector<std::string>(const std::string& section)> keys;
  std::function<std::string(const std::string& section, const std::string& key)> text;
};

// The full path of a program named in a description; empty when it is not found.
using ProgramLookup = std::function<std::string(const std::string& program)>;

// Every kind of the file, in the order it names them: the keys of section "ext" (extensions =
// section), or when that has none, "General" keys "1", "2", ... up to the first missing one.
[[nodiscard]] std::vector<ArchiverDescription> ReadArchiverDescriptions(const DescriptionFile& file,
                                                                        const ProgramLookup& lookup);

// The kind that opens a file of this name: the longest extension first ("x.tar.gz" is "tar.gz"
// before "gz"), and of the kinds that list it the first whose programs were found. Null for none.
[[nodiscard]] const ArchiverDescription* FindArchiver(const std::vector<ArchiverDescription>& kinds,
                                                      std::string_view fileName);

// What makes a template unusable, empty when it is usable: it must begin with "%", name only the
// placeholders %A (archive), %F (file names), %P/%p (packer) and %U/%u (unpacker), at most three.
[[nodiscard]] std::string TemplateProblem(std::string_view text);

struct TemplateValues {
  std::string archive;
  std::vector<std::string> files;
  std::string packer;
  std::string unpacker;
};

// The program and its arguments: the template split at blanks outside double quotes (the quotes
// dropped), each placeholder replaced by its value as a whole. A word holding %F becomes one
// argument per file name. Empty when the template is unusable.
[[nodiscard]] std::vector<std::string> ExpandTemplate(std::string_view text, const TemplateValues& values);

// A name that may be handed to an archiver's command and comes back the same from its listing:
// no option, list file ("@") or wildcard can be mistaken for it, and it holds nothing an archiver
// prints escaped or a listing line loses ("\\", bytes that are no UTF-8, characters that do not
// print, blanks at its ends).
[[nodiscard]] bool IsArchiverSafeName(std::string_view name);

// Makes the store factory open paths of the described kinds through them.
void RegisterArchivers(std::vector<ArchiverDescription> kinds);

}  // namespace stores
