#include "export/TextExport.h"

#include "engine/RussianPlural.h"

#include <algorithm>
#include <bitset>
#include <cctype>
#include <cstdio>

namespace codegen {

namespace {

constexpr int ChipsPerSlot16 = 16;
constexpr int ChipsPerSlot32 = 32;
constexpr int ParamBits = 128;
// The codes a ROM format holds: eight in items 1 and 3, sixteen in items 2 and 4.
constexpr int EightCodRom = 8;
constexpr int SixteenCodRom = 16;

using TBits = std::bitset<256>;

// The two one-bit ROMs side by side: D1 is set where a chip is -1, D0 where it is +1.
struct TRomValues {
    TBits D1;
    TBits D0;
};

std::string Hex(const TBits& Bits, int Width) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string Text;
    Text.reserve(static_cast<std::size_t>(Width / 4));
    for (int Digit = Width / 4 - 1; Digit >= 0; --Digit) {
        int B = 0;
        for (int K = 0; K < 4; ++K)
            B |= Bits[static_cast<std::size_t>(4 * Digit + K)] << K;
        Text += Digits[B];
    }
    return Text;
}

int CodCount(const TCodSet& Set) {
    return static_cast<int>(Set.Cods.size());
}

// Chip form of the code in Slot; a slot without a code is all zeros.
TCod SlotChips(const TCodSet& Set, int Slot) {
    TCod Cd;
    if (Slot >= CodCount(Set))
        return Cd;
    CheckCodLength(Set.L);
    try {
        LoadDigitalCodFromString(Set.Cods[static_cast<std::size_t>(Slot)], Cd, Set.L, Set.Type);
    } catch (const CodError& Error) {
        std::string What = Error.what();
        if (!What.empty())
            What[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(What[0])));
        throw CodError("Set row " + std::to_string(Slot + 1) + ": " + What);
    }
    return Cd;
}

// Chips 0..ChipsPerSlot-1 of the slots Start..Ends; BitOf(slot - Start, chip) places them.
template <class TBitOf>
TRomValues RomValues(const TCodSet& Set, int Start, int Ends, int ChipsPerSlot, TBitOf BitOf) {
    TRomValues Values;
    for (int Slot = Start; Slot <= Ends; ++Slot) {
        const TCod Cd = SlotChips(Set, Slot);
        for (int P = 0; P < ChipsPerSlot; ++P) {
            const auto Bit = static_cast<std::size_t>(BitOf(Slot - Start, P));
            if (Cd[P] < 0)
                Values.D1.set(Bit);
            else if (Cd[P] > 0)
                Values.D0.set(Bit);
        }
    }
    return Values;
}

void AddEncodingComment(TTextLines& Out) {
    Out.insert(Out.end(), {"//код выдается по два бита D1,D0", "// {D1,D0}=2b00 - нулевой сигнал",
                           "// {D1,D0}=2b01 - +1 сигнал", "// {D1,D0}=2b10 - -1 сигнал",
                           "// {D1,D0}=2b11 - нулевой сигнал", "//"});
}

// Where the chips of an L-chip code sit in its stretch of ChipsPerSlot addresses: up from
// address 0, or (Reversed) down from the top.
std::string ChipAddressLine(int ChipsPerSlot, int L, bool Reversed) {
    const int Top = ChipsPerSlot - 1;
    const std::string Bits = Reversed ? " (A4-A0)" : " (A3-A0)";
    std::string Line = Reversed ? "//Элемент 0 кода по адресу " + std::to_string(Top) + Bits +
                                      ", элемент i по адресу " + std::to_string(Top) + "-i"
                                : "//Элемент 0 кода по адресу 0" + Bits + ", элемент i по адресу i";
    // A shorter code leaves the far end of its stretch (the low addresses when reversed) as
    // zero signal.
    if (L < ChipsPerSlot)
        Line += Reversed
                    ? "; адреса 0.." + std::to_string(Top - L) + " нулевые"
                    : "; адреса " + std::to_string(L) + ".." + std::to_string(Top) + " нулевые";
    return Line;
}

void AddCodComments(const TCodSet& Set, int Count, TTextLines& Out) {
    for (int Slot = 0; Slot < Count; ++Slot)
        Out.push_back("// " + Set.Cods[static_cast<std::size_t>(Slot)]);
}

void AddRomLines(const TRomValues& Values, int Width, TTextLines& Out) {
    const std::string Init = ".INIT(" + std::to_string(Width) + "'h";
    Out.push_back(Init + Hex(Values.D1, Width) + "); //Старший бит D1");
    Out.push_back(Init + Hex(Values.D0, Width) + "); //Младший бит D0");
}

// Formats 1 and 2: chip p of slot s at bit 16 s + p.
void ConvertToROMX1(const TCodSet& Set, int Slots, TTextLines& Out) {
    const int Width = Slots * ChipsPerSlot16;
    const std::string Rom = "ROM" + std::to_string(Width) + "X1";
    const int M = std::min(Slots, CodCount(Set));
    Out.push_back("//используются две " + Rom + ", записано " + std::to_string(M) + " кодов");
    Out.push_back(Slots == 8
                      ? "//Адреса битов кода A3-A0 (16 бит), адрес самого кода A6-A4 (8 кодов)"
                      : "//Адреса битов кода A3-A0 (16 бит), адрес самого кода A7-A4 (16 кодов)");
    Out.push_back(ChipAddressLine(ChipsPerSlot16, Set.L, false));
    AddEncodingComment(Out);
    Out.emplace_back();
    AddRomLines(RomValues(Set, 0, Slots - 1, ChipsPerSlot16,
                          [](int S, int P) { return ChipsPerSlot16 * S + P; }),
                Width, Out);
    Out.emplace_back();
}

const char* const Address32 =
    "//Адреса битов кода A4-A0 (32 бит), адрес самого кода A7-A5 (8 кодов)";
const char* const LowRom = "//Low ROM младшие коды";
const char* const HighRom = "//High ROM старшие коды";

} // namespace

std::string_view CodTypeText(TCodType Type) {
    return Type == TCodType::Ternary ? "+1, 0, -1   (1,0,2)" : "+1, -1       (1,0)";
}

std::string DateTimeText(const std::tm& Local) {
    char Text[64];
    const bool Midnight = Local.tm_hour == 0 && Local.tm_min == 0 && Local.tm_sec == 0;
    std::strftime(Text, sizeof Text, Midnight ? "%d.%m.%Y" : "%d.%m.%Y %H:%M:%S", &Local);
    return Text;
}

namespace {
// A header line is a comment only up to its end: a line break (or any other control
// character) in a file name or caption would start a live line of the design.
std::string CommentSafe(std::string Text) {
    for (char& Ch : Text)
        if (static_cast<unsigned char>(Ch) < 0x20 || Ch == 0x7f)
            Ch = ' ';
    return Text;
}
} // namespace

void LoadTextHeader(const TCodSet& Set, const THeaderParams& Header, TTextLines& Out) {
    Out.push_back("//Дата " + CommentSafe(Header.DateTime));
    Out.push_back("//Файл " + CommentSafe(Header.Caption));
    Out.push_back("//Длина кода " + std::to_string(Set.L) + " бит");
    Out.push_back("//Тип кода " + std::string(CodTypeText(Set.Type)));
    if (Set.Type == TCodType::Ternary)
        Out.push_back("//Количество нулей в коде " + std::to_string(Header.Z) +
                      (Header.Rule == TZeroRule::Equal ? " равно" : " не более"));
    Out.push_back("//Боковые пики автокорреляционной х-ки не более " +
                  std::to_string(Header.SideLobeLimit));
    Out.push_back("//Пики взаимной корреляционной х-ки не более " +
                  std::to_string(Header.CrossLimit));
    Out.push_back("//Количество кодов " + std::to_string(CodCount(Set)));
    Out.emplace_back();
}

void ConvertToSimpleText(const TCodSet& Set, TTextLines& Out) {
    Out.insert(Out.end(), Set.Cods.begin(), Set.Cods.end());
    Out.emplace_back();
}

void ConvertToROM128X1(const TCodSet& Set, TTextLines& Out) {
    ConvertToROMX1(Set, EightCodRom, Out);
}

void ConvertToROM256X1(const TCodSet& Set, TTextLines& Out) {
    ConvertToROMX1(Set, SixteenCodRom, Out);
}

void ConvertCodToROM256X1(const TCodSet& Set, int Start, int Ends, std::string_view Comment,
                          TTextLines& Out) {
    if (Start < 0 || Ends - Start >= 8)
        throw CodError("A ROM256X1 block holds eight code slots from 0 on, not " +
                       std::to_string(Start) + ".." + std::to_string(Ends));
    Out.emplace_back(Comment);
    // Reversed within the code's 32 words: read from the top, the chips come in order.
    AddRomLines(
        RomValues(Set, Start, Ends, ChipsPerSlot32,
                  [](int S, int P) { return ChipsPerSlot32 * S + (ChipsPerSlot32 - 1 - P); }),
        256, Out);
}

void ConvertToROM256X1_32(const TCodSet& Set, TTextLines& Out) {
    const int M = std::min(EightCodRom, CodCount(Set));
    Out.push_back("//используются две ROM256X1, записано " + std::to_string(M) + " кодов");
    Out.emplace_back(Address32);
    Out.push_back(ChipAddressLine(ChipsPerSlot32, Set.L, true));
    AddEncodingComment(Out);
    Out.emplace_back();
    ConvertCodToROM256X1(Set, 0, 7, LowRom, Out);
    Out.emplace_back();
}

void ConvertToROM256X1_32_16(const TCodSet& Set, TTextLines& Out) {
    const int M = std::min(SixteenCodRom, CodCount(Set));
    AddCodComments(Set, M, Out);
    Out.push_back("//используются 4 ROM256X1, записано " + std::to_string(M) + " кодов");
    Out.emplace_back(Address32);
    Out.push_back(ChipAddressLine(ChipsPerSlot32, Set.L, true));
    AddEncodingComment(Out);
    Out.emplace_back();
    ConvertCodToROM256X1(Set, 0, 7, LowRom, Out);
    Out.emplace_back();
    ConvertCodToROM256X1(Set, 8, 15, HighRom, Out);
    Out.emplace_back();
}

void ConvertTo2ParamAt128bits(const TCodSet& Set, TTextLines& Out) {
    const int N = CodCount(Set);
    AddCodComments(Set, N, Out);
    Out.emplace_back();
    Out.push_back("//Записано " + std::to_string(N) + " кодов");
    // Each parameter is aligned by its own text's length; when every text has the same, the
    // line names the bit.
    std::string Place = "//Элемент 0 кода в бите LN, элемент i в бите LN-i, LN = число символов "
                        "кода - 1";
    const auto SameLength = [&Set](const std::string& Cod) {
        return Cod.size() == Set.Cods.front().size();
    };
    if (N > 0 && !Set.Cods.front().empty() &&
        std::all_of(Set.Cods.begin(), Set.Cods.end(), SameLength))
        Place += " = " + std::to_string(Set.Cods.front().size() - 1);
    Out.push_back(Place);
    AddEncodingComment(Out);
    Out.emplace_back();
    for (int Slot = 0; Slot < N; ++Slot) {
        const TCod Cd = SlotChips(Set, Slot);
        // Aligned to the right by the text's own length: its last character is bit 0, and
        // characters past the code length take their places as zero signal.
        const int LN = static_cast<int>(Set.Cods[static_cast<std::size_t>(Slot)].size()) - 1;
        TRomValues Values;
        for (int P = std::max(0, LN - (ParamBits - 1)); P <= LN; ++P) {
            const int Chip = P < Set.L ? Cd[P] : 0;
            if (Chip < 0)
                Values.D1.set(static_cast<std::size_t>(LN - P));
            else if (Chip > 0)
                Values.D0.set(static_cast<std::size_t>(LN - P));
        }
        char Number[16];
        std::snprintf(Number, sizeof Number, "%02X", static_cast<unsigned>(Slot));
        const std::string Name = std::string("parameter COD_") + Number;
        Out.push_back(Name + "_D0 = 128'h" + Hex(Values.D0, ParamBits) + "; //Младший бит D0");
        Out.push_back(Name + "_D1 = 128'h" + Hex(Values.D1, ParamBits) + "; //Старший бит D1");
    }
    Out.emplace_back();
}

std::optional<TChipsKept> ChipsKept(int Item, int L) {
    int Kept = L;
    if (Item == 1 || Item == 2)
        Kept = ChipsPerSlot16;
    else if (Item == 3 || Item == 4)
        Kept = ChipsPerSlot32;
    else if (Item == 5 && L > ParamBits)
        return TChipsKept{L - ParamBits, L - 1};
    if (Kept >= L)
        return std::nullopt;
    return TChipsKept{0, Kept - 1};
}

std::string ChipsCutText(int Item, int L) {
    const auto Kept = ChipsKept(Item, L);
    if (!Kept)
        return {};
    return "Внимание: записаны только элементы " + std::to_string(Kept->First) + ".." +
           std::to_string(Kept->Last) + " каждого кода, длина кода " + std::to_string(L) + " " +
           RussianPlural(L, "бит", "бита", "бит");
}

int CodsWritten(int Item, int Count) {
    if (Item == 1 || Item == 3)
        return std::min(Count, EightCodRom);
    if (Item == 2 || Item == 4)
        return std::min(Count, SixteenCodRom);
    return Count;
}

void ConvertToText(int Item, const TCodSet& Set, const THeaderParams& Header, TTextLines& Out) {
    LoadTextHeader(Set, Header, Out);
    // In the header, before its closing empty line: a reader of the design sees at once
    // that the codes are cut.
    if (const std::string Cut = ChipsCutText(Item, Set.L); !Cut.empty())
        Out.insert(Out.end() - 1, "//" + Cut);
    switch (Item) {
    case 0:
        ConvertToSimpleText(Set, Out);
        break;
    case 1:
        ConvertToROM128X1(Set, Out);
        break;
    case 2:
        ConvertToROM256X1(Set, Out);
        break;
    case 3:
        ConvertToROM256X1_32(Set, Out);
        break;
    case 4:
        ConvertToROM256X1_32_16(Set, Out);
        break;
    case 5:
        ConvertTo2ParamAt128bits(Set, Out);
        break;
    default:
        // No format chosen: the header alone.
        break;
    }
}

} // namespace codegen
