// The benchmarks' codes: random binary chips (+1/-1) of L chips, the same for the same L in
// every run and every benchmark.
#pragma once

#include <cstddef>
#include <random>
#include <vector>

namespace codegen::bench {

template <class TChip> std::vector<TChip> RandomChips(int L) {
    std::mt19937 Rng(static_cast<unsigned>(L));
    std::vector<TChip> Chips(static_cast<std::size_t>(L));
    for (TChip& C : Chips)
        C = (Rng() & 1) ? TChip(1) : TChip(-1);
    return Chips;
}

} // namespace codegen::bench
