#include "search/exhaustive/MinPsl.h"

#include "search/exhaustive/GoodCodSearch.h"

#include <algorithm>
#include <chrono>

namespace codegen {

namespace {

using TClock = std::chrono::steady_clock;

double SecondsSince(TClock::time_point Began) {
    return std::chrono::duration<double>(TClock::now() - Began).count();
}

} // namespace

int MinPslLowerBound(const TSearchParams& P) {
    const bool ZerosAllowed = P.Type == TCodType::Ternary && P.Z > 0;
    return ZerosAllowed ? 0 : 1;
}

TBestSearchParams MinPslStochasticParams(const TSearchParams& P, int Threads, uint64_t Steps) {
    TBestSearchParams B;
    B.L = P.L;
    B.Type = P.Type;
    B.Rule = P.Rule;
    B.Z = P.Type == TCodType::Ternary ? P.Z : 0;
    B.Target = MinPslLowerBound(P);
    B.Count = 1;
    B.Seconds = 0;
    B.Seed = 1;
    B.Threads = Threads;
    // The walkers reach the lowest known peaks up to about 44 chips within some tens of
    // thousands of steps, and the exhaustive checks after them stop at their first code, so
    // a modest start is enough: 100 L^2 steps (a tenth of a second at 32 chips), with the
    // work (steps times L, three times that for ternary codes) capped near three seconds of
    // one core.
    const double Work = static_cast<double>(P.L) * (P.Type == TCodType::Binary ? 1 : 3);
    B.MaxSteps =
        Steps > 0 ? Steps : static_cast<uint64_t>(std::min(100.0 * P.L * P.L, 1.5e8 / Work));
    return B;
}

TWithinResult AnyCodWithin(const TSearchParams& P, int Threads,
                           const std::function<bool()>& ShouldStop) {
    // A symmetry class lies within the limit as a whole and is listed by its first code, so
    // the answer is the same with classes, and a search that finds none ends sooner.
    TSearchParams Q = P;
    Q.Classes = true;
    TGoodCodSearch Search;
    std::string First;
    const TSearchBatch Last = Search.RunToEnd(
        Q, Threads,
        [&First](const TSearchBatch& B) {
            if (First.empty() && !B.Cods.empty())
                First = B.Cods.front();
        },
        [&] { return !First.empty() || (ShouldStop && ShouldStop()); },
        std::chrono::milliseconds(15), 1);
    if (!First.empty())
        return {TWithinAnswer::Found, First};
    return {Last.Completed ? TWithinAnswer::None : TWithinAnswer::Stopped, {}};
}

TMinPslResult FindMinPsl(const TSearchParams& P, int Threads,
                         const std::function<void(const TMinPslStep&)>& Report,
                         const std::function<bool()>& ShouldStop, uint64_t StochasticSteps) {
    CheckSearchParams(P);
    const auto Tell = [&Report](const TMinPslStep& Step) {
        if (Report)
            Report(Step);
    };

    auto Began = TClock::now();
    TBestCodSearch Stochastic;
    const TBestSearchBatch End =
        Stochastic.RunToEnd(MinPslStochasticParams(P, Threads, StochasticSteps), {}, ShouldStop,
                            std::chrono::milliseconds(15));
    const auto Best = Stochastic.Best();
    if (End.End == TBestSearchEnd::Stopped || Best.empty())
        return {-1, true, -1};
    const TScoredCod& Reached = Best.front();
    Tell({TMinPslStep::TKind::Stochastic, Reached.Psl, Reached.Psl, Reached.Text,
          SecondsSince(Began)});

    return DescendFrom(
        P, Reached.Psl,
        [Threads, &ShouldStop](const TSearchParams& Q) {
            return AnyCodWithin(Q, Threads, ShouldStop);
        },
        Report);
}

TMinPslResult DescendFrom(const TSearchParams& P, int StartPsl, const TWithinCheck& Within,
                          const std::function<void(const TMinPslStep&)>& Report) {
    const auto Tell = [&Report](const TMinPslStep& Step) {
        if (Report)
            Report(Step);
    };
    // Min: the lowest peak of a code seen so far, so the list at Min is not empty.
    int Min = StartPsl;
    const int Floor = MinPslLowerBound(P);
    while (Min > Floor) {
        TSearchParams Q = P;
        Q.SideLobeLimit = Min - 1;
        const auto Began = TClock::now();
        const TWithinResult Answer = Within(Q);
        if (Answer.Answer == TWithinAnswer::Stopped)
            return {-1, true, Q.SideLobeLimit};
        if (Answer.Answer == TWithinAnswer::None) {
            Tell({TMinPslStep::TKind::None, Q.SideLobeLimit, -1, {}, SecondsSince(Began)});
            break;
        }
        // The code found may lie well below the limit asked about: the next question starts
        // under its own peak.
        const int Psl = ScoreCod(Answer.Cod, P.L, P.Type).Psl;
        Tell({TMinPslStep::TKind::Found, Q.SideLobeLimit, Psl, Answer.Cod, SecondsSince(Began)});
        Min = Psl;
    }
    return {Min, false, -1};
}

} // namespace codegen
