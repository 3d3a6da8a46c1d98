// The registries behind every kind of 32-bit handle a program holds. Handles start at 1 and
// are never reused within a run, so a stale handle can always be told from a live one.
//   HandleRegistry<T>  owns its objects (images, banks, sounds, timers, ...)
//   HandleTable<T>     only maps handles to objects that live elsewhere (streams, which own
//                      themselves through their module)
// A kind whose handles come from another registry of the family (open files take their
// stream's handle) inserts under that handle instead of taking a new one.
//
// Handles are small and sequential, so the objects sit in a table indexed by handle, in pages
// of kPageSize slots: a lookup is two loads after a bounds check. A page goes once its last
// object does, so a program that keeps making and freeing objects keeps few pages.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

#include "base/kv_ex.h"

namespace korvo {

template <typename T, typename Holder = std::unique_ptr<T>>
class HandleRegistry {
  static constexpr std::uint32_t kPageBits = 8;
  static constexpr std::uint32_t kPageSize = 1u << kPageBits;
  struct Page {
    std::array<Holder, kPageSize> slots{};
    std::uint32_t live = 0;
  };

 public:
  // Walks the live objects in handle order as (handle, holder) pairs.
  class Iterator {
   public:
    using value_type = std::pair<const std::int32_t, const Holder&>;
    struct Arrow {
      value_type pair;
      const value_type* operator->() const { return &pair; }
    };
    using iterator_category = std::input_iterator_tag;
    using difference_type = std::ptrdiff_t;
    using pointer = Arrow;
    using reference = value_type;

    Iterator(const HandleRegistry* owner, std::size_t index) : owner_(owner), index_(index) { skipEmpty(); }
    value_type operator*() const {
      return {static_cast<std::int32_t>(index_), owner_->pages_[index_ >> kPageBits]->slots[index_ % kPageSize]};
    }
    Arrow operator->() const { return {**this}; }
    Iterator& operator++() {
      ++index_;
      skipEmpty();
      return *this;
    }
    Iterator operator++(int) {
      Iterator before = *this;
      ++*this;
      return before;
    }
    bool operator==(const Iterator& other) const { return index_ == other.index_; }

   private:
    void skipEmpty() {
      const std::size_t end = owner_->pages_.size() * kPageSize;
      while (index_ < end) {
        const Page* page = owner_->pages_[index_ >> kPageBits].get();
        if (!page) {
          index_ = (index_ | (kPageSize - 1)) + 1;
        } else if (!page->slots[index_ % kPageSize]) {
          ++index_;
        } else {
          return;
        }
      }
      index_ = end;
    }
    const HandleRegistry* owner_;
    std::size_t index_;
  };

  // Takes the object and returns its new handle.
  std::int32_t add(Holder object) {
    const std::int32_t handle = next_++;
    insert(handle, std::move(object));
    return handle;
  }

  // Takes the object under a handle given out by another registry of the family.
  void insert(std::int32_t handle, Holder object) {
    if (!object || handle < 0) return;
    const auto index = static_cast<std::uint32_t>(handle);
    const std::size_t p = index >> kPageBits;
    if (p >= pages_.size()) pages_.resize(p + 1);
    if (!pages_[p]) pages_[p] = std::make_unique<Page>();
    Page& page = *pages_[p];
    Holder& slot = page.slots[index % kPageSize];
    if (!slot) ++page.live, ++live_;
    slot = std::move(object);
  }

  // The object or null.
  T* find(std::int32_t handle) const {
    const auto index = static_cast<std::uint32_t>(handle);  // a negative handle is past the end
    const std::size_t p = index >> kPageBits;
    if (p >= pages_.size() || !pages_[p]) return nullptr;
    return std::to_address(pages_[p]->slots[index % kPageSize]);
  }

  // The object; a missing one raises message in debug mode and is null otherwise.
  T* require(std::int32_t handle, const char* message) const {
    T* object = find(handle);
    if (!object && debugMode()) raiseError(message);
    return object;
  }

  // Removes and returns the object (null when absent).
  Holder take(std::int32_t handle) {
    const auto index = static_cast<std::uint32_t>(handle);
    const std::size_t p = index >> kPageBits;
    if (p >= pages_.size() || !pages_[p]) return Holder{};
    Holder& slot = pages_[p]->slots[index % kPageSize];
    if (!slot) return Holder{};
    Holder object = std::move(slot);
    slot = Holder{};
    --live_;
    if (--pages_[p]->live == 0) pages_[p].reset();
    return object;
  }

  // The object goes after the table is consistent again: its destructor may reach the registry.
  bool erase(std::int32_t handle) { return static_cast<bool>(take(handle)); }

  // Lets every object go; handles keep counting so none is reused.
  void clear() {
    std::vector<std::unique_ptr<Page>> gone = std::move(pages_);
    pages_.clear();
    live_ = 0;
  }
  // Lets every object go and numbers from 1 again (a new run).
  void reset() {
    clear();
    next_ = 1;
  }

  std::size_t size() const { return live_; }
  Iterator begin() const { return Iterator(this, 0); }
  Iterator end() const { return Iterator(this, pages_.size() * kPageSize); }

 private:
  std::vector<std::unique_ptr<Page>> pages_;
  std::size_t live_ = 0;
  std::int32_t next_ = 1;
};

template <typename T>
using HandleTable = HandleRegistry<T, T*>;

}  // namespace korvo
