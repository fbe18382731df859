// The plain reference algorithms: the correlation measures and the enumeration exactly as
// the system defines them, term by term on TCod buffers. The fast kernels and searches are
// checked against these, and the benchmarks use them as the baseline.
#pragma once

#include "engine/Cod.h"

#include <cstdlib>

namespace codegen::oracle {

// The loops read elements -L..2L-1, inside the buffer for every admitted length, so they
// index the raw buffer: the baseline pays for the arithmetic, not for bounds checks.

// Largest |R(j)| over the shifts j = -L..L other than 0, with (2L+1)*L multiply-adds.
inline int NaiveSidePulseCorrelation(const TCod& Buffer, int L) {
    const int32_t* Cd = Buffer.Origin();
    int Result = 0;
    for (int J = -L; J <= L; ++J) {
        int Mt = 0;
        for (int I = 0; I <= L - 1; ++I)
            Mt += Cd[I + J] * Cd[I];
        if (std::abs(Mt) > Result && J != 0)
            Result = std::abs(Mt);
    }
    return Result;
}

// Largest |X(j)| over the shifts j = -L..L, zero shift included.
inline int NaiveMaxCorrelation(const TCod& BufferA, const TCod& BufferB, int L) {
    const int32_t* CdA = BufferA.Origin();
    const int32_t* CdB = BufferB.Origin();
    int Result = 0;
    for (int J = -L; J <= L; ++J) {
        int Mt = 0;
        for (int I = 0; I <= L - 1; ++I)
            Mt += CdA[I + J] * CdB[I];
        if (std::abs(Mt) > Result)
            Result = std::abs(Mt);
    }
    return Result;
}

// X(J) = sum over i of A[i+J] * B[i].
inline int NaiveCorrelationTerm(const TCod& CdA, const TCod& CdB, int L, int J) {
    int Mt = 0;
    for (int I = 0; I <= L - 1; ++I)
        Mt += CdA[I + J] * CdB[I];
    return Mt;
}

} // namespace codegen::oracle
