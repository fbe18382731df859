#include "engine/Cod.h"

#include "engine/PackedCod.h"
#include "engine/TextLines.h"

#include <string>

namespace codegen {

std::size_t TCod::Slot(int Index) {
    if (Index < Low || Index > High)
        throw CodError("Range check error: code element " + std::to_string(Index) +
                       " lies outside " + std::to_string(Low) + ".." + std::to_string(High));
    return static_cast<std::size_t>(Index - Low);
}

void CheckCodLength(int L) {
    if (L < MinCodLength || L > MaxCodLength)
        throw CodError("The code length " + std::to_string(L) + " lies outside " +
                       std::to_string(MinCodLength) + ".." + std::to_string(MaxCodLength));
}

int DigitToChip(int Digit, TCodType Type) {
    switch (Digit) {
    case 0:
        return Type == TCodType::Binary ? -1 : 0;
    case 1:
        return 1;
    case 2:
        return Type == TCodType::Binary ? 0 : -1;
    default:
        return 0;
    }
}

int CharToChip(char Ch, TCodType Type) {
    return Ch >= '0' && Ch <= '2' ? DigitToChip(Ch - '0', Type) : 0;
}

void ClearCod(TCod& Cd) {
    Cd.Fill(0);
}

void LoadDigitalCod(const TCod& FromCod, TCod& ToCod, int L, TCodType Type) {
    CheckCodLength(L);
    // FromCod and ToCod may be the same buffer: read before clearing.
    TCod Chips;
    for (int I = 0; I < L; ++I)
        Chips[I] = DigitToChip(FromCod[I], Type);
    ToCod = Chips;
}

void LoadDigitalCodFromString(std::string_view SCd, TCod& ToCod, int L, TCodType Type) {
    CheckCodLength(L);
    ClearCod(ToCod);
    const int Available = static_cast<int>(SCd.size());
    // A short text is named as short, whatever it holds; a whole one must keep the rule of
    // every code text before any chip is written.
    if (Available >= L)
        CheckCodTextCharacters(SCd);
    for (int I = 0; I < L; ++I) {
        if (I >= Available) {
            if (Available == 0)
                throw CodError("The code text is empty; the code length is " + std::to_string(L) +
                               " chips");
            throw CodError("The code text \"" + EscapedText(SCd) + "\" has fewer characters (" +
                           std::to_string(Available) + ") than the code length " +
                           std::to_string(L));
        }
        ToCod[I] = CharToChip(SCd[static_cast<std::size_t>(I)], Type);
    }
}

int ZeroCount(const TCod& Cd, int L) {
    CheckCodLength(L);
    int Count = 0;
    for (int I = 0; I < L; ++I)
        Count += Cd[I] == 0;
    return Count;
}

bool EndCod(const TCod& Cd, int L, TCodType Type) {
    CheckCodLength(L);
    const int Top = MaxDigit(Type);
    for (int I = 0; I < L; ++I)
        if (Cd[I] < Top)
            return false;
    return true;
}

void IncCod(TCod& Cd, int L, TCodType Type) {
    CheckCodLength(L);
    const int Top = MaxDigit(Type);
    for (int I = L - 1; I >= 0; --I) {
        if (++Cd[I] <= Top)
            return;
        Cd[I] = 0;
    }
    // A carry out of the first digit is dropped: the counter wraps round.
}

std::string ViewCod(const TCod& Cd, int L) {
    CheckCodLength(L);
    std::string Text;
    Text.reserve(static_cast<std::size_t>(L));
    for (int I = 0; I < L; ++I)
        Text += std::to_string(Cd[I]);
    return Text;
}

int SidePulseCorrelation(const TCod& Cd, int L) {
    CheckCodLength(L);
    return PeakSideLobe(TPackedCod::FromChips(Cd, L));
}

int MaxCorrelation(const TCod& CdA, const TCod& CdB, int L) {
    CheckCodLength(L);
    return PeakCrossCorrelation(TPackedCod::FromChips(CdA, L), TPackedCod::FromChips(CdB, L));
}

} // namespace codegen
