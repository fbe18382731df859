#include "engine/CodFamilies.h"

#include "engine/Cod.h"

#include <cstdlib>
#include <string>

namespace codegen {

namespace {

bool IsPrime(int N) {
    if (N < 2)
        return false;
    for (int D = 2; D * D <= N; ++D)
        if (N % D == 0)
            return false;
    return true;
}

} // namespace

std::vector<int8_t> LegendreChips(int P) {
    if (P < 3 || !IsPrime(P))
        throw CodError("A Legendre sequence needs an odd prime length, not " + std::to_string(P));
    std::vector<int8_t> Chips(static_cast<std::size_t>(P), -1);
    Chips[0] = 1;
    for (long long X = 1; X < P; ++X)
        Chips[static_cast<std::size_t>(X * X % P)] = 1;
    return Chips;
}

std::vector<int8_t> MSequenceChips(int N) {
    // Feedback taps (exponents of a primitive polynomial besides x^N and 1).
    static const std::vector<int> Taps[] = {{},  {},  {1},       {2}, {3}, {3},
                                            {5}, {6}, {6, 5, 4}, {5}, {7}};
    if (N < 2 || N > 10)
        throw CodError("An m-sequence degree must lie in 2..10, not " + std::to_string(N));
    const int Length = (1 << N) - 1;
    // Fibonacci register: the new bit is the sum of the bits N and each tap back.
    std::vector<int> Bits(static_cast<std::size_t>(Length) + static_cast<std::size_t>(N), 1);
    for (int I = N; I < Length + N; ++I) {
        int Bit = Bits[static_cast<std::size_t>(I - N)];
        for (int T : Taps[N])
            Bit ^= Bits[static_cast<std::size_t>(I - T)];
        Bits[static_cast<std::size_t>(I)] = Bit;
    }
    std::vector<int8_t> Chips(static_cast<std::size_t>(Length));
    for (int I = 0; I < Length; ++I)
        Chips[static_cast<std::size_t>(I)] = Bits[static_cast<std::size_t>(I)] ? 1 : -1;
    return Chips;
}

int NearestPrime(int L) {
    for (int D = 0;; ++D) {
        if (L - D >= 3 && IsPrime(L - D))
            return L - D;
        if (L + D >= 3 && IsPrime(L + D))
            return L + D;
    }
}

int NearestMSequenceDegree(int L) {
    int Best = 2;
    for (int N = 3; N <= 10; ++N)
        if (std::abs(((1 << N) - 1) - L) < std::abs(((1 << Best) - 1) - L))
            Best = N;
    return Best;
}

std::vector<int8_t> CyclicCut(const std::vector<int8_t>& Chips, int L, int Rotation) {
    std::vector<int8_t> Cut(static_cast<std::size_t>(L));
    const std::size_t Period = Chips.size();
    for (int I = 0; I < L; ++I)
        Cut[static_cast<std::size_t>(I)] =
            Chips[(static_cast<std::size_t>(Rotation) + static_cast<std::size_t>(I)) % Period];
    return Cut;
}

} // namespace codegen
