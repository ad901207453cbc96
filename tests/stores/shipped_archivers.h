#pragma once
// The archiver descriptions the program ships (data/orvandi3.arc), for tests with the real tools.
#include <string>
#include <vector>

#include "stores/archiver_description.h"

namespace testsupport {

// The kinds of a description text, its programs looked up along PATH.
[[nodiscard]] std::vector<stores::ArchiverDescription> ArchiversOf(const std::string& text);
[[nodiscard]] std::vector<stores::ArchiverDescription> ShippedArchivers();
// The shipped kind that opens `fileName`; its ProgramsFound() says whether the tool is here.
[[nodiscard]] stores::ArchiverDescription ShippedArchiverFor(const std::string& fileName);

}  // namespace testsupport
