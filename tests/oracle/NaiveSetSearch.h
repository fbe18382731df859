// The set search as the plain algorithm: every comparison decodes both code texts and runs
// the full (2L+1)*L peak, the set is a list of rows, no event points. The reference the
// fast search is checked against and the baseline of its benchmark.
#pragma once

#include "engine/Cod.h"
#include "oracle/NaiveCorrelation.h"

#include <algorithm>
#include <string>
#include <vector>

namespace codegen::oracle {

struct TNaiveSetSearch {
    std::vector<std::string> Good; // Good[0] is row 1
    int L = 10;
    TCodType Type = TCodType::Binary;
    int Limit = 2;
    bool StopOnCycle = false;

    std::vector<int> Set; // good rows of the members
    int Start = 1, BestResult = 0, BestStart = 1, Count = 0, BestCount = 0;
    std::vector<int> Pack = std::vector<int>(1, 0), BestPack = std::vector<int>(1, 0);
    bool NoCorrJob = false;

    int R() const { return static_cast<int>(Good.size()); }
    const std::string& Text(int Row) const { return Good[static_cast<std::size_t>(Row - 1)]; }
    int Peak(const std::string& A, const std::string& B) const {
        TCod CodA, CodB;
        LoadDigitalCodFromString(A, CodA, L, Type);
        LoadDigitalCodFromString(B, CodB, L, Type);
        return NaiveMaxCorrelation(CodA, CodB, L);
    }
    int MaxWithSet(int NN) const {
        int Result = 0;
        for (int M : Set)
            Result = std::max(Result, Peak(Text(NN), Text(M)));
        return Result;
    }
    bool NotCodExist(int K) const {
        return std::none_of(Set.begin(), Set.end(), [&](int M) { return Text(M) == Text(K); });
    }

    int Pass0(int NN) {
        Set = {NN};
        for (int I = 1; I <= R(); ++I)
            if (MaxWithSet(I) <= Limit)
                Set.push_back(I);
        return static_cast<int>(Set.size());
    }
    int Pass1(int NN) {
        Set = {NN};
        for (int I = 1; I <= R(); ++I)
            if (Peak(Text(I), Text(Set.back())) <= Limit)
                Set.push_back(I);
        return static_cast<int>(Set.size());
    }
    int Score2Back(int NN) const {
        int Score = Peak(Text(NN), Text(Set.back()));
        if (Set.size() >= 2) {
            Score = std::max(Score, Peak(Text(NN), Text(Set[Set.size() - 2])) - 2);
            Score = std::max(Score, MaxWithSet(NN) - 3);
        }
        return Score;
    }
    int PassCycle(int NN, bool TwoBack) {
        Set = {NN};
        bool No = false, Sh = false;
        int I = 0;
        do {
            ++I;
            const int N = TwoBack ? Score2Back(I) : Peak(Text(I), Text(Set.back()));
            if (NotCodExist(I) && N <= Limit) {
                Set.push_back(I);
                Sh = true;
                I = 0;
            }
            if (I >= R()) {
                I = 0;
                if (Sh)
                    Sh = false;
                else
                    No = true;
            }
        } while (!No && !NoCorrJob);
        return static_cast<int>(Set.size());
    }
    int Pass(int Method, int NN) {
        switch (Method) {
        case 0:
            return Pass0(NN);
        case 1:
            return Pass1(NN);
        default:
            return PassCycle(NN, Method == 3);
        }
    }
    void RunPasses(int Method) {
        do {
            const int N = Pass(Method, Start);
            if (N >= BestResult) {
                BestStart = Start;
                BestResult = N;
            }
            ++Start;
            if (StopOnCycle && N > 1)
                NoCorrJob = true;
        } while (!(Start > R() || NoCorrJob));
    }
    int SerchFull(int NN) const {
        int Result = 0;
        for (int K = 1; K <= Count; ++K)
            Result = std::max(Result, Peak(Text(NN), Text(Pack[static_cast<std::size_t>(K)])));
        return Result;
    }
    void Serch4() {
        do {
            ++Start;
            if (SerchFull(Start) <= Limit) {
                ++Count;
                Pack.resize(std::max(Pack.size(), static_cast<std::size_t>(Count) + 1));
                Pack[static_cast<std::size_t>(Count)] = Start;
            }
            if (Start == R()) {
                if (Count >= BestCount) {
                    BestCount = Count;
                    BestPack.assign(Pack.begin(), Pack.begin() + Count + 1);
                    Set.assign(BestPack.begin() + 1, BestPack.end());
                }
                Start = Pack[static_cast<std::size_t>(Count)];
                --Count;
                if (Start >= R() - 1) {
                    Count = 1;
                    Pack[1] = Pack[1] + 1;
                    Start = Pack[1];
                }
            }
        } while (!(Pack[1] >= R() - 1 || NoCorrJob));
    }
    // Search: the reset, then the method to its end (R of at least 2 assumed).
    void Search(int Method) {
        NoCorrJob = false;
        Start = 1;
        BestResult = 0;
        BestStart = 1;
        Count = 1;
        BestCount = 1;
        Pack.assign(2, 1);
        BestPack.assign(2, 1);
        if (Method == 4)
            Serch4();
        else
            RunPasses(Method);
    }
};

} // namespace codegen::oracle
