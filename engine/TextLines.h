// Splitting a text file's contents into lines the way the code lists are read from files, and
// the check that a text is a code of a given length and type.
#pragma once

#include "engine/Cod.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace codegen {

// The lines of Text, each without its line break. A line ends at CR LF, LF or CR; a break
// at the very end adds no empty line, so "" gives no line and "\n" one empty line. Empty
// lines elsewhere are kept, and the bytes are taken as they are.
std::vector<std::string> SplitLines(std::string_view Text);

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

// A code list typed or pasted by hand: Cods are the code texts, and Fault, when set, the
// first line (from 1, counting blank lines) that is not a code; Cods is empty then.
struct TCodLines {
    std::vector<std::string> Cods;
    int FaultLine = 0;
    std::string FaultText;
    std::optional<TCodTextFault> Fault;
};

// The codes of Text, one per line: blanks and tabs around a code are dropped and blank
// lines skipped, as a clipboard or an editor leaves them.
TCodLines ReadCodLines(std::string_view Text, int L, TCodType Type);

} // namespace codegen
