// The symmetry class of a code: negating every chip, reversing the chips and negating every
// other chip keep every side-lobe magnitude and the zero count, so the (up to) eight codes
// one reaches this way are equally good, and a list needs only one of them.
#pragma once

#include "engine/Cod.h"

#include <string>
#include <string_view>

namespace codegen {

// The smallest text form (in character order) among the codes of Text's symmetry class:
// two codes are of one class exactly when their keys are equal. Characters other than the
// type's digits are kept as they are.
std::string SymmetryClassKey(std::string_view Text, TCodType Type);

// Text with its chips at even places (0, 2, ...), at odd places, or both negated (both:
// every chip). Each keeps every side-lobe magnitude and the zero count.
std::string NegatedPlaces(std::string_view Text, TCodType Type, bool Even, bool Odd);

} // namespace codegen
