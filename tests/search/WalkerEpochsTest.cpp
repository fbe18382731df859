// The best search split among machines: walkers run elsewhere in ranges, their reports and the
// run's parameters carried as the MPI ranks' messages, list what one process with all the
// walkers lists; the messages read back as written and torn ones are refused.
#include "search/stochastic/EpochText.h"

#include "engine/CodSymmetry.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

namespace codegen {
namespace {

// Other "machines" in this process: each a range of walkers, everything they learn and
// report passing through the text of the messages.
class TTextPeers : public TEpochPeers {
public:
    explicit TTextPeers(std::vector<int> Counts) : Counts(std::move(Counts)) {}

    int Begin(const TBestSearchParams& P, int Local) override {
        if (FailBegin)
            throw CodError("no machine answers");
        const TBestSearchParams Sent = BestParamsOf(BestParamsText(P));
        L = Sent.L;
        int First = Local;
        for (const int Count : Counts) {
            Machines.push_back(std::make_unique<TWalkerRange>(Sent, First, Count));
            First += Count;
        }
        return First - Local;
    }
    void Launch(uint64_t Steps, const TEpochShare& S) override {
        NextSteps = Steps;
        Share = ShareOf(ShareText(S));
    }
    void Collect(std::vector<TWalkerEpoch>& Reports, const std::function<bool()>&) override {
        for (auto& M : Machines) {
            M->Share(Share);
            std::vector<TWalkerEpoch> Own;
            M->RunEpoch(
                NextSteps, [] { return false; }, Own);
            ReadEpochText(EpochText(Own), L, Reports);
        }
    }
    void End() noexcept override { ++Ends; }

    bool FailBegin = false;
    int Ends = 0;

private:
    std::vector<int> Counts;
    std::vector<std::unique_ptr<TWalkerRange>> Machines;
    uint64_t NextSteps = 0;
    TEpochShare Share;
    int L = 0;
};

struct TListed {
    std::vector<TScoredCod> Cods, NewBests, Best;
    TBestSearchEnd End = TBestSearchEnd::Running;
};

TListed RunSearch(const TBestSearchParams& P, std::shared_ptr<TEpochPeers> Peers = {}) {
    TBestCodSearch Search;
    Search.SetPeers(std::move(Peers));
    TListed Out;
    Out.End = Search
                  .RunToEnd(P,
                            [&](const TBestSearchBatch& B) {
                                Out.Cods.insert(Out.Cods.end(), B.Cods.begin(), B.Cods.end());
                                Out.NewBests.insert(Out.NewBests.end(), B.NewBests.begin(),
                                                    B.NewBests.end());
                            })
                  .End;
    Out.Best = Search.Best();
    return Out;
}

void ExpectSameCods(const std::vector<TScoredCod>& A, const std::vector<TScoredCod>& B) {
    ASSERT_EQ(A.size(), B.size());
    for (std::size_t I = 0; I < A.size(); ++I) {
        EXPECT_EQ(A[I].Text, B[I].Text) << I;
        EXPECT_EQ(A[I].Psl, B[I].Psl) << I;
        EXPECT_EQ(A[I].Isl, B[I].Isl) << I;
        EXPECT_EQ(A[I].Energy, B[I].Energy) << I;
        EXPECT_EQ(A[I].Zeros, B[I].Zeros) << I;
    }
}

TBestSearchParams Params(int L, int Target, int Count, uint64_t Steps) {
    TBestSearchParams P;
    P.L = L;
    P.Target = Target;
    P.Count = Count;
    P.KeepBest = 5;
    P.MaxSteps = Steps;
    P.Seconds = 0;
    P.Seed = 17;
    return P;
}

TEST(WalkerEpochs, ARunSplitAmongMachinesListsWhatOneProcessWithAllTheWalkersLists) {
    auto Ternary = Params(30, 3, 0, 3000);
    Ternary.Type = TCodType::Ternary;
    Ternary.Rule = TZeroRule::Equal;
    Ternary.Z = 3;
    auto WithKnown = Params(36, 3, 50, 5000);
    WithKnown.Known = {"111111011001101011100010100111010010"};
    for (auto P : {Params(40, 4, 200, 3000), Params(48, -1, 6, 3000), Ternary, WithKnown}) {
        SCOPED_TRACE(P.L);
        P.Threads = 4;
        const TListed One = RunSearch(P);
        // A process of one walker, and machines of two and one after it.
        P.Threads = 1;
        auto Peers = std::make_shared<TTextPeers>(std::vector<int>{2, 1});
        const TListed Split = RunSearch(P, Peers);
        EXPECT_EQ(Peers->Ends, 1);
        EXPECT_EQ(Split.End, One.End);
        ExpectSameCods(Split.Cods, One.Cods);
        ExpectSameCods(Split.NewBests, One.NewBests);
        ExpectSameCods(Split.Best, One.Best);
        // A run that shows something, one code per class within the target.
        EXPECT_FALSE(Split.Best.empty());
        if (P.Target >= 0) {
            EXPECT_FALSE(Split.Cods.empty());
            std::set<std::string> Classes;
            for (const auto& K : P.Known)
                Classes.insert(SymmetryClassKey(K, P.Type));
            for (const auto& C : Split.Cods) {
                EXPECT_LE(C.Psl, P.Target);
                EXPECT_TRUE(Classes.insert(SymmetryClassKey(C.Text, P.Type)).second) << C.Text;
            }
        }
    }
}

// The machines are told the run is over however it ends, even when they failed to start.
TEST(WalkerEpochs, MachinesAreToldTheEndOfAFailedRun) {
    auto Peers = std::make_shared<TTextPeers>(std::vector<int>{1});
    Peers->FailBegin = true;
    auto P = Params(20, 2, 0, 1000);
    P.Threads = 1;
    TBestCodSearch Search;
    Search.SetPeers(Peers);
    EXPECT_THROW(Search.RunToEnd(P, {}), CodError);
    EXPECT_EQ(Peers->Ends, 1);
}

TEST(WalkerEpochs, MessagesReadBackAsWrittenAndTornOnesAreRefused) {
    TBestSearchParams P;
    P.L = 21;
    P.Type = TCodType::Ternary;
    P.Rule = TZeroRule::Equal;
    P.Z = 4;
    P.Target = -1;
    P.Count = 7;
    P.KeepBest = 3;
    P.Seconds = 0.1;
    P.Seed = ~uint64_t{0};
    P.Threads = 5;
    P.Start = TStartFamily::MSequence;
    P.MaxSteps = 123456789012345ULL;
    P.Known = {"120120120120120120000", "111111111111111110000"};
    P.StartText = "120120120120120120000";
    const TBestSearchParams Back = BestParamsOf(BestParamsText(P));
    EXPECT_EQ(Back.L, P.L);
    EXPECT_EQ(Back.Type, P.Type);
    EXPECT_EQ(Back.Rule, P.Rule);
    EXPECT_EQ(Back.Z, P.Z);
    EXPECT_EQ(Back.Target, P.Target);
    EXPECT_EQ(Back.Count, P.Count);
    EXPECT_EQ(Back.KeepBest, P.KeepBest);
    EXPECT_EQ(Back.Seconds, P.Seconds);
    EXPECT_EQ(Back.Seed, P.Seed);
    EXPECT_EQ(Back.Threads, P.Threads);
    EXPECT_EQ(Back.Start, P.Start);
    EXPECT_EQ(Back.MaxSteps, P.MaxSteps);
    EXPECT_EQ(Back.Known, P.Known);
    // Without the start code the other machines' walkers would start anywhere.
    EXPECT_EQ(Back.StartText, P.StartText);
    for (const std::string Torn : {"length 1\n", "length 21\ncolour 2\n", "length\n", "seed -1\n",
                                   "type 2\n", "seconds 1x\n", "length 21\n\n"})
        EXPECT_THROW(BestParamsOf(Torn), CodError) << Torn;

    std::vector<TWalkerEpoch> Reports(2);
    Reports[0].Evaluations = 99;
    Reports[0].Steps = 7;
    Reports[0].Within = {ScoreCod("1111100110101", 13, TCodType::Binary)};
    Reports[1].Bests = {{ScoreCod("1111100110100", 13, TCodType::Binary), "0000011001010"}};
    const std::string Text = EpochText(Reports);
    std::vector<TWalkerEpoch> Read(1);
    ReadEpochText(Text, 13, Read);
    ASSERT_EQ(Read.size(), 3u);
    EXPECT_EQ(Read[1].Evaluations, 99u);
    EXPECT_EQ(Read[1].Steps, 7u);
    ExpectSameCods(Read[1].Within, Reports[0].Within);
    ASSERT_EQ(Read[2].Bests.size(), 1u);
    ExpectSameCods({Read[2].Bests[0].Cod}, {Reports[1].Bests[0].Cod});
    EXPECT_EQ(Read[2].Bests[0].Key, "0000011001010");
    EXPECT_EQ(EpochText(Reports, 1), Text.substr(Text.find('\n', Text.find('\n') + 1) + 1));
    // Cut anywhere, or read at another length: refused, never half taken as whole.
    for (std::size_t Cut = 1; Cut < Text.size() - 1; ++Cut) {
        if (Text[Cut - 1] == '\n' || Text[Cut] == '\n')
            continue; // maybe a whole walker's report
        std::vector<TWalkerEpoch> Some;
        EXPECT_THROW(ReadEpochText(Text.substr(0, Cut), 13, Some), CodError) << Cut;
    }
    std::vector<TWalkerEpoch> Other;
    EXPECT_THROW(ReadEpochText(Text, 12, Other), CodError);

    TEpochShare S;
    EXPECT_EQ(ShareOf(ShareText(S)).BarPsl, S.BarPsl);
    EXPECT_EQ(ShareOf(ShareText(S)).BarIsl, S.BarIsl);
    EXPECT_EQ(ShareOf(ShareText(S)).Best, "");
    S = {4, 300, "1101"};
    EXPECT_EQ(ShareOf(ShareText(S)).Best, "1101");
    EXPECT_EQ(ShareOf(ShareText(S)).BarIsl, 300);
    EXPECT_THROW(ShareOf("4 300"), CodError);
    EXPECT_THROW(ShareOf("4 300 1101 x"), CodError);
}

} // namespace
} // namespace codegen
