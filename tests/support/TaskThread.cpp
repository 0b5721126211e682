#include "tests/support/TaskThread.h"

TTaskThread::TTaskThread() : Thread([this] { Run(); })
{
}

TTaskThread::~TTaskThread()
{
    {
        std::lock_guard<std::mutex> lock(Mutex);
        Ending = true;
    }
    Changed.notify_all();
    Thread.join();
}

void TTaskThread::Post(std::function<void()> Task)
{
    {
        std::lock_guard<std::mutex> lock(Mutex);
        Tasks.push_back(std::move(Task));
    }
    Changed.notify_all();
}

void TTaskThread::Run()
{
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock<std::mutex> lock(Mutex);
            Changed.wait(lock, [this] { return Ending || !Tasks.empty(); });
            if (Tasks.empty()) {
                return;
            }
            task = std::move(Tasks.front());
            Tasks.pop_front();
        }
        task();
    }
}
