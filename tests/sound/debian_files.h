// Real files that third parties made, fetched from Debian packages into a cache under the
// build directory the first time a test asks for them.
#pragma once

#include <string>

namespace korvo::test {

// The local path of member (a path inside package; a ".gz" member is unpacked and the path
// without ".gz" returned), or "" when the package cannot be had.
std::string debianFile(const std::string& package, const std::string& member);

}  // namespace korvo::test
