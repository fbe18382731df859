// The best distinct codes of a search, one per symmetry class, kept in order of their figures.
#pragma once

#include "search/stochastic/BestCodSearch.h"

#include <set>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace codegen {

// The best distinct codes (one per symmetry class), up to a capacity that may be a million:
// ordered by figures and then by arrival, with the classes in a hash, so that adding a code
// costs a logarithm, not a pass over the list.
class TTopCods {
public:
    explicit TTopCods(std::size_t Capacity) : Capacity(std::max<std::size_t>(1, Capacity)) {}
    TTopCods(const TTopCods&) = delete; // the hash names the list's own nodes
    TTopCods(TTopCods&&) = default;
    TTopCods& operator=(TTopCods&&) = default;

    bool Admits(int Psl, int64_t Isl) const {
        if (List.size() < Capacity)
            return true;
        const auto& Worst = std::prev(List.end())->Cod;
        return Psl != Worst.Psl ? Psl < Worst.Psl : Isl < Worst.Isl;
    }
    // Adds a code unless one of its class is there already.
    bool Add(TScoredCod Cod, std::string Key) {
        if (!Admits(Cod.Psl, Cod.Isl) || Keys.contains(Key))
            return false;
        // The hash names the keys held in the list's nodes, which never move.
        Keys.insert(List.insert(TEntry{std::move(Cod), std::move(Key), ++Arrivals}).first->Key);
        if (List.size() > Capacity) {
            const auto Last = std::prev(List.end());
            Keys.erase(Last->Key);
            List.erase(Last);
        }
        return true;
    }
    std::vector<TScoredCod> Cods() const {
        std::vector<TScoredCod> Out;
        Out.reserve(List.size());
        for (const auto& E : List)
            Out.push_back(E.Cod);
        return Out;
    }
    struct TEntry {
        TScoredCod Cod;
        std::string Key;
        uint64_t Arrival = 0;
        bool operator<(const TEntry& Other) const {
            if (Cod.Psl != Other.Cod.Psl)
                return Cod.Psl < Other.Cod.Psl;
            if (Cod.Isl != Other.Cod.Isl)
                return Cod.Isl < Other.Cod.Isl;
            return Arrival < Other.Arrival;
        }
    };
    const std::set<TEntry>& Entries() const { return List; }
    bool Empty() const { return List.empty(); }
    bool Full() const { return List.size() >= Capacity; }
    const TScoredCod& Front() const { return List.begin()->Cod; }
    const TScoredCod& Back() const { return std::prev(List.end())->Cod; }

private:
    std::size_t Capacity;
    std::set<TEntry> List;
    std::unordered_set<std::string_view> Keys;
    uint64_t Arrivals = 0;
};

// One step of the SplitMix64 generator: the seeds of the walkers, one after another.
inline uint64_t SplitMix(uint64_t& State) {
    uint64_t Z = (State += 0x9e3779b97f4a7c15ULL);
    Z = (Z ^ (Z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    Z = (Z ^ (Z >> 27)) * 0x94d049bb133111ebULL;
    return Z ^ (Z >> 31);
}

} // namespace codegen
