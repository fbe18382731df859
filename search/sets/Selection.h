// The selection of good codes by mutual cross-correlation: a code is kept when enough
// listed codes (itself included) have a peak cross-correlation with it of at most T.
#pragma once

#include "engine/PackedCod.h"

#include <functional>
#include <string>
#include <vector>

namespace codegen {

// What the selection found for one candidate row.
struct TSelectionStep {
    int Row = 0;      // 1-based row of the good-code list
    int MMX = 100000; // smallest peak against any listed code
    int CNT = 0;      // listed codes with a peak of at most T
    bool Selected = false;
};

// Decodes the good-code texts (Texts[0] is row 1); a text too short for the code length is
// an error that names its row.
std::vector<TPackedCod> DecodeCods(const std::vector<std::string>& Texts, int L, TCodType Type);

// The step of candidate row Row (1-based) against every code of Cods. The decision keeps the
// code when T >= MMX and CNT >= K, which amounts to CNT >= max(K, 1).
TSelectionStep SelectCod(const std::vector<TPackedCod>& Cods, int Row, int T, int K);

// The steps of rows From..To (1-based, inclusive) in order, computed on Threads threads
// (0: every core).
std::vector<TSelectionStep> SelectCods(const std::vector<TPackedCod>& Cods, int From, int To, int T,
                                       int K, int Threads = 0);

// A selection run over a whole list, for a front end that shows its progress and answers
// its user as it goes: rows 1..N (N the list's length when the run starts) in chunks that
// take about 10 to 20 ms each. After each chunk Progress gets the chunk's steps and returns
// false to stop the run there. Between two chunks Progress may replace Cods, T and K (a
// list edited meanwhile, a limit changed): the next chunk reads them, and a row the list no
// longer has is an error naming it. True when the run reached row N.
struct TSelectionRun {
    std::vector<TPackedCod> Cods;
    int T = 2;
    int K = 1;
};
using TSelectionProgress = std::function<bool(const std::vector<TSelectionStep>& Steps)>;
bool RunSelection(TSelectionRun& Run, const TSelectionProgress& Progress, int Threads = 0);

// The progress text after a candidate: "i MMX CNT :отобрано n кодов".
std::string SelectionProgressText(const TSelectionStep& Step, int Kept);

} // namespace codegen
