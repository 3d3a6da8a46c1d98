// RuntimeHost's small services: timers on the runtime clock, system properties and the
// library cache behind CallDLL.
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>

#include "backend/clock.h"
#include "host/runtime_host.h"

namespace korvo::platform {
namespace {

std::string withSlash(std::string dir) {
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir;
}

std::string executableDir() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "";
  std::string full(path, static_cast<std::size_t>(n));
  const auto slash = full.rfind('/');
  return slash == std::string::npos ? "" : full.substr(0, slash + 1);
}

}  // namespace

std::int32_t RuntimeHost::createTimer(std::int32_t hertz) {
  if (hertz < 1 || hertz > 1000) return 0;
  auto timer = std::make_unique<HostTimer>();
  timer->start = clock().now();
  timer->periodMs = static_cast<std::uint32_t>(1000 / hertz);
  return timers_.add(std::move(timer));
}

std::int32_t RuntimeHost::waitTimer(std::int32_t handle) {
  HostTimer* timer = timers_.require(handle, "Timer does not exist");
  if (!timer) return 0;
  Clock& c = clock();
  for (;;) {
    // One reading serves both the count and the sleep: with a second one, a period ending
    // in between would make the sleep wrap round to weeks.
    const std::uint32_t now = c.now();
    const std::uint32_t ticks = (now - timer->start) / timer->periodMs;
    if (ticks != timer->reported) {
      const std::uint32_t elapsed = ticks - timer->reported;
      timer->reported = ticks;
      return static_cast<std::int32_t>(elapsed);
    }
    const std::uint32_t due = timer->start + (timer->reported + 1) * timer->periodMs;
    c.sleep(due - now);
  }
}

void RuntimeHost::freeTimer(std::int32_t handle) { timers_.erase(handle); }

std::string RuntimeHost::systemProperty(const std::string& name) const {
  std::string key = name;
  std::transform(key.begin(), key.end(), key.begin(), [](unsigned char ch) { return std::tolower(ch); });
  if (key == "cpu") return "Intel";
  if (key == "os") return "Linux";
  if (key == "appdir") return executableDir();
  if (key == "tempdir") {
    const char* tmp = std::getenv("TMPDIR");
    return withSlash(tmp && *tmp ? tmp : "/tmp");
  }
  return "";
}

std::int32_t RuntimeHost::callLibrary(const std::string& library, const std::string& procedure, void* inBank,
                                      std::int32_t inSize, void* outBank, std::int32_t outSize) {
  auto it = libraries_.find(library);
  if (it == libraries_.end()) {
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return 0;
    it = libraries_.emplace(library, Library{handle, {}}).first;
  }
  Library& lib = it->second;
  auto proc = lib.procedures.find(procedure);
  if (proc == lib.procedures.end()) {
    void* address = dlsym(lib.handle, procedure.c_str());
    if (!address) return 0;
    proc = lib.procedures.emplace(procedure, address).first;
  }
  using Procedure = std::int32_t (*)(void*, std::int32_t, void*, std::int32_t);
  return reinterpret_cast<Procedure>(proc->second)(inBank, inSize, outBank, outSize);
}

}  // namespace korvo::platform
