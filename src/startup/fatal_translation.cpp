// The fault translator: signal handlers for the program thread that turn hardware faults
// into runtime errors. The handler runs on an alternate stack (so a stack overflow can be
// reported), picks the message and jumps to the run loop, which tells the hooks and tears
// the program down as for any runtime error. Faults on other threads, or while no program
// runs, go to whatever handled them before.
#include "startup/fatal_translation.h"

#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <ucontext.h>
#include <unistd.h>

#include <cstdint>
#include <iterator>

#include "base/run_loop_jump.h"

namespace korvo {
namespace {

struct Translated {
  int signal;
  const char* message;
};

constexpr char kUnknown[] = "Unknown runtime exception";
constexpr char kStackOverflow[] = "Stack overflow!";
constexpr char kIntegerDivide[] = "Integer divide by zero";

const Translated kTranslated[] = {
    {SIGSEGV, "Memory access violation"},
    {SIGBUS, "Memory access violation"},
    {SIGILL, "Illegal instruction"},
    {SIGFPE, kIntegerDivide},
    {SIGTRAP, kUnknown},
    {SIGSYS, kUnknown},
};
constexpr std::size_t kSignalCount = std::size(kTranslated);

// Faults this close to the stack pointer, or to the stack's lowest address, are overflows.
constexpr std::uintptr_t kStackSlack = 64 * 1024;
constexpr std::uintptr_t kGuardReach = 1024 * 1024;
constexpr std::size_t kAltStackSize = 128 * 1024;

struct State {
  pthread_t thread{};
  struct sigaction previous[kSignalCount] {};
  stack_t previousStack{};
  void* altStack = nullptr;
  std::uintptr_t stackLow = 0;
  bool installed = false;
};
State gState;

bool isStackOverflow(const siginfo_t* info, const void* context) {
  const auto fault = reinterpret_cast<std::uintptr_t>(info->si_addr);
  const auto* uc = static_cast<const ucontext_t*>(context);
  const auto sp = static_cast<std::uintptr_t>(uc->uc_mcontext.gregs[REG_RSP]);
  if (fault + kStackSlack >= sp && fault <= sp + kStackSlack) return true;
  return gState.stackLow != 0 && fault + kGuardReach >= gState.stackLow && fault < gState.stackLow + kStackSlack;
}

const char* messageFor(std::size_t index, const siginfo_t* info, const void* context) {
  const int signal = kTranslated[index].signal;
  if ((signal == SIGSEGV || signal == SIGBUS) && isStackOverflow(info, context)) return kStackOverflow;
  if (signal == SIGFPE && info->si_code != FPE_INTDIV) return kUnknown;
  return kTranslated[index].message;
}

void passOn(std::size_t index, int signal, siginfo_t* info, void* context) {
  const struct sigaction& previous = gState.previous[index];
  if ((previous.sa_flags & SA_SIGINFO) && previous.sa_sigaction) {
    previous.sa_sigaction(signal, info, context);
    return;
  }
  if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
    previous.sa_handler(signal);
    return;
  }
  // The default action: a hardware fault happens again on return; a sent signal is resent.
  ::signal(signal, SIG_DFL);
  if (info->si_code <= 0) raise(signal);
}

void translate(int signal, siginfo_t* info, void* context) {
  std::size_t index = 0;
  while (kTranslated[index].signal != signal) ++index;
  RunLoopJump& jump = runLoopJump();
  if (!jump.armed || !pthread_equal(pthread_self(), gState.thread)) {
    passOn(index, signal, info, context);
    return;
  }
  jump.message = messageFor(index, info, context);
  jump.unreported = true;
  siglongjmp(jump.target, 1);
}

std::uintptr_t lowestStackAddress() {
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) != 0) return 0;
  void* address = nullptr;
  std::size_t size = 0;
  pthread_attr_getstack(&attr, &address, &size);
  pthread_attr_destroy(&attr);
  return reinterpret_cast<std::uintptr_t>(address);
}

}  // namespace

FatalTranslation::FatalTranslation() {
  if (gState.installed) return;
  gState.installed = installed_ = true;
  gState.thread = pthread_self();
  gState.stackLow = lowestStackAddress();
  void* stack = mmap(nullptr, kAltStackSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (stack != MAP_FAILED) {
    gState.altStack = stack;
    stack_t alt{};
    alt.ss_sp = stack;
    alt.ss_size = kAltStackSize;
    sigaltstack(&alt, &gState.previousStack);
  }
  struct sigaction action {};
  action.sa_sigaction = &translate;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (std::size_t i = 0; i < kSignalCount; ++i) sigaction(kTranslated[i].signal, &action, &gState.previous[i]);
}

FatalTranslation::~FatalTranslation() {
  if (!installed_) return;
  gState.installed = false;
  for (std::size_t i = 0; i < kSignalCount; ++i) sigaction(kTranslated[i].signal, &gState.previous[i], nullptr);
  if (gState.altStack) {
    sigaltstack(&gState.previousStack, nullptr);
    munmap(gState.altStack, kAltStackSize);
    gState.altStack = nullptr;
  }
}

}  // namespace korvo
