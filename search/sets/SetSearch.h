// The search for a set of good codes whose mutual cross-correlation peaks stay within a
// limit, by six methods (the sixth the largest set, see MaxSet.h), with its best result
// kept between runs. The good-code list and the set live outside (the window's grids, or memory for
// the command line); the search reaches them, the limit and the progress labels through
// TSetSearchHost.
#pragma once

#include "engine/Cod.h"
#include "engine/PackedCod.h"

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace codegen {

struct TSetGraph;
struct TMaxSetResult;

// Item index of the method group.
enum class TSetMethod { All = 0, FromLast = 1, Cycle = 2, Cycle2 = 3, Full = 4, Max = 5 };

// A progress text, kept as its numbers: the search writes one for every candidate, and a
// host turns only those it shows into text.
struct TSetMessage {
    enum TKind {
        None,
        Start,
        Deal,
        Found,
        Best,
        Search,
        Package,
        Added,
        Graph,
        Step,
        Bound,
        Largest
    };
    TKind Kind = None;
    int A = 0;
    int B = 0;
    bool operator==(const TSetMessage&) const = default;
};
// "Start:= A", "Deal:= A", "Найдено A кодов", "Лучший результат =A Код B", "Поиск A",
// "Пакет A  от кода B", "Добавлен Код A"; for the largest set "Граф: A кодов" (the noun in
// the form the count takes: "1 код", "3 кода"),
// "Пройдено A из B", "Есть A, ищется B", "Наибольший комплект: A кодов (доказано)" (B = 1)
// or "... (не доказано, прервано)" (B = 0); None gives the empty text.
std::string SetMessageText(const TSetMessage& M);

class TSetSearchHost {
public:
    virtual ~TSetSearchHost() = default;

    // The good codes: rows 1..GoodCount(). Version() changes whenever any text may have.
    virtual int GoodCount() = 0;
    virtual std::string GoodText(int Row) = 0;
    virtual uint64_t GoodVersion() = 0;

    // The set: members 1..SetCount(), each a copy of a good-code row.
    virtual int SetCount() = 0;
    virtual std::string SetText(int Member) = 0;
    virtual uint64_t SetVersion() = 0;
    virtual void ClearSet() = 0;
    virtual void AddToSet(int GoodRow) = 0;

    virtual int CodLength() = 0;
    virtual TCodType CodType() = 0;
    virtual int Limit() = 0;
    virtual bool StopOnCycle() = 0;

    // A point where the user may act (Break, editing, changing parameters). Returns true
    // when anything may have changed since the last call.
    virtual bool Poll() = 0;
    // The four progress labels (1..4), written as the search goes.
    virtual void Message(int Label, const TSetMessage& M) = 0;
    virtual void Beep() = 0;
};

class TSetSearch {
public:
    // The search state, kept from run to run; only Search resets it.
    int Start = 1;
    int BestResult = 0;
    int BestStart = 1;
    int Count = 0;
    int BestCount = 0;
    std::vector<int> Pack = std::vector<int>(1, 0);     // Pack[1..Count]; [0] unused
    std::vector<int> BestPack = std::vector<int>(1, 0); // BestPack[1..BestCount]
    // Stop request: set by Break and by the stop-on-cycle rule.
    bool NoCorrJob = false;
    // Method 5: its set is kept in BestPack; true when the search proved no larger one.
    bool BestProven = false;
    // What method 5's set in BestPack was found for: a run on the same list, length, type
    // and limit (Continue) never gives it up for a smaller set.
    struct TMaxSetBasis {
        uint64_t GoodVersion = 0;
        int L = 0;
        TCodType Type = TCodType::Binary;
        int Limit = 0;
        bool operator==(const TMaxSetBasis&) const = default;
    };
    std::optional<TMaxSetBasis> MaxSetBasis;

    explicit TSetSearch(TSetSearchHost& Host) : Host(Host) {}

    // The state a Search starts from: row 1 as start and as the package's root.
    void Reset();
    // The Search button: resets the state, then runs the method.
    void Search(TSetMethod Method);
    // The Continue button: runs the method on from the state left.
    void Continue(TSetMethod Method);
    // The Break button.
    void Break() { NoCorrJob = true; }
    // The Load best button: puts the best set found into the set.
    void LoadBest(TSetMethod Method);

    // Peak of good row NN against every member of the set (0 for an empty set).
    int MaxCorrWithNoCorrStringGrid(int NN);
    // True when no member has the text of good row K.
    bool NotCodExist(int K);

    // The passes of methods 0-3 from start row NN; each returns the member count.
    int SerchByStartCod(int NN);
    int SerchByStartCodEnd(int NN);
    int SerchByStartCyrcle(int NN);
    int SerchByStartCyrcle2(int NN);
    // Score of a candidate in method 3. Given a limit, a score over it may come back as
    // Limit + 1 (the exact score is worked out only for a candidate within it).
    int Correlation2Back(int NN, int Limit = std::numeric_limits<int>::max());
    // Peak of a candidate against the package of method 4.
    int SerchFull(int NN);

    void SerchNoCorrCods(TSetMethod Method);
    void Serch_0() { RunPasses(&TSetSearch::SerchByStartCod); }
    void Serch_1() { RunPasses(&TSetSearch::SerchByStartCodEnd); }
    void Serch_2() { RunPasses(&TSetSearch::SerchByStartCyrcle); }
    void Serch_3() { RunPasses(&TSetSearch::SerchByStartCyrcle2); }
    void Serch_4();
    // The largest set: every good code decoded, the graph of pairs within the limit, its
    // maximum clique. The set goes to BestPack and into the set grid, in row order. A limit
    // changed during the run starts it again under the new one.
    void Serch_5();

private:
    // Stops early on Break, and when the limit no longer is Limit (the graph's).
    TMaxSetResult FindMaxSetBeside(const TSetGraph& Graph, int Limit, int Known);
    using TPass = int (TSetSearch::*)(int);
    void RunPasses(TPass Pass);
    int CyclePass(int NN, bool TwoBack);
    void BeginPass(int NN);
    int EndPass();
    // One candidate test point: the label, then a chance for the user to act.
    void Candidate(int Row);
    void PollHost();

    // Decoded codes, taken from the host's texts once and kept while the texts, the code
    // length and the type stay as they were.
    void Revalidate();
    const TPackedCod& Good(int Row);
    const std::string& GoodTextOf(int Row);
    void SyncSet();
    // The members, decoded; throws for a member whose text is too short.
    const std::vector<TPackedCod>& DecodedMembers();
    void AddMember(int Row);
    void ClearMembers();
    void CopyBestPack();
    bool InSet(int Row);
    bool FitsPackage(int NN);
    // Peak of good row NN against the package, the user let act before each comparison.
    int PackagePeak(int NN, bool LetUserAct);

    TSetSearchHost& Host;
    int L = 0;
    TCodType Type = TCodType::Binary;
    uint64_t GoodSeen = ~uint64_t{0};
    uint64_t SetSeen = ~uint64_t{0};
    std::vector<TPackedCod> GoodCods;
    std::vector<std::string> GoodTexts;
    std::vector<char> GoodKnown;
    std::vector<TPackedCod> Members;
    std::vector<std::string> MemberTexts;
    std::unordered_map<std::string, int> TextsInSet;
    int BadMember = 0; // first member whose text cannot be decoded, 0 for none
    int GoodRows = 0;  // R, as of the last look at the host
};

// Good codes and set in memory, for the command line and the tests.
class TMemorySetHost : public TSetSearchHost {
public:
    std::vector<std::string> Good; // Good[0] is row 1
    std::vector<int> Set;          // good rows of the members, in order
    std::vector<std::string> SetTexts;
    int Length = 10;
    TCodType Type = TCodType::Binary;
    int MaxCorr = 2;
    bool Pair = false;
    int Beeps = 0;

    // The text label 1..4 shows now.
    std::string Label(int Index) const {
        return SetMessageText(Messages[static_cast<std::size_t>(Index)]);
    }

    // Replaces the text of good row Row (1-based), as an edit of the list would.
    void SetGoodText(int Row, std::string Text) {
        Good.at(static_cast<std::size_t>(Row - 1)) = std::move(Text);
        ++GoodEdits;
    }

    int GoodCount() override { return static_cast<int>(Good.size()); }
    std::string GoodText(int Row) override;
    uint64_t GoodVersion() override { return GoodEdits; }
    int SetCount() override { return static_cast<int>(SetTexts.size()); }
    std::string SetText(int Member) override;
    uint64_t SetVersion() override { return SetEdits; }
    void ClearSet() override;
    void AddToSet(int GoodRow) override;
    int CodLength() override { return Length; }
    TCodType CodType() override { return Type; }
    int Limit() override { return MaxCorr; }
    bool StopOnCycle() override { return Pair; }
    bool Poll() override { return false; }
    void Message(int Label, const TSetMessage& M) override {
        Messages[static_cast<std::size_t>(Label)] = M;
    }
    void Beep() override { ++Beeps; }

private:
    std::array<TSetMessage, 5> Messages{};
    uint64_t GoodEdits = 0;
    uint64_t SetEdits = 0;
};

} // namespace codegen
