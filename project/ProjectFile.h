// What the command-line tool reads from and writes into project files: the code lists of
// the main window's grids, without any window.
#pragma once

#include "engine/Cod.h"
#include "project/IniDocument.h"
#include "search/GoodCodSearch.h"

#include <string>
#include <string_view>
#include <vector>

namespace codegen {

// The key of a grid cell: the grid's name, then column and row with at least four digits.
std::string CellKey(std::string_view Grid, int Col, int Row);

// The code texts (column 1, rows 1..) of a grid of the main window's section.
std::vector<std::string> ReadProjectGrid(const TIniDocument& Doc, std::string_view Grid);

// The main window's section of a project holding a good-code list found with these
// parameters: the keys the window stores, in its order, with the other controls at their
// defaults, the set grid empty and the selection grid as at start.
TIniDocument SearchProject(const TSearchParams& Params, const std::vector<std::string>& Cods);

} // namespace codegen
