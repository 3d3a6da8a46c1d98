// A command's registration text read as a signature: "%Rand%from%to=1" is a command Rand
// with an int result and two int parameters, the second defaulting to 1.
#pragma once

#include <string>
#include <vector>

namespace korvo::tools {

struct Parameter {
  char sigil;                // '%' int, '#' float, '$' string
  std::string name;          // as registered; may be a C or C++ keyword
  std::string defaultValue;  // empty when the parameter has none; string defaults keep their quotes
};

struct Signature {
  char result;  // '%', '#', '$', or 0 for none
  std::string name;
  std::vector<Parameter> parameters;
};

Signature parseSignature(const char* text);

// The type a sigil stands for in C ("int32_t", "float", "KvString*"); null for no sigil.
const char* cType(char sigil);

// A parameter name that C or C++ reserves gets a trailing underscore.
std::string safeName(const std::string& name);

}  // namespace korvo::tools
