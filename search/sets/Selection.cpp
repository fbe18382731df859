#include "search/sets/Selection.h"

#include "engine/TextLines.h"

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include <algorithm>
#include <chrono>

namespace codegen {

std::vector<TPackedCod> DecodeCods(const std::vector<std::string>& Texts, int L, TCodType Type) {
    std::vector<TPackedCod> Cods;
    Cods.reserve(Texts.size());
    for (std::size_t I = 0; I < Texts.size(); ++I) {
        try {
            Cods.push_back(PackCodText(Texts[I], L, Type));
        } catch (const CodError& E) {
            throw CodError("Good-code row " + std::to_string(I + 1) + ": " + E.what());
        }
    }
    return Cods;
}

TSelectionStep SelectCod(const std::vector<TPackedCod>& Cods, int Row, int T, int K) {
    TSelectionStep Step;
    Step.Row = Row;
    const TPackedCod& A = Cods[static_cast<std::size_t>(Row - 1)];
    for (const TPackedCod& B : Cods) {
        // Only a peak of at most T or below the smallest so far changes anything, so the
        // peak is scanned just far enough to know whether it is one of those.
        const int MX = PeakCrossCorrelationBelow(A, B, std::max(T + 1, Step.MMX));
        if (MX <= T)
            ++Step.CNT;
        Step.MMX = std::min(Step.MMX, MX);
    }
    Step.Selected = T >= Step.MMX && Step.CNT >= K;
    return Step;
}

std::vector<TSelectionStep> SelectCods(const std::vector<TPackedCod>& Cods, int From, int To, int T,
                                       int K, int Threads) {
    std::vector<TSelectionStep> Steps(static_cast<std::size_t>(std::max(0, To - From + 1)));
    const auto Work = [&] {
        tbb::parallel_for(
            tbb::blocked_range<int>(From, To + 1), [&](const tbb::blocked_range<int>& Rows) {
                for (int Row = Rows.begin(); Row != Rows.end(); ++Row)
                    Steps[static_cast<std::size_t>(Row - From)] = SelectCod(Cods, Row, T, K);
            });
    };
    if (Threads > 0) {
        tbb::task_arena Arena(Threads);
        Arena.execute(Work);
    } else {
        Work();
    }
    return Steps;
}

bool RunSelection(TSelectionRun& Run, const TSelectionProgress& Progress, int Threads) {
    using TClock = std::chrono::steady_clock;
    using std::chrono::milliseconds;
    const int Rows = static_cast<int>(Run.Cods.size());
    int Chunk = 1;
    for (int Row = 1; Row <= Rows;) {
        const int Listed = static_cast<int>(Run.Cods.size());
        if (Row > Listed)
            throw CodError("The good-code row " + std::to_string(Row) + " does not exist any more");
        const auto Began = TClock::now();
        const int Last = std::min({Rows, Row + Chunk - 1, Listed});
        const auto Steps = SelectCods(Run.Cods, Row, Last, Run.T, Run.K, Threads);
        // Chunks of 10 to 20 ms between two calls of Progress.
        const auto Took = TClock::now() - Began;
        if (Took < milliseconds(10))
            Chunk = Chunk < (1 << 20) ? Chunk * 2 : Chunk;
        else if (Took > milliseconds(20) && Chunk > 1)
            Chunk /= 2;
        Row = Last + 1;
        if (!Progress(Steps))
            return Row > Rows;
    }
    return true;
}

std::string SelectionProgressText(const TSelectionStep& Step, int Kept) {
    return std::to_string(Step.Row) + " " + std::to_string(Step.MMX) + " " +
           std::to_string(Step.CNT) + " :отобрано " + std::to_string(Kept) + " кодов";
}

} // namespace codegen
