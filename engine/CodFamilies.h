// Algebraic code families with good periodic correlation, used as starting points for the
// search of long codes: Legendre sequences of a prime length and m-sequences (maximal-length
// shift-register sequences) of length 2^n - 1.
#pragma once

#include <cstdint>
#include <vector>

namespace codegen {

// Chips (+1/-1) of the Legendre sequence of the odd prime P: chip i is +1 when i is a
// quadratic residue modulo P, -1 when it is not, and +1 for i = 0.
std::vector<int8_t> LegendreChips(int P);
// Chips (+1/-1) of the m-sequence of degree N (2..10), of length 2^N - 1, from a fixed
// primitive feedback polynomial and the all-ones start state.
std::vector<int8_t> MSequenceChips(int N);

// The prime nearest to L (the smaller on a tie), at least 3.
int NearestPrime(int L);
// The degree N (2..10) whose m-sequence length 2^N - 1 is nearest to L.
int NearestMSequenceDegree(int L);

// L chips of the sequence read cyclically from position Rotation (0 <= Rotation).
std::vector<int8_t> CyclicCut(const std::vector<int8_t>& Chips, int L, int Rotation);

} // namespace codegen
