// The export of a set: the six text formats and the .coe / .mem memory files. The input is
// the length and type ("032b"), the format digit and the caption on the first line, then the
// set's codes one per line, as the set's readers split them. A refusal must be CodError,
// exactly when a code the format reads is too short (or any code is no exact code, for the
// memory files); the ROM bits must be the chips at the places the formats define; and no
// line may break, whatever the caption holds.
#include "FuzzSupport.h"

#include "engine/TextLines.h"
#include "export/CodFiles.h"
#include "export/TextExport.h"

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace codegen;
using namespace codegen::fuzz;

namespace {

using TBits = std::bitset<256>;

// The bits of a hexadecimal literal, its last digit holding bits 0..3.
TBits HexBits(std::string_view Hex) {
    TBits Bits;
    for (std::size_t I = 0; I < Hex.size(); ++I) {
        const char Ch = Hex[Hex.size() - 1 - I];
        const int Digit = Ch >= '0' && Ch <= '9' ? Ch - '0' : Ch - 'A' + 10;
        FUZZ_CHECK(Digit >= 0 && Digit < 16);
        for (int K = 0; K < 4; ++K)
            if (Digit >> K & 1)
                Bits.set(4 * I + static_cast<std::size_t>(K));
    }
    return Bits;
}

// The literal after Marker on the line, up to the next ')' or ';'.
std::string_view Literal(std::string_view Line, std::string_view Marker) {
    const std::size_t At = Line.find(Marker);
    FUZZ_CHECK(At != std::string_view::npos);
    const std::string_view Rest = Line.substr(At + Marker.size());
    return Rest.substr(0, Rest.find_first_of(");"));
}

struct TRomPair {
    TBits D1, D0;
};

// The .INIT pairs of the ROM formats (D1 line, then D0 line), each of Width bits.
std::vector<TRomPair> RomPairs(const TTextLines& Out, int Width) {
    std::vector<TRomPair> Pairs;
    const std::string Init = ".INIT(" + std::to_string(Width) + "'h";
    for (std::size_t I = 0; I + 1 < Out.size(); ++I)
        if (Out[I].rfind(Init, 0) == 0) {
            FUZZ_CHECK(Out[I + 1].rfind(Init, 0) == 0);
            const auto D1 = Literal(Out[I], "'h"), D0 = Literal(Out[I + 1], "'h");
            FUZZ_CHECK(D1.size() == static_cast<std::size_t>(Width / 4) && D0.size() == D1.size());
            Pairs.push_back({HexBits(D1), HexBits(D0)});
            ++I;
        }
    return Pairs;
}

int ChipOf(const TCodSet& Set, int Slot, int P) {
    if (Slot >= static_cast<int>(Set.Cods.size()) || P >= Set.L)
        return 0;
    return ReferenceChip(Set.Cods[static_cast<std::size_t>(Slot)][static_cast<std::size_t>(P)],
                         Set.Type);
}

void CheckBit(const TRomPair& Pair, std::size_t Bit, int Chip) {
    FUZZ_CHECK(Pair.D1[Bit] == (Chip < 0));
    FUZZ_CHECK(Pair.D0[Bit] == (Chip > 0));
}

// The ROM bits against the layouts: formats 1 and 2 put chip p of slot s at bit 16 s + p;
// formats 3 and 4 at bit 32 s + 31 - p of blocks of eight slots; format 5 aligns each code to
// the right by its text's length, its last character at bit 0.
void CheckRomBits(int Item, const TCodSet& Set, const TTextLines& Out) {
    if (Item == 1 || Item == 2) {
        const int Slots = Item == 1 ? 8 : 16;
        const auto Pairs = RomPairs(Out, 16 * Slots);
        FUZZ_CHECK(Pairs.size() == 1);
        for (int S = 0; S < Slots; ++S)
            for (int P = 0; P < 16; ++P)
                CheckBit(Pairs[0], static_cast<std::size_t>(16 * S + P), ChipOf(Set, S, P));
    } else if (Item == 3 || Item == 4) {
        const auto Pairs = RomPairs(Out, 256);
        FUZZ_CHECK(Pairs.size() == static_cast<std::size_t>(Item == 3 ? 1 : 2));
        for (std::size_t Block = 0; Block < Pairs.size(); ++Block)
            for (int S = 0; S < 8; ++S)
                for (int P = 0; P < 32; ++P)
                    CheckBit(Pairs[Block], static_cast<std::size_t>(32 * S + 31 - P),
                             ChipOf(Set, 8 * static_cast<int>(Block) + S, P));
    } else if (Item == 5) {
        std::size_t Slot = 0;
        for (std::size_t I = 0; I + 1 < Out.size(); ++I) {
            if (Out[I].rfind("parameter COD_", 0) != 0)
                continue;
            FUZZ_CHECK(Slot < Set.Cods.size());
            const TRomPair Pair{HexBits(Literal(Out[I + 1], "'h")), HexBits(Literal(Out[I], "'h"))};
            const int Last = static_cast<int>(Set.Cods[Slot].size()) - 1;
            for (int Bit = 0; Bit < 128; ++Bit)
                CheckBit(Pair, static_cast<std::size_t>(Bit),
                         Last - Bit >= 0 ? ChipOf(Set, static_cast<int>(Slot), Last - Bit) : 0);
            ++Slot;
            ++I;
        }
        FUZZ_CHECK(Slot == Set.Cods.size());
    }
}

// The rows a format reads: a refusal is due exactly when one of them is too short.
bool ShouldRefuse(int Item, const TCodSet& Set) {
    int Read = 0;
    const int Count = static_cast<int>(Set.Cods.size());
    if (Item == 1 || Item == 3)
        Read = std::min(8, Count);
    else if (Item == 2 || Item == 4)
        Read = std::min(16, Count);
    else if (Item == 5)
        Read = Count;
    const bool Admitted = Set.L >= MinCodLength && Set.L <= MaxCodLength;
    for (int Row = 0; Row < Read; ++Row)
        if (!Admitted ||
            Set.Cods[static_cast<std::size_t>(Row)].size() < static_cast<std::size_t>(Set.L) ||
            FirstNonAscii(Set.Cods[static_cast<std::size_t>(Row)]))
            return true;
    return false;
}

void CheckText(int Item, const TCodSet& Set, const THeaderParams& Header) {
    TTextLines Out;
    try {
        ConvertToText(Item, Set, Header, Out);
    } catch (const CodError&) {
        FUZZ_CHECK(ShouldRefuse(Item, Set));
        return;
    }
    FUZZ_CHECK(!ShouldRefuse(Item, Set));
    FUZZ_CHECK(!Out.empty() && Out[0].rfind("//", 0) == 0);
    for (const auto& Line : Out)
        FUZZ_CHECK(Line.find_first_of("\r\n") == std::string::npos);
    CheckRomBits(Item, Set, Out);
}

// The memory word's chips, read back by the encoding the file's comment states.
std::string WordToCod(std::string_view Word, TCodType Type) {
    if (Type == TCodType::Binary)
        return std::string(Word);
    std::string Cod;
    for (std::size_t I = 0; I + 1 < Word.size(); I += 2) {
        const std::string_view Pair = Word.substr(I, 2);
        FUZZ_CHECK(Pair == "01" || Pair == "10" || Pair == "00");
        Cod += Pair == "01" ? '1' : Pair == "10" ? '2' : '0';
    }
    FUZZ_CHECK(Word.size() % 2 == 0);
    return Cod;
}

void CheckMemory(TMemoryFormat Format, const TCodSet& Set) {
    bool Exact = !Set.Cods.empty();
    for (const auto& Cod : Set.Cods)
        Exact = Exact && ReferenceIsCod(Cod, Set.L, Set.Type);
    TTextLines Out{"kept"};
    try {
        ConvertToMemoryFile(Format, Set, Out);
    } catch (const CodError&) {
        FUZZ_CHECK(!Exact);
        FUZZ_CHECK(Out.size() == 1);
        return;
    }
    FUZZ_CHECK(Exact);
    const std::size_t Head = Format == TMemoryFormat::Coe ? 4 : 2;
    FUZZ_CHECK(Out.size() == Head + Set.Cods.size());
    for (std::size_t Row = 0; Row < Set.Cods.size(); ++Row) {
        std::string Word = Out[Head + Row];
        if (Format == TMemoryFormat::Coe) {
            FUZZ_CHECK(!Word.empty() && Word.back() == (Row + 1 < Set.Cods.size() ? ',' : ';'));
            Word.pop_back();
        }
        FUZZ_CHECK(WordToCod(Word, Set.Type) == Set.Cods[Row]);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const TLengthType Asked = TakeLengthType(AsText(Data, Size));
    std::vector<std::string> Lines = SplitLines(Asked.Rest);
    if (Lines.empty())
        return 0;
    TCodSet Set;
    Set.L = Asked.L;
    Set.Type = Asked.Type;
    Set.Cods.assign(Lines.begin() + 1, Lines.end());
    // The first line: the format digit, then the caption (a file name may hold anything but
    // a break; here it holds other control characters too).
    const std::string& First = Lines[0];
    const int Item = First.empty() ? 0 : static_cast<unsigned char>(First[0] - '0') % 10;
    THeaderParams Header;
    Header.Caption = First.size() > 1 ? First.substr(1) : "";
    Header.DateTime = "07.12.2026 10:00:00";
    Header.Z = Item;
    Header.Rule = Item % 2 ? TZeroRule::Equal : TZeroRule::AtMost;
    CheckText(Item, Set, Header);
    CheckMemory(TMemoryFormat::Coe, Set);
    CheckMemory(TMemoryFormat::Mem, Set);
    return 0;
}
