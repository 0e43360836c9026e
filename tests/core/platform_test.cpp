// The file calls that differ between systems: whole-file reads, one-step
// replacement and the folders file dialogs may start in.
#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "platform/lookahead.h"
#include "platform/padded_bytes.h"
#include "test_support.h"

namespace qm::platform {
namespace {

// Whole files replaced in one step and read back through one buffer, larger
// and smaller than before; a missing file; a read-only one refused and kept.
TEST(PlatformTest, ReplacesAndReadsWholeFilesAsBytes) {
  test::TempDir dir;
  const auto file = dir.path() / "a.tdf";
  std::string out, reason;
  // A large file after a small one: the buffer grows onto large pages.
  const std::string small("a\r\n\0b\x1a\xff", 7);
  for (const std::string& bytes : {small, std::string((5 << 20) + 7, '\xe9'), std::string(), small}) {
    EXPECT_EQ(replaceFile(file, bytes), std::nullopt);
    EXPECT_TRUE(readRegularFile(file, out, reason)) << reason;
    EXPECT_TRUE(out == bytes) << out.size() << " bytes read";
  }
  EXPECT_FALSE(readRegularFile(dir.path() / "none.tdf", out, reason));
  EXPECT_EQ(out, "");
  std::filesystem::permissions(
      file,
      std::filesystem::perms::owner_write | std::filesystem::perms::group_write | std::filesystem::perms::others_write,
      std::filesystem::perm_options::remove);
  EXPECT_EQ(replaceFile(file, "lost"), "the file is read-only");
  EXPECT_EQ(test::readFile(file), std::string("a\r\n\0b\x1a\xff", 7));
}

// Files held whole: the bytes as they are (a large file on large pages, a
// small one in a string), the same refusals as a read, and bytes that stay as
// they were read when the file shrinks on disk or is replaced by a save.
TEST(PlatformTest, HoldsFiles) {
  test::TempDir dir;
  const std::string bytes = std::string("[A]\r\n{\0\xff", 8) + std::string(3 << 20, 'x');
  const auto file = dir.write("a.tdf", bytes);
  std::string reason;
  HeldFile held, empty, tooLarge;
  ASSERT_TRUE(HeldFile::hold(file, held, reason)) << reason;
  EXPECT_TRUE(held.bytes() == bytes);
  EXPECT_TRUE(HeldFile::hold(dir.write("empty.tdf", ""), empty, reason));
  EXPECT_EQ(empty.bytes(), "");
  EXPECT_FALSE(HeldFile::hold(file, tooLarge, reason, 100, "too large"));
  EXPECT_EQ(reason, "too large");
  EXPECT_FALSE(HeldFile::hold(dir.path() / "none.tdf", tooLarge, reason));
  EXPECT_FALSE(HeldFile::hold(dir.path(), tooLarge, reason));
  EXPECT_EQ(reason, "not a regular file");

  HeldFile moved(std::move(held)), kept(std::string("in memory"));
  // Held bytes are a copy: what happens to the file after does not reach them.
  std::filesystem::resize_file(file, 4);
  EXPECT_TRUE(moved.bytes() == bytes);
  EXPECT_EQ(replaceFile(file, "new"), std::nullopt);
  EXPECT_TRUE(moved.bytes() == bytes);
  HeldFile small;
  ASSERT_TRUE(HeldFile::hold(file, small, reason));
  EXPECT_EQ(small.bytes(), "new");
  moved = std::move(small);
  EXPECT_EQ(moved.bytes(), "new");
  EXPECT_EQ(kept.bytes(), "in memory");
}

// Bytes kept with room to read past them, through growth from the heap to
// large pages and a move; a part of them keeps the room only when it lies
// within them. Every view is read up to kReadPast bytes past its end, which
// the sanitizer build checks.
TEST(PlatformTest, PaddedBytesKeepTheirBytesAndTheirRoom) {
  std::size_t sum = 0;
  const auto readPast = [&sum](PaddedView v) {
    for (std::size_t i = 0; i < v.size() + kReadPast; ++i) sum += static_cast<unsigned char>(v.data()[i]);
  };
  PaddedBytes bytes;
  std::string expected;
  for (const std::size_t piece : {0, 1, 15, 1000, (1 << 20) - 1000, 3 << 20}) {
    const std::string add(piece, static_cast<char>('a' + expected.size() % 26));
    bytes.append(add);
    expected += add;
    ASSERT_TRUE(bytes.view() == expected) << expected.size();
    readPast(bytes.view());
  }
  PaddedBytes moved(std::move(bytes));
  EXPECT_TRUE(moved.view() == expected);
  EXPECT_TRUE(bytes.view().empty());
  readPast(bytes.view());
  readPast(PaddedView());

  // Parts of all but the first byte.
  const PaddedView all = moved.view().substr(1);
  const std::string_view whole = moved.view();
  const struct {
    const char* what;
    std::string_view part;
    bool kept;
  } parts[] = {
      {"inside", whole.substr(3, 10), true},
      {"at the end", whole.substr(whole.size() - 5), true},
      {"the whole", whole.substr(1), true},
      {"empty", whole.substr(5, 0), false},
      {"the same bytes elsewhere", std::string_view(expected).substr(3, 10), false},
      {"running past the end", {whole.data() + whole.size() - 2, 3}, false},
      {"starting before", whole.substr(0, 3), false},
  };
  for (const auto& p : parts) {
    const PaddedView part = all.part(p.part);
    EXPECT_EQ(part.data() == p.part.data() && part.size() == p.part.size(), p.kept) << p.what;
    EXPECT_EQ(part.empty(), !p.kept) << p.what;
    readPast(part);
  }
  EXPECT_TRUE(all.substr(all.size() - 5, 100) == whole.substr(whole.size() - 5));
  EXPECT_GT(sum, 0u);
}

// Items made ahead of their use come in order, once each, and each step sees
// the items up to the look-ahead's depth after it while there are any.
TEST(PlatformTest, LookaheadGivesItemsInOrderAndThoseAhead) {
  for (const std::size_t count : {0, 1, 5, 9, 100}) {
    SCOPED_TRACE(testing::Message() << count << " items");
    Lookahead<std::size_t, 9> items;
    std::size_t made = 0, used = 0;
    const auto make = [&](std::size_t& item) {
      if (made == count) return false;
      item = made++;
      return true;
    };
    while (const std::size_t* item = items.next(make)) {
      ASSERT_EQ(*item, used);
      for (std::size_t d = 0; d < 9; ++d) {
        const std::size_t* ahead = items.ahead(d);
        ASSERT_EQ(ahead != nullptr, used + d < count) << d;
        if (ahead) {
          EXPECT_EQ(*ahead, used + d);
        }
      }
      ++used;
    }
    EXPECT_EQ(used, count);
    EXPECT_EQ(made, count);
    EXPECT_FALSE(items.next(make));
  }
}

// The process table is the window's test; /dev is told apart by its path.
TEST(PlatformTest, OrdinaryFolders) {
  test::TempDir dir;
  EXPECT_TRUE(isOrdinaryFolder(dir.path()));
  EXPECT_FALSE(isOrdinaryFolder(dir.write("file.tdf", "")));
#ifndef _WIN32
  for (const char* pseudo : {"/dev", "/sys/kernel"}) EXPECT_FALSE(isOrdinaryFolder(pseudo)) << pseudo;
#endif
}

}  // namespace
}  // namespace qm::platform
