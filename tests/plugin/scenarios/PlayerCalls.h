#pragma once
// The recorded calls a player thread made: every call not made on the
// thread the host calls the plug-in from.

#include <set>
#include <thread>
#include <vector>

#include "tests/support/RecordingHost.h"

inline std::vector<THostCall> PlayerCalls(const std::vector<THostCall>& Calls, std::thread::id Host)
{
    std::vector<THostCall> calls;
    for (const THostCall& call : Calls) {
        if (call.Thread != Host) {
            calls.push_back(call);
        }
    }
    return calls;
}

inline std::set<std::thread::id> PlayerThreads(const std::vector<THostCall>& Calls, std::thread::id Host)
{
    std::set<std::thread::id> threads;
    for (const THostCall& call : PlayerCalls(Calls, Host)) {
        threads.insert(call.Thread);
    }
    return threads;
}
