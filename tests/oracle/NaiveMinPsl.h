// The lowest peak side lobe of a code shape by measuring every code: the digit strings of
// the counting order, each turned into chips and its side lobes summed term by term.
#pragma once

#include "engine/Cod.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace codegen::oracle {

struct TNaiveMinPsl {
    int Psl = INT_MAX;
    // The codes with that peak, in counting order (text order, the all-zero string last).
    std::vector<std::string> Cods;
};

inline TNaiveMinPsl NaiveMinPsl(int L, TCodType Type, TZeroRule Rule, int Z) {
    const int Base = Type == TCodType::Binary ? 2 : 3;
    uint64_t Count = 1;
    for (int I = 0; I < L; ++I)
        Count *= static_cast<uint64_t>(Base);
    TNaiveMinPsl Result;
    std::string Text(static_cast<std::size_t>(L), '0');
    std::vector<int> Chips(static_cast<std::size_t>(L));
    for (uint64_t Step = 1; Step <= Count; ++Step) {
        uint64_t N = Step % Count; // the all-zero string comes last
        int Zeros = 0;
        for (int I = L - 1; I >= 0; --I) {
            const int Digit = static_cast<int>(N % static_cast<uint64_t>(Base));
            N /= static_cast<uint64_t>(Base);
            Text[static_cast<std::size_t>(I)] = static_cast<char>('0' + Digit);
            Chips[static_cast<std::size_t>(I)] =
                Type == TCodType::Binary ? (Digit ? 1 : -1) : (Digit == 2 ? -1 : Digit);
            Zeros += Type == TCodType::Ternary && Digit == 0;
        }
        if (Type == TCodType::Ternary && (Rule == TZeroRule::AtMost ? Zeros > Z : Zeros != Z))
            continue;
        int Peak = 0;
        for (int K = 1; K < L && Peak <= Result.Psl; ++K) {
            int Sum = 0;
            for (int I = 0; I + K < L; ++I)
                Sum += Chips[static_cast<std::size_t>(I)] * Chips[static_cast<std::size_t>(I + K)];
            Peak = std::max(Peak, std::abs(Sum));
        }
        if (Peak < Result.Psl) {
            Result.Psl = Peak;
            Result.Cods.clear();
        }
        if (Peak == Result.Psl)
            Result.Cods.push_back(Text);
    }
    return Result;
}

} // namespace codegen::oracle
