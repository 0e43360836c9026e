// Asking memory into the cache before it is needed. A walk that jumps over
// megabytes (a hash table, names spread over the files' blocks) waits on
// memory at each step; told a few steps ahead where it will look, the
// processor fetches that while the steps before it are taken.
#pragma once

#include <array>
#include <bit>
#include <cstddef>

namespace qm::platform {

// Asks for the cache line that holds `at`; only a hint, never a fault.
inline void prefetch(const void* at) {
#if defined(__GNUC__)
  __builtin_prefetch(at);
#else
  (void)at;
#endif
}

// Items made in order, each kDepth - 1 steps before it is used, so that a step
// can look at the items it will use next (ahead()) and prefetch what they
// will need. The items wait in a ring: no memory per item.
template <class Item, std::size_t kDepth>
class Lookahead {
 public:
  // The next item to use, made by `make` (bool make(Item&), false when there
  // are no more) along with those up to kDepth - 1 after it; null at the end.
  // Valid until the next call.
  template <class Make>
  const Item* next(Make&& make) {
    for (; !ended_ && made_ < used_ + kDepth; ++made_)
      if (!make(ring_[made_ % kRing])) {
        ended_ = true;
        break;
      }
    return used_ == made_ ? nullptr : &ring_[used_++ % kRing];
  }
  // The item `distance` (below kDepth) after the one next() gave last; null
  // when there is none.
  const Item* ahead(std::size_t distance) const {
    const std::size_t at = used_ - 1 + distance;
    return at < made_ ? &ring_[at % kRing] : nullptr;
  }

 private:
  static constexpr std::size_t kRing = std::bit_ceil(kDepth);
  std::array<Item, kRing> ring_{};
  std::size_t made_ = 0, used_ = 0;
  bool ended_ = false;
};

}  // namespace qm::platform
