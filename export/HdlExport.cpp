#include "export/HdlExport.h"

#include "engine/TextLines.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace codegen {

namespace {

// The identifiers the outputs declare beside the user's name, and the names a VHDL design
// always sees: the package may not be named as one of them.
constexpr std::array<std::string_view, 14> OwnNames{
    "code_length", "code_count", "word_chips", "chip_bits", "word_bits", "words_per_code",
    "rom_depth",   "msb_first",  "rom_word_t", "rom_t",     "rom",       "ieee",
    "std",         "work"};

// The reserved words of VHDL-2008 and of Verilog-2005 with SystemVerilog's, compared without
// case (VHDL ignores it, so "Module" names the same as "module" there).
constexpr std::string_view ReservedWords =
    " abs access after alias all and architecture array assert assume assume_guarantee "
    "attribute begin block body buffer bus case component configuration constant context "
    "cover default disconnect downto else elsif end entity exit fairness file for force "
    "function generate generic group guarded if impure in inertial inout is label library "
    "linkage literal loop map mod nand new next nor not null of on open or others out package "
    "parameter port postponed procedure process property protected pure range record register "
    "reject release rem report restrict restrict_guarantee return rol ror select sequence "
    "severity shared signal sla sll sra srl strong subtype then to transport type unaffected "
    "units until use variable vmode vprop vunit wait when while with xnor xor "
    "always assign automatic buf bufif0 bufif1 casex casez cell cmos config deassign defparam "
    "design disable edge endcase endconfig endfunction endgenerate endmodule endprimitive "
    "endspecify endtable endtask event forever fork genvar highz0 highz1 ifnone incdir include "
    "initial input instance integer join large liblist localparam macromodule medium module "
    "negedge nmos noshowcancelled notif0 notif1 output pmos posedge primitive pull0 pull1 "
    "pulldown pullup pulsestyle_onevent pulsestyle_ondetect rcmos real realtime reg repeat "
    "rnmos rpmos rtran rtranif0 rtranif1 scalared showcancelled signed small specify specparam "
    "strong0 strong1 supply0 supply1 table task time tran tranif0 tranif1 tri tri0 tri1 triand "
    "trior trireg unsigned uwire vectored wand weak0 weak1 wire wor "
    "accept_on always_comb always_ff always_latch before bind bins binsof bit break byte "
    "chandle checker class clocking const constraint continue covergroup coverpoint cross "
    "dist do endchecker endclass endclocking endgroup endinterface endpackage endprogram "
    "endproperty endsequence enum eventually expect export extends extern final first_match "
    "foreach forkjoin global iff ignore_bins illegal_bins implements implies import inside int "
    "interconnect interface intersect join_any join_none let local logic longint matches "
    "modport nettype nexttime packed priority program rand randc randcase randsequence ref "
    "reject_on s_always s_eventually s_nexttime s_until s_until_with shortint shortreal soft "
    "solve static string struct super sync_accept_on sync_reject_on tagged this throughout "
    "timeprecision timeunit typedef union unique unique0 until_with untyped var virtual void "
    "wait_order weak wildcard within ";

// The names std.standard, ieee.std_logic_1164 and ieee.numeric_std declare (VHDL-2008), and
// the packages themselves: a package of one of these names hides it from its own declarations
// ("constant CODE_LENGTH : positive" in a package named positive) or from a design that uses
// both. The character names C128..C159 are matched apart.
constexpr std::string_view StandardNames =
    " standard textio env std_logic_1164 numeric_std "
    "boolean false true bit character severity_level note warning error failure integer real "
    "time fs ps ns us ms sec min hr delay_length now natural positive string boolean_vector "
    "bit_vector integer_vector real_vector time_vector file_open_kind read_mode write_mode "
    "append_mode file_open_status open_ok status_error name_error mode_error foreign minimum "
    "maximum to_string to_bstring to_binary_string to_ostring to_octal_string to_hstring "
    "to_hex_string rising_edge falling_edge deallocate file_open file_close read write flush "
    "endfile nul soh stx etx eot enq ack bel bs ht lf vt ff cr so si dle dc1 dc2 dc3 dc4 nak syn "
    "etb can em sub esc fsp gsp rsp usp del "
    "std_ulogic std_ulogic_vector resolved std_logic std_logic_vector x01 x01z ux01 ux01z to_bit "
    "to_bitvector to_bit_vector to_bv to_stdulogic to_stdlogicvector to_stdulogicvector "
    "to_std_logic_vector to_slv to_std_ulogic_vector to_sulv to_01 to_x01 to_x01z to_ux01 is_x "
    "bread bwrite binary_read binary_write oread owrite octal_read octal_write hread hwrite "
    "hex_read hex_write "
    "unresolved_unsigned unresolved_signed u_unsigned u_signed unsigned signed find_leftmost "
    "find_rightmost to_integer to_unsigned to_signed resize shift_left shift_right rotate_left "
    "rotate_right std_match copyrightnotice ";

bool IsStandardName(const std::string& Key) {
    if (StandardNames.find(" " + Key + " ") != std::string_view::npos)
        return true;
    // C128 .. C159, the upper control characters of type character.
    if (Key.size() != 4 || Key[0] != 'c' ||
        !std::all_of(Key.begin() + 1, Key.end(), [](char Ch) { return Ch >= '0' && Ch <= '9'; }))
        return false;
    const int Number = std::stoi(Key.substr(1));
    return Number >= 128 && Number <= 159;
}

std::string Lower(std::string_view Text) {
    std::string Result(Text);
    for (char& Ch : Result)
        Ch = static_cast<char>(std::tolower(static_cast<unsigned char>(Ch)));
    return Result;
}

bool IsAsciiAlpha(char Ch) {
    return (Ch >= 'a' && Ch <= 'z') || (Ch >= 'A' && Ch <= 'Z');
}

bool IsAsciiAlnum(char Ch) {
    return IsAsciiAlpha(Ch) || (Ch >= '0' && Ch <= '9');
}

// An identifier of both languages: VHDL's basic identifier (a letter, then letters, digits
// and single underscores, not ending in one) is within Verilog's simple identifier.
void CheckHdlName(const std::string& Name) {
    const std::string Quoted = "The HDL name \"" + Name + "\" ";
    if (Name.empty())
        throw CodError("The HDL name is empty");
    if (!IsAsciiAlpha(Name.front()))
        throw CodError(Quoted + "does not start with a letter");
    for (std::size_t I = 0; I < Name.size(); ++I) {
        if (Name[I] == '_' && (I + 1 == Name.size() || Name[I + 1] == '_'))
            throw CodError(Quoted + "has a doubled or trailing underscore, which VHDL refuses");
        if (Name[I] != '_' && !IsAsciiAlnum(Name[I]))
            throw CodError(Quoted + "holds a character other than letters, digits and '_'");
    }
    const std::string Key = Lower(Name);
    if (ReservedWords.find(" " + Key + " ") != std::string_view::npos)
        throw CodError(Quoted + "is a reserved word of VHDL or Verilog");
    if (IsStandardName(Key))
        throw CodError(Quoted + "is a name of VHDL's standard packages (std.standard, "
                                "ieee.std_logic_1164, ieee.numeric_std), which the package "
                                "would hide from its own declarations");
    if (std::find(OwnNames.begin(), OwnNames.end(), Key) != OwnNames.end())
        throw CodError(Quoted + "is a name the package itself declares or uses");
}

// The file name goes into a Verilog string literal.
void CheckHexFile(const std::string& File) {
    if (File.empty())
        throw CodError("The name of the hex file is empty");
    for (char Ch : File)
        if (Ch == '"' || Ch == '\\' || static_cast<unsigned char>(Ch) < 0x20 || Ch == 0x7f ||
            static_cast<unsigned char>(Ch) >= 0x80)
            throw CodError("The name of the hex file \"" + File +
                           "\" holds a quote, a backslash, a control character or a character "
                           "outside ASCII");
}

void CheckWord(int Word) {
    if (Word < MinHdlWord || Word > MaxHdlWord)
        throw CodError("A ROM word holds " + std::to_string(MinHdlWord) + " to " +
                       std::to_string(MaxHdlWord) + " chips, not " + std::to_string(Word));
}

// Nothing is written unless every code is exactly L digits of the type.
void CheckSet(const TCodSet& Set) {
    CheckCodLength(Set.L);
    if (Set.Cods.empty())
        throw CodError("The set holds no code to write");
    for (std::size_t Row = 0; Row < Set.Cods.size(); ++Row)
        if (const auto Fault = CodTextFault(Set.Cods[Row], Set.L, Set.Type))
            throw CodError("Set row " + std::to_string(Row + 1) + ": " +
                           CodTextFaultText(*Fault, Set.L, Set.Type));
}

int ChipBits(TCodType Type) {
    return Type == TCodType::Ternary ? 2 : 1;
}

// What every ROM output states and declares.
struct TRomShape {
    int L = 0;
    int Count = 0;
    int Word = 0;
    int ChipBits = 1;
    int WordBits = 0;
    int WordsPerCode = 0;
    int Depth = 0;
    int AddressBits = 1;
};

TRomShape RomShape(const TCodSet& Set, const THdlParams& P) {
    CheckWord(P.Word);
    CheckHdlName(P.Name);
    CheckSet(Set);
    TRomShape S;
    S.L = Set.L;
    S.Count = static_cast<int>(Set.Cods.size());
    S.Word = P.Word;
    S.ChipBits = ChipBits(Set.Type);
    S.WordBits = S.ChipBits * P.Word;
    S.WordsPerCode = (Set.L + P.Word - 1) / P.Word;
    S.Depth = S.Count * S.WordsPerCode;
    while ((std::int64_t{1} << S.AddressBits) < S.Depth)
        ++S.AddressBits;
    return S;
}

void SetField(THdlWord& Word, int Shift, unsigned Value) {
    for (int B = 0; B < 2; ++B)
        if ((Value >> B) & 1u) {
            const int Bit = Shift + B;
            (Bit >= 64 ? Word.High : Word.Low) |= std::uint64_t{1} << (Bit % 64);
        }
}

bool BitOf(const THdlWord& Word, int Bit) {
    return (((Bit >= 64 ? Word.High : Word.Low) >> (Bit % 64)) & 1u) != 0;
}

std::string HexText(const THdlWord& Word, int Bits) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string Text;
    for (int Digit = (Bits + 3) / 4 - 1; Digit >= 0; --Digit) {
        int Value = 0;
        for (int K = 0; K < 4; ++K)
            if (4 * Digit + K < Bits && BitOf(Word, 4 * Digit + K))
                Value |= 1 << K;
        Text += Digits[Value];
    }
    return Text;
}

std::string BinaryText(const THdlWord& Word, int Bits) {
    std::string Text;
    for (int Bit = Bits - 1; Bit >= 0; --Bit)
        Text += BitOf(Word, Bit) ? '1' : '0';
    return Text;
}

// The header every ROM output opens with, each line after Prefix.
void AddRomHeader(const TRomShape& S, TCodType Type, const THdlParams& P, const std::string& Prefix,
                  TTextLines& Out) {
    const bool Msb = P.Order == TChipOrder::MsbFirst;
    const std::string Plural = S.Count == 1 ? " code" : " codes";
    Out.push_back(Prefix + P.Name + ": " + std::to_string(S.Count) + Plural + " of " +
                  std::to_string(S.L) + " chips (" +
                  (Type == TCodType::Ternary ? "ternary" : "binary") + ") as a ROM of " +
                  std::to_string(S.Depth) + " words of " + std::to_string(S.Word) + " chips (" +
                  std::to_string(S.WordBits) + " bits), made by codegen");
    Out.push_back(Prefix + "Chip order: " +
                  (Msb ? "MSB first: the first chip of a word is at its most significant bit"
                       : "LSB first: the first chip of a word is at its least significant bit") +
                  "; the chips of a code go in code order through its words");
    Out.push_back(Prefix + "Encoding: " +
                  (Type == TCodType::Ternary
                       ? "two bits {D1,D0} per chip, D1 the higher bit in either order: 01 = +1, "
                         "10 = -1, 00 = zero"
                       : "one bit per chip: 1 = +1, 0 = -1"));
    const int Unused = S.WordsPerCode * S.Word - S.L;
    // Codes are numbered from 1, as the comments of the package and the vectors name them;
    // chips and words within a code from 0, as the vectors' c[k] are.
    const std::string W = std::to_string(S.WordsPerCode);
    std::string Split = S.WordsPerCode == 1
                            ? "Each code takes one word: code n (from 1) at address n-1"
                            : "A code longer than a word is split: code n (from 1) takes the " + W +
                                  " words at addresses " + W + "*(n-1) .. " + W + "*(n-1)+" +
                                  std::to_string(S.WordsPerCode - 1) + ", its word j (from 0) " +
                                  "holding chips " + std::to_string(S.Word) + "*j onwards (from 0)";
    Out.push_back(Prefix + Split);
    if (Unused == 0) {
        Out.push_back(Prefix + "Every chip place of a word holds a chip of the code");
        return;
    }
    Out.push_back(Prefix + "The last " + std::to_string(Unused) + " chip places of a code's " +
                  (S.WordsPerCode == 1 ? "word" : "last word") + " (its " + (Msb ? "low" : "high") +
                  " end) are no chips: zero bits" +
                  (Type == TCodType::Binary ? ", which a binary reader must not take for -1: "
                                              "read CODE_LENGTH chips"
                                            : ""));
}

void AddPlural(std::string& Text, std::int64_t Count, const std::string& Noun) {
    Text += std::to_string(Count) + " " + Noun + (Count == 1 ? "" : "s");
}

} // namespace

std::vector<THdlWord> HdlWords(std::string_view Cod, int L, TCodType Type, const THdlParams& P) {
    CheckWord(P.Word);
    CheckCodLength(L);
    if (const auto Fault = CodTextFault(Cod, L, Type))
        throw CodError(CodTextFaultText(*Fault, L, Type));
    const int Bits = ChipBits(Type);
    const int WordBits = Bits * P.Word;
    std::vector<THdlWord> Words(static_cast<std::size_t>((L + P.Word - 1) / P.Word));
    // Each chip's field as the memory files encode it (binary its digit, ternary {D1,D0}).
    const std::string Fields = MemoryWord(Cod.substr(0, static_cast<std::size_t>(L)), Type);
    for (int Chip = 0; Chip < L; ++Chip) {
        const int K = Chip % P.Word;
        unsigned Value = 0;
        for (int B = 0; B < Bits; ++B)
            Value =
                Value << 1 | (Fields[static_cast<std::size_t>(Chip * Bits + B)] == '1' ? 1u : 0u);
        const int Shift = P.Order == TChipOrder::MsbFirst ? WordBits - Bits * (K + 1) : Bits * K;
        SetField(Words[static_cast<std::size_t>(Chip / P.Word)], Shift, Value);
    }
    return Words;
}

void ConvertToVhdlPackage(const TCodSet& Set, const THdlParams& P, TTextLines& Out) {
    const TRomShape S = RomShape(Set, P);
    TTextLines Lines;
    AddRomHeader(S, Set.Type, P, "-- ", Lines);
    Lines.insert(Lines.end(), {"", "library ieee;", "use ieee.std_logic_1164.all;", "",
                               "package " + P.Name + " is"});
    const auto Constant = [&Lines](const std::string& Name, const std::string& Type,
                                   const std::string& Value) {
        Lines.push_back("    constant " + Name + " : " + Type + " := " + Value + ";");
    };
    Constant("CODE_LENGTH", "positive", std::to_string(S.L));
    Constant("CODE_COUNT", "positive", std::to_string(S.Count));
    Constant("WORD_CHIPS", "positive", std::to_string(S.Word));
    Constant("CHIP_BITS", "positive", std::to_string(S.ChipBits));
    Constant("WORD_BITS", "positive", std::to_string(S.WordBits));
    Constant("WORDS_PER_CODE", "positive", std::to_string(S.WordsPerCode));
    Constant("ROM_DEPTH", "positive", std::to_string(S.Depth));
    Constant("MSB_FIRST", "boolean", P.Order == TChipOrder::MsbFirst ? "true" : "false");
    Lines.push_back("    subtype rom_word_t is std_logic_vector(WORD_BITS - 1 downto 0);");
    Lines.push_back("    type rom_t is array (0 to ROM_DEPTH - 1) of rom_word_t;");
    // Named association: a positional aggregate of one word would be no aggregate.
    Lines.push_back("    constant ROM : rom_t := (");
    int Address = 0;
    for (std::size_t Row = 0; Row < Set.Cods.size(); ++Row) {
        Lines.push_back("        -- code " + std::to_string(Row + 1));
        for (const THdlWord& Word : HdlWords(Set.Cods[Row], Set.L, Set.Type, P)) {
            Lines.push_back("        " + std::to_string(Address) + " => \"" +
                            BinaryText(Word, S.WordBits) + "\"" +
                            (Address + 1 < S.Depth ? "," : ""));
            ++Address;
        }
    }
    Lines.push_back("    );");
    Lines.push_back("end package " + P.Name + ";");
    Out.insert(Out.end(), Lines.begin(), Lines.end());
}

void ConvertToVerilogModule(const TCodSet& Set, const THdlParams& P, TTextLines& Out) {
    const TRomShape S = RomShape(Set, P);
    CheckHexFile(P.HexFile);
    TTextLines Lines;
    AddRomHeader(S, Set.Type, P, "// ", Lines);
    Lines.push_back("// The words come from HEX_FILE (\"" + P.HexFile +
                    "\" unless overridden) by $readmemh, read from the simulator's or the "
                    "synthesis tool's working folder;");
    Lines.push_back("// data shows the word at addr one clock after; an address of ROM_DEPTH "
                    "or more reads undefined.");
    Lines.push_back("module " + P.Name + " #(");
    Lines.push_back("    parameter HEX_FILE = \"" + P.HexFile + "\"");
    Lines.push_back(") (");
    Lines.push_back("    input wire clk,");
    Lines.push_back("    input wire [" + std::to_string(S.AddressBits - 1) + ":0] addr,");
    Lines.push_back("    output reg [" + std::to_string(S.WordBits - 1) + ":0] data");
    Lines.push_back(");");
    const auto Local = [&Lines](const std::string& Name, int Value) {
        Lines.push_back("    localparam " + Name + " = " + std::to_string(Value) + ";");
    };
    Local("CODE_LENGTH", S.L);
    Local("CODE_COUNT", S.Count);
    Local("WORD_CHIPS", S.Word);
    Local("CHIP_BITS", S.ChipBits);
    Local("WORD_BITS", S.WordBits);
    Local("WORDS_PER_CODE", S.WordsPerCode);
    Local("ROM_DEPTH", S.Depth);
    Local("ADDR_BITS", S.AddressBits);
    Local("MSB_FIRST", P.Order == TChipOrder::MsbFirst ? 1 : 0);
    Lines.insert(Lines.end(),
                 {"", "    reg [WORD_BITS-1:0] mem [0:ROM_DEPTH-1];", "",
                  "    initial $readmemh(HEX_FILE, mem);", "", "    always @(posedge clk)",
                  "        data <= mem[addr];", "endmodule"});
    Out.insert(Out.end(), Lines.begin(), Lines.end());
}

void ConvertToReadmemh(const TCodSet& Set, const THdlParams& P, TTextLines& Out) {
    const TRomShape S = RomShape(Set, P);
    TTextLines Lines;
    AddRomHeader(S, Set.Type, P, "// ", Lines);
    Lines.push_back("// One word per line in hex (" + std::to_string((S.WordBits + 3) / 4) +
                    " digits), from address 0");
    for (std::size_t Row = 0; Row < Set.Cods.size(); ++Row)
        for (const THdlWord& Word : HdlWords(Set.Cods[Row], Set.L, Set.Type, P))
            Lines.push_back(HexText(Word, S.WordBits));
    Out.insert(Out.end(), Lines.begin(), Lines.end());
}

std::int64_t ConvertToTestbenchVectors(const TCodSet& Set, const std::vector<std::int32_t>& Taps,
                                       TTextLines& Out) {
    CheckSet(Set);
    if (Taps.size() > static_cast<std::size_t>(8 * MaxCodLength))
        throw CodError("A filter of " + std::to_string(Taps.size()) + " taps is longer than " +
                       std::to_string(8 * MaxCodLength));
    const int L = Set.L;
    const int N = static_cast<int>(Taps.size());
    TTextLines Lines;
    std::string About = "# Test-bench vectors of ";
    AddPlural(About, static_cast<std::int64_t>(Set.Cods.size()), "code");
    About += " of " + std::to_string(L) + " chips (" +
             (Set.Type == TCodType::Ternary ? "ternary" : "binary") + "), made by codegen";
    Lines.push_back(About);
    Lines.push_back("# Chips c[k] = +1, -1 or 0, k = 0.." + std::to_string(L - 1) +
                    " in code order. Per code, the expected integer output of");
    Lines.push_back("# its matched filter: y[n] = sum over k of c[k] * c[L-1-n+k], n = 0..2L-2 "
                    "(the code convolved with its reversal; y[L-1] is the peak)");
    if (N > 0)
        Lines.push_back("# then of the integer filter h of " + std::to_string(N) +
                        " taps: y[n] = sum over k of c[k] * h[n-k], n = 0..L+N-2");
    Lines.push_back("# One decimal integer per line; a line starting with '#' is a comment, and "
                    "each block opens with \"# code n: <filter>, S samples\", n from 1.");
    Lines.push_back("# Read it with $fscanf or VHDL textio ($readmemh refuses it on purpose).");
    const std::size_t WidthLine = Lines.size();
    std::int64_t Widest = 0;
    for (std::size_t Row = 0; Row < Set.Cods.size(); ++Row) {
        TCod Chips;
        LoadDigitalCodFromString(Set.Cods[Row], Chips, L, Set.Type);
        const std::string Code = "# code " + std::to_string(Row + 1) + ": ";
        Lines.push_back(Code + "matched filter, " + std::to_string(2 * L - 1) + " samples");
        for (int Sample = 0; Sample <= 2 * L - 2; ++Sample) {
            std::int64_t Y = 0;
            for (int K = std::max(0, Sample - (L - 1)); K <= std::min(L - 1, Sample); ++K)
                Y += Chips[K] * Chips[L - 1 - Sample + K];
            Lines.push_back(std::to_string(Y));
        }
        if (N == 0)
            continue;
        std::string Filter = Code + "filter of ";
        AddPlural(Filter, N, "tap");
        Lines.push_back(Filter + ", " + std::to_string(L + N - 1) + " samples");
        for (int Sample = 0; Sample <= L + N - 2; ++Sample) {
            std::int64_t Y = 0;
            for (int K = std::max(0, Sample - (N - 1)); K <= std::min(L - 1, Sample); ++K)
                Y += std::int64_t{Chips[K]} * Taps[static_cast<std::size_t>(Sample - K)];
            Widest = std::max(Widest, Y < 0 ? -Y : Y);
            Lines.push_back(std::to_string(Y));
        }
    }
    if (Widest > MostVectorValue)
        Lines.insert(Lines.begin() + static_cast<std::ptrdiff_t>(WidthLine),
                     "# Values reach " + std::to_string(Widest) +
                         ", past 32 bits: read them into 64-bit integers (Verilog: a reg signed "
                         "[63:0] by $fscanf \"%d\"; VHDL: a 64-bit integer, as VHDL-2019 has)");
    Out.insert(Out.end(), Lines.begin(), Lines.end());
    return Widest;
}

void ConvertTapsToMemoryFile(TMemoryFormat Format, const std::vector<std::int32_t>& Taps, int Bits,
                             TTextLines& Out) {
    if (Bits < 2 || Bits > 32)
        throw CodError("A tap takes 2 to 32 bits, not " + std::to_string(Bits));
    if (Taps.empty())
        throw CodError("There is no tap to write");
    const std::int64_t Most = (std::int64_t{1} << (Bits - 1)) - 1;
    const std::uint64_t Mask = (std::uint64_t{1} << Bits) - 1;
    std::vector<THdlWord> Words;
    Words.reserve(Taps.size());
    for (std::size_t I = 0; I < Taps.size(); ++I) {
        if (Taps[I] > Most || Taps[I] < -Most - 1)
            throw CodError("Tap " + std::to_string(I) + " (" + std::to_string(Taps[I]) +
                           ") does not fit " + std::to_string(Bits) +
                           " bits of two's complement (" + std::to_string(-Most - 1) + ".." +
                           std::to_string(Most) + ")");
        Words.push_back({0, static_cast<std::uint64_t>(std::int64_t{Taps[I]}) & Mask});
    }
    std::string About;
    AddPlural(About, static_cast<std::int64_t>(Taps.size()), "filter tap");
    About += ", tap 0 first; two's complement of " + std::to_string(Bits) + " bits";
    if (Format == TMemoryFormat::Coe) {
        Out.push_back("; " + About + ", radix 16");
        Out.emplace_back("memory_initialization_radix=16;");
        Out.emplace_back("memory_initialization_vector=");
        for (std::size_t I = 0; I < Words.size(); ++I)
            Out.push_back(HexText(Words[I], Bits) + (I + 1 < Words.size() ? "," : ";"));
    } else {
        Out.push_back("// " + About + ", one binary word per line");
        for (const THdlWord& Word : Words)
            Out.push_back(BinaryText(Word, Bits));
    }
}

} // namespace codegen
