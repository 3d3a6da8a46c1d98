// Per-kind registries of runtime objects behind 32-bit handles. Handles start at 1 and are
// never reused within a run, so a stale handle can always be told from a live one.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <utility>

#include "base/kv_ex.h"

namespace korvo::core {

template <typename T>
class HandleRegistry {
 public:
  // Takes ownership and returns the new handle.
  std::int32_t add(std::unique_ptr<T> object) {
    const std::int32_t handle = next_++;
    objects_.emplace(handle, std::move(object));
    return handle;
  }

  // The object or null.
  T* find(std::int32_t handle) const {
    auto it = objects_.find(handle);
    return it == objects_.end() ? nullptr : it->second.get();
  }

  // The object; a missing one raises message in debug mode and is null otherwise.
  T* require(std::int32_t handle, const char* message) const {
    T* object = find(handle);
    if (!object && debugMode()) raiseError(message);
    return object;
  }

  // Removes and returns the object (null when absent).
  std::unique_ptr<T> take(std::int32_t handle) {
    auto it = objects_.find(handle);
    if (it == objects_.end()) return nullptr;
    std::unique_ptr<T> object = std::move(it->second);
    objects_.erase(it);
    return object;
  }

  bool erase(std::int32_t handle) { return objects_.erase(handle) != 0; }

  // Frees every object; handles keep counting so none is reused.
  void clear() { objects_.clear(); }

  std::size_t size() const { return objects_.size(); }
  auto begin() const { return objects_.begin(); }
  auto end() const { return objects_.end(); }

 private:
  std::map<std::int32_t, std::unique_ptr<T>> objects_;
  std::int32_t next_ = 1;
};

}  // namespace korvo::core
