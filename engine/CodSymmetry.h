// The symmetry class of a code: negating every chip, reversing the chips and negating every
// other chip keep every side-lobe magnitude and the zero count, so the (up to) eight codes
// one reaches this way are equally good, and a list needs only one of them. Every use of
// these symmetries goes through here; the searches' bit forms are held to the texts by test.
#pragma once

#include "engine/Cod.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace codegen {

// The sign patterns that act place by place, numbered as the searches number them: 0 none,
// 1 every chip, 2 the chips at odd places (1, 3, ...), 3 those at even places (0, 2, ...).
// Each keeps every side-lobe magnitude and the zero count, and undoes itself.
constexpr int SignPatterns = 4;

// Whether Pattern negates the chip at Place.
constexpr bool PatternNegates(int Pattern, std::size_t Place) {
    return Pattern == 1 || (Pattern == 2 && Place % 2 == 1) || (Pattern == 3 && Place % 2 == 0);
}

// The same for binary digits as the bit XORed into the digit at Place (binary digits 0 and 1
// are the chips -1 and +1): the form the search's inner loop reads.
constexpr unsigned BinaryPatternBit(unsigned Pattern, unsigned Place) {
    return (Pattern & 1U) ^ ((Pattern >> 1) & Place & 1U);
}

// A digit's value with its chip negated: binary 0 <-> 1, ternary 1 <-> 2 (0 stays 0).
constexpr int NegatedDigitValue(int Digit, TCodType Type) {
    return Type == TCodType::Binary ? 1 - Digit : (Digit == 0 ? 0 : 3 - Digit);
}

// Text under a sign pattern. Characters other than the type's digits are kept as they are.
std::string SignFlipped(std::string_view Text, int Pattern, TCodType Type);

// Text with its chips at even places (0, 2, ...), at odd places, or both negated (both:
// every chip). Each keeps every side-lobe magnitude and the zero count.
std::string NegatedPlaces(std::string_view Text, TCodType Type, bool Even, bool Odd);

// Text read backwards.
std::string Reversed(std::string_view Text);

// The smallest text form (in character order) among the codes of Text's symmetry class:
// two codes are of one class exactly when their keys are equal. Characters other than the
// type's digits are kept as they are.
std::string SymmetryClassKey(std::string_view Text, TCodType Type);

} // namespace codegen
