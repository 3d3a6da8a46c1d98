// CommandTable enumeration and linker-facing names.
#include "startup/command_table.h"

#include <cctype>

#include "startup/runtime_modules.h"

namespace korvo {

void CommandTable::add(const char* text, void* address) {
  entries_.push_back({text, address});
  byIdentity_[text] = address;
}

const char* CommandTable::nextSymbol() {
  if (!filled_) {
    clear();
    registerAllCommands(*this);
    filled_ = true;
  }
  if (cursor_ < entries_.size()) return entries_[cursor_++].text;
  clear();
  return nullptr;
}

std::intptr_t CommandTable::symbolAddress(const char* name) const {
  auto it = byIdentity_.find(name);
  return it == byIdentity_.end() ? -1 : reinterpret_cast<std::intptr_t>(it->second);
}

void CommandTable::clear() {
  entries_.clear();
  byIdentity_.clear();
  cursor_ = 0;
  filled_ = false;
}

std::string linkerName(const char* text) {
  if (text[0] == '_') return std::string("_") + text;
  std::string name = "_f";
  for (const char c : commandName(text)) name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name;
}

std::string commandName(const char* text) {
  if (text[0] == '_') return text;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  if (*p && !std::isalnum(*p)) ++p;
  std::string name;
  for (; *p && (std::isalnum(*p) || *p == '_'); ++p) name += static_cast<char>(*p);
  return name;
}

}  // namespace korvo
