// The code decoder: code texts to chip and digit forms, the bit-packed form the searches run
// on, its correlation kernels, and the symmetry class key. The input is the length and type
// ("013b"), then up to three lines: code A, code B, and bytes that pick a limit and shifts.
// Chips are checked against the digits' definition, every kernel against the plain
// term-by-term reference of the tests, and texts too short or lengths out of range must be
// refused with CodError alone.
#include "FuzzSupport.h"

#include "engine/CodSymmetry.h"
#include "engine/PackedCod.h"
#include "engine/TextLines.h"
#include "oracle/NaiveCorrelation.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace codegen;
using namespace codegen::fuzz;

namespace {

bool Admitted(int L) {
    return L >= MinCodLength && L <= MaxCodLength;
}

// The chip form of a text, or nothing when the conversion refuses it (which it must exactly
// for an out-of-range length or a text shorter than the length).
std::optional<TCod> Decode(std::string_view Text, int L, TCodType Type) {
    // A whole text outside ASCII breaks the rule of every code text.
    const bool Refused = !Admitted(L) || Text.size() < static_cast<std::size_t>(std::max(L, 0)) ||
                         FirstNonAscii(Text).has_value();
    TCod Chips;
    try {
        LoadDigitalCodFromString(Text, Chips, L, Type);
    } catch (const CodError&) {
        FUZZ_CHECK(Refused);
        bool PackRefused = false;
        try {
            (void)PackCodText(Text, L, Type);
        } catch (const CodError&) {
            PackRefused = true;
        }
        FUZZ_CHECK(PackRefused);
        return std::nullopt;
    }
    FUZZ_CHECK(!Refused);
    for (int I = TCod::Low; I <= TCod::High; ++I) {
        const int Expected =
            I >= 0 && I < L ? ReferenceChip(Text[static_cast<std::size_t>(I)], Type) : 0;
        FUZZ_CHECK(Chips[I] == Expected);
    }
    return Chips;
}

// The packed form from each of its sources must hold the chips of the text.
TPackedCod CheckPacked(std::string_view Text, const TCod& Chips, int L, TCodType Type) {
    const TPackedCod Packed = TPackedCod::FromText(Text, L, Type);
    FUZZ_CHECK(Packed.Length() == L);
    bool AnyZero = false;
    TCod Digits;
    for (int I = 0; I < L; ++I) {
        FUZZ_CHECK(Packed.Chip(I) == Chips[I]);
        AnyZero = AnyZero || Chips[I] == 0;
        const char Ch = Text[static_cast<std::size_t>(I)];
        // Characters that are no digit give chip 0 as digit 3 does.
        Digits[I] = Ch >= '0' && Ch <= '2' ? Ch - '0' : 3;
    }
    FUZZ_CHECK(Packed.IsBinary() == !AnyZero);
    FUZZ_CHECK(TPackedCod::FromChips(Chips, L) == Packed);
    TCod Loaded;
    LoadDigitalCod(Digits, Loaded, L, Type);
    FUZZ_CHECK(Loaded == Chips);
    // The conversion may read and write one buffer.
    LoadDigitalCod(Digits, Digits, L, Type);
    FUZZ_CHECK(Digits == Chips);
    // Words past the length stay clear: the kernels' shifted reads rely on it.
    for (int W = Packed.Words(); W <= TPackedCod::MaxWords; ++W)
        FUZZ_CHECK(Packed.NonZero[static_cast<std::size_t>(W)] == 0 &&
                   Packed.Negative[static_cast<std::size_t>(W)] == 0);
    return Packed;
}

// A byte as a small signed number.
int Signed(std::string_view Bytes, std::size_t At) {
    return At < Bytes.size() ? static_cast<signed char>(Bytes[At]) : 0;
}

void CheckOneCode(std::string_view Text, const TCod& Chips, const TPackedCod& Packed, int L,
                  TCodType Type, std::string_view Knobs) {
    const int Peak = oracle::NaiveSidePulseCorrelation(Chips, L);
    FUZZ_CHECK(PeakSideLobe(Packed) == Peak);
    FUZZ_CHECK(SidePulseCorrelation(Chips, L) == Peak);
    const int Limit = Signed(Knobs, 0);
    FUZZ_CHECK(SideLobesWithin(Packed, Limit) == (Limit >= 0 && Peak <= Limit));
    FUZZ_CHECK(SideLobesWithin(Packed, Peak) && (Peak == 0 || !SideLobesWithin(Packed, Peak - 1)));
    int Zeros = 0;
    for (int I = 0; I < L; ++I)
        Zeros += Chips[I] == 0;
    FUZZ_CHECK(ZeroCount(Chips, L) == Zeros);

    const std::string Cod(Text.substr(0, static_cast<std::size_t>(L)));
    if (CodTextFault(Cod, L, Type))
        return;
    // A code of the type: its digit form shows as the text, and counts on by one.
    TCod Digits;
    bool Last = true;
    for (int I = 0; I < L; ++I) {
        Digits[I] = Cod[static_cast<std::size_t>(I)] - '0';
        Last = Last && Digits[I] == MaxDigit(Type);
    }
    FUZZ_CHECK(ViewCod(Digits, L) == Cod);
    FUZZ_CHECK(EndCod(Digits, L, Type) == Last);
    std::string Next = Cod;
    for (int I = L - 1; I >= 0; --I) {
        char& Ch = Next[static_cast<std::size_t>(I)];
        if (Ch < '0' + MaxDigit(Type)) {
            ++Ch;
            break;
        }
        Ch = '0';
    }
    IncCod(Digits, L, Type);
    FUZZ_CHECK(ViewCod(Digits, L) == Next);

    // The class key stands for codes of equal side lobes and zero count: negated, reversed
    // and alternately negated codes share it.
    const std::string Key = SymmetryClassKey(Cod, Type);
    FUZZ_CHECK(Key.size() == Cod.size() && Key <= Cod);
    FUZZ_CHECK(!CodTextFault(Key, L, Type));
    FUZZ_CHECK(SymmetryClassKey(Key, Type) == Key);
    const TPackedCod KeyPacked = TPackedCod::FromText(Key, L, Type);
    FUZZ_CHECK(PeakSideLobe(KeyPacked) == Peak);
    FUZZ_CHECK(ZeroCount(*Decode(Key, L, Type), L) == Zeros);
    const auto Negated = [Type](char Ch) {
        if (Type == TCodType::Binary)
            return Ch == '0' ? '1' : '0';
        return Ch == '1' ? '2' : Ch == '2' ? '1' : '0';
    };
    std::string Negative = Cod, Reversed(Cod.rbegin(), Cod.rend()), Alternate = Cod;
    for (std::size_t I = 0; I < Cod.size(); ++I) {
        Negative[I] = Negated(Cod[I]);
        if (I % 2)
            Alternate[I] = Negated(Cod[I]);
    }
    FUZZ_CHECK(SymmetryClassKey(Negative, Type) == Key);
    FUZZ_CHECK(SymmetryClassKey(Reversed, Type) == Key);
    FUZZ_CHECK(SymmetryClassKey(Alternate, Type) == Key);
}

void CheckPair(const TCod& A, const TPackedCod& PA, const TCod& B, const TPackedCod& PB, int L,
               std::string_view Knobs) {
    const int Peak = oracle::NaiveMaxCorrelation(A, B, L);
    FUZZ_CHECK(PeakCrossCorrelation(PA, PB) == Peak);
    FUZZ_CHECK(MaxCorrelation(A, B, L) == Peak);
    FUZZ_CHECK(PeakCrossCorrelation(PB, PA) == Peak);
    const int Limit = Signed(Knobs, 0);
    FUZZ_CHECK(CrossCorrelationWithin(PA, PB, Limit) == (Limit >= 0 && Peak <= Limit));
    for (const int Stop : {Limit, Peak, Peak + 1, 1}) {
        const int Found = PeakCrossCorrelationBelow(PA, PB, Stop);
        if (Stop <= 0)
            FUZZ_CHECK(Found == 0);
        else if (Peak < Stop)
            FUZZ_CHECK(Found == Peak);
        else
            FUZZ_CHECK(Found >= Stop);
    }
    // Shifts from the knobs, some beyond the code on either side.
    for (std::size_t At = 1; At < std::min<std::size_t>(Knobs.size(), 9); ++At) {
        const int K = Signed(Knobs, At) * 4 + static_cast<int>(At) - 4;
        const int Expected = K > -L && K < L ? oracle::NaiveCorrelationTerm(A, B, L, K) : 0;
        FUZZ_CHECK(CorrelationTerm(PA, PB, K) == Expected);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const TLengthType Asked = TakeLengthType(AsText(Data, Size));
    const std::vector<std::string> Lines = SplitLines(Asked.Rest);
    const std::string TextA = Lines.size() > 0 ? Lines[0] : "";
    const std::string TextB = Lines.size() > 1 ? Lines[1] : TextA;
    const std::string Knobs = Lines.size() > 2 ? Lines[2] : "";
    const int L = Asked.L;
    const auto A = Decode(TextA, L, Asked.Type);
    const auto B = Decode(TextB, L, Asked.Type);
    if (A) {
        const TPackedCod PA = CheckPacked(TextA, *A, L, Asked.Type);
        CheckOneCode(TextA, *A, PA, L, Asked.Type, Knobs);
        if (B)
            CheckPair(*A, PA, *B, CheckPacked(TextB, *B, L, Asked.Type), L, Knobs);
    }
    return 0;
}
