#include "search/sets/SetSearch.h"

#include "engine/RussianPlural.h"

#include "engine/TextLines.h"
#include "search/sets/MaxSet.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>

namespace codegen {

std::string SetMessageText(const TSetMessage& M) {
    const std::string A = std::to_string(M.A), B = std::to_string(M.B);
    switch (M.Kind) {
    case TSetMessage::None:
        return {};
    case TSetMessage::Start:
        return "Start:= " + A;
    case TSetMessage::Deal:
        return "Deal:= " + A;
    case TSetMessage::Found:
        return "Найдено " + A + " кодов";
    case TSetMessage::Best:
        return "Лучший результат =" + A + " Код " + B;
    case TSetMessage::Search:
        return "Поиск " + A;
    case TSetMessage::Package:
        return "Пакет " + A + "  от кода " + B;
    case TSetMessage::Added:
        return "Добавлен Код " + A;
    case TSetMessage::Graph:
        return "Граф: " + CountOfCods(M.A);
    case TSetMessage::Step:
        return "Пройдено " + A + " из " + B;
    case TSetMessage::Bound:
        return "Есть " + A + ", ищется " + B;
    case TSetMessage::Largest:
        return "Наибольший комплект: " + CountOfCods(M.A) + " (" +
               (M.B ? "доказано)" : "не доказано, прервано)");
    }
    return {};
}

// ---- decoded codes -------------------------------------------------------------------

void TSetSearch::Revalidate() {
    GoodRows = Host.GoodCount();
    const int NowL = Host.CodLength();
    const TCodType NowType = Host.CodType();
    const uint64_t NowGood = Host.GoodVersion();
    if (NowL != L || NowType != Type || NowGood != GoodSeen) {
        L = NowL;
        Type = NowType;
        GoodSeen = NowGood;
        GoodCods.clear();
        GoodTexts.clear();
        GoodKnown.clear();
        SetSeen = ~uint64_t{0};
    }
    // Room for every row now, so that no later lookup moves the codes under a reference
    // to one of them.
    const auto Rows = static_cast<std::size_t>(std::max(GoodRows, 0)) + 1;
    if (GoodKnown.size() < Rows) {
        GoodKnown.resize(Rows, 0);
        GoodTexts.resize(Rows);
        GoodCods.resize(Rows);
    }
    SyncSet();
}

void TSetSearch::SyncSet() {
    const uint64_t Now = Host.SetVersion();
    if (Now == SetSeen)
        return;
    // Somebody else changed the set (an edit by hand during a run): read it afresh.
    Members.clear();
    MemberTexts.clear();
    TextsInSet.clear();
    BadMember = 0;
    for (int M = 1; M <= Host.SetCount(); ++M) {
        MemberTexts.push_back(Host.SetText(M));
        ++TextsInSet[MemberTexts.back()];
        try {
            Members.push_back(PackCodText(MemberTexts.back(), L, Type));
        } catch (const CodError&) {
            // Reported when a comparison needs the members, not before.
            Members.emplace_back();
            if (!BadMember)
                BadMember = M;
        }
    }
    SetSeen = Now;
}

namespace {
// The last member, which methods 1-3 compare with; the set is empty only when it was
// emptied by hand during the pass.
const TPackedCod& LastOf(const std::vector<TPackedCod>& Set) {
    if (Set.empty())
        throw CodError("The set of codes was emptied during the search");
    return Set.back();
}
} // namespace

namespace {
// The fault of a code text, with the list and row it stands in.
[[noreturn]] void ThrowRowFault(const char* List, int Row, std::string_view Text, int L,
                                TCodType Type) {
    try {
        PackCodText(Text, L, Type);
    } catch (const CodError& E) {
        throw CodError(std::string(List) + " row " + std::to_string(Row) + ": " + E.what());
    }
    throw CodError(std::string(List) + " row " + std::to_string(Row) + " cannot be read");
}
} // namespace

const std::vector<TPackedCod>& TSetSearch::DecodedMembers() {
    if (BadMember)
        ThrowRowFault("Set", BadMember, MemberTexts[static_cast<std::size_t>(BadMember - 1)], L,
                      Type);
    return Members;
}

const std::string& TSetSearch::GoodTextOf(int Row) {
    if (Row < 1 || Row > GoodRows)
        throw CodError("The good-code row " + std::to_string(Row) + " does not exist");
    const auto Index = static_cast<std::size_t>(Row);
    if (!GoodKnown[Index]) {
        GoodTexts[Index] = Host.GoodText(Row);
        GoodKnown[Index] = 1;
        try {
            GoodCods[Index] = PackCodText(GoodTexts[Index], L, Type);
        } catch (const CodError&) {
            // Decoded on first use: a short text is an error of the comparison that needs it.
            GoodKnown[Index] = 2;
        }
    }
    return GoodTexts[Index];
}

const TPackedCod& TSetSearch::Good(int Row) {
    const auto Index = static_cast<std::size_t>(Row);
    if (Row >= 1 && Row <= GoodRows && Index < GoodKnown.size() && GoodKnown[Index] == 1)
        return GoodCods[Index];
    const std::string& Text = GoodTextOf(Row);
    if (GoodKnown[static_cast<std::size_t>(Row)] == 2)
        ThrowRowFault("Good-code", Row, Text, L, Type);
    return GoodCods[static_cast<std::size_t>(Row)];
}

void TSetSearch::AddMember(int Row) {
    // The decoded rows never move once Revalidate has made room for them.
    const TPackedCod& Cd = Good(Row);
    const std::string& Text = GoodTextOf(Row);
    Host.AddToSet(Row);
    Members.push_back(Cd);
    MemberTexts.push_back(Text);
    ++TextsInSet[Text];
    SetSeen = Host.SetVersion();
}

void TSetSearch::ClearMembers() {
    Host.ClearSet();
    Members.clear();
    MemberTexts.clear();
    TextsInSet.clear();
    BadMember = 0;
    SetSeen = Host.SetVersion();
}

void TSetSearch::PollHost() {
    if (Host.Poll())
        Revalidate();
}

void TSetSearch::Candidate(int Row) {
    Host.Message(2, {TSetMessage::Deal, Row});
    PollHost();
}

// ---- measures ------------------------------------------------------------------------

int TSetSearch::MaxCorrWithNoCorrStringGrid(int NN) {
    Revalidate();
    const TPackedCod& Cd = Good(NN);
    int Result = 0;
    for (const auto& M : DecodedMembers())
        Result = std::max(Result, PeakCrossCorrelation(Cd, M));
    return Result;
}

bool TSetSearch::NotCodExist(int K) {
    Revalidate();
    return !InSet(K);
}

bool TSetSearch::InSet(int Row) {
    return TextsInSet.contains(GoodTextOf(Row));
}

int TSetSearch::Correlation2Back(int NN, int Limit) {
    Revalidate();
    const TPackedCod& Cd = Good(NN);
    const auto& Set = DecodedMembers();
    const int M = static_cast<int>(Set.size());
    // The graded margins of the score, each tested with an early exit: the last member
    // within Limit, the one before within Limit + 2, all within Limit + 3.
    if (Limit < std::numeric_limits<int>::max() - 3) {
        const bool Within =
            CrossCorrelationWithin(Cd, LastOf(Set), Limit) &&
            (M < 2 ||
             (CrossCorrelationWithin(Cd, Set[static_cast<std::size_t>(M - 2)], Limit + 2) &&
              std::all_of(Set.begin(), Set.end(), [&](const TPackedCod& O) {
                  return CrossCorrelationWithin(Cd, O, Limit + 3);
              })));
        if (!Within)
            return Limit + 1;
    }
    int Score = PeakCrossCorrelation(Cd, LastOf(Set));
    if (M >= 2) {
        Score = std::max(Score, PeakCrossCorrelation(Cd, Set[static_cast<std::size_t>(M - 2)]) - 2);
        int All = 0;
        for (const auto& Other : Set)
            All = std::max(All, PeakCrossCorrelation(Cd, Other));
        Score = std::max(Score, All - 3);
    }
    return Score;
}

int TSetSearch::SerchFull(int NN) {
    Revalidate();
    return PackagePeak(NN, true);
}

int TSetSearch::PackagePeak(int NN, bool LetUserAct) {
    int Result = 0;
    for (int K = 1; K <= Count; ++K) {
        if (LetUserAct)
            PollHost();
        Result = std::max(Result,
                          PeakCrossCorrelation(Good(NN), Good(Pack[static_cast<std::size_t>(K)])));
    }
    return Result;
}

bool TSetSearch::FitsPackage(int NN) {
    // Only "within the limit or not" is used of the peak: each comparison stops at the first
    // shift over the limit, and the first member over it decides.
    const int Limit = Host.Limit();
    bool Fits = Limit >= 0;
    for (int K = 1; K <= Count && Fits; ++K) {
        PollHost();
        // Looked up after the poll: the list may have changed while the user acted.
        Fits = CrossCorrelationWithin(Good(NN), Good(Pack[static_cast<std::size_t>(K)]), Limit);
    }
    if (Host.Limit() == Limit)
        return Fits;
    // The limit changed while the user acted: the whole peak decides under the new one.
    return PackagePeak(NN, false) <= Host.Limit();
}

// ---- passes of methods 0-3 -------------------------------------------------------------

void TSetSearch::BeginPass(int NN) {
    Revalidate();
    ClearMembers();
    Host.Message(1, {TSetMessage::Start, NN});
    AddMember(NN);
}

int TSetSearch::EndPass() {
    const int M = Host.SetCount();
    Host.Message(3, {TSetMessage::Found, M});
    return M;
}

int TSetSearch::SerchByStartCod(int NN) {
    BeginPass(NN);
    const int R = GoodRows;
    for (int I = 1; I <= R; ++I) {
        Candidate(I);
        // Within the limit of every member: the early exit of the peak test is exact here.
        const TPackedCod& Cd = Good(I);
        const int Limit = Host.Limit();
        const auto& Set = DecodedMembers();
        const bool Fits = std::all_of(Set.begin(), Set.end(), [&](const TPackedCod& M) {
            return CrossCorrelationWithin(Cd, M, Limit);
        });
        if (Fits)
            AddMember(I);
    }
    return EndPass();
}

int TSetSearch::SerchByStartCodEnd(int NN) {
    BeginPass(NN);
    const int R = GoodRows;
    for (int I = 1; I <= R; ++I) {
        Candidate(I);
        if (CrossCorrelationWithin(Good(I), LastOf(DecodedMembers()), Host.Limit()))
            AddMember(I);
    }
    return EndPass();
}

int TSetSearch::CyclePass(int NN, bool TwoBack) {
    BeginPass(NN);
    bool No = false, Sh = false;
    int I = 0;
    do {
        ++I;
        Candidate(I);
        if (I <= GoodRows) {
            bool Fits;
            const int Limit = Host.Limit();
            const auto& Set = DecodedMembers();
            if (!TwoBack)
                Fits = CrossCorrelationWithin(Good(I), LastOf(Set), Limit);
            else
                Fits = Correlation2Back(I, Limit) <= Limit;
            if (Fits && !InSet(I)) {
                AddMember(I);
                Sh = true;
                I = 0;
            }
        }
        if (I >= GoodRows) {
            I = 0;
            if (Sh)
                Sh = false;
            else
                No = true;
        }
    } while (!No && !NoCorrJob);
    return EndPass();
}

int TSetSearch::SerchByStartCyrcle(int NN) {
    return CyclePass(NN, false);
}

int TSetSearch::SerchByStartCyrcle2(int NN) {
    return CyclePass(NN, true);
}

// ---- runs ------------------------------------------------------------------------------

void TSetSearch::RunPasses(TPass Pass) {
    // Nothing to start from (no good code, or every start row used): end at once.
    if (Start < 1 || Start > GoodRows)
        return;
    do {
        const int N = (this->*Pass)(Start);
        if (N >= BestResult) {
            BestStart = Start;
            BestResult = N;
            Host.Message(4, {TSetMessage::Best, BestResult, BestStart});
        }
        PollHost();
        ++Start;
        if (Host.StopOnCycle() && N > 1)
            NoCorrJob = true;
    } while (Start <= GoodRows && !NoCorrJob);
}

void TSetSearch::Serch_4() {
    const auto RecordBest = [this] {
        BestCount = Count;
        BestPack.assign(Pack.begin(), Pack.begin() + Count + 1);
        CopyBestPack();
    };
    do {
        const int R = GoodRows;
        if (Start + 1 > R) {
            // No candidate is left (fewer than two good codes): the package as it stands is
            // the result, if its rows exist.
            const bool Exists = std::all_of(Pack.begin() + 1, Pack.begin() + Count + 1,
                                            [R](int Row) { return Row >= 1 && Row <= R; });
            if (Count >= 1 && Count >= BestCount && Exists)
                RecordBest();
            break;
        }
        ++Start;
        Host.Message(1, {TSetMessage::Search, Start});
        if (FitsPackage(Start)) {
            ++Count;
            Pack.resize(static_cast<std::size_t>(Count) + 1);
            Pack[static_cast<std::size_t>(Count)] = Start;
            Host.Message(2, {TSetMessage::Package, Count, Pack[1]});
            Host.Message(3, {TSetMessage::Added, Start});
        }
        if (Start >= GoodRows) {
            if (Count >= BestCount)
                RecordBest();
            // Back by one member; the next candidate follows the dropped one. (An empty
            // package, possible only under a negative limit, goes on to the next root.)
            if (Count >= 1) {
                Start = Pack[static_cast<std::size_t>(Count)];
                --Count;
            }
            if (Start >= GoodRows - 1) {
                Count = 1;
                Pack.resize(std::max<std::size_t>(Pack.size(), 2));
                Pack[1] = Pack[1] + 1;
                Start = Pack[1];
            }
        }
    } while (Pack[1] < GoodRows - 1 && !NoCorrJob);
}

// The clique search runs on a thread of its own, so the host keeps being polled (the window
// repaints, Break is taken) however long the library spends between two of its reports.
// Break asks the search to stop at its next report and keeps the best set it can name.
TMaxSetResult TSetSearch::FindMaxSetBeside(const TSetGraph& Graph, int Limit, int Known) {
    struct TShared {
        std::mutex Lock;
        std::condition_variable Changed;
        TMaxSetProgress Last;
        bool Fresh = false;
        bool Done = false;
        std::atomic<bool> Stop{false};
    } Shared;
    TMaxSetResult Found;
    std::exception_ptr Error;
    std::thread Worker([&] {
        try {
            Found = FindMaxSet(Graph, [&](const TMaxSetProgress& P) {
                {
                    const std::scoped_lock Lock(Shared.Lock);
                    Shared.Last = P;
                    Shared.Fresh = true;
                }
                return !Shared.Stop.load();
            });
        } catch (...) {
            Error = std::current_exception();
        }
        const std::scoped_lock Lock(Shared.Lock);
        Shared.Done = true;
        Shared.Changed.notify_all();
    });
    // However the wait ends (a changed grid throws out of the poll), the thread is stopped
    // and joined before the graph it reads goes away.
    struct TJoin {
        TShared& Shared;
        std::thread& Worker;
        ~TJoin() {
            Shared.Stop = true;
            Worker.join();
        }
    } Join{Shared, Worker};
    for (;;) {
        std::optional<TMaxSetProgress> Report;
        bool Done;
        {
            std::unique_lock Lock(Shared.Lock);
            Shared.Changed.wait_for(Lock, std::chrono::milliseconds(15),
                                    [&] { return Shared.Done; });
            Done = Shared.Done;
            if (Shared.Fresh) {
                Report = Shared.Last;
                Shared.Fresh = false;
            }
        }
        if (Report) {
            // The bound is short enough for the narrow second label; the count of codes
            // passed takes the wide third.
            // A set kept from an earlier run on the same codes counts as known.
            const int Best = std::max(Report->Best, Known);
            Host.Message(2, {TSetMessage::Bound, Best, Best + 1});
            Host.Message(3, {TSetMessage::Step, Report->Done, Report->Total});
        }
        if (Done)
            break;
        PollHost();
        if (NoCorrJob || Host.Limit() != Limit)
            Shared.Stop = true;
    }
    if (Error)
        std::rethrow_exception(Error);
    return Found;
}

void TSetSearch::Serch_5() {
    Revalidate();
    const int R = GoodRows;
    CheckMaxSetCount(static_cast<std::size_t>(std::max(R, 0)));
    std::vector<TPackedCod> Cods;
    Cods.reserve(static_cast<std::size_t>(std::max(R, 0)));
    for (int Row = 1; Row <= R; ++Row)
        Cods.push_back(Good(Row));
    const TMaxSetBasis Basis{GoodSeen, L, Type, 0};
    Host.Message(1, {TSetMessage::Graph, R});
    TMaxSetResult Found;
    int Limit;
    bool Keep;
    do {
        Limit = Host.Limit();
        TMaxSetBasis Now = Basis;
        Now.Limit = Limit;
        Keep = MaxSetBasis == Now;
        Host.Message(2, {});
        Host.Message(3, {});
        const auto Going = [this, Limit] {
            PollHost();
            return !NoCorrJob && Host.Limit() == Limit;
        };
        // A set in hand at once, kept if a stop comes before the exact search names a larger.
        std::vector<int> FirstFit = FirstFitSet(Cods, Limit, Going);
        const TSetGraph Graph = BuildSetGraph(Cods, Limit, Going);
        Found = {};
        if (!NoCorrJob && Host.Limit() == Limit)
            Found = FindMaxSetBeside(Graph, Limit, Keep ? BestCount : 0);
        if (FirstFit.size() > Found.Members.size()) {
            Found.Members = std::move(FirstFit);
            Found.Proven = false;
        }
    } while (!NoCorrJob && Host.Limit() != Limit);
    const auto Size = static_cast<int>(Found.Members.size());
    // An equal set replaces the kept one only with a proof; else the set shown stays put.
    const bool Proven = Found.Proven && !NoCorrJob;
    if (!Keep || Size > BestCount || (Size == BestCount && Proven)) {
        BestCount = Size;
        BestPack.assign(1, 0);
        for (const int V : Found.Members)
            BestPack.push_back(V + 1);
        BestProven = Proven;
    }
    // Else a larger set from an earlier run on the same codes stays, still not proven.
    MaxSetBasis = Basis;
    MaxSetBasis->Limit = Limit;
    BestResult = BestCount;
    Host.Message(4, {TSetMessage::Largest, BestCount, BestProven ? 1 : 0});
    CopyBestPack();
}

void TSetSearch::SerchNoCorrCods(TSetMethod Method) {
    Revalidate();
    switch (Method) {
    case TSetMethod::All:
        Serch_0();
        break;
    case TSetMethod::FromLast:
        Serch_1();
        break;
    case TSetMethod::Cycle:
        Serch_2();
        break;
    case TSetMethod::Cycle2:
        Serch_3();
        break;
    case TSetMethod::Full:
        Serch_4();
        break;
    case TSetMethod::Max:
        Serch_5();
        break;
    }
    Host.Beep();
}

void TSetSearch::Search(TSetMethod Method) {
    Reset();
    SerchNoCorrCods(Method);
}

void TSetSearch::Reset() {
    NoCorrJob = false;
    Start = 1;
    BestResult = 0;
    BestStart = 1;
    Count = 1;
    BestCount = 1;
    BestProven = false;
    MaxSetBasis.reset();
    Pack.assign(2, 0);
    BestPack.assign(2, 0);
    Pack[1] = 1;
    BestPack[1] = 1;
}

void TSetSearch::Continue(TSetMethod Method) {
    NoCorrJob = false;
    Revalidate();
    // A method 4 run that has used up its roots has nothing left to continue.
    if (Method == TSetMethod::Full && Count >= 1 && Pack.size() > 1 && Pack[1] >= GoodRows - 1) {
        Host.Beep();
        return;
    }
    SerchNoCorrCods(Method);
}

void TSetSearch::LoadBest(TSetMethod Method) {
    NoCorrJob = false;
    Revalidate();
    const int R = GoodRows;
    switch (Method) {
    case TSetMethod::All:
    case TSetMethod::FromLast:
    case TSetMethod::Cycle:
    case TSetMethod::Cycle2:
        if (BestStart < 1 || BestStart > R)
            return;
        if (Method == TSetMethod::All)
            SerchByStartCod(BestStart);
        else if (Method == TSetMethod::FromLast)
            SerchByStartCodEnd(BestStart);
        else if (Method == TSetMethod::Cycle)
            SerchByStartCyrcle(BestStart);
        else
            SerchByStartCyrcle2(BestStart);
        break;
    case TSetMethod::Full:
    case TSetMethod::Max:
        CopyBestPack();
        break;
    }
}

void TSetSearch::CopyBestPack() {
    // The rows are copied as they stand, without decoding; rows gone from the list since
    // are left out.
    const int R = GoodRows;
    Host.ClearSet();
    for (int K = 1; K <= BestCount; ++K) {
        const int Row = BestPack[static_cast<std::size_t>(K)];
        if (Row >= 1 && Row <= R)
            Host.AddToSet(Row);
    }
}

// ---- the in-memory host -----------------------------------------------------------------

std::string TMemorySetHost::GoodText(int Row) {
    if (Row < 1 || Row > GoodCount())
        throw CodError("The good-code row " + std::to_string(Row) + " does not exist");
    return Good[static_cast<std::size_t>(Row - 1)];
}

std::string TMemorySetHost::SetText(int Member) {
    return SetTexts.at(static_cast<std::size_t>(Member - 1));
}

void TMemorySetHost::ClearSet() {
    Set.clear();
    SetTexts.clear();
    ++SetEdits;
}

void TMemorySetHost::AddToSet(int GoodRow) {
    Set.push_back(GoodRow);
    SetTexts.push_back(GoodText(GoodRow));
    ++SetEdits;
}

} // namespace codegen
