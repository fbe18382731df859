// The largest set of codes whose mutual cross-correlation peaks stay within a limit: a
// maximum clique of the graph whose vertices are the codes and whose edges join the pairs
// within the limit. The graph is built on all cores with the early-exit kernel; the clique
// comes from the exact branch-and-bound search of the cliquer library.
#pragma once

#include "engine/PackedCod.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace codegen {

// Adjacency rows as bit sets, 64 codes a word; no code is joined to itself.
struct TSetGraph {
    int N = 0;
    int Words = 0;
    std::vector<uint64_t> Rows; // row A at [A * Words, (A + 1) * Words)
    bool Edge(int A, int B) const {
        return (Rows[static_cast<std::size_t>(A) * static_cast<std::size_t>(Words) +
                     static_cast<std::size_t>(B / 64)] >>
                (B % 64)) &
               1U;
    }
    int64_t EdgeCount() const;
};

// The most codes the largest-set search takes: its graph holds a bit for every pair, and
// the clique library a copy of it (2 x 50 MB at 20,000 codes; 200,000 would need 10 GB).
constexpr int MaxSetCodLimit = 20000;
// Throws CodError naming the limit for more codes than that.
void CheckMaxSetCount(std::size_t Count);

// A set at once, before the graph: each code in list order joins when it is within the
// limit of every code taken before it. Ascending 0-based indices. GoOn is asked between
// blocks of codes; when it says no, the set so far comes back (a set all the same).
std::vector<int> FirstFitSet(const std::vector<TPackedCod>& Cods, int Limit,
                             const std::function<bool()>& GoOn = {});

// The graph of the codes under Limit (at most MaxSetCodLimit of them). GoOn is asked between
// blocks of rows, on the calling thread; when it says no, the graph comes back with N = 0.
TSetGraph BuildSetGraph(const std::vector<TPackedCod>& Cods, int Limit,
                        const std::function<bool()>& GoOn = {});

struct TMaxSetProgress {
    int Done = 0; // codes of the search order examined
    int Total = 0;
    int Best = 0; // the largest set known; the search now tries for Best + 1
};

struct TMaxSetResult {
    std::vector<int> Members; // graph vertices, ascending
    bool Proven = false;      // the search ran to its end: no larger set exists
};

// A largest set. Tick is called after each code of the search order; returning false stops
// the search, which then gives the largest set it can name, not proven.
TMaxSetResult FindMaxSet(const TSetGraph& Graph,
                         const std::function<bool(const TMaxSetProgress&)>& Tick = {});

} // namespace codegen
