// The calling thread's side of a search that runs in the background (the good-code search,
// the best-code search): collect what it found at a steady pace, hand it on, and ask the
// search to stop when the caller says so, until the search reports its end.
#pragma once

#include <chrono>
#include <functional>

namespace codegen {

template <class TSearch, class TBatch, class... TCollectArgs>
TBatch CollectToEnd(TSearch& Search, const std::function<void(const TBatch&)>& Sink,
                    const std::function<bool()>& ShouldStop, std::chrono::milliseconds Period,
                    TCollectArgs... CollectArgs) {
    TBatch Last;
    do {
        Last = Search.Collect(Period, CollectArgs...);
        if (Sink)
            Sink(Last);
        if (ShouldStop && ShouldStop())
            Search.Stop();
    } while (!Last.Finished);
    return Last;
}

} // namespace codegen
