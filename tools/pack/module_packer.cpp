// Packing: pick the sections that occupy memory, lay them out (the one holding __MAIN
// first, then code, read-only data, data, zero-filled data), export the global symbols, and
// translate relocations. References to global names become patches by name, so that the
// loader's lookup order decides (a module definition wins over the runtime's); references
// to local symbols are settled here: relative ones need nothing at load time, absolute ones
// become patches against __MAIN, which sits at offset 0.
#include "pack/module_packer.h"

#include <elf.h>

#include <cstring>
#include <map>
#include <set>
#include <stdexcept>

namespace korvo::tools {
namespace {

constexpr char kMain[] = "__MAIN";
constexpr std::uint8_t kJump = 0xE9;  // jmp rel32
constexpr std::uint64_t kJumpSize = 5;
// Offsets in the image are signed 32-bit.
constexpr std::uint64_t kMaxProgram = 0x7fffffff;

std::uint64_t alignUp(std::uint64_t n, std::uint64_t to) { return (n + to - 1) / to * to; }

[[noreturn]] void fail(const std::string& what) { throw std::runtime_error(what); }

// Names the compiler calls on its own when a program flag is missing, and the flag.
struct CompilerHelper {
  const char* prefix;
  const char* flag;
};
constexpr CompilerHelper kCompilerHelpers[] = {
    {"__stack_chk_", "-fno-stack-protector"},
    {"_GLOBAL_OFFSET_TABLE_", "-fno-pic -fno-pie"},
    {"__x86.get_pc_thunk", "-fno-pic -fno-pie"},
    {"__tls_get_addr", "-fno-pic -fno-pie, and no thread_local data"},
    {"__cxa_guard_", "-fno-threadsafe-statics"},
    {"__gxx_personality", "-fno-exceptions"},
    {"_Unwind_", "-fno-exceptions"},
    {"__cxa_", "-fno-exceptions -fno-rtti"},
    {"_ZTVN10__cxxabiv", "-fno-rtti"},
    {"__dynamic_cast", "-fno-rtti"},
};

// One line per undefined name; a compiler helper's says which program flag avoids it.
std::string undefinedReport(const std::set<std::string>& names) {
  std::string report = names.size() == 1 ? "1 undefined symbol" : std::to_string(names.size()) + " undefined symbols";
  report += " (neither a command of the runtime nor defined by the program)";
  for (const std::string& name : names) {
    report += "\n  " + name;
    for (const CompilerHelper& helper : kCompilerHelpers) {
      if (name.starts_with(helper.prefix)) {
        report += std::string(": called by the compiler itself; compile with ") + helper.flag;
        break;
      }
    }
  }
  return report;
}

bool occupiesMemory(const ElfSection& s) {
  if (!(s.flags & SHF_ALLOC) || s.size == 0) return false;
  if (s.type == SHT_INIT_ARRAY || s.type == SHT_FINI_ARRAY || s.type == SHT_PREINIT_ARRAY) {
    fail("section " + s.name + ": static constructors and destructors are not supported");
  }
  // Unwind tables are not part of a program; compiled code carries none.
  return (s.type == SHT_PROGBITS || s.type == SHT_NOBITS) && s.name != ".eh_frame";
}

// Layout classes in placement order.
int layoutClass(const ElfSection& s) {
  if (s.flags & SHF_EXECINSTR) return 0;
  if (s.type == SHT_NOBITS) return 3;
  return (s.flags & SHF_WRITE) ? 2 : 1;
}

struct Location {
  std::size_t object;
  std::uint32_t symbol;
};

class Packer {
 public:
  Packer(const std::vector<ElfObject>& objects, const RuntimeNames& runtimeNames)
      : objects_(objects), runtimeNames_(runtimeNames), placed_(objects.size()) {}

  ModuleImage pack() {
    selectSections();
    collectDefinitions();
    layOut();
    exportSymbols();
    for (std::size_t o = 0; o < objects_.size(); ++o) {
      for (const auto& [section, offset] : placed_[o]) relocate(o, section, offset);
    }
    if (!undefined_.empty()) fail(undefinedReport(undefined_));
    return std::move(image_);
  }

 private:
  void selectSections() {
    std::set<std::string> groups;
    for (std::size_t o = 0; o < objects_.size(); ++o) {
      const ElfObject& obj = objects_[o];
      std::set<std::uint32_t> dropped;
      for (const ElfSection& s : obj.sections) {
        if (s.type != SHT_GROUP) continue;
        // A COMDAT group seen in an earlier object is the same code: keep the first copy.
        if (!groups.insert(obj.symbols[s.groupSymbol].name).second)
          dropped.insert(s.groupMembers.begin(), s.groupMembers.end());
      }
      for (std::uint32_t i = 0; i < obj.sections.size(); ++i) {
        if (!dropped.count(i) && occupiesMemory(obj.sections[i])) placed_[o][i] = 0;
      }
    }
  }

  bool isPlaced(std::size_t object, std::uint16_t section) const { return placed_[object].count(section) != 0; }

  void collectDefinitions() {
    for (std::size_t o = 0; o < objects_.size(); ++o) {
      const ElfObject& obj = objects_[o];
      for (std::uint32_t i = 1; i < obj.symbols.size(); ++i) {
        const ElfSymbol& s = obj.symbols[i];
        if (s.binding == STB_LOCAL || s.section == SHN_UNDEF) continue;
        if (s.section == SHN_ABS) fail(obj.path + ": absolute symbol " + s.name + " is not supported");
        if (s.section != SHN_COMMON && !isPlaced(o, s.section)) continue;
        auto [it, fresh] = globals_.try_emplace(s.name, Location{o, i});
        if (fresh) continue;
        const ElfSymbol& earlier = objects_[it->second.object].symbols[it->second.symbol];
        if (s.binding == STB_WEAK) continue;
        if (earlier.binding != STB_WEAK && earlier.section != SHN_COMMON && s.section != SHN_COMMON) {
          fail("symbol " + s.name + " is defined twice (" + objects_[it->second.object].path + ", " + obj.path + ")");
        }
        if (earlier.binding == STB_WEAK || earlier.section == SHN_COMMON) it->second = {o, i};
      }
    }
    if (!globals_.count(kMain)) fail("no object defines " + std::string(kMain));
    const Location main = globals_.at(kMain);
    if (objects_[main.object].symbols[main.symbol].section == SHN_COMMON) fail(std::string(kMain) + " must be code");
  }

  void layOut() {
    const Location main = globals_.at(kMain);
    const ElfSymbol& mainSymbol = objects_[main.object].symbols[main.symbol];
    const bool stub = mainSymbol.value != 0;
    std::uint64_t at = stub ? kJumpSize : 0;
    // Every step is checked, so a damaged object's sizes cannot wrap the total round.
    auto reserve = [&](std::uint64_t align, std::uint64_t size) {
      if (align >= kMaxProgram || size >= kMaxProgram) fail("the program is too large");
      const std::uint64_t start = alignUp(at, align);
      at = start + size;
      if (at >= kMaxProgram) fail("the program is too large");
      return start;
    };
    auto place = [&](std::size_t o, std::uint32_t i) {
      const ElfSection& s = objects_[o].sections[i];
      placed_[o][i] = reserve(s.align, s.size);
    };
    place(main.object, mainSymbol.section);
    for (int cls = 0; cls < 4; ++cls) {
      for (std::size_t o = 0; o < objects_.size(); ++o) {
        for (auto& [i, offset] : placed_[o]) {
          if ((o != main.object || i != mainSymbol.section) && layoutClass(objects_[o].sections[i]) == cls) place(o, i);
        }
      }
    }
    for (auto& [name, where] : globals_) {
      const ElfSymbol& s = objects_[where.object].symbols[where.symbol];
      if (s.section != SHN_COMMON) continue;
      common_[name] = reserve(s.value ? s.value : 1, s.size);
    }
    if (at == 0) fail("the program is empty");
    image_.code.assign(at, 0);
    for (std::size_t o = 0; o < objects_.size(); ++o) {
      for (const auto& [i, offset] : placed_[o]) {
        const ElfSection& s = objects_[o].sections[i];
        if (s.type == SHT_PROGBITS) std::memcpy(image_.code.data() + offset, s.bytes.data(), s.bytes.size());
      }
    }
    if (stub) {
      image_.code[0] = kJump;
      put32(1, static_cast<std::int64_t>(addressOf(main.object, main.symbol)) - static_cast<std::int64_t>(kJumpSize));
    }
  }

  std::uint64_t addressOf(std::size_t o, std::uint32_t symbol) const {
    const ElfSymbol& s = objects_[o].symbols[symbol];
    if (s.section == SHN_COMMON) return common_.at(s.name);
    return placed_[o].at(s.section) + s.value;
  }

  void exportSymbols() {
    image_.symbols.push_back({kMain, 0});
    for (const auto& [name, where] : globals_) {
      if (name == kMain) continue;
      const std::uint64_t offset = addressOf(where.object, where.symbol);
      if (offset >= image_.code.size()) fail("symbol " + name + " lies at the very end of the program");
      image_.symbols.push_back({name, static_cast<std::int32_t>(offset)});
    }
  }

  void put32(std::uint64_t at, std::int64_t value) {
    const auto v = static_cast<std::uint32_t>(static_cast<std::uint64_t>(value));
    std::memcpy(image_.code.data() + at, &v, 4);
  }

  void relocate(std::size_t o, std::uint32_t section, std::uint64_t base) {
    const ElfObject& obj = objects_[o];
    const ElfSection& target = obj.sections[section];
    for (const ElfRelocation& r : obj.relocations[section]) {
      if (r.type == R_X86_64_NONE) continue;
      const std::uint64_t width = r.type == R_X86_64_64 ? 8 : 4;
      if (r.offset > target.size || width > target.size - r.offset || target.type == SHT_NOBITS) {
        fail(obj.path + ": relocation outside section " + target.name);
      }
      const std::uint64_t place = base + r.offset;
      const ElfSymbol& sym = obj.symbols[r.symbol];
      const bool local = sym.binding == STB_LOCAL;
      if (local && !isPlaced(o, sym.section)) fail(obj.path + ": reference into section that is not loaded");
      if (!local && !globals_.count(sym.name) && !runtimeNames_(sym.name)) undefined_.insert(sym.name);
      const std::int64_t localTarget = local ? static_cast<std::int64_t>(addressOf(o, r.symbol)) : 0;
      switch (r.type) {
        case R_X86_64_PC32:
        case R_X86_64_PLT32:
          if (local) {
            put32(place, localTarget + r.addend - static_cast<std::int64_t>(place));
          } else {
            put32(place, r.addend);
            image_.relatives.push_back({sym.name, static_cast<std::int32_t>(place)});
          }
          break;
        case R_X86_64_64: put32(place + 4, 0); [[fallthrough]];
        case R_X86_64_32:
        case R_X86_64_32S:
          put32(place, localTarget + r.addend);
          image_.absolutes.push_back({local ? kMain : sym.name, static_cast<std::int32_t>(place)});
          break;
        default:
          fail(obj.path + ": relocation type " + std::to_string(r.type) + " in " + target.name +
               " is not supported (compile with -fno-pic -mcmodel=small)");
      }
    }
  }

  const std::vector<ElfObject>& objects_;
  const RuntimeNames& runtimeNames_;
  std::vector<std::map<std::uint32_t, std::uint64_t>> placed_;  // per object: section -> offset
  std::map<std::string, Location> globals_;
  std::map<std::string, std::uint64_t> common_;
  ModuleImage image_;
  std::set<std::string> undefined_;
};

}  // namespace

ModuleImage packObjects(const std::vector<ElfObject>& objects, const RuntimeNames& runtimeNames) {
  return Packer(objects, runtimeNames).pack();
}

}  // namespace korvo::tools
