// Splitting a text file's contents into lines the way the code lists are read from files, and
// the check that a text is a code of a given length and type.
#pragma once

#include "engine/Cod.h"
#include "engine/PackedCod.h"

#include <fstream>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace codegen {

// The lines of Text, each without its line break. A line ends at CR LF, LF or CR; a break
// at the very end adds no empty line, so "" gives no line and "\n" one empty line. Empty
// lines elsewhere are kept, and the bytes are taken as they are.
std::vector<std::string> SplitLines(std::string_view Text);

// The longest line a code list may hold: several times the longest code, so that blanks,
// a heading or a comment fit, while a file without line breaks is refused early.
inline constexpr std::size_t MaxLineBytes = 4096;

// The lines of a code list read from In, split as SplitLines splits them, after the bytes
// of Start (taken from In before). A UTF-8 byte order mark at the start is dropped. Reading
// stops at the first fault, with CodError naming Name (the file, for messages) and saying
// why: a line longer than MaxLineBytes, a NUL byte, UTF-16 text, a read error. So memory
// stays bounded by the lines themselves, whatever the input. Raw, when given, receives the
// bytes read (without the mark).
std::vector<std::string> ReadTextLines(std::istream& In, std::string_view Name,
                                       std::string_view Start = {}, std::string* Raw = nullptr);
// The same reading line by line: Line receives each line (its text may be moved from), its
// number from 1 and the bytes of the input read through its end (a CR LF counts two), and
// nothing but the line in hand is kept.
void ForEachTextLine(
    std::istream& In, std::string_view Name, std::string_view Start, std::string* Raw,
    const std::function<void(std::string&, std::size_t Number, std::size_t Through)>& Line);

// Whether Head, the first bytes of an input, is UTF-16 text: a byte order mark, or a NUL
// byte in every other place.
bool LooksLikeUtf16(std::string_view Head);
// The error of an input holding a NUL byte in line Line (from 1): named UTF-16 text when its
// first bytes Head look like it, else a file that is no text.
CodError NotTextError(std::string_view Head, std::string_view Name, std::size_t Line);

// A file opened for reading; CodError "Cannot open file PATH" when it does not exist, cannot
// be opened or is a folder.
std::ifstream OpenInputFile(const std::string& Path);

// Text as a message may quote it on one line: a control byte, a byte above 127 and the
// backslash become \xNN, so that neither a line break nor a NUL nor half of a multi-byte
// character gets into the message.
std::string EscapedText(std::string_view Text);

// The rule of every reader of a code text, in the window and on the command line alike: a
// code text is ASCII. A character outside ASCII is refused wherever it stands, so that a
// text gives the same chips whether it came as bytes from a file or as characters from a
// grid cell (a multi-byte character would otherwise read as one chip in one place and as
// two in another). Within ASCII, the characters other than the type's digits read as chip 0.
// The first character outside ASCII of Text: its byte offset (the character's number less
// one, every character before it being one byte) and its bytes (a whole UTF-8 sequence
// when one starts there, else the single byte); none when Text is ASCII.
struct TNonAsciiCharacter {
    std::size_t Position = 0;
    std::string Bytes;
};
std::optional<TNonAsciiCharacter> FirstNonAscii(std::string_view Text);
// Throws CodError naming the character and its place unless Text is ASCII.
void CheckCodTextCharacters(std::string_view Text);
// The packed form of a code text as every reader takes it: a text shorter than L is refused
// with the conversion's message, then one that breaks the rule above.
TPackedCod PackCodText(std::string_view Text, int L, TCodType Type);

// Why a text is not a code of L chips of a type: its length differs from L, or the
// character at Position is not one of the type's digits.
struct TCodTextFault {
    enum class TKind { Length, Character };
    TKind Kind = TKind::Length;
    std::size_t Length = 0;
    std::size_t Position = 0;
    char Ch = 0;
};

// The fault of Text as a code of exactly L chips of Type ('0'/'1' binary, '0'/'1'/'2'
// ternary), none when it is one. Texts that other readers accept (longer ones, other
// characters read as chip 0) are refused here: pasted codes and ROM files must be exact.
std::optional<TCodTextFault> CodTextFault(std::string_view Text, int L, TCodType Type);
// The fault in English, for the command-line tool and engine errors.
std::string CodTextFaultText(const TCodTextFault& Fault, int L, TCodType Type);

// Text, a code of From, as the code of To with the same chips: a binary code becomes the
// ternary code without a zero chip, a ternary code without a zero chip the binary one. None
// when a chip has no counterpart (a zero chip of a ternary code) or a character is no digit
// of From.
std::optional<std::string> ConvertCodText(std::string_view Text, TCodType From, TCodType To);

// A code list typed or pasted by hand: Cods are the code texts, and Fault, when set, the
// first line (from 1, counting blank lines) that is not a code; Cods is empty then.
struct TCodLines {
    std::vector<std::string> Cods;
    int FaultLine = 0;
    std::string FaultText;
    std::optional<TCodTextFault> Fault;
};

// The rule of a line of every code list, pasted, imported or read by codegen-cli: blanks and
// tabs around the code are dropped, a blank line is skipped (none), and what remains must be
// a code exactly (CodTextFault), so that a heading, a comment or a code of another length
// is refused with its line rather than read as a code.
std::optional<std::string_view> CodLineText(std::string_view Line);

// The codes of Text, one per line, by that rule.
TCodLines ReadCodLines(std::string_view Text, int L, TCodType Type);

// The most codes a code list read from a file or a stream may hold: a million, and at most
// 64 Mi chips in all (134,217 codes of 500 chips), so that the list and what is built from
// it stay well within memory.
inline constexpr std::size_t MaxListCods = 1'000'000;
inline constexpr std::size_t MaxListChips = std::size_t{1} << 26;
// And at most 256 MiB of text, blank lines and blanks included, so that endless blank lines
// end too.
inline constexpr std::size_t MaxListBytes = std::size_t{256} << 20;
std::size_t MaxListCodsOfLength(int L);

// What the codes of a list must be: L chips (0: as long as the first code) of Type.
struct TCodListShape {
    int L = 0;
    TCodType Type = TCodType::Ternary;
    // Bounds below the defaults (0: MaxListCodsOfLength, MaxListBytes), for the fuzzer.
    std::size_t MaxCods = 0;
    std::size_t MaxBytes = 0;
};
struct TCodList {
    std::vector<std::string> Cods;
    int L = 0; // the length the codes have (0 for no code)
};
// The refusal of a line of a code list, with what the window needs to say it in its words:
// the line (from 1), its code text, and the fault, or none when the line is one code too
// many (Most being the most the list holds).
class CodLineError : public CodError {
public:
    CodLineError(const std::string& Message, std::size_t Line, std::string Text,
                 std::optional<TCodTextFault> Fault, int L, std::size_t Most)
        : CodError(Message), Line(Line), Text(std::move(Text)), Fault(Fault), L(L), Most(Most) {}
    std::size_t Line;
    std::string Text;
    std::optional<TCodTextFault> Fault;
    int L; // the length the codes must have
    std::size_t Most;
};

// A code list read from In as ReadTextLines reads it, line by line, by the rule of
// CodLineText: CodLineError names the first line that is not a code of the shape, the first
// code over MaxListCodsOfLength, before it is stored, or the line that ends past
// MaxListBytes. So memory stays bounded by the list
// a command can take, even on endless input.
TCodList ReadCodList(std::istream& In, std::string_view Name, TCodListShape Shape,
                     std::string_view Start = {}, std::string* Raw = nullptr);
// A line as messages quote it: escaped, and cut after 60 characters.
std::string QuotedLine(std::string_view Line);

} // namespace codegen
