// ExecFile: the split, and a detached child whose exit is collected by a small thread.
#include "host/exec_file.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "backend/path_resolver.h"
#include "host/runtime_host.h"

extern char** environ;

namespace korvo::platform {
namespace {

std::string trim(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool isExecutableFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

bool exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

// Starts argv[0] (searched on PATH when it has no slash) and reaps it in the background.
bool spawn(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
  std::thread([pid] {
    int status = 0;
    waitpid(pid, &status, 0);
  }).detach();
  return true;
}

}  // namespace

std::optional<ExecCommand> splitExecCommand(const std::string& command) {
  if (command.empty()) return std::nullopt;
  const std::string text = command.substr(std::min(command.find_first_not_of(' '), command.size()));
  ExecCommand result;
  std::size_t end = std::string::npos;
  if (!text.empty() && text[0] == '"') {
    end = text.find('"', 1);
    result.file = end == std::string::npos ? text : text.substr(1, end - 1);
  } else {
    end = text.find(' ');
    result.file = text.substr(0, end);
  }
  if (end != std::string::npos) result.parameters = trim(text.substr(end + 1));
  return result;
}

std::vector<std::string> splitParameters(const std::string& parameters) {
  std::vector<std::string> out;
  std::string current;
  bool quoted = false, any = false;
  for (char c : parameters) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (c == ' ' && !quoted) {
      if (any) out.push_back(current);
      current.clear();
      any = false;
    } else {
      current += c;
      any = true;
    }
  }
  if (any) out.push_back(current);
  return out;
}

bool startDetached(const ExecCommand& command) {
  if (command.file.empty()) return false;
  const std::string file = resolvePath(command.file);
  std::vector<std::string> args;
  if (isExecutableFile(file)) {
    // A program runs itself: a bare name found here must not be looked up on PATH.
    args.push_back(file.find('/') == std::string::npos ? "./" + file : file);
    for (std::string& p : splitParameters(command.parameters)) args.push_back(std::move(p));
  } else if (exists(file) || command.file.find(':') != std::string::npos) {
    const char* opener = std::getenv("KORVO_OPENER");
    args = {opener && *opener ? opener : "xdg-open", exists(file) ? file : command.file};
  } else {
    args.push_back(command.file);
    for (std::string& p : splitParameters(command.parameters)) args.push_back(std::move(p));
  }
  return spawn(args);
}

}  // namespace korvo::platform

namespace korvo::platform {

bool RuntimeHost::execute(const std::string& command) {
  const auto split = splitExecCommand(command);
  if (!split || !startDetached(*split)) return false;
  // A full-screen display would hide what was started: the desktop comes forward and the
  // program waits, as on any loss of the display, until its window is active again.
  if (window_ && window_->fullScreen() && !suspended_) suspendByRequest();
  return true;
}

}  // namespace korvo::platform
