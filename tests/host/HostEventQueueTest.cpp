// The play loop's event queue: window messages posted from other threads
// arrive whole and in order, signals survive the dropping of stale messages,
// and keys on standard input wake the wait when it watches for them.

#ifndef _WIN32

#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <thread>

#include "host/play/HostEventQueue.h"

namespace {

TEST(HostEventQueue, MessagesFromOtherThreadsArriveWholeAndInOrder)
{
    THostEventQueue queue;
    ASSERT_TRUE(queue.IsOpen());
    EXPECT_EQ(queue.Wait(0).Kind, THostEvent::Timeout);

    std::thread first([&] {
        for (uintptr_t i = 0; i < 500; ++i) {
            queue.PostMessage(0x0111, i, -static_cast<intptr_t>(i));
        }
    });
    std::thread second([&] {
        for (uintptr_t i = 0; i < 500; ++i) {
            queue.PostMessage(0x0112, i, static_cast<intptr_t>(i));
        }
    });
    first.join();
    second.join();
    uintptr_t next[2] = {0, 0};
    for (int i = 0; i < 1000; ++i) {
        const THostEvent event = queue.Wait(1000);
        ASSERT_EQ(event.Kind, THostEvent::WindowMessage);
        ASSERT_TRUE(event.Message == 0x0111 || event.Message == 0x0112);
        const int sender = event.Message == 0x0111 ? 0 : 1;
        ASSERT_EQ(event.WParam, next[sender]++);
        ASSERT_EQ(event.LParam,
                  sender == 0 ? -static_cast<intptr_t>(event.WParam) : static_cast<intptr_t>(event.WParam));
    }
    EXPECT_EQ(queue.Wait(0).Kind, THostEvent::Timeout);
}

TEST(HostEventQueue, DroppingMessagesKeepsASignal)
{
    THostEventQueue queue;
    queue.PostMessage(0x0111, 40048, 0);
    queue.PostSignal(SIGTERM);
    queue.PostMessage(0x0111, 40048, 0);
    queue.DropMessages();
    const THostEvent event = queue.Wait(0);
    EXPECT_EQ(event.Kind, THostEvent::Signal);
    EXPECT_EQ(event.Number, SIGTERM);
    EXPECT_EQ(queue.Wait(0).Kind, THostEvent::Timeout);
}

TEST(HostEventQueue, KeysOnStandardInputWakeTheWaitWhenWatched)
{
    THostEventQueue queue;
    // Standard input is a pipe for the time of the test.
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    const int original = dup(STDIN_FILENO);
    ASSERT_GE(original, 0);
    ASSERT_EQ(dup2(ends[0], STDIN_FILENO), STDIN_FILENO);
    EXPECT_EQ(queue.Wait(0, true).Kind, THostEvent::Timeout);
    ASSERT_EQ(write(ends[1], "q", 1), 1);
    EXPECT_EQ(queue.Wait(1000, true).Kind, THostEvent::Input);
    // Unwatched, waiting keys wake nothing.
    EXPECT_EQ(queue.Wait(0, false).Kind, THostEvent::Timeout);
    // Queued events come first.
    queue.PostMessage(0x0111, 40048, 0);
    EXPECT_EQ(queue.Wait(1000, true).Kind, THostEvent::WindowMessage);
    dup2(original, STDIN_FILENO);
    close(original);
    close(ends[0]);
    close(ends[1]);
}

}  // namespace

#endif  // _WIN32
