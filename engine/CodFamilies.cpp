#include "engine/CodFamilies.h"

#include "engine/Cod.h"

#include <algorithm>
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

namespace codegen {

namespace {

int Degree(uint64_t Poly) {
    return Poly == 0 ? -1 : 63 - __builtin_clzll(Poly);
}

// A * B modulo Poly of degree N, both factors of degree below N (N <= 31).
uint64_t MulMod(uint64_t A, uint64_t B, uint64_t Poly, int N) {
    uint64_t Product = 0;
    for (; B != 0; B >>= 1, A <<= 1)
        if (B & 1)
            Product ^= A;
    for (int D = Degree(Product); D >= N; D = Degree(Product))
        Product ^= Poly << (D - N);
    return Product;
}

// x^E modulo Poly of degree N.
uint64_t PowerOfX(uint64_t E, uint64_t Poly, int N) {
    uint64_t Result = 1;
    uint64_t Base = MulMod(2, 1, Poly, N); // x, reduced when N = 1
    for (; E != 0; E >>= 1, Base = MulMod(Base, Base, Poly, N))
        if (E & 1)
            Result = MulMod(Result, Base, Poly, N);
    return Result;
}

std::vector<uint64_t> PrimeFactors(uint64_t V) {
    std::vector<uint64_t> Factors;
    for (uint64_t D = 2; D * D <= V; ++D)
        if (V % D == 0) {
            Factors.push_back(D);
            while (V % D == 0)
                V /= D;
        }
    if (V > 1)
        Factors.push_back(V);
    return Factors;
}

std::string Describe(TCodFamily Family) {
    switch (Family) {
    case TCodFamily::MSequence:
        return "m-sequences";
    case TCodFamily::Gold:
        return "Gold codes";
    case TCodFamily::Kasami:
        return "Kasami codes";
    case TCodFamily::Legendre:
        return "Legendre sequences";
    case TCodFamily::Barker:
        return "Barker codes";
    }
    return "codes";
}

// The Barker codes of the seven lengths that have one, as texts.
const char* BarkerText(int L) {
    switch (L) {
    case 2:
        return "10";
    case 3:
        return "110";
    case 4:
        return "1101";
    case 5:
        return "11101";
    case 7:
        return "1110010";
    case 11:
        return "11100010010";
    case 13:
        return "1111100110101";
    default:
        return nullptr;
    }
}

// The bits of A plus those of B shifted by Shift (B read cyclically), mod 2. With bit 1 as
// chip +1 the sum of two bits is the negated product of their chips.
std::vector<int8_t> SumWithShift(const std::vector<int8_t>& A, const std::vector<int8_t>& B,
                                 int Shift) {
    std::vector<int8_t> Sum(A.size());
    for (std::size_t I = 0; I < A.size(); ++I)
        Sum[I] = static_cast<int8_t>(-A[I] * B[(I + static_cast<std::size_t>(Shift)) % B.size()]);
    return Sum;
}

void CheckSize(TCodFamily Family, int Size) {
    bool Valid = false;
    switch (Family) {
    case TCodFamily::MSequence:
        Valid = Size >= 2 && Size <= 16;
        break;
    case TCodFamily::Gold:
        Valid = Size >= 5 && Size <= 12 && Size % 4 != 0;
        break;
    case TCodFamily::Kasami:
        Valid = Size >= 4 && Size <= 16 && Size % 2 == 0;
        break;
    case TCodFamily::Legendre:
        Valid = Size >= 3 && Size <= 1000000 && IsPrime(Size);
        break;
    case TCodFamily::Barker:
        Valid = BarkerText(Size) != nullptr;
        break;
    }
    if (Valid)
        return;
    static const char* const Allowed[] = {
        "a degree of 2..16", "a degree of 5..12 that is not a multiple of 4",
        "an even degree of 4..16", "an odd prime length", "a length of 2, 3, 4, 5, 7, 11 or 13"};
    throw CodError(Describe(Family) + " need " + Allowed[static_cast<int>(Family)] + ", not " +
                   std::to_string(Size));
}

} // namespace

bool IsPrimitivePolynomial(uint32_t Poly) {
    const int N = Degree(Poly);
    if (N < 1 || N > 31 || (Poly & 1) == 0)
        return false;
    const uint64_t Order = (uint64_t{1} << N) - 1;
    if (PowerOfX(Order, Poly, N) != 1)
        return false;
    for (uint64_t Q : PrimeFactors(Order))
        if (PowerOfX(Order / Q, Poly, N) == 1)
            return false;
    return true;
}

std::vector<uint32_t> PrimitivePolynomials(int N) {
    if (N < 2 || N > 16)
        throw CodError("Primitive polynomials are listed for degrees 2..16, not " +
                       std::to_string(N));
    std::vector<uint32_t> Found;
    // x^N and 1 are terms of every one; the terms between run through every choice.
    for (uint32_t Middle = 0; Middle < (1u << (N - 1)); ++Middle) {
        const uint32_t Poly = (1u << N) | (Middle << 1) | 1u;
        if (IsPrimitivePolynomial(Poly))
            Found.push_back(Poly);
    }
    return Found;
}

std::vector<int8_t> PolynomialMSequence(uint32_t Poly) {
    if (!IsPrimitivePolynomial(Poly) || Degree(Poly) > 24)
        throw CodError("Not a primitive polynomial of degree up to 24: " + std::to_string(Poly));
    const int N = Degree(Poly);
    const std::size_t Length = (std::size_t{1} << N) - 1;
    std::vector<uint8_t> Bits(Length + static_cast<std::size_t>(N), 0);
    Bits[0] = 1;
    for (std::size_t I = 0; I + static_cast<std::size_t>(N) < Bits.size(); ++I) {
        uint8_t Bit = 0;
        for (int J = 0; J < N; ++J)
            if ((Poly >> J) & 1u)
                Bit ^= Bits[I + static_cast<std::size_t>(J)];
        Bits[I + static_cast<std::size_t>(N)] = Bit;
    }
    std::vector<int8_t> Chips(Length);
    for (std::size_t I = 0; I < Length; ++I)
        Chips[I] = Bits[I] ? 1 : -1;
    return Chips;
}

std::vector<int8_t> Decimated(const std::vector<int8_t>& Chips, int Q) {
    std::vector<int8_t> Result(Chips.size());
    const std::size_t Length = Chips.size();
    for (std::size_t I = 0; I < Length; ++I)
        Result[I] = Chips[I * static_cast<std::size_t>(Q) % Length];
    return Result;
}

int GoldBound(int N) {
    return (1 << ((N % 2 == 1 ? N + 1 : N + 2) / 2)) + 1;
}

int KasamiBound(int N) {
    return (1 << (N / 2)) + 1;
}

std::string_view CodFamilyName(TCodFamily Family) {
    static const char* const Names[] = {"msequence", "gold", "kasami", "legendre", "barker"};
    return Names[static_cast<int>(Family)];
}

std::optional<TCodFamily> CodFamilyByName(std::string_view Name) {
    for (TCodFamily Family : CodFamilies)
        if (CodFamilyName(Family) == Name)
            return Family;
    return std::nullopt;
}

bool FamilyTakesDegree(TCodFamily Family) {
    return Family == TCodFamily::MSequence || Family == TCodFamily::Gold ||
           Family == TCodFamily::Kasami;
}

int FamilyCodLength(TCodFamily Family, int Size) {
    CheckSize(Family, Size);
    return FamilyTakesDegree(Family) ? (1 << Size) - 1 : Size;
}

std::vector<int> FamilySizes(TCodFamily Family, int MaxLength) {
    std::vector<int> Sizes;
    const int Largest = FamilyTakesDegree(Family) ? 16 : std::max(MaxLength, 2);
    for (int Size = 2; Size <= Largest; ++Size) {
        try {
            if (FamilyCodLength(Family, Size) <= MaxLength)
                Sizes.push_back(Size);
        } catch (const CodError&) {
        }
    }
    return Sizes;
}

std::vector<std::vector<int8_t>> FamilyChips(TCodFamily Family, int Size, bool AllShifts) {
    CheckSize(Family, Size);
    std::vector<std::vector<int8_t>> Codes;
    switch (Family) {
    case TCodFamily::MSequence:
        for (uint32_t Poly : PrimitivePolynomials(Size))
            Codes.push_back(PolynomialMSequence(Poly));
        break;
    case TCodFamily::Gold: {
        const auto U = PolynomialMSequence(PrimitivePolynomials(Size).front());
        const auto V = Decimated(U, (1 << (Size % 2 == 1 ? 1 : 2)) + 1);
        Codes.push_back(U);
        Codes.push_back(V);
        for (int K = 0; K < static_cast<int>(U.size()); ++K)
            Codes.push_back(SumWithShift(U, V, K));
        break;
    }
    case TCodFamily::Kasami: {
        const auto U = PolynomialMSequence(PrimitivePolynomials(Size).front());
        auto W = Decimated(U, (1 << (Size / 2)) + 1);
        W.resize((std::size_t{1} << (Size / 2)) - 1); // its period
        Codes.push_back(U);
        for (int K = 0; K < static_cast<int>(W.size()); ++K)
            Codes.push_back(SumWithShift(U, W, K));
        break;
    }
    case TCodFamily::Legendre:
        Codes.push_back(LegendreChips(Size));
        break;
    case TCodFamily::Barker: {
        const std::string Text = BarkerText(Size);
        std::vector<int8_t> Chips;
        for (char Ch : Text)
            Chips.push_back(Ch == '1' ? 1 : -1);
        return {Chips};
    }
    }
    if (!AllShifts)
        return Codes;
    std::vector<std::vector<int8_t>> Shifted;
    for (const auto& Code : Codes)
        for (int R = 0; R < static_cast<int>(Code.size()); ++R)
            Shifted.push_back(CyclicCut(Code, static_cast<int>(Code.size()), R));
    return Shifted;
}

std::vector<std::string> FamilyCodTexts(TCodFamily Family, int Size, bool AllShifts) {
    const int Length = FamilyCodLength(Family, Size);
    if (Length > MaxCodLength)
        throw CodError(Describe(Family) + " of " +
                       (FamilyTakesDegree(Family) ? "degree " : "length ") +
                       std::to_string(Size) + " are " + std::to_string(Length) +
                       " chips long: a code may have at most " + std::to_string(MaxCodLength));
    std::vector<std::string> Texts;
    for (const auto& Chips : FamilyChips(Family, Size, AllShifts)) {
        std::string Text(Chips.size(), '0');
        for (std::size_t I = 0; I < Chips.size(); ++I)
            if (Chips[I] > 0)
                Text[I] = '1';
        Texts.push_back(std::move(Text));
    }
    return Texts;
}

} // namespace codegen
