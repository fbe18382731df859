// What the command-line tool reads from and writes into project files: the code lists of
// the main window's grids, without any window.
#pragma once

#include "engine/Cod.h"
#include "engine/TextLines.h"
#include "project/IniDocument.h"
#include "search/SearchParams.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace codegen {

// The key of a grid cell: the grid's name, then column and row with at least four digits.
std::string CellKey(std::string_view Grid, int Col, int Row);

// The column and row counts a grid of a section declares, each at least 1. A saved grid
// writes a line for every cell, so counts asking for far more cells than the section's text
// could hold are a fault of the file, not a size to allocate: nothing then, and Fault (when
// given) says which key of which section asks too much, as an English one-line message. So
// is a count that is no count (negative, beyond an int, no number); 0 reads as 1.
struct TGridSize {
    int Cols = 1;
    int Rows = 1;
};
std::optional<TGridSize> DeclaredGridSize(const TIniDocument& Doc, std::string_view Section,
                                          std::string_view Grid, std::string* Fault = nullptr);

// The code texts (column 1, rows 1..) of a grid of the main window's section. Throws
// CodError naming the key when the grid declares more cells than the file could hold.
std::vector<std::string> ReadProjectGrid(const TIniDocument& Doc, std::string_view Grid);

// The code texts of a grid by the rule of every code list (CodTextFault): CodError names the
// first row that is not a code of the shape ("Good-code row N: ...", "Set row N: ..."), or
// the first one past MaxListCodsOfLength.
std::vector<std::string> ReadProjectCods(const TIniDocument& Doc, std::string_view Grid,
                                         TCodListShape Shape);
// Why the window cannot take the codes of a project: the message of the first row of either
// code grid that is not a code of the project's length and type (those of Current where the
// project holds none); empty when every row is one.
std::string ProjectCodsFault(const TIniDocument& Doc, TCodListShape Current);
// A project an earlier version wrote while a list held codes of another length than the
// one it stored (a length changed and its question cancelled, say): rather than refusing it
// whole, the window reads it with its codes' own length. When every code of a list has one
// length other than the stored one, and all are codes of it, that length is taken (written
// into Doc) if the other list agrees or is empty; otherwise the list that disagrees with the
// length kept is left out (its rows dropped from Doc), and so is a selection of another
// length. What was done, for a warning; nothing (L 0, nothing dropped) for a sound project.
// It reads every code: a reader asks it only of a project its rule has refused.
struct TProjectMend {
    int StoredL = 0;
    int L = 0; // the length taken instead of the stored one, 0 when kept
    int DroppedSet = 0;
    int DroppedSelection = 0;
    bool Any() const { return L || DroppedSet || DroppedSelection; }
};
TProjectMend MendProjectCodLength(TIniDocument& Doc, TCodListShape Current);

// The first choice of the main window's section (code type, zero rule, set method) that names
// no item of its group, as an English message naming the key; empty when every one does. A
// code type out of range would read a binary project as ternary, every 0 chip a zero.
std::string ProjectChoiceFault(const TIniDocument& Doc);

// The largest project file read or written: a list of 950,000 codes of 500 chips fits, or
// 6.3 million of 24 chips (each code takes two lines: its number in about 34
// bytes, its chips and 27 bytes more).
inline constexpr std::size_t MaxProjectBytes = std::size_t{512} << 20;

// A project file read whole from In after the bytes of Start (taken from In before). Name
// names it in messages. CodError, with nothing more read, for more than MaxBytes, a line
// longer than MaxLineBytes, UTF-16 text or a NUL byte, and for a read error.
TIniDocument ReadProject(std::istream& In, std::string_view Name, std::string_view Start = {},
                         std::size_t MaxBytes = MaxProjectBytes);

// Whether a document is a project of the windows: it has the main window's section.
bool IsProject(const TIniDocument& Doc);

// What an input that may be either holds, told by its content, not its name: a project
// when its first text is a section header or a comment of an INI file, else a code list.
struct TCodsSource {
    bool Project = false;
    TIniDocument Doc;               // a project's
    std::vector<std::string> Lines; // a code list's, as ReadTextLines reads them
    int L = 0;                      // with a shape: the length of the list's codes
};
// A project that is not one of the windows (no [MainForm] section) is an error naming
// Name, as are the faults ReadProject and ReadTextLines find. Text, when given, receives a
// code list's bytes. With Shape, a code list is read by ReadCodList's rule (its Lines are
// then the codes alone); without, line by line as it is.
TCodsSource ReadCodsSource(std::istream& In, std::string_view Name, std::string* Text = nullptr,
                           std::optional<TCodListShape> Shape = std::nullopt);

// The size of the project WriteSearchProject writes for Count codes of Params.L chips, to
// the byte or a few bytes over.
std::uint64_t SearchProjectBytes(const TSearchParams& Params, std::uint64_t Count);

// The main window's section of a project holding a good-code list found with these
// parameters: the keys the window stores, in its order, with the other controls at their
// defaults, the set grid empty and the selection grid as at start.
TIniDocument SearchProject(const TSearchParams& Params, const std::vector<std::string>& Cods);

// The bytes of the same project, written piece by piece to Out, with the Count codes of the
// list taken one by one from NextCod: a list too long to hold in memory. Throws CodError,
// before writing anything, for more codes than the window's grid can hold or a project larger
// than MaxProjectBytes, which no reader would open.
void WriteSearchProject(const TSearchParams& Params, std::uint64_t Count,
                        const std::function<std::string()>& NextCod,
                        const std::function<void(std::string_view)>& Out);

} // namespace codegen
