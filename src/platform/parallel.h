// Work spread over the machine's cores: tasks taken by a few threads, and
// items made side by side but used in order.
#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace qm::platform {

// How many threads forEachOnThreads runs `count` tasks on: up to four, no
// more than the machine has cores or there are tasks.
inline std::size_t threadsFor(std::size_t count) {
  return std::min<std::size_t>({std::max(1u, std::thread::hardware_concurrency()), count, 4});
}

// Calls task(i, thread) for every i below `count` on threadsFor(count)
// threads, numbered from 0, each taking the next i not yet taken; returns
// when all are done. An exception thrown by a task stops the others at their
// next task and is thrown again here.
template <class Task>
void forEachOnThreads(std::size_t count, const Task& task) {
  std::atomic<std::size_t> next{0};
  const auto work = [&](std::size_t thread) {
    for (std::size_t i; (i = next.fetch_add(1)) < count;) task(i, thread);
  };
  std::vector<std::future<void>> others;
  for (std::size_t t = 1; t < threadsFor(count); ++t) others.push_back(std::async(std::launch::async, work, t));
  std::exception_ptr failed;
  try {
    work(0);
  } catch (...) {
    failed = std::current_exception();
    next = count;
  }
  for (std::future<void>& other : others) try {
      other.get();
    } catch (...) {
      if (!failed) failed = std::current_exception();
      next = count;
    }
  if (failed) std::rethrow_exception(failed);
}

// Calls make(i, place) for every i below `count`, on two threads when the
// machine has two cores, and use(i, place) for each i in order on the calling
// thread as soon as make(i, ...) is done, with no wait for the items after
// it. There are `places` places, each reused: item i is made in place
// i % places, once item i - places has been used. An exception thrown by
// make or use stops the work and is thrown again here.
template <class Make, class Use>
void makeInOrder(std::size_t count, std::size_t places, const Make& make, const Use& use) {
  std::mutex lock;
  std::condition_variable changed;
  std::size_t next = 0, used = 0;                     // the next item to make, and the items used
  std::vector<std::size_t> madeIn(places, SIZE_MAX);  // by place: the item made there
  std::exception_ptr failed;
  const auto makeOne = [&](std::unique_lock<std::mutex>& held) {
    const std::size_t i = next++;
    held.unlock();
    try {
      make(i, i % places);
    } catch (...) {
      held.lock();
      if (!failed) failed = std::current_exception();
      changed.notify_all();
      return;
    }
    held.lock();
    madeIn[i % places] = i;
    changed.notify_all();
  };
  const auto canMake = [&] { return !failed && next < count && next < used + places; };
  std::thread helper;
  if (threadsFor(count) > 1)
    helper = std::thread([&] {
      std::unique_lock<std::mutex> held(lock);
      while (!failed && next < count) {
        if (canMake())
          makeOne(held);
        else
          changed.wait(held);
      }
    });
  {
    std::unique_lock<std::mutex> held(lock);
    while (used < count && !failed) {
      if (madeIn[used % places] == used) {
        held.unlock();
        try {
          use(used, used % places);
        } catch (...) {
          held.lock();
          failed = std::current_exception();
          changed.notify_all();
          break;
        }
        held.lock();
        ++used;
        changed.notify_all();
      } else if (canMake()) {
        makeOne(held);
      } else {
        changed.wait(held);
      }
    }
  }
  if (helper.joinable()) helper.join();
  if (failed) std::rethrow_exception(failed);
}

}  // namespace qm::platform
