// How the symmetries of engine/CodSymmetry act on the pieces of the counting order (the
// codes that share a prefix): which pieces can hold the first code of a class, and which
// piece's codes are the images of an earlier one's.
#pragma once

#include "engine/Cod.h"

#include <string>

namespace codegen {

// Whether Prefix starts the alternating binary code 0101..., which stands for the class of
// the all-zero code: the one code of its piece that is first of its class (every other one
// has a smaller image, starting 00, under negating the odd chips).
bool AlternatingPrefix(const std::string& Prefix, TCodType Type);

// False when no code starting with Prefix can be the first (smallest) of its symmetry class.
bool ClassFirstPrefix(const std::string& Prefix, TCodType Type);

// The smallest image of a prefix under the sign patterns, and the pattern that gives it
// (0: the prefix itself is the smallest). Moved says whether every pattern moves the prefix:
// then every longer prefix under it is smallest among its images too.
struct TSmallestImage {
    std::string Text;
    int Symmetry = 0;
    bool Moved = true;
};
TSmallestImage SmallestImage(const std::string& Prefix, TCodType Type);

} // namespace codegen
