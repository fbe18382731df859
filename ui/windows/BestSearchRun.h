// The window's side of the best-code search (the run itself is a TBestCodJob): its status
// texts, its seeds, and the offer of that search when an exhaustive run shows that it cannot
// finish in hours.
#pragma once

#include "search/exhaustive/GoodCodSearch.h"
#include "search/stochastic/BestCodSearch.h"

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

// " Лучший выброс 5 (цель 4)   31 млн оценок/с   осталось 42 с"; "прервано" instead of the
// time left once the run was stopped. A Record (>= 0) follows the best peak: "   рекорд: 4";
// a ternary run then adds the best peak relative to the energy: "   выброс/E 0.0893".
QString BestSearchStatusText(const codegen::TBestSearchProgress& Progress, int Target,
                             codegen::TBestSearchEnd End = codegen::TBestSearchEnd::Running,
                             int Record = -1, codegen::TCodType Type = codegen::TCodType::Binary);
// The status line of a run with a target that it did not reach (BestPsl over Target):
// " цель не достигнута: лучший выброс 6", the Record (>= 0) after it ("   рекорд: 5"), the
// ternary ratio, and "прервано" last for a stopped run. Empty when the target was reached or
// the run knows no code.
QString MissedTargetText(const codegen::TBestSearchProgress& Progress, int Target,
                         codegen::TBestSearchEnd End, int Record = -1,
                         codegen::TCodType Type = codegen::TCodType::Binary);
// The best-known peak side lobe of the run's codes; -1 where none is known.
int PslRecordOf(const codegen::TBestSearchParams& P);
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
