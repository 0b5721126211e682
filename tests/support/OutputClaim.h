#pragma once
// A test's output object bound to its Out_Module slot
// (plugin/sdk/OutModuleBinding.h) for as long as the claim lives. The slot
// holds one output at a time: a second claim while one is held is a fault of
// the test, and throws. Declared as the owner's last member, the claim is
// let go first when the owner ends.

#include <atomic>
#include <stdexcept>
#include <string>

#include "plugin/sdk/OutModuleBinding.h"

template <class TOutput> class TOutputClaim {
public:
    TOutputClaim(TOutput& Output, const std::string& What)
    {
        TOutput* none = nullptr;
        if (!Holder.compare_exchange_strong(none, &Output)) {
            throw std::logic_error("only one " + What + " may be alive");
        }
        TOutModuleBinding<TOutput>::Bind(Output);
    }
    ~TOutputClaim()
    {
        TOutModuleBinding<TOutput>::Unbind();
        Holder.store(nullptr);
    }
    TOutputClaim(const TOutputClaim&) = delete;
    TOutputClaim& operator=(const TOutputClaim&) = delete;

    // The output that holds the claim; null when none does.
    static TOutput* Held() { return Holder.load(); }

private:
    static inline std::atomic<TOutput*> Holder{nullptr};
};
