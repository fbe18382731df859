// Algebraic code families with good periodic correlation: the starting points of the search
// of long codes (Legendre sequences of a prime length and m-sequences, the maximal-length
// shift-register sequences of length 2^n - 1), and the classic families the window and
// codegen-cli offer as lists of codes (m-sequences of every primitive polynomial, Gold and
// small-set Kasami codes, Legendre sequences, Barker codes).
#pragma once

#include "engine/Cod.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
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

// Polynomials over GF(2) as bit masks: bit i is the coefficient of x^i.
// True when the polynomial of degree 1..31 is primitive: x has the multiplicative order
// 2^n - 1 modulo it (x^(2^n - 1) = 1 and x^((2^n - 1)/q) != 1 for each prime q dividing
// 2^n - 1), which also makes it irreducible.
bool IsPrimitivePolynomial(uint32_t Poly);
// Every primitive polynomial of degree N (2..16), ascending; phi(2^N - 1)/N of them.
std::vector<uint32_t> PrimitivePolynomials(int N);
// One period (2^n - 1 chips) of the m-sequence of the primitive polynomial
// x^n + c_(n-1) x^(n-1) + ... + c_0: s(i + n) = sum of c_j s(i + j) mod 2, from the state
// s(0..n-1) = 1, 0, ..., 0; bit 1 is chip +1, bit 0 chip -1 (so the text form
// of the code is the bit sequence).
std::vector<int8_t> PolynomialMSequence(uint32_t Poly);
// Chip i of the result is chip Q*i (mod its length) of Chips.
std::vector<int8_t> Decimated(const std::vector<int8_t>& Chips, int Q);

// Largest magnitude of the periodic cross-correlation of two Gold codes of degree N:
// t(N) = 2^((N+1)/2) + 1 for odd N, 2^((N+2)/2) + 1 for N = 2 mod 4.
int GoldBound(int N);
// The same of small-set Kasami codes of even degree N: s(N) = 2^(N/2) + 1.
int KasamiBound(int N);

enum class TCodFamily { MSequence = 0, Gold = 1, Kasami = 2, Legendre = 3, Barker = 4 };
inline constexpr TCodFamily CodFamilies[] = {TCodFamily::MSequence, TCodFamily::Gold,
                                             TCodFamily::Kasami, TCodFamily::Legendre,
                                             TCodFamily::Barker};

// The name codegen-cli uses: msequence, gold, kasami, legendre, barker.
std::string_view CodFamilyName(TCodFamily Family);
std::optional<TCodFamily> CodFamilyByName(std::string_view Name);
// True for the families chosen by degree (m-sequences, Gold, Kasami), false for those chosen
// by length (Legendre, Barker).
bool FamilyTakesDegree(TCodFamily Family);
// The chips of each code: the length or degree must be one the family has (CodError names
// the family and the value otherwise). Gold codes of degree 5..12 (not a multiple of 4): u,
// v and u XOR (v shifted by k), k = 0..N-1, with v = u decimated by 2^k + 1 (k = 1 for odd
// degrees, 2 otherwise). Kasami codes of even degree 4..16: u and u XOR (w shifted by k),
// w = u decimated by 2^(n/2) + 1. m-sequences: one per primitive polynomial of degree 2..16.
// With AllShifts every cyclic shift of each code follows it (not for Barker codes, which
// are not periodic).
std::vector<std::vector<int8_t>> FamilyChips(TCodFamily Family, int Size, bool AllShifts);
// Length of the codes of the family of that degree or length.
int FamilyCodLength(TCodFamily Family, int Size);
// The degrees or lengths of the family whose codes have at most MaxLength chips, ascending.
std::vector<int> FamilySizes(TCodFamily Family, int MaxLength = MaxCodLength);
// The codes in binary text form ('1' = +1, '0' = -1), as the code grids hold them. A family
// whose codes are longer than a code may be (MaxCodLength) is refused with a CodError naming
// the family, the degree and the length.
std::vector<std::string> FamilyCodTexts(TCodFamily Family, int Size, bool AllShifts);

} // namespace codegen
