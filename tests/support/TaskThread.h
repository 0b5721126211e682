#pragma once
// A host thread of its own, as a window's thread is: tasks posted to it run
// there one after another, in the order they were posted.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class TTaskThread {
public:
    TTaskThread();
    // Runs what was posted before, then ends.
    ~TTaskThread();
    TTaskThread(const TTaskThread&) = delete;
    TTaskThread& operator=(const TTaskThread&) = delete;

    void Post(std::function<void()> Task);
    std::thread::id Id() const { return Thread.get_id(); }

private:
    void Run();

    std::mutex Mutex;
    std::condition_variable Changed;
    std::deque<std::function<void()>> Tasks;
    bool Ending = false;
    std::thread Thread;
};
