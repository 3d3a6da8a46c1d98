// korvo.hpp, the C++ face of the SDK: every command of the table as an inline function in
// namespace korvo under its own name, with the table's defaults, taking and returning
// korvo::String where the command takes or returns strings.
#pragma once

#include <string>
#include <vector>

namespace korvo::tools {

// The header's text for the given command registration texts (internal symbols excluded).
std::string cxxFace(const std::vector<std::string>& commands);

}  // namespace korvo::tools
