#include "sdk/signature.h"

#include <cctype>
#include <cstring>
#include <set>

namespace korvo::tools {
namespace {

const std::set<std::string> kKeywords = {
    "alignas",  "alignof", "and",      "asm",       "auto",     "bool",     "break",     "case",   "catch",
    "char",     "class",   "const",    "constexpr", "continue", "default",  "delete",    "do",     "double",
    "else",     "enum",    "explicit", "export",    "extern",   "false",    "float",     "for",    "friend",
    "goto",     "if",      "inline",   "int",       "long",     "mutable",  "namespace", "new",    "not",
    "operator", "or",      "private",  "protected", "public",   "register", "restrict",  "return", "short",
    "signed",   "sizeof",  "static",   "struct",    "switch",   "template", "this",      "throw",  "true",
    "try",      "typedef", "typename", "union",     "unsigned", "using",    "virtual",   "void",   "volatile",
    "while",    "xor",
};

bool isNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

}  // namespace

const char* cType(char sigil) {
  switch (sigil) {
    case '%': return "int32_t";
    case '#': return "float";
    case '$': return "KvString*";
    default: return nullptr;
  }
}

std::string safeName(const std::string& name) { return kKeywords.count(name) ? name + "_" : name; }

Signature parseSignature(const char* text) {
  Signature signature{};
  const char* p = text;
  if (cType(*p)) signature.result = *p++;
  const char* start = p;
  while (isNameChar(*p)) ++p;
  signature.name.assign(start, p);
  while (cType(*p)) {
    Parameter parameter{*p, {}, {}};
    start = ++p;
    while (isNameChar(*p)) ++p;
    parameter.name.assign(start, p);
    if (*p == '=') {
      const char* value = ++p;
      if (*p == '"') {
        p = std::strchr(p + 1, '"');
        p = p ? p + 1 : value + std::strlen(value);
      } else {
        while (*p == '-' || *p == '.' || std::isdigit(static_cast<unsigned char>(*p))) ++p;
      }
      parameter.defaultValue.assign(value, p);
    }
    signature.parameters.push_back(parameter);
  }
  return signature;
}

}  // namespace korvo::tools
