#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>

#include "platform/PlatformThread.h"

namespace {

using namespace std::chrono_literals;

TEST(PlatformThread, JoinWithoutAThreadReturnsAtOnce)
{
    TPlatformThread thread;
    thread.Join();
    thread.Join();
}

// Join returns only once the function has run to its end; the object then
// takes the next function.
TEST(PlatformThread, JoinWaitsForTheEndAndAJoinedThreadStartsAgain)
{
    TPlatformThread thread;
    std::atomic<int> finished{0};
    for (int round = 1; round <= 2; ++round) {
        ASSERT_TRUE(thread.Start([&] {
            PlatformSleep(20);
            ++finished;
        })) << round;
        thread.Join();
        EXPECT_EQ(finished.load(), round);
        thread.Join();  // joined already: at once
    }
}

TEST(PlatformThread, StartIsRefusedWhileTheLastOneIsNotJoined)
{
    TPlatformThread thread;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    ASSERT_TRUE(thread.Start([released] { released.wait(); }));
    bool secondRan = false;
    EXPECT_FALSE(thread.Start([&] { secondRan = true; }));
    release.set_value();
    thread.Join();
    EXPECT_FALSE(secondRan);
}

// A stop that reaches the player on its own thread joins that thread from
// itself: that must return, not wait for itself forever.
TEST(PlatformThread, JoinFromTheThreadItselfDoesNotWait)
{
    TPlatformThread thread;
    std::promise<void> started;
    std::shared_future<void> startReturned = started.get_future().share();
    std::promise<void> joinedItself;
    std::future<void> done = joinedItself.get_future();
    ASSERT_TRUE(thread.Start([&, startReturned] {
        startReturned.wait();
        thread.Join();
        joinedItself.set_value();
    }));
    started.set_value();
    ASSERT_EQ(done.wait_for(10s), std::future_status::ready);
    thread.Join();
}

// An object destroyed while its thread runs lets the thread go: the function
// (and what it holds) lives on until the thread ends.
TEST(PlatformThread, DestroyedWhileRunningTheThreadFinishesOnItsOwn)
{
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    auto ended = std::make_shared<std::promise<int>>();
    std::future<int> result = ended->get_future();
    {
        TPlatformThread thread;
        auto held = std::make_shared<int>(42);
        ASSERT_TRUE(thread.Start([released, ended, held] {
            released.wait();
            ended->set_value(*held);
        }));
    }
    release.set_value();
    ASSERT_EQ(result.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(result.get(), 42);
}

}  // namespace
