#pragma once
// What every function the host calls does with a failure inside it: nothing
// thrown ever reaches the host, which would end its process.

// Runs Body; any exception becomes Fallback.
template <class Result, class Body> Result Guarded(Result Fallback, Body&& Run) noexcept
{
    try {
        return Run();
    } catch (...) {
        return Fallback;
    }
}

template <class Body> void Guarded(Body&& Run) noexcept
{
    try {
        Run();
    } catch (...) {
    }
}
