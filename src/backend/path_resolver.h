// Maps program file names to this platform's: '\' is a separator, and a name that does not
// exist as spelled is looked up component by component without regard to letter case.
// Every open of a program-supplied name goes through here.
#pragma once

#include <string>
#include <string_view>

namespace korvo::platform {

// The name with '\' turned into '/', resolved case-insensitively where the spelled name does
// not exist. Components that match nothing are kept as given (so a file to be created keeps
// its spelling inside an existing, case-resolved directory).
std::string resolvePath(std::string_view name);

}  // namespace korvo::platform
