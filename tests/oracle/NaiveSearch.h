// The good-code search as the plain loop over the counting order: advance the counter,
// test the zero rule, measure the side lobes term by term. The reference for the fast one.
#pragma once

#include "engine/Cod.h"
#include "oracle/NaiveCorrelation.h"
#include "search/GoodCodSearch.h"

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

} // namespace codegen::oracle
