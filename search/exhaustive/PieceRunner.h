// The search of one piece of the counting order (the codes sharing a prefix) as a plug-in of
// the good-code search: by default the local branch-and-bound engines; a runner may search
// the piece elsewhere (another process). The ordering, cutting and hand-over stay in
// TGoodCodSearch.
#pragma once

#include "search/SearchParams.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace codegen {

// How the search of a piece ended: searched through, stopped from outside, given up because
// it found more than MaxCods codes (it is then cut finer), or paused after MaxTime of its
// thread's processor time, with the part not searched yet handed on (see Search).
enum class TPieceOutcome { Done, Stopped, TooMany, TooLong };

// Searches pieces for one worker thread, one at a time.
class TPieceRunner {
public:
    virtual ~TPieceRunner() = default;
    // Every code starting with Prefix that the search lists, into Found (empty on entry, any
    // order; read when the outcome is Done or TooLong). Stop, when set, asks for a prompt end.
    // ReversalCut: leave out the codes that are reversals of images of earlier pieces' codes
    // (binary codes; the coordinating run adds them back from its store). From: empty for
    // the whole piece, or one of the parts an earlier search of it handed on. TooLong: Found
    // holds the codes of what was searched, and Rest (empty on entry) the parts left, each
    // to be searched later with the same Prefix and ReversalCut, by any runner of the run.
    // Throws on failure; the run then ends with the message.
    virtual TPieceOutcome Search(const std::string& Prefix, const std::string& From,
                                 std::size_t MaxCods, std::chrono::milliseconds MaxTime,
                                 bool ReversalCut, const std::atomic<bool>& Stop,
                                 std::vector<std::string>& Found,
                                 std::vector<std::string>& Rest) = 0;
};

// Makes the runner of one worker thread of a run with these parameters.
using TPieceRunnerFactory = std::function<std::unique_ptr<TPieceRunner>(const TSearchParams&)>;

// The local engines behind a runner elsewhere: what a worker thread does with one piece,
// without the symmetry store (the coordinating run keeps that).
class TPieceSearcher : public TPieceRunner {
public:
    explicit TPieceSearcher(const TSearchParams& P);
    ~TPieceSearcher() override;
    TPieceOutcome Search(const std::string& Prefix, const std::string& From, std::size_t MaxCods,
                         std::chrono::milliseconds MaxTime, bool ReversalCut,
                         const std::atomic<bool>& Stop, std::vector<std::string>& Found,
                         std::vector<std::string>& Rest) override;

private:
    struct TEngines;
    TSearchParams Params;
    std::unique_ptr<TEngines> Engines;
};

} // namespace codegen
