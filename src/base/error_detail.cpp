// The error detail sinks and the notes sent through them.
#include "base/error_detail.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace korvo {
namespace {
ErrorDetailSinks gSinks{};
}  // namespace

void setErrorDetailSinks(const ErrorDetailSinks& sinks) { gSinks = sinks; }

bool errorDetailsWanted() { return gSinks.line != nullptr; }

void noteRaisingCommand(const void* entry) {
  if (!gSinks.line || !gSinks.commandName) return;
  const std::string name = gSinks.commandName(entry);
  if (!name.empty()) gSinks.line("  raised by: " + name);
}

void noteFailedLoad(std::string_view what, std::string_view file, std::string_view why) {
  if (!gSinks.line) return;
  std::string text(what);
  text.append(" \"").append(file).append("\" not loaded: ").append(why);
  gSinks.line(text);
}

std::string whyUnreadable(std::string_view resolvedPath) {
  struct stat st;
  if (::stat(std::string(resolvedPath).c_str(), &st) != 0)
    return errno == ENOENT || errno == ENOTDIR ? "not found" : std::strerror(errno);
  if (S_ISDIR(st.st_mode)) return "it is a folder";
  if (!S_ISREG(st.st_mode)) return "not a regular file";
  return "cannot be read";
}

}  // namespace korvo
