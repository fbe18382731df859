// The export of a set of codes as text for a hardware design: the comment header, the plain
// code texts and the five ROM / parameter formats. Plain C++ returning lines (UTF-8); the
// window and the command-line tool only show or print them.
#pragma once

#include "engine/Cod.h"

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace codegen {

using TTextLines = std::vector<std::string>;

// Items of the format choice: 0 plain text, 1 ROM128X1, 2 ROM256X1, 3 ROM256X1 of 32-chip
// codes, 4 four ROM256X1 of 32-chip codes, 5 two 128-bit parameters per code.
inline constexpr int ExportFormatCount = 6;

// The codes to export (set rows 1.. in order) and the length and type they are read under.
struct TCodSet {
    std::vector<std::string> Cods;
    int L = 10;
    TCodType Type = TCodType::Binary;
};

// What the header quotes besides the set.
struct THeaderParams {
    std::string DateTime;
    // The main window's caption: the document's path, or the window's own caption.
    std::string Caption;
    int SideLobeLimit = 2;
    int CrossLimit = 2;
    int Z = 2;
    TZeroRule Rule = TZeroRule::AtMost;
};

// The code-type item's text as the header quotes it (the items of the main window's group).
std::string_view CodTypeText(TCodType Type);
// "dd.mm.yyyy hh:mm:ss", the time left out at exactly midnight.
std::string DateTimeText(const std::tm& Local);

// All of the operations below append their lines to Out. The hardware formats read each
// code text under Set.L and Set.Type (characters after the L-th ignored, characters other
// than the type's digits giving chip 0); a text shorter than L throws CodError naming its
// set row, after the lines completed before it have been appended.

void LoadTextHeader(const TCodSet& Set, const THeaderParams& Header, TTextLines& Out);
void ConvertToSimpleText(const TCodSet& Set, TTextLines& Out);
void ConvertToROM128X1(const TCodSet& Set, TTextLines& Out);
void ConvertToROM256X1(const TCodSet& Set, TTextLines& Out);
void ConvertToROM256X1_32(const TCodSet& Set, TTextLines& Out);
void ConvertToROM256X1_32_16(const TCodSet& Set, TTextLines& Out);
// One 256-bit block of 32-chip codes for the slots Start..Ends (at most eight): Comment,
// the D1 line and the D0 line. Slots without a code are zero signal.
void ConvertCodToROM256X1(const TCodSet& Set, int Start, int Ends, std::string_view Comment,
                          TTextLines& Out);
void ConvertTo2ParamAt128bits(const TCodSet& Set, TTextLines& Out);

// The chips First..Last of each L-chip code that the format of Item writes, when it writes
// fewer than L: the 16-chip ROM formats (items 1, 2) keep chips 0..15, the 32-chip ones
// (3, 4) chips 0..31, the 128-bit parameters (5) the last 128. None when every chip is
// written.
struct TChipsKept {
    int First = 0;
    int Last = 0;
};
std::optional<TChipsKept> ChipsKept(int Item, int L);
// The same as the header's comment says it (without "//"), the empty text when every chip
// is written: "Внимание: записаны только элементы 0..15 каждого кода, длина кода 24 бит".
std::string ChipsCutText(int Item, int L);

// How many of the set's first Count codes the format of Item writes: the 16-code ROMs (items
// 2, 4) the first 16, the 8-code ones (1, 3) the first 8, the others all.
int CodsWritten(int Item, int Count);

// The header (with the chips the format leaves out, if any), then the format of Item (an item
// outside 0..ExportFormatCount-1 adds nothing).
void ConvertToText(int Item, const TCodSet& Set, const THeaderParams& Header, TTextLines& Out);

} // namespace codegen
