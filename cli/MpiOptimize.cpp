#include "cli/MpiOptimize.h"

#include "cli/MpiWire.h"
#include "search/stochastic/EpochText.h"

#include <mpi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace codegen {

using namespace mpiwire;

namespace {

using Clock = std::chrono::steady_clock;

class TMpiPeers : public TEpochPeers {
public:
    explicit TMpiPeers(int Ranks) : Ranks(Ranks), First(static_cast<std::size_t>(Ranks), 0) {}

    int Begin(const TBestSearchParams& P, int Local) override {
        L = P.L;
        const std::string Text = BestParamsText(P);
        for (int R = 1; R < Ranks; ++R)
            SendText(R, TagOptimize, Text);
        Begun = true;
        const auto Answers = Gather({});
        int Next = Local;
        for (int R = 1; R < Ranks; ++R) {
            const std::string& A = Answers[static_cast<std::size_t>(R)];
            const int Walkers = A.rfind("N ", 0) == 0 ? std::atoi(A.c_str() + 2) : 0;
            if (Walkers < 1 || Walkers > MaxThreads)
                throw std::runtime_error("MPI: a torn answer from rank " + std::to_string(R));
            First[static_cast<std::size_t>(R)] = Next;
            Next += Walkers;
        }
        return Next - Local;
    }

    void Launch(uint64_t Steps, const TEpochShare& Share) override {
        const std::string Tail = ' ' + std::to_string(Steps) + ' ' + ShareText(Share);
        for (int R = 1; R < Ranks; ++R)
            SendText(R, TagEpoch, std::to_string(First[static_cast<std::size_t>(R)]) + Tail);
    }

    void Collect(std::vector<TWalkerEpoch>& Reports, const std::function<bool()>& Abort) override {
        const auto Answers = Gather(Abort);
        for (int R = 1; R < Ranks; ++R) {
            const std::string& A = Answers[static_cast<std::size_t>(R)];
            if (A.empty())
                continue; // silent after the run's end was decided
            if (A[0] != 'R')
                throw std::runtime_error("MPI: a torn answer from rank " + std::to_string(R));
            ReadEpochText(std::string_view(A).substr(1), L, Reports);
        }
    }

    void End() noexcept override {
        if (!Begun)
            return;
        // Ranks in the middle of an epoch's report take this after it; rank 0's end dismisses
        // any that do not.
        try {
            for (int R = 1; R < Ranks; ++R)
                SendText(R, TagEpoch, "0 0 " + ShareText({}));
        } catch (const std::exception&) {
        }
    }

private:
    // One answer from every rank (by rank). Once Abort has held for 10 s, ranks still silent
    // are given up (stopped or gone: the run ends after this epoch anyway); their answers are
    // empty.
    std::vector<std::string> Gather(const std::function<bool()>& Abort) {
        std::vector<std::string> Got(static_cast<std::size_t>(Ranks));
        std::vector<char> Have(static_cast<std::size_t>(Ranks), 0);
        std::optional<Clock::time_point> AbortSeen;
        for (int Round = 0, Left = Ranks - 1; Left > 0;) {
            bool Any = false;
            for (int R = 1; R < Ranks; ++R) {
                const auto At = static_cast<std::size_t>(R);
                int Tag = 0;
                if (Have[At] || !TryReceive(R, TagReports, Tag, Got[At]))
                    continue;
                if (Got[At].empty())
                    throw std::runtime_error("MPI: an empty answer from rank " + std::to_string(R));
                if (Got[At][0] == 'E')
                    throw std::runtime_error("rank " + std::to_string(R) + ": " +
                                             Got[At].substr(1));
                Have[At] = 1;
                --Left;
                Any = true;
            }
            if (Any) {
                Round = 0;
                continue;
            }
            if (Abort && !AbortSeen && Abort())
                AbortSeen = Clock::now();
            if (AbortSeen && Clock::now() - *AbortSeen > std::chrono::seconds(10))
                break;
            Pause(Round);
        }
        return Got;
    }

    int Ranks;
    int L = 0;
    bool Begun = false;
    std::vector<int> First; // by rank: its first walker
};

// A rank's answer to rank 0: false when rank 0 dismissed the rank (the send is then dropped).
bool SendAnswer(const std::string& Text) {
    return SendToRankZero(Text, TagReports);
}

} // namespace

std::shared_ptr<TEpochPeers> MpiOptimizePeers(int Ranks) {
    return std::make_shared<TMpiPeers>(Ranks);
}

int ServeOptimize(const std::string& Params, int Rank) {
    // CODEGEN_MPI_TRACE=1: the rank tells on standard error how many epochs its walkers ran
    // (the tests check by it that the other ranks really walked).
    struct TTrace {
        int Rank;
        long long Epochs = 0;
        ~TTrace() {
            if (const char* On = std::getenv("CODEGEN_MPI_TRACE"); On && *On == '1')
                std::fprintf(stderr, "codegen-cli rank %d: %lld epochs walked\n", Rank, Epochs);
        }
    } Trace{Rank};
    try {
        std::optional<TBestSearchParams> P;
        int Walkers = 0;
        std::string Answer;
        try {
            P = BestParamsOf(Params);
            CheckBestSearchParams(*P);
            Walkers = BestSearchWalkers(*P);
            Answer = "N " + std::to_string(Walkers);
        } catch (const std::exception& E) {
            Answer = 'E' + std::string(E.what());
        }
        if (!SendAnswer(Answer))
            return 0;
        std::unique_ptr<TWalkerRange> Walks;
        std::vector<TWalkerEpoch> Reports;
        auto LastHeard = Clock::now();
        for (;;) {
            int Tag = 0, Status = 0;
            std::string Text;
            if (!ReceiveFromRankZero(Tag, Text, LastHeard, Status))
                return Status;
            if (Tag == TagQuit)
                return 0;
            if (Tag != TagEpoch)
                continue;
            std::istringstream In(Text);
            int First = -1;
            uint64_t Steps = 0;
            In >> First >> Steps;
            if (!In || First < 0)
                throw std::runtime_error("MPI: a torn epoch from rank 0: " + Text);
            if (Steps == 0)
                return -1;
            if (!P)
                continue; // rank 0 has the error and ends the run
            try {
                const TEpochShare Share = ShareOf(
                    std::string_view(Text).substr(static_cast<std::size_t>(In.tellg()) + 1));
                if (!Walks)
                    Walks = std::make_unique<TWalkerRange>(*P, First, Walkers);
                Walks->Share(Share);
                // The epoch is short: a stop waits for its end on rank 0's word.
                Walks->RunEpoch(
                    Steps, [] { return false; }, Reports);
                Answer = 'R' + EpochText(Reports);
                ++Trace.Epochs;
            } catch (const std::exception& E) {
                Answer = 'E' + std::string(E.what());
            }
            if (!SendAnswer(Answer))
                return 0;
        }
    } catch (const std::exception& E) {
        std::fprintf(stderr, "codegen-cli (rank %d): %s\n", Rank, E.what());
        return 2;
    }
}

} // namespace codegen
