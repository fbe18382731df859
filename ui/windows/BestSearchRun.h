// The window's side of the best-code search: one run inside a click handler, with the codes it
// finds and its progress handed to the window about every 15 ms; and the offer of that search
// when an exhaustive run shows that it cannot finish in hours.
#pragma once

#include "search/stochastic/BestCodSearch.h"
#include "search/exhaustive/GoodCodSearch.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What a run hands to the window between batches.
struct TBestSearchView {
    // Codes within the target found since the last call, in the order found.
    std::function<void(const std::vector<std::string>& Cods)> AddCods;
    // The best code so far (empty before the first) and the status line.
    std::function<void(const QString& BestCod, const QString& Status)> Show;
    // Lets the window handle its events; true once the run is to end.
    std::function<bool()> ProcessEvents;
};

// Runs P to its end (the budget, or a stop asked for through the view) on the calling thread's
// behalf and says how it ended.
codegen::TBestSearchEnd RunBestSearch(codegen::TBestCodSearch& Search,
                                      const codegen::TBestSearchParams& P,
                                      const TBestSearchView& View);

// " Лучший выброс 5 (цель 4)   31 млн оценок/с   осталось 42 с"; "прервано" instead of the
// time left once the run was stopped.
QString BestSearchStatusText(const codegen::TBestSearchProgress& Progress, int Target,
                             codegen::TBestSearchEnd End = codegen::TBestSearchEnd::Running);
// The status line of a run with a target that it did not reach (BestPsl over Target):
// " цель не достигнута: лучший выброс 6", with "прервано" after it for a stopped run. Empty
// when the target was reached or the run knows no code.
QString MissedTargetText(const codegen::TBestSearchProgress& Progress, int Target,
                         codegen::TBestSearchEnd End);
// A seed for the next run: runs started one after another differ.
uint64_t NewBestSearchSeed();

// Whether an exhaustive run's progress shows that it cannot finish in hours: its estimate is
// longer than MaxSecondsLeft. It follows the estimate, so that the status line never offers
// the best search beside a time left of minutes.
class TLongRunOffer {
public:
    double MaxSecondsLeft = 3600;

    bool Check(const codegen::TSearchProgress& Progress);
};
