// The counts of a good-code list by peak side lobe, without the list: how many codes, and how
// many classes (the codes that are the first of their symmetry class in counting order, which
// one code per class lists). The command line's --count-only and the window's count share it.
#pragma once

#include "search/SearchParams.h"

#include <cstdint>
#include <string>
#include <vector>

namespace codegen {

struct TPslCount {
    int Psl = 0;
    uint64_t Cods = 0;
    uint64_t Classes = 0;

    bool operator==(const TPslCount&) const = default;
};

class TCodCounts {
public:
    TCodCounts() = default;
    explicit TCodCounts(const TSearchParams& P);

    // Measures and counts codes of the list (each of the search's shape, within its limit);
    // throws CodError for one that is not.
    void Add(const std::vector<std::string>& Cods);
    // A row of every peak side lobe the list can hold, lowest first: from 0 for ternary codes,
    // 1 for binary ones (whose last lobe is always +-1), up to the limit or L - 1.
    const std::vector<TPslCount>& Rows() const { return Counts; }
    // Puts back a row (a checkpoint's); throws CodError when the list has no such PSL or it
    // holds more classes than codes.
    void Set(const TPslCount& Row);
    uint64_t Cods() const;
    uint64_t Classes() const;

private:
    TSearchParams Params;
    std::vector<TPslCount> Counts;
};

// The table `codegen-cli search --count-only` prints: a heading, a line per PSL and the totals.
std::string CountTable(const TCodCounts& Counts);

} // namespace codegen
