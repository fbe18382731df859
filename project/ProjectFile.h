// What the command-line tool reads from and writes into project files: the code lists of
// the main window's grids, without any window.
#pragma once

#include "engine/Cod.h"
#include "project/IniDocument.h"
#include "search/GoodCodSearch.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace codegen {

// The key of a grid cell: the grid's name, then column and row with at least four digits.
std::string CellKey(std::string_view Grid, int Col, int Row);

// The column and row counts a grid of a section declares, each at least 1. A saved grid
// writes a line for every cell, so counts asking for far more cells than the section's text
// could hold are a fault of the file, not a size to allocate: nothing then.
struct TGridSize {
    int Cols = 1;
    int Rows = 1;
};
std::optional<TGridSize> DeclaredGridSize(const TIniDocument& Doc, std::string_view Section,
                                          std::string_view Grid);

// The code texts (column 1, rows 1..) of a grid of the main window's section. Throws
// CodError when the grid declares more rows than the file could hold.
std::vector<std::string> ReadProjectGrid(const TIniDocument& Doc, std::string_view Grid);

// The main window's section of a project holding a good-code list found with these
// parameters: the keys the window stores, in its order, with the other controls at their
// defaults, the set grid empty and the selection grid as at start.
TIniDocument SearchProject(const TSearchParams& Params, const std::vector<std::string>& Cods);

// The bytes of the same project, written piece by piece to Out, with the Count codes of the
// list taken one by one from NextCod: a list too long to hold in memory. Throws CodError
// for more codes than the window's grid can hold.
void WriteSearchProject(const TSearchParams& Params, std::uint64_t Count,
                        const std::function<std::string()>& NextCod,
                        const std::function<void(std::string_view)>& Out);

} // namespace codegen
