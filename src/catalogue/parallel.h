// Work on the files of a game spread over the machine's cores.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <future>
#include <thread>
#include <vector>

namespace qm {

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

}  // namespace qm
