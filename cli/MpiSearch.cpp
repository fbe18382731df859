#include "cli/MpiSearch.h"

#include "cli/MpiOptimize.h"
#include "cli/MpiWire.h"

#include <mpi.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace codegen {

using namespace mpiwire;

// A piece in the hands of the ranks: sent to one, and to another when its answer is
// overdue; the first answer is the piece's.
struct TPieceJob {
    std::string Params, Piece;
    std::vector<int> Ranks; // those it was sent to, in order
    std::chrono::steady_clock::time_point LastSent;
    bool Answered = false;
    std::string Answer;
};

struct TMpiSession::TShared {
    // Under MPI_THREAD_SERIALIZED the worker threads of rank 0 take turns at the library.
    bool Multiple = false;
    std::mutex Lock;
    int Ranks = 1;
    int Provided = MPI_THREAD_SINGLE;

    // The searching ranks as a pool that every worker thread of rank 0 draws from (taken
    // before Lock when both are held).
    std::mutex PoolLock;
    struct TRankState {
        uint64_t Job = 0; // the piece it works on (0: idle); its answer is awaited
        std::chrono::steady_clock::time_point Since;
        std::string Params; // the parameters it last had
    };
    std::vector<TRankState> RankStates;  // by rank; [0] unused
    std::map<uint64_t, TPieceJob*> Jobs; // awaited by a worker thread
    uint64_t NextJob = 1;
    // How long the latest answers took, to tell a rank that stopped answering from a piece
    // that is merely slow on a busy machine.
    std::deque<double> Recent;
};

namespace {

using Clock = std::chrono::steady_clock;

class TMpiGuard {
public:
    explicit TMpiGuard(TMpiSession::TShared& S) {
        if (!S.Multiple)
            Held = std::unique_lock<std::mutex>(S.Lock);
    }

private:
    std::unique_lock<std::mutex> Held;
};

// The fields' values in the table's order, as numbers.
std::string ParamsText(const TSearchParams& P) {
    std::string Out;
    for (const auto& F : SearchParamFields) {
        if (!Out.empty())
            Out += ' ';
        Out += std::to_string(F.Get(P));
    }
    return Out;
}

TSearchParams ParamsOf(const std::string& Text) {
    std::istringstream In(Text);
    TSearchParams P;
    for (const auto& F : SearchParamFields) {
        int Value = -1;
        if (!(In >> Value) || !SearchParamValueOk(F, Value))
            throw std::runtime_error("MPI: bad parameters from rank 0: " + Text);
        F.Set(P, Value);
    }
    return P;
}

// Rank 0's side of the searching ranks for one worker thread: sends a piece to an idle rank
// and waits for its answer. A piece whose answer is overdue (far longer than the latest
// pieces took) goes to another idle rank as well, and the first answer is taken: a rank that
// hangs (stopped, swapped out) holds up nothing while others are free. The late answer is
// dropped when it comes, and that rank is free again.
class TRemoteRunner : public TPieceRunner {
public:
    TRemoteRunner(std::shared_ptr<TMpiSession::TShared> S, const TSearchParams& P)
        : Shared(std::move(S)), Params(ParamsText(P)), L(P.L) {}

    TPieceOutcome Search(const std::string& Prefix, const std::string& From, std::size_t MaxCods,
                         std::chrono::milliseconds MaxTime, bool ReversalCut,
                         const std::atomic<bool>& Stop, std::vector<std::string>& Found,
                         std::vector<std::string>& Rest) override {
        TPieceJob Job;
        Job.Params = Params;
        Job.Piece = std::to_string(MaxCods) + ' ' + std::to_string(MaxTime.count()) + ' ' +
                    (ReversalCut ? '1' : '0') + ' ' + Prefix + (From.empty() ? "" : " " + From);
        auto& S = *Shared;
        uint64_t Id = 0;
        {
            std::lock_guard G(S.PoolLock);
            Id = S.NextJob++;
            S.Jobs[Id] = &Job;
        }
        // However the wait ends, the job leaves the list before it goes away.
        struct TForget {
            TMpiSession::TShared& S;
            uint64_t Id;
            ~TForget() {
                std::lock_guard G(S.PoolLock);
                S.Jobs.erase(Id);
            }
        } Forget{S, Id};
        std::unique_lock Pool(S.PoolLock);
        bool StopSent = false;
        Clock::time_point StopAt;
        for (int Round = 0;;) {
            CollectAnswers();
            if (Job.Answered)
                break;
            if (!StopSent && Stop.load()) {
                if (Job.Ranks.empty())
                    return TPieceOutcome::Stopped;
                TMpiGuard G(S);
                for (const int Rank : Job.Ranks)
                    if (S.RankStates[static_cast<std::size_t>(Rank)].Job == Id)
                        SendText(Rank, TagStop, {});
                StopSent = true;
                StopAt = Clock::now();
            }
            // Ranks that answer no stop are gone (the job is being torn down).
            if (StopSent && Clock::now() - StopAt > std::chrono::seconds(10))
                return TPieceOutcome::Stopped;
            if (!StopSent && (Job.Ranks.empty() || Overdue(Job, MaxTime)))
                if (const int Rank = IdleRank(); Rank > 0)
                    Send(Job, Id, Rank);
            Pool.unlock();
            Pause(Round);
            Pool.lock();
        }
        const std::string Answer = std::move(Job.Answer);
        const int Rank = Job.Ranks.front();
        Pool.unlock();
        if (Answer.empty())
            throw std::runtime_error("MPI: an empty answer from rank " + std::to_string(Rank));
        // The codes found, each L chips, from At on.
        const auto TakeCods = [&](std::size_t At) {
            const std::size_t Length = static_cast<std::size_t>(L);
            if ((Answer.size() - At) % Length != 0)
                throw std::runtime_error("MPI: a torn answer from rank " + std::to_string(Rank));
            for (; At < Answer.size(); At += Length)
                Found.push_back(Answer.substr(At, Length));
        };
        switch (Answer[0]) {
        case 'D':
            TakeCods(1);
            return TPieceOutcome::Done;
        case 'S':
            return TPieceOutcome::Stopped;
        case 'M':
            return TPieceOutcome::TooMany;
        case 'T': {
            // The parts left, each ended by a space, a line end, then the codes found.
            const std::size_t End = Answer.find('\n');
            if (End == std::string::npos)
                throw std::runtime_error("MPI: a torn answer from rank " + std::to_string(Rank));
            std::istringstream Parts(Answer.substr(1, End - 1));
            for (std::string Part; Parts >> Part;)
                Rest.push_back(std::move(Part));
            TakeCods(End + 1);
            return TPieceOutcome::TooLong;
        }
        default:
            throw std::runtime_error("rank " + std::to_string(Rank) + ": " + Answer.substr(1));
        }
    }

private:
    // Under PoolLock: the first rank with nothing in hand, or 0.
    int IdleRank() const {
        for (int Rank = 1; Rank < Shared->Ranks; ++Rank)
            if (Shared->RankStates[static_cast<std::size_t>(Rank)].Job == 0)
                return Rank;
        return 0;
    }

    // Under PoolLock: the piece has been with its last rank four times as long as the
    // slowest of the latest answers (a piece gives up by itself after MaxTime, so before
    // any answer that is the measure).
    bool Overdue(const TPieceJob& Job, std::chrono::milliseconds MaxTime) const {
        const auto& Recent = Shared->Recent;
        const double Typical = Recent.empty() ? std::chrono::duration<double>(MaxTime).count()
                                              : *std::max_element(Recent.begin(), Recent.end());
        const double Waited = std::chrono::duration<double>(Clock::now() - Job.LastSent).count();
        return Waited > 4 * std::max(Typical, 1e-3);
    }

    // Under PoolLock.
    void Send(TPieceJob& Job, uint64_t Id, int Rank) {
        auto& State = Shared->RankStates[static_cast<std::size_t>(Rank)];
        TMpiGuard G(*Shared);
        if (State.Params != Job.Params) {
            SendText(Rank, TagParams, Job.Params);
            State.Params = Job.Params;
        }
        SendText(Rank, TagPiece, Job.Piece);
        State.Job = Id;
        State.Since = Job.LastSent = Clock::now();
        Job.Ranks.push_back(Rank);
    }

    // Under PoolLock: takes the answers that have come from any rank, for whichever worker
    // thread awaits them; a piece answered tells its other ranks to stop.
    void CollectAnswers() {
        auto& S = *Shared;
        for (int Rank = 1; Rank < S.Ranks; ++Rank) {
            auto& State = S.RankStates[static_cast<std::size_t>(Rank)];
            if (State.Job == 0)
                continue;
            int Tag = 0;
            std::string Answer;
            {
                TMpiGuard G(S);
                if (!TryReceive(Rank, TagAnswer, Tag, Answer))
                    continue;
            }
            const uint64_t Id = State.Job;
            State.Job = 0;
            const auto It = S.Jobs.find(Id);
            if (It == S.Jobs.end() || It->second->Answered)
                continue; // late, or for a piece given up
            TPieceJob& Job = *It->second;
            Job.Answered = true;
            Job.Answer = std::move(Answer);
            std::rotate(Job.Ranks.begin(), std::find(Job.Ranks.begin(), Job.Ranks.end(), Rank),
                        Job.Ranks.end());
            S.Recent.push_back(std::chrono::duration<double>(Clock::now() - State.Since).count());
            if (S.Recent.size() > 32)
                S.Recent.pop_front();
            TMpiGuard G(S);
            for (const int Other : Job.Ranks)
                if (Other != Rank && S.RankStates[static_cast<std::size_t>(Other)].Job == Id)
                    SendText(Other, TagStop, {});
        }
    }

    std::shared_ptr<TMpiSession::TShared> Shared;
    std::string Params;
    int L;
};

// The process that started Pid, from /proc/PID/stat (its fourth field), or 0.
pid_t ParentOf(pid_t Pid) {
    std::ifstream Stat("/proc/" + std::to_string(Pid) + "/stat");
    std::string Text;
    std::getline(Stat, Text);
    // The command name in parentheses may hold blanks and parentheses itself.
    const std::size_t Close = Text.rfind(')');
    if (Close == std::string::npos)
        return 0;
    std::istringstream Rest(Text.substr(Close + 1));
    char State = 0;
    long Parent = 0;
    return Rest >> State >> Parent ? static_cast<pid_t>(Parent) : 0;
}

bool IsLauncherName(const std::string& Name) {
    for (const char* Launcher : {"mpirun", "mpiexec", "orterun", "prterun", "prte"})
        if (Name.rfind(Launcher, 0) == 0)
            return true;
    return false;
}

// Under mpirun the standard output of a rank is a pipe to the launcher, which copies it on and
// drops what it cannot write (a full disk, a closed pipe) without a word: the whole result was
// lost with status 0. Rank 0 writes to the launcher's own standard output instead, when the
// launcher is an ancestor of it on this machine, so that it sees a failed write and tells it
// as a single process does. Elsewhere (a rank 0 on another machine, a launcher of another
// name, no /proc) the output goes through the launcher as before.
void TakeLauncherOutput() {
    pid_t Pid = getppid();
    for (int Up = 0; Up < 4 && Pid > 1; ++Up, Pid = ParentOf(Pid)) {
        const std::string Proc = "/proc/" + std::to_string(Pid);
        std::array<char, 4096> Exe{};
        const ssize_t Length = readlink((Proc + "/exe").c_str(), Exe.data(), Exe.size() - 1);
        if (Length <= 0)
            continue;
        const std::string Path(Exe.data(), static_cast<std::size_t>(Length));
        if (!IsLauncherName(Path.substr(Path.rfind('/') + 1)))
            continue;
        // Not blocking on a pipe whose reader has gone; appending, as the launcher would, to a
        // file it opened.
        const int Fd =
            open((Proc + "/fd/1").c_str(), O_WRONLY | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (Fd < 0)
            return;
        const int Flags = fcntl(Fd, F_GETFL);
        if (Flags < 0 || fcntl(Fd, F_SETFL, Flags & ~O_NONBLOCK) < 0 ||
            dup2(Fd, STDOUT_FILENO) < 0) {
            close(Fd);
            return;
        }
        close(Fd);
        return;
    }
}

bool UnderLauncher() {
    for (const char* Name : {"OMPI_COMM_WORLD_SIZE", "PMIX_RANK", "PMI_SIZE", "PMI_RANK"})
        if (std::getenv(Name))
            return true;
    return false;
}

} // namespace

TMpiSession::TMpiSession(int& argc, char**& argv) : Shared(std::make_shared<TShared>()) {
    if (!UnderLauncher())
        return;
    int Provided = MPI_THREAD_SINGLE;
    if (MPI_Init_thread(&argc, &argv, MPI_THREAD_MULTIPLE, &Provided) != MPI_SUCCESS)
        return;
    Started = true;
    MPI_Comm_rank(MPI_COMM_WORLD, &MyRank);
    MPI_Comm_size(MPI_COMM_WORLD, &Size);
    Shared->Multiple = Provided >= MPI_THREAD_MULTIPLE;
    Shared->Provided = Provided;
    Shared->Ranks = Size;
    Shared->RankStates.resize(static_cast<std::size_t>(Size));
    if (MyRank == 0)
        TakeLauncherOutput();
}

TMpiSession::~TMpiSession() {
    if (!Started)
        return;
    if (MyRank == 0)
        for (int R = 1; R < Size; ++R)
            MPI_Send(nullptr, 0, MPI_CHAR, R, TagQuit, MPI_COMM_WORLD);
    MPI_Finalize();
}

std::shared_ptr<TEpochPeers> TMpiSession::OptimizePeers() {
    if (Size < 2)
        return {};
    if (Shared->Provided < MPI_THREAD_SERIALIZED)
        throw std::runtime_error("the MPI library takes no calls from several threads "
                                 "(MPI_THREAD_SERIALIZED is needed)");
    return MpiOptimizePeers(Size);
}

TPieceRunnerFactory TMpiSession::Runners() {
    if (Shared->Provided < MPI_THREAD_SERIALIZED)
        throw std::runtime_error("the MPI library takes no calls from several threads "
                                 "(MPI_THREAD_SERIALIZED is needed)");
    auto S = Shared;
    return [S](const TSearchParams& P) -> std::unique_ptr<TPieceRunner> {
        return std::make_unique<TRemoteRunner>(S, P);
    };
}

int TMpiSession::Serve() {
    struct sigaction Action {};
    Action.sa_handler = [](int Signal) { RankSignal = Signal; };
    sigemptyset(&Action.sa_mask);
    sigaction(SIGINT, &Action, nullptr);
    sigaction(SIGTERM, &Action, nullptr);
    // CODEGEN_MPI_TRACE=1: each rank tells on standard error how many pieces it searched,
    // and how many of those searches handed the rest of their piece back in parts (the tests
    // check by it that the pieces really went to the other ranks). CODEGEN_MPI_PIECE_MS
    // replaces the budget of every piece (the tests make every search run past it).
    struct TTrace {
        int Rank;
        long long Pieces = 0, HandedOn = 0;
        ~TTrace() {
            if (const char* On = std::getenv("CODEGEN_MPI_TRACE"); On && *On == '1')
                std::fprintf(stderr, "codegen-cli rank %d: %lld pieces searched, %lld handed on\n",
                             Rank, Pieces, HandedOn);
        }
    } Trace{MyRank};
    const char* PieceMs = std::getenv("CODEGEN_MPI_PIECE_MS");
    std::unique_ptr<TPieceSearcher> Searcher;
    std::string ParamsError = "no parameters from rank 0";
    auto LastHeard = Clock::now();
    try {
        for (;;) {
            int Tag = 0, Status = 0;
            std::string Text;
            if (!ReceiveFromRankZero(Tag, Text, LastHeard, Status))
                return Status;
            if (Tag == TagQuit)
                return 0;
            if (Tag == TagOptimize) {
                if (const int Served = ServeOptimize(Text, MyRank); Served >= 0)
                    return Served;
                LastHeard = Clock::now();
                continue;
            }
            if (Tag == TagParams) {
                try {
                    Searcher = std::make_unique<TPieceSearcher>(ParamsOf(Text));
                } catch (const std::exception& E) {
                    Searcher.reset();
                    ParamsError = E.what();
                }
                continue;
            }
            if (Tag != TagPiece)
                continue; // a stop that crossed the answer of its piece
            ++Trace.Pieces;
            std::istringstream In(Text);
            unsigned long long MaxCods = 0;
            long long Milliseconds = 0;
            int ReversalCut = 0;
            std::string Prefix, From;
            In >> MaxCods >> Milliseconds >> ReversalCut >> Prefix >> From;
            if (PieceMs && *PieceMs)
                Milliseconds = std::atoll(PieceMs);

            // The piece on a thread of its own; this thread keeps listening for a stop.
            std::atomic<bool> StopFlag{false};
            std::mutex M;
            std::condition_variable Done;
            bool Finished = false;
            TPieceOutcome Outcome = TPieceOutcome::Stopped;
            std::vector<std::string> Found, Rest;
            std::string Error;
            std::thread Worker([&] {
                try {
                    if (!Searcher)
                        throw std::runtime_error(ParamsError);
                    Outcome = Searcher->Search(Prefix, From, static_cast<std::size_t>(MaxCods),
                                               std::chrono::milliseconds(Milliseconds),
                                               ReversalCut != 0, StopFlag, Found, Rest);
                } catch (const std::exception& E) {
                    Error = E.what();
                }
                std::lock_guard G(M);
                Finished = true;
                Done.notify_all();
            });
            bool Quit = false;
            for (;;) {
                {
                    std::unique_lock G(M);
                    if (Done.wait_for(G, std::chrono::microseconds(200), [&] { return Finished; }))
                        break;
                }
                // Only a stop or a dismissal can come now; each is asked for by its tag, so
                // that no other message is taken here.
                int Got = 0;
                std::string Message;
                if (TryReceive(0, TagStop, Got, Message))
                    StopFlag = true;
                if (TryReceive(0, TagQuit, Got, Message)) {
                    StopFlag = true;
                    Quit = true;
                }
            }
            Worker.join();
            std::string Answer;
            if (!Error.empty()) {
                Answer.assign(1, 'E');
                Answer.append(Error);
            } else if (Outcome == TPieceOutcome::Done || Outcome == TPieceOutcome::TooLong) {
                Answer.assign(1, Outcome == TPieceOutcome::Done ? 'D' : 'T');
                if (Outcome == TPieceOutcome::TooLong) {
                    ++Trace.HandedOn;
                    for (const auto& Part : Rest)
                        Answer += Part + ' ';
                    Answer += '\n';
                }
                for (const auto& C : Found)
                    Answer += C;
            } else {
                Answer.assign(1, Outcome == TPieceOutcome::TooMany ? 'M' : 'S');
            }
            if (!SendToRankZero(Answer, TagAnswer, Quit))
                return 0;
            if (Quit)
                return 0;
        }
    } catch (const std::exception& E) {
        std::fprintf(stderr, "codegen-cli (rank %d): %s\n", MyRank, E.what());
        return 2;
    }
}

} // namespace codegen
