// Work spread over threads: items made side by side and used in order.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "platform/parallel.h"

namespace qm::platform {
namespace {

TEST(ParallelTest, MakesSideBySideAndUsesInOrder) {
  struct Case {
    std::size_t count, places;
  };
  for (const Case c : {Case{0, 1}, Case{1, 1}, Case{1, 4}, Case{7, 1}, Case{100, 2}, Case{1000, 4}}) {
    SCOPED_TRACE(testing::Message() << c.count << " items in " << c.places << " places");
    std::vector<std::size_t> place(c.places, SIZE_MAX);
    std::vector<std::size_t> usedOrder;
    std::atomic<std::size_t> used{0};
    std::atomic<bool> madeTooEarly{false};
    makeInOrder(
        c.count, c.places,
        [&](std::size_t i, std::size_t at) {
          // A place is made again only once what was made there before is used.
          if (at != i % c.places || used.load() + c.places <= i) madeTooEarly = true;
          place[at] = i;
        },
        [&](std::size_t i, std::size_t at) {
          EXPECT_EQ(place[at], i);
          usedOrder.push_back(i);
          ++used;
        });
    EXPECT_FALSE(madeTooEarly);
    ASSERT_EQ(usedOrder.size(), c.count);
    for (std::size_t i = 0; i < c.count; ++i) EXPECT_EQ(usedOrder[i], i);
  }
}

TEST(ParallelTest, AFailureStopsTheWorkAndIsThrownAgain) {
  for (const bool inMake : {true, false}) {
    SCOPED_TRACE(inMake ? "thrown by make" : "thrown by use");
    std::atomic<std::size_t> made{0};
    std::vector<std::size_t> usedOrder;
    const auto fail = [](std::size_t i) {
      if (i == 50) throw std::runtime_error("item 50");
    };
    EXPECT_THROW(makeInOrder(
                     10000, 4,
                     [&](std::size_t i, std::size_t) {
                       if (inMake) fail(i);
                       ++made;
                     },
                     [&](std::size_t i, std::size_t) {
                       if (!inMake) fail(i);
                       usedOrder.push_back(i);
                     }),
                 std::runtime_error);
    // Nothing past the failure is used, and the rest is not made.
    EXPECT_LE(usedOrder.size(), 50u);
    EXPECT_LT(made.load(), 100u);
  }
}

}  // namespace
}  // namespace qm::platform
