// Processes of a test, their output read line by line.
#include "peer_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

namespace korvo::testing {
namespace {

int millisSince(std::chrono::steady_clock::time_point start) {
  return static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
}

}  // namespace

PeerProcess::PeerProcess(const std::string& module, const std::string& commandLine,
                         const std::map<std::string, std::string>& environment) {
  int pipeEnds[2];
  if (::pipe2(pipeEnds, O_CLOEXEC) != 0) return;
  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(pipeEnds[1], 1);
    ::dup2(pipeEnds[1], 2);
    for (const auto& [name, value] : environment) ::setenv(name.c_str(), value.c_str(), 1);
    // The console hooks flush every line, so the test sees each line when it is written.
    const std::string command = "exec " + std::string(KORVO_RUN) + " " + module + " " + commandLine;
    ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(pipeEnds[1]);
  output_ = pipeEnds[0];
}

PeerProcess::~PeerProcess() {
  kill();
  if (output_ >= 0) ::close(output_);
}

bool PeerProcess::read(int ms) {
  pollfd p{output_, POLLIN, 0};
  if (::poll(&p, 1, ms) <= 0) return true;
  char buffer[4096];
  const ssize_t n = ::read(output_, buffer, sizeof buffer);
  if (n <= 0) return false;
  partial_.append(buffer, static_cast<std::size_t>(n));
  for (std::size_t end; (end = partial_.find('\n')) != std::string::npos;) {
    lines_.push_back(partial_.substr(0, end));
    partial_.erase(0, end + 1);
  }
  return true;
}

bool PeerProcess::waitFor(const std::string& line, int limitMs) {
  const auto start = std::chrono::steady_clock::now();
  for (std::size_t seen = 0;;) {
    for (; seen < lines_.size(); ++seen) {
      if (lines_[seen] == line) return true;
    }
    const int left = limitMs - millisSince(start);
    if (left <= 0 || !read(left)) return false;
  }
}

int PeerProcess::finish(int limitMs) {
  const auto start = std::chrono::steady_clock::now();
  while (pid_ > 0) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      while (read(100)) {}
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    const int left = limitMs - millisSince(start);
    if (left <= 0) {
      kill();
      return -1;
    }
    read(std::min(left, 50));
  }
  return -1;
}

void PeerProcess::kill() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

void PeerProcess::pause() {
  if (pid_ > 0) ::kill(pid_, SIGSTOP);
}

void PeerProcess::resume() {
  if (pid_ > 0) ::kill(pid_, SIGCONT);
}

std::string PeerProcess::transcript() const {
  std::string all;
  for (const std::string& line : lines_) all += line + "\n";
  return all;
}

}  // namespace korvo::testing
