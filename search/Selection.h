// The selection of good codes by mutual cross-correlation: a code is kept when enough
// listed codes (itself included) have a peak cross-correlation with it of at most T.
#pragma once

#include "engine/PackedCod.h"

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

// The progress text after a candidate: "i MMX CNT :отобрано n кодов".
std::string SelectionProgressText(const TSelectionStep& Step, int Kept);

} // namespace codegen
