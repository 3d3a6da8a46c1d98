// The registries behind every kind of 32-bit handle a program holds. Handles start at 1 and
// are never reused within a run, so a stale handle can always be told from a live one.
//   HandleRegistry<T>  owns its objects (images, banks, sounds, timers, ...)
//   HandleTable<T>     only maps handles to objects that live elsewhere (streams, which own
//                      themselves through their module)
// A kind whose handles come from another registry of the family (open files take their
// stream's handle) inserts under that handle instead of taking a new one.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <utility>

#include "base/kv_ex.h"

namespace korvo {

template <typename T, typename Holder = std::unique_ptr<T>>
class HandleRegistry {
 public:
  // Takes the object and returns its new handle.
  std::int32_t add(Holder object) {
    const std::int32_t handle = next_++;
    objects_.emplace(handle, std::move(object));
    return handle;
  }

  // Takes the object under a handle given out by another registry of the family.
  void insert(std::int32_t handle, Holder object) { objects_.insert_or_assign(handle, std::move(object)); }

  // The object or null.
  T* find(std::int32_t handle) const {
    auto it = objects_.find(handle);
    return it == objects_.end() ? nullptr : std::to_address(it->second);
  }

  // The object; a missing one raises message in debug mode and is null otherwise.
  T* require(std::int32_t handle, const char* message) const {
    T* object = find(handle);
    if (!object && debugMode()) raiseError(message);
    return object;
  }

  // Removes and returns the object (null when absent).
  Holder take(std::int32_t handle) {
    auto it = objects_.find(handle);
    if (it == objects_.end()) return nullptr;
    Holder object = std::move(it->second);
    objects_.erase(it);
    return object;
  }

  bool erase(std::int32_t handle) { return objects_.erase(handle) != 0; }

  // Lets every object go; handles keep counting so none is reused.
  void clear() { objects_.clear(); }
  // Lets every object go and numbers from 1 again (a new run).
  void reset() {
    objects_.clear();
    next_ = 1;
  }

  std::size_t size() const { return objects_.size(); }
  auto begin() const { return objects_.begin(); }
  auto end() const { return objects_.end(); }

 private:
  std::map<std::int32_t, Holder> objects_;
  std::int32_t next_ = 1;
};

template <typename T>
using HandleTable = HandleRegistry<T, T*>;

}  // namespace korvo
