// The command table: every registration text and its address, keyed by the text's
// identity (the very pointer that enumeration hands out).
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/command_registry.h"

namespace korvo {

class CommandTable : public Registrar {
 public:
  void add(const char* text, void* address) override;

  // Enumerates the table; on the first call after it was emptied every module registers
  // again. Returns null (and empties the table) after the last name.
  const char* nextSymbol();
  // The address registered under exactly this pointer, or -1.
  std::intptr_t symbolAddress(const char* name) const;
  void clear();
  bool empty() const { return entries_.empty(); }

 private:
  struct Entry {
    const char* text;
    void* address;
  };
  std::vector<Entry> entries_;
  std::unordered_map<const char*, void*> byIdentity_;
  std::size_t cursor_ = 0;
  bool filled_ = false;
};

// The linker-facing name of a registration text: "_" + text for internal symbols, else
// "_f" + the lower-cased command name.
std::string linkerName(const char* text);

// The name a program knows a registration text by: "LoadImage" for "%LoadImage$bmpfile",
// the text itself for an internal symbol.
std::string commandName(const char* text);

}  // namespace korvo
