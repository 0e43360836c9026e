#include "edit/diff.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "text/lines.h"
#include "text/text.h"

namespace qm::edit {

namespace {

// The lines of `text`, each with its line end.
std::vector<std::string_view> linesOf(std::string_view text) {
  std::vector<std::string_view> out;
  const char* p = text.data();
  const char* end = p + text.size();
  while (p != end) {
    const char* e = findLineEnd(p, end);
    if (e != end && *e++ == '\r' && e != end && *e == '\n') ++e;
    out.emplace_back(p, static_cast<std::size_t>(e - p));
    p = e;
  }
  return out;
}

// How many bytes a and b have in common at their start, looking at no more
// than `limit`; whole pieces are compared with memcmp first, as a change to a
// large file leaves most of it the same.
constexpr std::size_t kComparePiece = 4096;

std::size_t samePrefix(std::string_view a, std::string_view b, std::size_t limit) {
  std::size_t n = 0;
  while (limit - n >= kComparePiece && std::memcmp(a.data() + n, b.data() + n, kComparePiece) == 0) n += kComparePiece;
  while (n < limit && a[n] == b[n]) ++n;
  return n;
}

// The same at their end.
std::size_t sameSuffix(std::string_view a, std::string_view b, std::size_t limit) {
  const char* ea = a.data() + a.size();
  const char* eb = b.data() + b.size();
  std::size_t n = 0;
  while (limit - n >= kComparePiece && std::memcmp(ea - n - kComparePiece, eb - n - kComparePiece, kComparePiece) == 0)
    n += kComparePiece;
  while (n < limit && ea[-1 - static_cast<long>(n)] == eb[-1 - static_cast<long>(n)]) ++n;
  return n;
}

enum class Op : char { Same = ' ', Removed = '-', Added = '+' };

// The shortest edit script between a and b (Myers): the lines in order,
// each marked as kept, removed or added. Each round keeps only its own
// diagonals, so memory grows with the square of the number of changes, not
// with the length of the files.
std::vector<Op> editScript(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b) {
  const long n = static_cast<long>(a.size()), m = static_cast<long>(b.size());
  std::vector<std::vector<long>> rounds;  // rounds[d][k + d]: the furthest x on diagonal k after round d
  const auto reach = [&](long d, long k) -> long {
    return d < 0 || k < -d || k > d ? 0 : rounds[static_cast<std::size_t>(d)][static_cast<std::size_t>(k + d)];
  };
  const auto goesDown = [&](long d, long k) {
    return k == -d || (k != d && reach(d - 1, k - 1) < reach(d - 1, k + 1));
  };
  for (long d = 0;; ++d) {
    std::vector<long> round(static_cast<std::size_t>(2 * d + 1));
    bool done = false;
    for (long k = -d; k <= d; k += 2) {
      long x = d == 0 ? 0 : goesDown(d, k) ? reach(d - 1, k + 1) : reach(d - 1, k - 1) + 1;
      long y = x - k;
      while (x < n && y < m && a[static_cast<std::size_t>(x)] == b[static_cast<std::size_t>(y)]) ++x, ++y;
      round[static_cast<std::size_t>(k + d)] = x;
      done = done || (x >= n && y >= m);
    }
    rounds.push_back(std::move(round));
    if (done) break;
  }
  // Walk back through the rounds.
  std::vector<Op> ops;
  long x = n, y = m;
  for (long d = static_cast<long>(rounds.size()) - 1; d >= 0; --d) {
    const long k = x - y;
    const bool down = d > 0 && goesDown(d, k);
    const long prevK = d == 0 ? 0 : down ? k + 1 : k - 1;
    const long prevX = d == 0 ? 0 : reach(d - 1, prevK), prevY = prevX - prevK;
    while (x > prevX && y > prevY) ops.push_back(Op::Same), --x, --y;
    if (d > 0) ops.push_back(down ? Op::Added : Op::Removed);
    x = prevX, y = prevY;
  }
  std::reverse(ops.begin(), ops.end());
  return ops;
}

// The edit script of whole texts: only the lines between the common start
// and the common end go through it, so a file of a hundred thousand lines
// with one change compares a handful.
std::vector<Op> lineOps(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b) {
  std::size_t head = 0;
  while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
  std::size_t tail = 0;
  while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) ++tail;
  std::vector<Op> ops(head, Op::Same);
  const auto middle = editScript({a.begin() + static_cast<long>(head), a.end() - static_cast<long>(tail)},
                                 {b.begin() + static_cast<long>(head), b.end() - static_cast<long>(tail)});
  ops.insert(ops.end(), middle.begin(), middle.end());
  ops.insert(ops.end(), tail, Op::Same);
  return ops;
}

void addLine(std::string& out, char mark, std::string_view line) {
  out += mark;
  bool ended = false;
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1), ended = true;
  out += cp1252ToUtf8(line);
  out += '\n';
  if (!ended) out += "\\ No newline at end of file\n";
}

std::string range(std::size_t start, std::size_t count) {
  // A hunk that holds no line of a side names the line before it.
  return std::to_string(count == 0 ? start : start + 1) + "," + std::to_string(count);
}

// Whether a line begins at `s` of `t` (or `s` is its end). `s` - 1 and `s`
// must lie where the two texts agree.
bool lineStartsAt(std::string_view t, std::size_t s) {
  return s == 0 || s == t.size() || t[s - 1] == '\n' || (t[s - 1] == '\r' && t[s] != '\n');
}

}  // namespace

std::string unifiedDiff(const std::string& name, std::string_view before, std::string_view after) {
  return unifiedDiff(name, name, before, after, {});
}

std::string unifiedDiff(const std::string& from, const std::string& to, std::string_view before, std::string_view after,
                        const HunkHeading& heading) {
  // Only the lines around the bytes that differ are cut and compared, with
  // three lines more on each side for the context: a change in a file of
  // megabytes costs little more than the change.
  const std::size_t shorter = std::min(before.size(), after.size());
  const std::size_t first = samePrefix(before, after, shorter);
  if (first == before.size() && first == after.size()) return {};
  const std::size_t same = sameSuffix(before, after, shorter - first);
  std::size_t start = first;
  while (start > 0 && !(before[start - 1] == '\n' || (start < first && lineStartsAt(before, start)))) --start;
  for (int i = 0; i < 3 && start > 0; ++i) do
      --start;
    while (start > 0 && !lineStartsAt(before, start));
  std::size_t end = before.size() - same;
  if (end < before.size()) {
    ++end;
    while (end < before.size() && !lineStartsAt(before, end)) ++end;
  }
  for (int i = 0; i < 3 && end < before.size(); ++i) do
      ++end;
    while (end < before.size() && !lineStartsAt(before, end));
  const std::size_t offset = countLineEnds(before.data(), before.data() + start);  // lines before `start`
  const auto a = linesOf(before.substr(start, end - start));
  const auto b = linesOf(after.substr(start, end - start + after.size() - before.size()));
  const std::vector<Op> ops = lineOps(a, b);

  std::string out = "--- " + from + "\n+++ " + to + "\n";
  constexpr std::size_t kContext = 3;
  std::size_t i = 0, ia = 0, ib = 0;  // op index, line of a, line of b
  while (i < ops.size()) {
    if (ops[i] == Op::Same) {
      ++i, ++ia, ++ib;
      continue;
    }
    // A hunk: back up to three lines, then on until more than six lines in a
    // row are the same (or the end).
    const std::size_t back = std::min({kContext, ia, ib});
    std::size_t start = i - back, sa = ia - back, sb = ib - back;
    std::size_t end = i, same = 0;
    for (std::size_t j = i; j < ops.size(); ++j) {
      if (ops[j] == Op::Same) {
        if (++same > 2 * kContext) break;
      } else {
        same = 0;
        end = j + 1;
      }
    }
    end = std::min(ops.size(), end + kContext);
    std::string body;
    std::size_t ca = 0, cb = 0, la = sa, lb = sb;
    std::string title;
    for (std::size_t j = start; j < end; ++j) {
      if (j == i && heading) {
        // The first changed line, or where the removed lines were.
        const std::size_t at = lb < b.size() ? static_cast<std::size_t>(b[lb].data() - after.data()) : after.size();
        if (std::string h = heading(at); !h.empty()) title = " " + h;
      }
      if (ops[j] == Op::Same)
        addLine(body, ' ', a[la]), ++la, ++lb, ++ca, ++cb;
      else if (ops[j] == Op::Removed)
        addLine(body, '-', a[la]), ++la, ++ca;
      else
        addLine(body, '+', b[lb]), ++lb, ++cb;
    }
    out += "@@ -" + range(offset + sa, ca) + " +" + range(offset + sb, cb) + " @@" + title + "\n" + body;
    i = end, ia = la, ib = lb;
  }
  return out;
}

Remade remakeChange(std::string_view before, std::string_view after, std::string_view fresh) {
  const auto a = linesOf(before), b = linesOf(after), f = linesOf(fresh);
  const std::vector<Op> ops = lineOps(a, b);

  struct Run {
    std::size_t at = 0, removed = 0;  // in the lines of `fresh`
    std::vector<std::string_view> added;
  };
  std::vector<Run> runs;
  Remade out;
  for (std::size_t i = 0, ia = 0, ib = 0; i < ops.size();) {
    if (ops[i] == Op::Same) {
      ++i, ++ia, ++ib;
      continue;
    }
    Run run;
    const std::size_t from = ia;
    for (; i < ops.size() && ops[i] != Op::Same; ++i) {
      if (ops[i] == Op::Removed)
        ++ia;
      else
        run.added.push_back(b[ib++]);
    }
    // The run's lines with a line of context on each side (or the file's
    // start or end) must be found in one place.
    const std::size_t lo = from > 0 ? from - 1 : 0, hi = std::min(ia + 1, a.size());
    const std::size_t length = hi - lo;
    std::size_t found = 0, where = 0;
    for (std::size_t p = 0; p + length <= f.size() && found < 2; ++p) {
      if ((from == 0 && p != 0) || (ia == a.size() && p + length != f.size())) continue;
      if (std::equal(a.begin() + static_cast<long>(lo), a.begin() + static_cast<long>(hi),
                     f.begin() + static_cast<long>(p)))
        ++found, where = p;
    }
    run.at = where + (from - lo);
    run.removed = ia - from;
    if (found == 1 && (runs.empty() || runs.back().at + runs.back().removed <= run.at)) {
      runs.push_back(std::move(run));
      ++out.made;
    } else {
      ++out.dropped;
    }
  }
  std::size_t next = 0;
  const auto copy = [&](std::size_t to) {
    for (; next < to; ++next) out.bytes.append(f[next]);
  };
  for (const Run& r : runs) {
    copy(r.at);
    for (std::string_view line : r.added) out.bytes.append(line);
    next = r.at + r.removed;
  }
  copy(f.size());
  return out;
}

}  // namespace qm::edit
