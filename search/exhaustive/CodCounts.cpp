#include "search/exhaustive/CodCounts.h"

#include "engine/PackedCod.h"
#include "engine/TextLines.h"
#include "search/exhaustive/GoodCodSearch.h"

#include <algorithm>
#include <cstdio>

namespace codegen {

TCodCounts::TCodCounts(const TSearchParams& P) : Params(P) {
    CheckSearchParams(P);
    const int Lowest = P.Type == TCodType::Binary ? 1 : 0;
    for (int Psl = Lowest; Psl <= std::min(P.SideLobeLimit, P.L - 1); ++Psl)
        Counts.push_back({Psl, 0, 0});
}

void TCodCounts::Add(const std::vector<std::string>& Cods) {
    for (const auto& Text : Cods) {
        if (const auto Fault = CodTextFault(Text, Params.L, Params.Type))
            throw CodError("Not a code of the list: " +
                           CodTextFaultText(*Fault, Params.L, Params.Type));
        const int Psl = PeakSideLobe(TPackedCod::FromText(Text, Params.L, Params.Type));
        if (Counts.empty() || Psl < Counts.front().Psl || Psl > Counts.back().Psl)
            throw CodError("A code beyond the side-lobe limit: " + Text);
        TPslCount& Row = Counts[static_cast<std::size_t>(Psl - Counts.front().Psl)];
        ++Row.Cods;
        Row.Classes += FirstOfClass(Text, Params.Type) ? 1 : 0;
    }
}

void TCodCounts::Set(const TPslCount& Row) {
    if (Counts.empty() || Row.Psl < Counts.front().Psl || Row.Psl > Counts.back().Psl)
        throw CodError("No PSL " + std::to_string(Row.Psl) + " in this list");
    if (Row.Classes > Row.Cods)
        throw CodError("More classes than codes at PSL " + std::to_string(Row.Psl));
    Counts[static_cast<std::size_t>(Row.Psl - Counts.front().Psl)] = Row;
}

uint64_t TCodCounts::Cods() const {
    uint64_t Sum = 0;
    for (const auto& Row : Counts)
        Sum += Row.Cods;
    return Sum;
}

uint64_t TCodCounts::Classes() const {
    uint64_t Sum = 0;
    for (const auto& Row : Counts)
        Sum += Row.Classes;
    return Sum;
}

std::string CountTable(const TCodCounts& Counts) {
    std::string Table;
    char Line[96];
    const auto Put = [&](const char* Psl, uint64_t Cods, uint64_t Classes) {
        std::snprintf(Line, sizeof Line, "%5s %14llu %14llu\n", Psl,
                      static_cast<unsigned long long>(Cods),
                      static_cast<unsigned long long>(Classes));
        Table += Line;
    };
    std::snprintf(Line, sizeof Line, "%5s %14s %14s\n", "PSL", "codes", "classes");
    Table += Line;
    for (const auto& Row : Counts.Rows())
        Put(std::to_string(Row.Psl).c_str(), Row.Cods, Row.Classes);
    Put("total", Counts.Cods(), Counts.Classes());
    return Table;
}

} // namespace codegen
