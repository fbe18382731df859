// The local engines behind the pieces: the choice among the builds of the branch and bound,
// each thread's engines by prefix length, and the searcher that runners elsewhere use.
#include "search/exhaustive/RangeSearcher.h"

#include "search/exhaustive/GoodCodSearch.h"

#include <algorithm>

// The branch and bound's containers, for every build of it (BranchAndBound.h).
template class std::vector<int8_t>;
template class std::vector<uint8_t>;
template class std::vector<int16_t>;
template class std::vector<int>;
template class std::vector<uint64_t>;
template class std::vector<std::string>;

namespace codegen {

TRangeSearcher::~TRangeSearcher() = default;

namespace {

// Widest first; CMake builds the wider ones where the compiler takes their options.
constexpr TSearchKernel SearchKernelList[] = {
#if CODEGEN_X86_KERNELS
    {"avx512vbmi", IsaAvx512F | IsaAvx512Bw | IsaAvx512Vbmi, MakeAvx512VbmiSearcher},
    {"avx512", IsaAvx512F | IsaAvx512Bw, MakeAvx512Searcher},
    {"avx2", IsaAvx2, MakeAvx2Searcher},
#endif
    {"portable", 0, MakePortableSearcher},
};

} // namespace

TKernelFamily<TSearchKernel>& SearchKernelFamily() {
    static TKernelFamily<TSearchKernel> Family("search kernel", SearchKernelList);
    return Family;
}

std::vector<std::string> SearchKernels() {
    return SearchKernelFamily().Names();
}

void SetSearchKernel(const std::string& Name) {
    SearchKernelFamily().Select(Name);
}

std::string SearchKernel() {
    return SearchKernelFamily().Active().Name;
}

TRangeSearcher& TEngineCache::For(const TSearchParams& P, int Length) {
    ++Uses;
    for (auto& E : Kept)
        if (E.Length == Length) {
            E.LastUse = Uses;
            return *E.Engine;
        }
    if (Kept.size() >= Capacity)
        Kept.erase(std::min_element(Kept.begin(), Kept.end(), [](const TEntry& A, const TEntry& B) {
            return A.LastUse < B.LastUse;
        }));
    Kept.push_back({Length, Uses, MakeSearcher(P, Length)});
    return *Kept.back().Engine;
}

struct TPieceSearcher::TEngines {
    TEngineCache ByLength;
};

TPieceSearcher::TPieceSearcher(const TSearchParams& P)
    : Params(P), Engines(std::make_unique<TEngines>()) {
    CheckSearchParams(P);
}

TPieceSearcher::~TPieceSearcher() = default;

TPieceOutcome TPieceSearcher::Search(const std::string& Prefix, const std::string& From,
                                     std::size_t MaxCods, std::chrono::milliseconds MaxTime,
                                     bool ReversalCut, const std::atomic<bool>& Stop,
                                     std::vector<std::string>& Found,
                                     std::vector<std::string>& Rest) {
    const int Length = static_cast<int>(Prefix.size());
    const char* Digits = Params.Type == TCodType::Binary ? "01" : "012";
    if (Length < 1 || Length > Params.L || Prefix.find_first_not_of(Digits) != std::string::npos)
        throw CodError("Not a prefix of the counting order: " + Prefix);
    if (!From.empty() && (From.size() > static_cast<std::size_t>(Params.L) ||
                          From.compare(0, Prefix.size(), Prefix) != 0 ||
                          From.find_first_not_of(Digits) != std::string::npos))
        throw CodError("Not a part of the piece " + Prefix + ": " + From);
    auto& Engine = Engines->ByLength.For(Params, Length);
    const TPieceLimits Limits{&Stop, std::max<std::size_t>(1, MaxCods), MaxTime, ReversalCut};
    return Engine.Search(Prefix, From, Limits, Found, Rest);
}

void CheckSearchParams(const TSearchParams& P) {
    CheckCodLength(P.L);
    if (P.SideLobeLimit < 0)
        throw CodError("The side-lobe limit must not be negative");
    if (P.Z < 0)
        throw CodError("The number of zeros must not be negative");
}

} // namespace codegen
