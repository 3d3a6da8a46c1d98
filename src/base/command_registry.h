// How modules hand their commands and internal symbols to the command table.
#pragma once

#include <csetjmp>
#include <cstdint>
#include <new>
#include <stdexcept>

#include "base/error_detail.h"
#include "base/kv_ex.h"
#include "base/low_memory.h"

namespace korvo {

// Receives one registration: the registration text (identity matters) and its address.
class Registrar {
 public:
  virtual ~Registrar() = default;
  virtual void add(const char* text, void* address) = 0;
};

// Hands a KvEx raised inside a command to the run loop. Compiled code has no unwind
// tables, so when a program run loop is armed this jumps straight to it; otherwise
// (a C++ caller) the exception is thrown again.
[[noreturn]] void transferToRunLoop(const char* message);

// The boundary between compiled code and the runtime: catches KvEx and transfers it. The
// unwinder's search for a handler stops at this frame, so it never has to walk the compiled
// frames above (which have no unwind tables), while the runtime's frames below unwind
// normally and release what they hold. The jump happens after the catch block has ended,
// so no exception is left in flight. A command that runs out of memory raises the runtime
// error "Out of memory" here, reported once the failed allocation is unwound. After a
// runtime error the command is named for whoever debugs (error_detail.h).
template <auto kCommand>
struct CommandEntry;

template <typename R, typename... A, R (*kCommand)(A...)>
struct CommandEntry<kCommand> {
  static R call(A... args) {
    const char* message = kOutOfMemory;
    bool outOfMemory = false;
    try {
      return kCommand(args...);
    } catch (const KvEx& e) {
      message = e.message;
    } catch (const std::bad_alloc&) {
      outOfMemory = true;
    } catch (const std::length_error&) {
      outOfMemory = true;
    }
    if (outOfMemory) reportError(message);
    if (message) noteRaisingCommand(reinterpret_cast<const void*>(&call));
    transferToRunLoop(message);
  }
};

// The address to register for a command or internal routine.
template <auto kCommand>
void* entry() {
  return reinterpret_cast<void*>(&CommandEntry<kCommand>::call);
}

// The address to register for a datum. Compiled code holds data addresses in 32-bit fields,
// so the table gets a copy below 2 GB; data registered this way are constant records.
template <typename T>
void* datum(const T* address) {
  return const_cast<void*>(platform::lowCopy(address, sizeof(T)));
}

}  // namespace korvo
