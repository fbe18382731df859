#include "search/sets/MaxSet.h"

#include "engine/Cod.h"
#include "search/sets/CliquerBridge.h"

#include <oneapi/tbb/blocked_range.h>
#include <oneapi/tbb/parallel_for.h>

#include <algorithm>
#include <bit>
#include <mutex>
#include <new>

namespace codegen {

int64_t TSetGraph::EdgeCount() const {
    int64_t Bits = 0;
    for (const uint64_t W : Rows)
        Bits += std::popcount(W);
    return Bits / 2;
}

void CheckMaxSetCount(std::size_t Count) {
    if (Count > static_cast<std::size_t>(MaxSetCodLimit))
        throw CodError("The largest-set search takes at most " + std::to_string(MaxSetCodLimit) +
                       " codes (its graph holds every pair): " + std::to_string(Count) + " given");
}

std::vector<int> FirstFitSet(const std::vector<TPackedCod>& Cods, int Limit,
                             const std::function<bool()>& GoOn) {
    std::vector<int> Set;
    const auto Fits = [&](const TPackedCod& Cod) {
        return std::all_of(Set.begin(), Set.end(), [&](int M) {
            return CrossCorrelationWithin(Cods[static_cast<std::size_t>(M)], Cod, Limit);
        });
    };
    for (std::size_t I = 0; I < Cods.size(); ++I) {
        if (I % 256 == 0 && GoOn && !GoOn())
            break;
        if (Fits(Cods[I]))
            Set.push_back(static_cast<int>(I));
    }
    return Set;
}

TSetGraph BuildSetGraph(const std::vector<TPackedCod>& Cods, int Limit,
                        const std::function<bool()>& GoOn) {
    CheckMaxSetCount(Cods.size());
    TSetGraph G;
    G.N = static_cast<int>(Cods.size());
    G.Words = (G.N + 63) / 64;
    const auto Words = static_cast<std::size_t>(G.Words);
    G.Rows.assign(static_cast<std::size_t>(G.N) * Words, 0);
    // Each row takes the pairs with the codes after it, a task writing only its own rows;
    // blocks of rows leave room for a stop between them.
    constexpr int Block = 256;
    for (int From = 0; From < G.N; From += Block) {
        if (GoOn && !GoOn())
            return {};
        tbb::parallel_for(
            tbb::blocked_range<int>(From, std::min(G.N, From + Block), 1),
            [&](const tbb::blocked_range<int>& R) {
                for (int A = R.begin(); A != R.end(); ++A) {
                    uint64_t* Row = &G.Rows[static_cast<std::size_t>(A) * Words];
                    const TPackedCod& Ca = Cods[static_cast<std::size_t>(A)];
                    for (int B = A + 1; B < G.N; ++B)
                        if (CrossCorrelationWithin(Ca, Cods[static_cast<std::size_t>(B)], Limit))
                            Row[B / 64] |= uint64_t{1} << (B % 64);
                }
            });
    }
    if (GoOn && !GoOn())
        return {};
    // The other half: row B takes the pairs with the codes before it from their rows.
    tbb::parallel_for(tbb::blocked_range<int>(0, G.N, 64), [&](const tbb::blocked_range<int>& R) {
        for (int B = R.begin(); B != R.end(); ++B) {
            uint64_t* Row = &G.Rows[static_cast<std::size_t>(B) * Words];
            for (int A = 0; A < B; ++A)
                if (G.Edge(A, B))
                    Row[A / 64] |= uint64_t{1} << (A % 64);
        }
    });
    return G;
}

namespace {
// The library keeps its search state in globals: one search at a time.
std::mutex CliquerLock;

struct TTickContext {
    const std::function<bool(const TMaxSetProgress&)>* Tick;
};

int OnTick(void* User, int Done, int Total, int Best) {
    const auto& Tick = *static_cast<TTickContext*>(User)->Tick;
    return !Tick || Tick({Done, Total, Best}) ? 1 : 0;
}
} // namespace

TMaxSetResult FindMaxSet(const TSetGraph& Graph,
                         const std::function<bool(const TMaxSetProgress&)>& Tick) {
    TMaxSetResult Result;
    std::vector<int> Out(static_cast<std::size_t>(std::max(Graph.N, 1)));
    TTickContext Context{&Tick};
    int Proven = 0;
    int Count;
    {
        const std::scoped_lock Lock(CliquerLock);
        Count = maxset_find(Graph.N, Graph.Rows.data(), Graph.Words, OnTick, &Context, Out.data(),
                            &Proven);
    }
    if (Count < 0)
        throw std::bad_alloc();
    Result.Members.assign(Out.begin(), Out.begin() + Count);
    std::sort(Result.Members.begin(), Result.Members.end());
    Result.Proven = Proven != 0;
    return Result;
}

} // namespace codegen
