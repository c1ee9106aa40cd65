#include "device/window_thread_queue.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <numeric>
#include <thread>
#include <vector>

namespace {

constexpr int kPosts = 50;

// The poster builds each piece of work from memory of its own and then
// synchronises with nothing until all of it has run: only the queue orders
// the poster's writes before the window thread's reads and destruction, so
// ThreadSanitizer reports any step of the hand-over it cannot see.
TEST(WindowThreadQueue, RunsWorkFromAnotherThreadOnItsOwnInPostingOrder) {
    device::WindowThreadQueue queue;
    std::vector<int> ran;
    bool allOnWindowThread = true;
    std::atomic<bool> finished{false};
    std::thread poster([&] {
        for (int i = 0; i < kPosts; ++i) {
            std::vector<int> payload(64, i);
            queue.post([&, payload = std::move(payload)] {
                allOnWindowThread =
                    allOnWindowThread && QThread::currentThread() == qApp->thread();
                ran.push_back(std::accumulate(payload.begin(), payload.end(), 0) / 64);
            });
        }
        while (!finished.load(std::memory_order_relaxed))
            std::this_thread::yield();
    });
    const bool allRan =
        QTest::qWaitFor([&] { return ran.size() == static_cast<std::size_t>(kPosts); }, 5000);
    finished = true;
    poster.join();
    ASSERT_TRUE(allRan);
    std::vector<int> expected(kPosts);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(ran, expected);
    EXPECT_TRUE(allOnWindowThread);
}

TEST(WindowThreadQueue, WorkNotRunWhenTheQueueGoesIsDroppedUnrun) {
    auto queue = std::make_unique<device::WindowThreadQueue>();
    auto held = std::make_shared<int>(0);
    std::weak_ptr<int> watch = held;
    bool ran = false;
    std::thread poster([&, held = std::move(held)]() mutable {
        queue->post([&ran, held = std::move(held)] { ran = true; });
    });
    poster.join();
    queue.reset();
    EXPECT_TRUE(watch.expired());
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
}

} // namespace
