// The best-known peak side lobe of binary codes by length, from the published searches: what
// a search is measured against and what the user is shown beside his best code.
#pragma once

#include <optional>

namespace codegen {

struct TPslRecord {
    int Psl = 0;
    // No binary code of the length has a lower peak side lobe.
    bool Proven = false;
    // Who found or proved it, for the user to read ("Nunn & Coxson 2008").
    const char* Source = "";
};

// The record of a binary code of L chips: every length 2..300 and a few longer ones
// (324, 361, 484, 529, 676, 729, 900, 1024); none elsewhere.
std::optional<TPslRecord> BestKnownPsl(int L);

} // namespace codegen
