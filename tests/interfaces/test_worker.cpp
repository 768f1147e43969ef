#include "interfaces/Worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

// Counts the copies of it alive, so that a test sees what a dropped job gave back.
struct Held {
    explicit Held(std::shared_ptr<std::atomic<int>> alive) : count(std::move(alive)) { ++*count; }
    Held(const Held& other) : count(other.count) { ++*count; }
    ~Held() { --*count; }
    std::shared_ptr<std::atomic<int>> count;
};

} // namespace

TEST(Worker, RunsInOrderAndHoldsThePosterBackWhenFull) {
    Worker worker(Worker::Limits{4, 100, 2});
    std::vector<int> order;
    std::promise<void> open;
    std::shared_future<void> gate = open.get_future().share();
    std::promise<void> started;
    worker.post([gate, &started] { // the thread is held while the queue fills
        started.set_value();
        gate.wait();
    });
    worker.post([] {}); // a batch of two wakes the thread
    started.get_future().wait();
    for (int i = 0; i < 3; ++i) // with the one before, four wait
        worker.post([&order, i] { order.push_back(i); }, 10);
    // The queue is full: the next post waits until half of it is done.
    auto late = std::async(std::launch::async, [&] { worker.post([&order] { order.push_back(3); }, 10); });
    EXPECT_EQ(late.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    open.set_value();
    late.get();
    // A job larger than the byte bound waits only for the queue to empty.
    worker.post([&order] { order.push_back(4); }, 1000);
    worker.finish();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(Worker, TheFirstFailureStaysAndTheJobsAfterItAreDroppedWithWhatTheyHold) {
    auto alive = std::make_shared<std::atomic<int>>(0);
    Worker worker;
    std::atomic<int> ran = 0;
    std::promise<void> open;
    std::shared_future<void> gate = open.get_future().share();
    worker.post([gate] {
        gate.wait();
        throw std::runtime_error("first");
    });
    worker.post([held = Held(alive), &ran] { ++ran; });
    worker.post([] { throw std::runtime_error("second"); });
    EXPECT_EQ(*alive, 1);
    open.set_value();
    for (int call = 0; call < 2; ++call) {
        try {
            worker.finish();
            ADD_FAILURE() << "finish() after a failure";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "first");
        }
    }
    EXPECT_THROW(worker.post([] {}), std::runtime_error);
    EXPECT_EQ(ran, 0);
    EXPECT_EQ(*alive, 0) << "the dropped job's captures are gone";
}

TEST(Worker, DropAndDestructionGiveBackWhatWaits) {
    auto alive = std::make_shared<std::atomic<int>>(0);
    std::atomic<int> ran = 0;
    {
        Worker worker(Worker::Limits{16, 1000, 8}); // a batch of 8: these wait for it
        for (int i = 0; i < 3; ++i)
            worker.post([held = Held(alive), &ran] { ++ran; });
        worker.drop();
        EXPECT_EQ(*alive, 0);
        EXPECT_NO_THROW(worker.post([&ran] { ++ran; }));
        worker.finish();
        EXPECT_EQ(ran, 1) << "dropped jobs do not run, later ones do";
        std::promise<void> open;
        std::shared_future<void> gate = open.get_future().share();
        worker.post([gate] { gate.wait(); });
        for (int i = 0; i < 3; ++i)
            worker.post([held = Held(alive), &ran] { ++ran; });
        open.set_value();
    } // destroyed with jobs pending: they are dropped or run, never left behind
    EXPECT_EQ(*alive, 0);
}
