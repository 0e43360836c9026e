// Cutting weapon text into lines. A line ends at CR LF, at a lone CR or at a
// lone LF; the terminator is not part of the line. A last line without a
// terminator is still a line. Bytes are passed through as they are.
#pragma once

#include <cstring>
#include <string_view>

#include "text/simd.h"

namespace qm {

// The first CR or LF in [p, end), or `end`: a byte at a time.
inline const char* findLineEndPlain(const char* p, const char* end) {
  for (; p != end; ++p)
    if (*p == '\n' || *p == '\r') return p;
  return end;
}

// The same, as fast as the processor allows.
inline const char* findLineEnd(const char* p, const char* end) {
#if defined(QM_SSE2)
  // Sixteen bytes at a time: one compare for each terminator, and the lowest
  // set bit of the mask is the first of either.
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  for (; end - p >= 16; p += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
    if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
  }
#endif
  return findLineEndPlain(p, end);
}

// How many lines end in [p, end): every LF, and every CR not followed by an
// LF there, so that CR LF counts once. A CR at `end` - 1 counts. A byte at a
// time.
inline std::size_t countLineEndsPlain(const char* p, const char* end) {
  std::size_t count = 0;
  for (; p != end; ++p) count += *p == '\n' || (*p == '\r' && (p + 1 == end || p[1] != '\n'));
  return count;
}

// The same, as fast as the processor allows.
inline std::size_t countLineEnds(const char* p, const char* end) {
  std::size_t count = 0;
#if defined(QM_SSE2)
  // Sixteen bytes at a time, each lane counting its line ends in a byte of
  // its own, summed before a lane can reach 256.
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i zero = _mm_setzero_si128();
  while (end - p > 16) {
    __m128i lanes = zero;
    for (int round = 0; round < 255 && end - p > 16; ++round, p += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      const __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
      const __m128i ends =
          _mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_andnot_si128(_mm_cmpeq_epi8(after, lf), _mm_cmpeq_epi8(v, cr)));
      lanes = _mm_sub_epi8(lanes, ends);  // a match is -1
    }
    const __m128i sums = _mm_sad_epu8(lanes, zero);
    count += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) + static_cast<std::size_t>(_mm_extract_epi16(sums, 4));
  }
#endif
  return count + countLineEndsPlain(p, end);
}

// The first "{", "}" or "[" in [p, end), or `end`: a byte at a time.
inline const char* findBraceOrBracketPlain(const char* p, const char* end) {
  for (; p != end; ++p)
    if (*p == '{' || *p == '}' || *p == '[') return p;
  return end;
}

// The same, sixteen bytes at a time where the compiler targets SSE2.
inline const char* findBraceOrBracketSse2(const char* p, const char* end) {
#if defined(QM_SSE2)
  const __m128i open = _mm_set1_epi8('{');
  const __m128i close = _mm_set1_epi8('}');
  const __m128i bracket = _mm_set1_epi8('[');
  for (; end - p >= 16; p += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int mask = _mm_movemask_epi8(
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, open), _mm_cmpeq_epi8(v, close)), _mm_cmpeq_epi8(v, bracket)));
    if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
  }
#endif
  return findBraceOrBracketPlain(p, end);
}

#if defined(QM_AVX2)
// The same, 32 bytes at a time, on processors that have AVX2 (asked once).
__attribute__((target("avx2"))) inline const char* findBraceOrBracketAvx2(const char* p, const char* end) {
  const __m256i open = _mm256_set1_epi8('{');
  const __m256i close = _mm256_set1_epi8('}');
  const __m256i bracket = _mm256_set1_epi8('[');
  for (; end - p >= 32; p += 32) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const int mask = _mm256_movemask_epi8(_mm256_or_si256(
        _mm256_or_si256(_mm256_cmpeq_epi8(v, open), _mm256_cmpeq_epi8(v, close)), _mm256_cmpeq_epi8(v, bracket)));
    if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
  }
  return findBraceOrBracketSse2(p, end);
}
#endif

inline const char* findBraceOrBracket(const char* p, const char* end) {
#if defined(QM_AVX2)
  static const bool kHasAvx2 = __builtin_cpu_supports("avx2");
  if (kHasAvx2) return findBraceOrBracketAvx2(p, end);
#endif
  return findBraceOrBracketSse2(p, end);
}

// The lines of bytes held in memory (a whole file, or a piece of whole lines),
// cut in place: no copies.
class BufferLines {
 public:
  explicit BufferLines(std::string_view bytes)
      : begin_(bytes.data()), pos_(bytes.data()), end_(bytes.data() + bytes.size()) {}

  // The next line, valid as long as the buffer; false at the end.
  bool next(std::string_view& line) {
    if (pos_ == end_) return false;
    const char* eol = findLineEnd(pos_, end_);
    line = std::string_view(pos_, static_cast<std::size_t>(eol - pos_));
    pos_ = eol;
    if (eol != end_ && *pos_++ == '\r' && pos_ != end_ && *pos_ == '\n') ++pos_;
    return true;
  }

  // Where the next line begins, counted from the start of the bytes.
  std::size_t offset() const { return static_cast<std::size_t>(pos_ - begin_); }
  // The bytes cut.
  std::string_view bytes() const { return std::string_view(begin_, static_cast<std::size_t>(end_ - begin_)); }

  // Passes over lines without cutting them until one has "{", "}" or "["
  // among its first three characters, so that Next gives that line; false
  // when no line left has. Only the bytes near those characters are looked at.
  bool skipToMarkedLine() {
    for (const char* p = pos_;; ++p) {
      p = findBraceOrBracket(p, end_);
      if (p == end_) break;
      // Its line begins at most two bytes before it; pos_ begins a line.
      for (const char* start = p; start + 2 >= p; --start) {
        if (start == pos_ || start[-1] == '\n' || start[-1] == '\r') {
          pos_ = start;
          return true;
        }
      }
    }
    pos_ = end_;
    return false;
  }

  // Passes over lines without cutting them until one begins with `c` (not CR
  // or LF), so that Next gives that line; false when no line left does. A
  // byte begins a line when it follows a CR or an LF, whichever terminator it
  // ends, so the bytes in between need no look.
  bool skipToLineStartingWith(char c) {
    for (const char* p = pos_; p != end_;) {
      if (*p == c && (p == begin_ || p[-1] == '\n' || p[-1] == '\r')) {
        pos_ = p;
        return true;
      }
      const void* hit = std::memchr(p + 1, c, static_cast<std::size_t>(end_ - p - 1));
      p = hit ? static_cast<const char*>(hit) : end_;
    }
    pos_ = end_;
    return false;
  }

 private:
  const char* begin_;
  const char* pos_;  // always where a line begins, or the end
  const char* end_;
};

}  // namespace qm
