// The good-code search as the plain loop over the counting order: advance the counter,
// test the zero rule, measure the side lobes term by term. The reference for the fast one.
#pragma once

#include "engine/Cod.h"
#include "oracle/NaiveCorrelation.h"
#include "search/exhaustive/GoodCodSearch.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace codegen::oracle {

// Lists the good codes from the code after Cd up to the last code, leaving Cd at the last.
inline std::vector<std::string> NaiveSerchCods(const TSearchParams& P, TCod& Cd) {
    std::vector<std::string> Found;
    TCod CodA;
    do {
        IncCod(Cd, P.L, P.Type);
        if (P.Type == TCodType::Ternary) {
            const int Zeros = ZeroCount(Cd, P.L);
            if (P.Rule == TZeroRule::AtMost ? Zeros > P.Z : Zeros != P.Z)
                continue;
        }
        LoadDigitalCod(Cd, CodA, P.L, P.Type);
        if (NaiveSidePulseCorrelation(CodA, P.L) <= P.SideLobeLimit)
            Found.push_back(ViewCod(Cd, P.L));
    } while (!EndCod(Cd, P.L, P.Type));
    return Found;
}

inline std::vector<std::string> NaiveSerchCods(const TSearchParams& P) {
    TCod Cd;
    return NaiveSerchCods(P, Cd);
}

// The same list by a plain depth-first search over the chips in their natural order: a
// branch ends when a lag's pairs known so far sum to more than the limit plus its pairs
// still unknown. Fast enough for the lengths the plain loop cannot reach (binary up to 24
// chips at small limits); it shares nothing with the fast search but the rule.
inline void PlainBranchSearch(const TSearchParams& P, std::vector<int>& Chips, std::string& Digits,
                              int Zeros, std::vector<std::string>& Found) {
    const int D = static_cast<int>(Digits.size());
    if (D == P.L) {
        if (P.Type == TCodType::Ternary && P.Rule == TZeroRule::Equal && Zeros != P.Z)
            return;
        Found.push_back(Digits);
        return;
    }
    const int Base = P.Type == TCodType::Binary ? 2 : 3;
    for (int Digit = 0; Digit < Base; ++Digit) {
        const int Chip = P.Type == TCodType::Binary ? (Digit == 0 ? -1 : 1)
                                                    : (Digit == 0   ? 0
                                                       : Digit == 1 ? 1
                                                                    : -1);
        const int NewZeros = Zeros + (Chip == 0 ? 1 : 0);
        if (P.Type == TCodType::Ternary && NewZeros > P.Z)
            continue;
        Chips[static_cast<std::size_t>(D)] = Chip;
        bool Within = true;
        for (int K = 1; K < P.L && Within; ++K) {
            int Sum = 0, Known = 0;
            for (int I = 0; I + K <= D; ++I, ++Known)
                Sum += Chips[static_cast<std::size_t>(I)] * Chips[static_cast<std::size_t>(I + K)];
            Within = std::abs(Sum) <= P.SideLobeLimit + (P.L - K - Known);
        }
        if (!Within)
            continue;
        Digits.push_back(static_cast<char>('0' + Digit));
        PlainBranchSearch(P, Chips, Digits, NewZeros, Found);
        Digits.pop_back();
    }
}

inline std::vector<std::string> PlainBranchSearch(const TSearchParams& P) {
    std::vector<int> Chips(static_cast<std::size_t>(P.L), 0);
    std::string Digits;
    std::vector<std::string> Found;
    PlainBranchSearch(P, Chips, Digits, 0, Found);
    // A run from the start examines the codes after the all-zero code.
    if (!Found.empty() && Found.front().find_first_not_of('0') == std::string::npos)
        Found.erase(Found.begin());
    return Found;
}

} // namespace codegen::oracle
