// Linking, in the order of the image: the runtime map comes first (the caller builds it
// before the resource is read), then the code is copied, the symbols enter the module map
// and the relative and absolute patches are added to their fields.
//
// x86-64: a relative field is a rel32 displacement and an absolute field 32 bits, so the
// code block lies below 2 GB. Runtime routines beyond rel32 reach, or beyond what an
// absolute field can hold, are reached through thunks placed after the code.
#include "startup/module_linker.h"

#include <cstring>
#include <limits>
#include <vector>

#include "startup/module_image.h"

namespace korvo {
namespace {

// jmp qword [rip+0] followed by the 64-bit target.
constexpr std::uint8_t kThunkCode[] = {0xFF, 0x25, 0x00, 0x00, 0x00, 0x00};
constexpr std::size_t kThunkSize = 16;

std::size_t alignUp(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }

// Where a patch points: inside the module (an offset) or into the runtime (an address).
struct Target {
  bool inModule;
  std::uintptr_t value;
};

class Patcher {
 public:
  Patcher(std::uint8_t* base, std::size_t codeSize) : base_(base), next_(base + alignUp(codeSize, kThunkSize)) {}

  void relative(std::int32_t offset, Target target) {
    std::uint8_t* p = base_ + offset;
    const std::int64_t field = load(p);
    const auto place = reinterpret_cast<std::intptr_t>(p);
    std::int64_t result = field + static_cast<std::intptr_t>(address(target)) - place;
    if (!target.inModule && !fitsSigned(result)) {
      result = field + static_cast<std::intptr_t>(thunk(target.value)) - place;
    }
    store(p, result);
  }

  void absolute(std::int32_t offset, Target target) {
    std::uint8_t* p = base_ + offset;
    const std::int64_t field = load(p);
    std::int64_t result = field + static_cast<std::int64_t>(address(target));
    if (!target.inModule && (result < 0 || static_cast<std::uint64_t>(result) >= platform::kLowLimit)) {
      result = field + static_cast<std::int64_t>(thunk(target.value));
    }
    store(p, result);
  }

 private:
  static bool fitsSigned(std::int64_t v) {
    return v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max();
  }
  static std::int64_t load(const std::uint8_t* p) {
    std::int32_t v;
    std::memcpy(&v, p, 4);
    return v;
  }
  // Fields wrap as 32-bit sums do.
  static void store(std::uint8_t* p, std::int64_t v) {
    const auto low = static_cast<std::uint32_t>(static_cast<std::uint64_t>(v));
    std::memcpy(p, &low, 4);
  }
  std::uintptr_t address(Target t) const {
    return t.inModule ? reinterpret_cast<std::uintptr_t>(base_) + t.value : t.value;
  }
  std::uintptr_t thunk(std::uintptr_t target) {
    if (auto known = thunks_.find(target); known != thunks_.end()) return known->second;
    std::memcpy(next_, kThunkCode, sizeof kThunkCode);
    std::memcpy(next_ + sizeof kThunkCode, &target, sizeof target);
    const auto at = reinterpret_cast<std::uintptr_t>(next_);
    thunks_.emplace(target, at);
    next_ += kThunkSize;
    return at;
  }

  std::uint8_t* base_;
  std::uint8_t* next_;
  std::unordered_map<std::uintptr_t, std::uintptr_t> thunks_;  // target -> thunk
};

// A program that cannot link has failed: a script must not take it for a clean end.
constexpr int kMissingSymbolExit = 1;

LinkResult fail(std::string message, int exitCode) { return {std::nullopt, {std::move(message), exitCode}}; }

}  // namespace

LinkResult linkModule(std::span<const std::uint8_t> resource, const SymbolMap& runtime) {
  std::optional<ModuleImage> image = readModuleImage(resource);
  if (!image) return fail(kUnableToRun, -1);
  const std::size_t codeSize = image->code.size();

  std::unordered_map<std::string, std::uintptr_t> moduleMap;  // name -> code offset
  for (const ImageEntry& s : image->symbols) {
    if (s.offset < 0 || static_cast<std::size_t>(s.offset) >= codeSize) return fail(kUnableToRun, -1);
    moduleMap[s.name] = static_cast<std::uintptr_t>(s.offset);
  }

  // Resolve every patch before anything is allocated, so that the thunk area can be sized.
  std::vector<Target> relatives, absolutes;
  std::size_t runtimeTargets = 0;
  auto resolve = [&](const std::vector<ImageEntry>& table, std::vector<Target>& out) -> const std::string* {
    for (const ImageEntry& e : table) {
      if (auto m = moduleMap.find(e.name); m != moduleMap.end()) {
        out.push_back({true, m->second});
      } else if (auto r = runtime.find(e.name); r != runtime.end()) {
        out.push_back({false, r->second});
        ++runtimeTargets;
      } else {
        return &e.name;
      }
    }
    return nullptr;
  };
  if (const std::string* missing = resolve(image->relatives, relatives))
    return fail(kCantFindSymbol + *missing, kMissingSymbolExit);
  if (const std::string* missing = resolve(image->absolutes, absolutes))
    return fail(kCantFindSymbol + *missing, kMissingSymbolExit);

  platform::LowBlock block(alignUp(codeSize, kThunkSize) + runtimeTargets * kThunkSize, true);
  if (!block.data()) return fail(kUnableToRun, -1);
  std::memcpy(block.data(), image->code.data(), codeSize);

  Patcher patcher(block.data(), codeSize);
  for (std::size_t i = 0; i < relatives.size(); ++i) patcher.relative(image->relatives[i].offset, relatives[i]);
  for (std::size_t i = 0; i < absolutes.size(); ++i) patcher.absolute(image->absolutes[i].offset, absolutes[i]);
  return {LinkedModule(std::move(block)), {}};
}

}  // namespace korvo
