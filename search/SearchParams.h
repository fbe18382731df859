// What a good-code search lists: the code shape, the side-lobe limit and the zero rule. Apart
// from the search itself, so that project files and windows can name them cheaply.
#pragma once

#include "engine/Cod.h"

namespace codegen {

struct TSearchParams {
    int L = 10;
    TCodType Type = TCodType::Binary;
    int SideLobeLimit = 2;
    TZeroRule Rule = TZeroRule::AtMost;
    int Z = 2;
    // Only the first code of each symmetry class in counting order (classes under
    // negation, reversal and alternating negation, which keep every |C_k| and the zero
    // count).
    bool Classes = false;

    bool operator==(const TSearchParams&) const = default;
};

// Throws CodError for a length outside 2..500 or a negative limit or zero count.
void CheckSearchParams(const TSearchParams& P);

} // namespace codegen
