#include "engine/PslRecords.h"

#include <algorithm>
#include <iterator>

namespace codegen {

namespace {

struct TSource {
    bool Proven;
    const char* Text;
};

constexpr TSource Barker{true, "a Barker code, proven optimal"};
constexpr TSource Exhaustive{true, "proven by exhaustive search"};
constexpr TSource Leukhin2012{true, "Leukhin & Potekhin 2012, proven by exhaustive search"};
constexpr TSource Leukhin2013{true, "Leukhin & Potekhin 2013, proven by exhaustive search"};
constexpr TSource NunnReach{false,
                            "Nunn & Coxson 2008, optimal as far as exhaustive searches reach"};
constexpr TSource Nunn{false, "Nunn & Coxson 2008"};
constexpr TSource Dimitrov{false, "Dimitrov, Baicheva & Nikolov 2020"};
constexpr TSource Brest{false, "Brest & Boskovic 2021"};

struct TRange {
    int First;
    int Last;
    int Psl;
    const TSource* Source;
};

// Lengths in ascending order, no gaps below 300. Above 105 the values not improved by
// Brest & Boskovic are upper bounds carried over from the ranges around them.
constexpr TRange Ranges[] = {
    {2, 5, 1, &Barker},        {6, 6, 2, &Exhaustive},    {7, 7, 1, &Barker},
    {8, 10, 2, &Exhaustive},   {11, 11, 1, &Barker},      {12, 12, 2, &Exhaustive},
    {13, 13, 1, &Barker},      {14, 21, 2, &Exhaustive},  {22, 24, 3, &Exhaustive},
    {25, 25, 2, &Exhaustive},  {26, 27, 3, &Exhaustive},  {28, 28, 2, &Exhaustive},
    {29, 48, 3, &Exhaustive},  {49, 50, 4, &Leukhin2012}, {51, 51, 3, &Exhaustive},
    {52, 68, 4, &Leukhin2012}, {69, 74, 4, &Leukhin2013}, {75, 82, 4, &NunnReach},
    {83, 105, 5, &Nunn},       {106, 114, 6, &Dimitrov},  {115, 121, 6, &Brest},
    {122, 124, 7, &Dimitrov},  {125, 125, 6, &Brest},     {126, 133, 7, &Dimitrov},
    {134, 150, 7, &Brest},     {151, 154, 8, &Dimitrov},  {155, 155, 7, &Brest},
    {156, 168, 8, &Dimitrov},  {169, 178, 8, &Brest},     {179, 179, 9, &Dimitrov},
    {180, 180, 8, &Brest},     {181, 181, 9, &Dimitrov},  {182, 182, 8, &Brest},
    {183, 183, 9, &Dimitrov},  {184, 184, 8, &Brest},     {185, 195, 9, &Dimitrov},
    {196, 210, 9, &Brest},     {211, 211, 10, &Dimitrov}, {212, 213, 9, &Brest},
    {214, 228, 10, &Dimitrov}, {229, 248, 10, &Brest},    {249, 272, 11, &Dimitrov},
    {273, 286, 11, &Brest},    {287, 295, 12, &Dimitrov}, {296, 296, 11, &Brest},
    {297, 300, 12, &Dimitrov}, {324, 324, 12, &Brest},    {361, 361, 13, &Brest},
    {484, 484, 15, &Brest},    {529, 529, 16, &Brest},    {676, 676, 18, &Brest},
    {729, 729, 19, &Brest},    {900, 900, 21, &Brest},    {1024, 1024, 23, &Brest},
};

} // namespace

std::optional<TPslRecord> BestKnownPsl(int L) {
    const auto* It = std::find_if(std::begin(Ranges), std::end(Ranges),
                                  [L](const TRange& R) { return R.Last >= L; });
    if (It == std::end(Ranges) || It->First > L)
        return std::nullopt;
    return TPslRecord{It->Psl, It->Source->Proven, It->Source->Text};
}

} // namespace codegen
