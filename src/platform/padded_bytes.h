// Bytes that may be read a little past their end. A search that looks at
// sixteen bytes at once, or a compare a word at a time, may start near the
// end of what it looks at; rather than going a byte at a time there, it reads
// on into room kept after the bytes for that. The room is in the types: a
// reader that reads past the end takes a PaddedView, and only a PaddedBytes,
// or a part of another PaddedView, gives one.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <new>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "platform/memory.h"

namespace qm::platform {

// How many bytes past the end of a PaddedView lie in memory it may read. What
// they hold is not given: a reader masks them out of what it finds.
inline constexpr std::size_t kReadPast = 16;

// A view of bytes followed by kReadPast readable bytes.
class PaddedView {
 public:
  // No bytes, with room of its own to read past them.
  PaddedView() = default;

  const char* data() const { return data_; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const char* begin() const { return data_; }
  const char* end() const { return data_ + size_; }
  char operator[](std::size_t i) const { return data_[i]; }
  std::string_view view() const { return {data_, size_}; }
  operator std::string_view() const { return view(); }

  // At most `n` of the bytes from `pos`, as string_view::substr: the room
  // past them is the rest of these bytes and their room.
  PaddedView substr(std::size_t pos, std::size_t n = std::string_view::npos) const {
    if (pos > size_) throw std::out_of_range("PaddedView::substr");
    return PaddedView(data_ + pos, std::min(n, size_ - pos));
  }
  // `bytes` as a padded view when it lies within these bytes; empty when it
  // lies elsewhere (or is empty).
  PaddedView part(std::string_view bytes) const {
    const std::less_equal<const char*> notAfter;
    if (bytes.empty() || !notAfter(data_, bytes.data()) || !notAfter(bytes.data() + bytes.size(), data_ + size_))
      return {};
    return PaddedView(bytes.data(), bytes.size());
  }

  friend bool operator==(PaddedView a, std::string_view b) { return a.view() == b; }

 private:
  friend class PaddedBytes;
  PaddedView(const char* data, std::size_t size) : data_(data), size_(size) {}
  static constexpr char kNoBytes[kReadPast] = {};
  const char* data_ = kNoBytes;
  std::size_t size_ = 0;
};

// Bytes owned with kReadPast bytes of room after them, on large pages when
// they take a megabyte or more. Moved, never copied.
class PaddedBytes {
 public:
  PaddedBytes() = default;
  // A copy of `bytes`.
  explicit PaddedBytes(std::string_view bytes) { append(bytes); }
  PaddedBytes(PaddedBytes&& other) noexcept { swap(other); }
  PaddedBytes& operator=(PaddedBytes&& other) noexcept {
    PaddedBytes(std::move(other)).swap(*this);
    return *this;
  }
  PaddedBytes(const PaddedBytes&) = delete;
  PaddedBytes& operator=(const PaddedBytes&) = delete;
  ~PaddedBytes() { release(); }

  char* data() { return at_; }
  const char* data() const { return at_; }
  std::size_t size() const { return size_; }
  std::size_t capacity() const { return capacity_; }
  PaddedView view() const { return at_ ? PaddedView(at_, size_) : PaddedView(); }
  operator PaddedView() const { return view(); }

  // Room for `n` bytes, the bytes held kept. Throws std::bad_alloc when the
  // system has none.
  void reserve(std::size_t n) {
    if (n <= capacity_) return;
    const std::size_t room = n + kReadPast;
    char* const at = static_cast<char*>(room < kLarge ? ::operator new(room) : allocateLarge(room));
    if (size_) std::memcpy(at, at_, size_);
    std::memset(at + n, 0, kReadPast);
    const std::size_t size = size_;
    release();
    at_ = at;
    size_ = size;
    capacity_ = n;
  }
  // Sets the size, up to capacity(): bytes added are as the caller writes them
  // through data().
  void resize(std::size_t n) {
    if (n > capacity_) throw std::length_error("PaddedBytes::resize past its room");
    size_ = n;
  }
  void append(std::string_view bytes) {
    if (bytes.size() > capacity_ - size_) reserve(std::max(size_ + bytes.size(), 2 * capacity_));
    if (!bytes.empty()) std::memcpy(at_ + size_, bytes.data(), bytes.size());
    size_ += bytes.size();
  }

  void swap(PaddedBytes& other) noexcept {
    std::swap(at_, other.at_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
  }

 private:
  static constexpr std::size_t kLarge = LargeAllocator<char>::kLarge;
  void release() {
    if (!at_) return;
    const std::size_t room = capacity_ + kReadPast;
    room < kLarge ? ::operator delete(at_) : freeLarge(at_, room);
    at_ = nullptr;
    size_ = capacity_ = 0;
  }
  char* at_ = nullptr;  // capacity_ + kReadPast bytes; null before the first reserve
  std::size_t size_ = 0, capacity_ = 0;
};

}  // namespace qm::platform
