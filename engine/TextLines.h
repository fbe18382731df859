// Splitting a text file's contents into lines the way the code lists are read from files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace codegen {

// The lines of Text, each without its line break. A line ends at CR LF, LF or CR; a break
// at the very end adds no empty line, so "" gives no line and "\n" one empty line. Empty
// lines elsewhere are kept, and the bytes are taken as they are.
std::vector<std::string> SplitLines(std::string_view Text);

} // namespace codegen
