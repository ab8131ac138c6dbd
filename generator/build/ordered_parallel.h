#pragma once
// Runs independent jobs on several threads and hands their results back in job order on
// the calling thread, each as soon as it and all before it are done. What the caller does
// with a result (messages, progress) therefore happens in the same order as a plain loop.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace tabulon::generator {

// The threads a run may use: `wanted`, or two per core when 0. Each job ends in a file
// write; while one thread waits in the kernel (for the folder, for memory, for the disk)
// another uses its core.
inline unsigned workerCount(unsigned wanted) {
    if (wanted > 0) return wanted;
    return 2 * std::max(1u, std::thread::hardware_concurrency());
}

// Calls work(i) for every i below `count` on up to `threads` threads, and consume(i, result)
// on this thread for i = 0, 1, … in order. An exception from work(i) is rethrown here when
// job i's turn comes; jobs not yet started are then dropped.
template <typename Result, typename Work, typename Consume>
void runInOrder(std::size_t count, unsigned threads, Work work, Consume consume) {
    if (threads <= 1 || count <= 1) {
        for (std::size_t i = 0; i < count; ++i) consume(i, work(i));
        return;
    }
    struct Slot {
        std::optional<Result> result;
        std::exception_ptr error;
        bool done = false;
    };
    std::vector<Slot> slots(count);
    std::mutex mutex;
    std::condition_variable ready;
    // The job this thread waits for; workers wake it only for that one, so that most
    // jobs finish without a wake-up.
    std::size_t awaited = count;
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};

    auto worker = [&] {
        for (std::size_t i; !stop && (i = next++) < count;) {
            Slot filled;
            try {
                filled.result.emplace(work(i));
            } catch (...) {
                filled.error = std::current_exception();
            }
            bool wake = false;
            {
                std::lock_guard lock(mutex);
                slots[i].result = std::move(filled.result);
                slots[i].error = filled.error;
                slots[i].done = true;
                wake = awaited == i;
            }
            if (wake) ready.notify_one();
        }
    };
    std::vector<std::jthread> pool;
    // Joins the workers however this function is left.
    struct Stopper {
        std::atomic<bool>& stop;
        std::vector<std::jthread>& pool;
        ~Stopper() {
            stop = true;
            pool.clear();
        }
    } stopper{stop, pool};
    const std::size_t poolSize = std::min<std::size_t>(threads, count);
    for (std::size_t t = 0; t < poolSize; ++t) pool.emplace_back(worker);

    for (std::size_t i = 0; i < count; ++i) {
        Slot slot;
        {
            std::unique_lock lock(mutex);
            awaited = i;
            ready.wait(lock, [&] { return slots[i].done; });
            awaited = count;
            slot = std::move(slots[i]);
        }
        if (slot.error) std::rethrow_exception(slot.error);
        consume(i, std::move(*slot.result));
    }
}

}  // namespace tabulon::generator
