#include "search/stochastic/EpochText.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace codegen {

namespace {

// Words separated by single spaces or line ends, read in turn.
class TWords {
public:
    TWords(std::string_view Text, const char* What) : Rest(Text), What(What) {}

    bool AtEnd() const { return Rest.empty(); }

    std::string_view Word() {
        const std::size_t End = Rest.find_first_of(" \n");
        if (End == 0 || Rest.empty())
            Fail();
        const std::string_view W = Rest.substr(0, End);
        Rest.remove_prefix(End == std::string_view::npos ? Rest.size() : End + 1);
        return W;
    }

    template <class T>
    T Number(T Min = std::numeric_limits<T>::min(), T Max = std::numeric_limits<T>::max()) {
        const std::string_view W = Word();
        T Value{};
        const auto [End, Error] = std::from_chars(W.data(), W.data() + W.size(), Value);
        if (Error != std::errc() || End != W.data() + W.size() || Value < Min || Value > Max)
            Fail();
        return Value;
    }

    // A code's text of L chips.
    std::string_view Cod(int L) {
        const std::string_view W = Word();
        if (W.size() != static_cast<std::size_t>(L))
            Fail();
        return W;
    }

    [[noreturn]] void Fail() const {
        throw CodError(std::string("A torn or foreign ") + What + " message");
    }

private:
    std::string_view Rest;
    const char* What;
};

void AppendCod(std::string& Out, const TScoredCod& C) {
    Out += std::to_string(C.Psl) + ' ' + std::to_string(C.Isl) + ' ' + std::to_string(C.Energy) +
           ' ' + std::to_string(C.Zeros) + ' ' + C.Text;
}

TScoredCod ReadCod(TWords& In, int L) {
    TScoredCod C;
    C.Psl = In.Number<int>(0);
    C.Isl = In.Number<int64_t>(0);
    C.Energy = In.Number<int>(0, L);
    C.Zeros = In.Number<int>(0, L);
    C.Text = In.Cod(L);
    return C;
}

} // namespace

std::string BestParamsText(const TBestSearchParams& P) {
    char Seconds[32];
    std::snprintf(Seconds, sizeof Seconds, "%.17g", P.Seconds);
    std::string Out =
        "length " + std::to_string(P.L) + "\ntype " + std::to_string(static_cast<int>(P.Type)) +
        "\nrule " + std::to_string(static_cast<int>(P.Rule)) + "\nzeros " + std::to_string(P.Z) +
        "\ntarget " + std::to_string(P.Target) + "\ncount " + std::to_string(P.Count) + "\nkeep " +
        std::to_string(P.KeepBest) + "\nseconds " + Seconds + "\nseed " + std::to_string(P.Seed) +
        "\nthreads " + std::to_string(P.Threads) + "\nstart " +
        std::to_string(static_cast<int>(P.Start)) + "\nsteps " + std::to_string(P.MaxSteps) + '\n';
    if (!P.StartText.empty())
        Out += "startcod " + P.StartText + '\n';
    for (const auto& Text : P.Known)
        Out += "known " + Text + '\n';
    return Out;
}

TBestSearchParams BestParamsOf(std::string_view Text) {
    TWords In(Text, "parameters");
    TBestSearchParams P;
    P.Known.clear();
    while (!In.AtEnd()) {
        const std::string_view Key = In.Word();
        if (Key == "length")
            P.L = In.Number<int>(MinCodLength, MaxCodLength);
        else if (Key == "type")
            P.Type = static_cast<TCodType>(In.Number<int>(0, 1));
        else if (Key == "rule")
            P.Rule = static_cast<TZeroRule>(In.Number<int>(0, 1));
        else if (Key == "zeros")
            P.Z = In.Number<int>(0, MaxCodLength);
        else if (Key == "target")
            P.Target = In.Number<int>(-1);
        else if (Key == "count")
            P.Count = In.Number<int>(0);
        else if (Key == "keep")
            P.KeepBest = In.Number<int>(0);
        else if (Key == "seconds") {
            const std::string Word(In.Word());
            char* End = nullptr;
            P.Seconds = std::strtod(Word.c_str(), &End);
            if (End != Word.c_str() + Word.size())
                In.Fail();
        } else if (Key == "seed")
            P.Seed = In.Number<uint64_t>();
        else if (Key == "threads")
            P.Threads = In.Number<int>(0, MaxThreads);
        else if (Key == "start")
            P.Start = static_cast<TStartFamily>(In.Number<int>(0, 2));
        else if (Key == "steps")
            P.MaxSteps = In.Number<uint64_t>();
        else if (Key == "startcod")
            P.StartText = std::string(In.Word());
        else if (Key == "known")
            P.Known.emplace_back(In.Word());
        else
            In.Fail();
    }
    return P;
}

std::string EpochText(const std::vector<TWalkerEpoch>& Reports, std::size_t From) {
    std::string Out;
    for (std::size_t W = From; W < Reports.size(); ++W) {
        const auto& R = Reports[W];
        Out += std::to_string(R.Evaluations) + ' ' + std::to_string(R.Steps) + ' ' +
               std::to_string(R.Within.size()) + ' ' + std::to_string(R.Bests.size()) + '\n';
        for (const auto& C : R.Within) {
            AppendCod(Out, C);
            Out += '\n';
        }
        for (const auto& E : R.Bests) {
            AppendCod(Out, E.Cod);
            Out += ' ' + E.Key + '\n';
        }
    }
    return Out;
}

void ReadEpochText(std::string_view Text, int L, std::vector<TWalkerEpoch>& Reports) {
    TWords In(Text, "report");
    while (!In.AtEnd()) {
        TWalkerEpoch R;
        R.Evaluations = In.Number<uint64_t>();
        R.Steps = In.Number<uint64_t>();
        // Each code takes more than L characters: a count beyond that is a torn text.
        const std::size_t MaxCods = Text.size() / static_cast<std::size_t>(L);
        const auto Within = In.Number<std::size_t>(0, MaxCods);
        const auto Bests = In.Number<std::size_t>(0, MaxCods);
        R.Within.reserve(Within);
        for (std::size_t I = 0; I < Within; ++I)
            R.Within.push_back(ReadCod(In, L));
        R.Bests.reserve(Bests);
        for (std::size_t I = 0; I < Bests; ++I) {
            TKeyedCod E;
            E.Cod = ReadCod(In, L);
            E.Key = In.Cod(L);
            R.Bests.push_back(std::move(E));
        }
        Reports.push_back(std::move(R));
    }
}

std::string ShareText(const TEpochShare& S) {
    return std::to_string(S.BarPsl) + ' ' + std::to_string(S.BarIsl) + ' ' +
           (S.Best.empty() ? std::string("-") : S.Best);
}

TEpochShare ShareOf(std::string_view Text) {
    TWords In(Text, "share");
    TEpochShare S;
    S.BarPsl = In.Number<int>(0);
    S.BarIsl = In.Number<int64_t>(0);
    const std::string_view Best = In.Word();
    if (Best != "-")
        S.Best = Best;
    if (!In.AtEnd())
        In.Fail();
    return S;
}

} // namespace codegen
