// Memory for large arrays: room that the system may back with large pages,
// so that filling megabytes of fresh memory costs a page fault per 2 MiB
// rather than per 4 KiB.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace qm::platform {

// Room for a large array: `bytes` rounded up to whole steps of 2 MiB, which
// the system may back with large pages. Throws std::bad_alloc when there is
// none. freeLarge takes the same count of bytes back.
void* allocateLarge(std::size_t bytes);
void freeLarge(void* at, std::size_t bytes);
// Makes room for `bytes` in `s` as reserve does, asking the system to back
// the room with large pages where it can: a string of megabytes then costs
// a few page faults when it is first filled, not one per 4 KiB.
void reserveLarge(std::string& s, std::size_t bytes);

// An allocator that takes arrays of a megabyte or more from allocateLarge,
// and smaller ones as std::allocator does.
template <class T>
struct LargeAllocator {
  using value_type = T;
  static constexpr std::size_t kLarge = std::size_t{1} << 20;
  LargeAllocator() = default;
  template <class U>
  LargeAllocator(const LargeAllocator<U>&) {}
  T* allocate(std::size_t n) {
    return n * sizeof(T) < kLarge ? std::allocator<T>().allocate(n) : static_cast<T*>(allocateLarge(n * sizeof(T)));
  }
  void deallocate(T* at, std::size_t n) {
    n * sizeof(T) < kLarge ? std::allocator<T>().deallocate(at, n) : freeLarge(at, n * sizeof(T));
  }
  template <class U>
  bool operator==(const LargeAllocator<U>&) const {
    return true;
  }
};

}  // namespace qm::platform
