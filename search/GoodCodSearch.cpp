#include "search/GoodCodSearch.h"

#include "engine/CodSymmetry.h"
#include "engine/PackedCod.h"
#include "search/CollectToEnd.h"

#include <tbb/info.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <deque>
#include <map>
#include <unordered_map>

namespace codegen {

namespace {

using Word = uint64_t;

// The first cut of the counting order into pieces: the number of leading chips a piece
// shares. A prefix much shorter than half the code keeps the cost of enumerating prefixes,
// which cannot be pruned, negligible against the pruned search below them, while giving
// enough pieces for both cores and for prompt progress.
int FirstCut(const TSearchParams& P) {
    const int Length =
        P.Type == TCodType::Binary ? std::max(10, P.L / 2 - 6) : std::max(6, P.L / 2 - 4);
    return std::min({Length, P.L, P.Type == TCodType::Binary ? 60 : 37});
}

// Digits of the counter, clamped to the type's digits (a counter left from the other type
// may hold a 2 in binary mode, which then counts as the largest digit).
std::string CounterText(const TCod& Cd, int L, TCodType Type) {
    std::string Text(static_cast<std::size_t>(L), '0');
    for (int I = 0; I < L; ++I)
        Text[static_cast<std::size_t>(I)] =
            static_cast<char>('0' + std::clamp(Cd[I], 0, MaxDigit(Type)));
    return Text;
}

// False when no code starting with Prefix can be the first (smallest) of its symmetry class:
// negating every chip, or every other chip, or both, makes the first non-zero chip at an
// even place and the first at an odd place read 1 in the smallest member ("00" for binary
// codes, whose 0 is a chip too: binary digits 0 and 1 are the chips -1 and +1).
bool ClassFirstPrefix(const std::string& Prefix, TCodType Type) {
    const char Small = Type == TCodType::Binary ? '0' : '1';
    // The alternating code 0101... stands for the class of the all-zero code.
    bool Alternating = Type == TCodType::Binary;
    for (std::size_t I = 0; I < Prefix.size() && Alternating; ++I)
        Alternating = Prefix[I] == (I % 2 ? '1' : '0');
    if (Alternating)
        return true;
    bool Seen[2] = {false, false};
    for (std::size_t I = 0; I < Prefix.size(); ++I) {
        if (Type == TCodType::Ternary && Prefix[I] == '0')
            continue;
        if (!Seen[I % 2]) {
            if (Prefix[I] != Small)
                return false;
            Seen[I % 2] = true;
        }
    }
    return true;
}

// True when Text is the first code of its symmetry class that the counting order examines:
// the smallest member, or, in the class of the all-zero code (which a run starts after),
// the smallest of the others.
bool FirstOfClass(const std::string& Text, TCodType Type) {
    std::string Key = SymmetryClassKey(Text, Type);
    if (Key.find_first_not_of('0') == std::string::npos && Type == TCodType::Binary)
        for (std::size_t I = 1; I < Key.size(); I += 2)
            Key[I] = '1'; // the class's other members: all ones and the two alternations
    return Key == Text;
}

std::string Negated(std::string Text, TCodType Type) {
    for (char& Ch : Text) {
        if (Type == TCodType::Binary)
            Ch = Ch == '0' ? '1' : '0';
        else if (Ch != '0')
            Ch = Ch == '1' ? '2' : '1';
    }
    return Text;
}

// How the search of one piece of the counting order ended: searched through, stopped from
// outside, or given up because it found or took too much (the piece is then cut finer).
enum class TPieceEnd { Done, Stopped, TooMany, TooLong };

struct TPieceLimits {
    const std::atomic<bool>* Stop = nullptr;
    std::size_t MaxCods = 0;
    std::chrono::steady_clock::time_point Deadline;
};

// A fixed-width bit set of NumWords words; bit i is chip i.
template <int NumWords> struct TBits {
    std::array<Word, NumWords> W{};

    void Set(int I) { W[static_cast<std::size_t>(I / 64)] |= Word{1} << (I % 64); }
    void Clear(int I) { W[static_cast<std::size_t>(I / 64)] &= ~(Word{1} << (I % 64)); }
    bool Test(int I) const { return (W[static_cast<std::size_t>(I / 64)] >> (I % 64)) & 1; }
    // Bit i of the result is bit i + K of this set.
    TBits Shifted(int K) const {
        if constexpr (NumWords == 1) {
            return TBits{{W[0] >> K}};
        } else {
            TBits R;
            const int Q = K / 64, S = K % 64;
            for (int I = 0; I + Q < NumWords; ++I) {
                Word V = W[static_cast<std::size_t>(I + Q)] >> S;
                if (S && I + Q + 1 < NumWords)
                    V |= W[static_cast<std::size_t>(I + Q + 1)] << (64 - S);
                R.W[static_cast<std::size_t>(I)] = V;
            }
            return R;
        }
    }
    // Bit i + K of the result is bit i of this set (bits beyond the last word drop).
    TBits ShiftedUp(int K) const {
        if constexpr (NumWords == 1) {
            return TBits{{W[0] << K}};
        } else {
            TBits R;
            const int Q = K / 64, S = K % 64;
            for (int I = NumWords - 1; I >= Q; --I) {
                Word V = W[static_cast<std::size_t>(I - Q)] << S;
                if (S && I - Q - 1 >= 0)
                    V |= W[static_cast<std::size_t>(I - Q - 1)] >> (64 - S);
                R.W[static_cast<std::size_t>(I)] = V;
            }
            return R;
        }
    }
    TBits operator~() const {
        TBits R;
        for (int I = 0; I < NumWords; ++I)
            R.W[static_cast<std::size_t>(I)] = ~W[static_cast<std::size_t>(I)];
        return R;
    }
    friend TBits operator&(TBits A, const TBits& B) {
        for (int I = 0; I < NumWords; ++I)
            A.W[static_cast<std::size_t>(I)] &= B.W[static_cast<std::size_t>(I)];
        return A;
    }
    friend TBits operator^(TBits A, const TBits& B) {
        for (int I = 0; I < NumWords; ++I)
            A.W[static_cast<std::size_t>(I)] ^= B.W[static_cast<std::size_t>(I)];
        return A;
    }
    int Count() const {
        int C = 0;
        for (Word V : W)
            C += std::popcount(V);
        return C;
    }
};

// Depth-first branch and bound over the chips of one range. The chips are fixed in an
// order that closes in from both ends (prefix first, then the back until it is as long as
// the front, then alternately), so that every side lobe R(k) becomes known pair by pair.
// A branch is cut as soon as the pairs known so far of some R(k) sum to more than the
// limit plus the number of its pairs still unknown: no completion can bring it back.
template <int NumWords, bool Ternary> class TBranchAndBound {
public:
    TBranchAndBound(const TSearchParams& P, int PrefixLength) : Params(P), L(P.L) {
        // Order in which positions are fixed.
        {
            int Front = PrefixLength, Back = 0;
            for (int I = 0; I < PrefixLength; ++I)
                Order.push_back(I);
            while (Front + Back < L) {
                if (Back < Front)
                    Order.push_back(L - 1 - Back++);
                else
                    Order.push_back(Front++);
            }
        }
        // For each depth, the side lobes the new chip completes a pair of and that the
        // remaining unknown pairs cannot rescue.
        TBits<NumWords> Known, Valid;
        for (int I = 0; I < L; ++I)
            Valid.Set(I);
        Checks.resize(static_cast<std::size_t>(L));
        for (int D = 0; D < L; ++D) {
            const int Pos = Order[static_cast<std::size_t>(D)];
            std::vector<bool> Seen(static_cast<std::size_t>(L), false);
            for (int E = 0; E < D; ++E) {
                const int K = std::abs(Pos - Order[static_cast<std::size_t>(E)]);
                Seen[static_cast<std::size_t>(K)] = true;
            }
            Known.Set(Pos);
            for (int K = 1; K < L; ++K) {
                if (!Seen[static_cast<std::size_t>(K)])
                    continue;
                TBits<NumWords> Lower = Valid.Shifted(K); // bits 0 .. L-K-1
                const auto Mask = Known & Known.Shifted(K) & Lower;
                const int Count = Mask.Count();
                const int Unknown = L - K - Count;
                // A chip still unknown meets its known partners at x-K and x+K with one
                // factor: when both partners are known and of opposite sign they cancel, so
                // such a chip can move the sum by 0 or 2 instead of 2.
                const auto Unfixed = Valid & ~Known;
                const auto Both = Unfixed & Known.ShiftedUp(K) & Known.Shifted(K);
                const auto Left = Unfixed & Known.ShiftedUp(K);
                const auto Right = Unfixed & Known.Shifted(K) & Lower;
                const int One = (Left ^ Right).Count();
                const int Free = (Unfixed & Unfixed.Shifted(K) & Lower).Count();
                if (Count - Unknown > P.SideLobeLimit)
                    Checks[static_cast<std::size_t>(D)].push_back({K, Mask, Count,
                                                                   P.SideLobeLimit + Unknown, Both,
                                                                   P.SideLobeLimit + One + Free});
            }
            // The tightest bounds cut most often: test them first.
            std::stable_sort(Checks[static_cast<std::size_t>(D)].begin(),
                             Checks[static_cast<std::size_t>(D)].end(),
                             [](const TCheck& A, const TCheck& B) { return A.Bound < B.Bound; });
        }
        // For one code per class: the depths at which one more leading chip of both the
        // code and its reversal is known, and how many are known then.
        ReversalChips.assign(static_cast<std::size_t>(L), 0);
        std::vector<bool> Placed(static_cast<std::size_t>(L), false);
        int Front = 0, Back = 0, Compared = 0;
        for (int D = 0; D < L; ++D) {
            Placed[static_cast<std::size_t>(Order[static_cast<std::size_t>(D)])] = true;
            while (Front < L && Placed[static_cast<std::size_t>(Front)])
                ++Front;
            while (Back < L && Placed[static_cast<std::size_t>(L - 1 - Back)])
                ++Back;
            if (std::min(Front, Back) > Compared)
                ReversalChips[static_cast<std::size_t>(D)] = Compared = std::min(Front, Back);
        }
    }

    // Searches the range whose first chips spell Prefix (as long as the plan's prefix).
    TPieceEnd Search(const std::string& Prefix, const TPieceLimits& Limits,
                     std::vector<std::string>& Found) {
        Stop = Limits.Stop;
        MaxCods = Limits.MaxCods;
        Deadline = Limits.Deadline;
        Out = &Found;
        Negative = {};
        NonZero = {};
        Zeros = 0;
        End = TPieceEnd::Done;
        const int Fixed = static_cast<int>(Prefix.size());
        for (int D = 0; D < Fixed; ++D) {
            Place(D, Prefix[static_cast<std::size_t>(D)] - '0');
            if (!Admissible(D))
                return TPieceEnd::Done;
        }
        Descend(Fixed);
        return End;
    }

private:
    struct TCheck {
        int K;
        TBits<NumWords> Mask;
        int Count;
        int Bound;
        // Unknown chips whose partners on both sides are known, and the bound left when
        // each of them cancels.
        TBits<NumWords> Both;
        int CancelBound;
    };

    // Chip of a digit: binary 0 -> -1, 1 -> +1; ternary 0 -> 0, 1 -> +1, 2 -> -1.
    void Place(int D, int Digit) {
        const int Pos = Order[static_cast<std::size_t>(D)];
        if constexpr (Ternary) {
            if (Digit == 0) {
                ++Zeros;
                return;
            }
            NonZero.Set(Pos);
            if (Digit == 2)
                Negative.Set(Pos);
        } else {
            if (Digit == 0)
                Negative.Set(Pos);
        }
    }

    void Unplace(int D) {
        const int Pos = Order[static_cast<std::size_t>(D)];
        if constexpr (Ternary) {
            if (!NonZero.Test(Pos))
                --Zeros;
            NonZero.Clear(Pos);
        }
        Negative.Clear(Pos);
    }

    // The digit at a placed position.
    int DigitAt(int I) const {
        if constexpr (Ternary)
            return NonZero.Test(I) ? (Negative.Test(I) ? 2 : 1) : 0;
        else
            return Negative.Test(I) ? 0 : 1;
    }

    // False when a reversed member of the class (reversed, then negated, every other chip
    // negated, or both) already reads smaller on the first Chips chips, which both the code
    // and its reversal have placed: the code cannot be the first of its class.
    bool FirstAgainstReversals(int Chips) const {
        for (int Negate = 0; Negate < 2; ++Negate)
            for (int Alternate = 0; Alternate < 2; ++Alternate)
                for (int I = 0; I < Chips; ++I) {
                    const int Own = DigitAt(I);
                    int Image = DigitAt(L - 1 - I);
                    if ((Negate != 0) != (Alternate != 0 && I % 2 == 1))
                        Image = Ternary ? (Image == 0 ? 0 : 3 - Image) : 1 - Image;
                    if (Image < Own)
                        return AlternatingSoFar(Chips);
                    if (Image > Own)
                        break;
                }
        return true;
    }

    // The alternating binary code 0101... stands for the class of the all-zero code, which
    // the counting order never examines: that member is not smaller for it.
    bool AlternatingSoFar(int Chips) const {
        if constexpr (Ternary)
            return false;
        for (int I = 0; I < Chips; ++I)
            if (DigitAt(I) != I % 2)
                return false;
        return true;
    }

    bool Admissible(int D) const {
        if (Params.Classes) {
            const int Chips = ReversalChips[static_cast<std::size_t>(D)];
            if (Chips > 0 && !FirstAgainstReversals(Chips))
                return false;
        }
        if constexpr (Ternary) {
            if (Zeros > Params.Z)
                return false;
            if (Params.Rule == TZeroRule::Equal && Zeros + (L - 1 - D) < Params.Z)
                return false;
            // n non-zero chips make at most n - 1 pairs at any one distance: no known part
            // of a lobe can pass the limit while n - 1 is within it (sparse codes stop here).
            if (D + 1 - Zeros <= Params.SideLobeLimit + 1)
                return true;
        }
        for (const TCheck& C : Checks[static_cast<std::size_t>(D)]) {
            const auto Differ = Negative.Shifted(C.K) ^ Negative;
            int Sum;
            if constexpr (Ternary) {
                const auto Both = NonZero.Shifted(C.K) & NonZero & C.Mask;
                Sum = Both.Count() - 2 * (Differ & Both).Count();
            } else {
                Sum = C.Count - 2 * (Differ & C.Mask).Count();
            }
            const int Magnitude = std::abs(Sum);
            if (Magnitude > C.Bound)
                return false;
            if constexpr (!Ternary) {
                if (Magnitude > C.CancelBound) {
                    const auto Same = C.Both & ~(Negative.ShiftedUp(C.K) ^ Negative.Shifted(C.K));
                    if (Magnitude > C.CancelBound + 2 * Same.Count())
                        return false;
                }
            }
        }
        return true;
    }

    void Descend(int D) {
        if (D == L) {
            Emit();
            return;
        }
        // A few thousand nodes take well under a millisecond: a stop is seen at once.
        if ((++Nodes & 0xFFF) == 0) {
            if (Stop->load(std::memory_order_relaxed))
                End = TPieceEnd::Stopped;
            else if (std::chrono::steady_clock::now() > Deadline)
                End = TPieceEnd::TooLong;
            if (End != TPieceEnd::Done)
                return;
        }
        if constexpr (Ternary) {
            // Under "exactly Z zeros", once every non-zero chip is placed the rest are zeros:
            // the code is complete, and its side lobes are measured whole.
            if (Params.Rule == TZeroRule::Equal && Zeros + (L - D) == Params.Z) {
                if (SideLobesWithin(TPackedCod::FromMasks(NonZero.W.data(), Negative.W.data(), L),
                                    Params.SideLobeLimit))
                    Emit();
                return;
            }
        }
        constexpr int Digits = Ternary ? 3 : 2;
        for (int Digit = 0; Digit < Digits && End == TPieceEnd::Done; ++Digit) {
            Place(D, Digit);
            if (Admissible(D))
                Descend(D + 1);
            Unplace(D);
        }
    }

    void Emit() {
        std::string Text(static_cast<std::size_t>(L), '0');
        for (int I = 0; I < L; ++I)
            Text[static_cast<std::size_t>(I)] = static_cast<char>('0' + DigitAt(I));
        if (Params.Classes && !FirstOfClass(Text, Params.Type))
            return;
        Out->push_back(std::move(Text));
        // A piece holds up to MaxCods codes (a piece of a single code always fits).
        if (Out->size() > MaxCods)
            End = TPieceEnd::TooMany;
    }

    TSearchParams Params;
    int L;
    std::vector<int> Order;
    std::vector<std::vector<TCheck>> Checks;
    std::vector<int> ReversalChips; // by depth; 0 where nothing new can be compared

    TBits<NumWords> Negative, NonZero;
    int Zeros = 0;
    uint64_t Nodes = 0;
    TPieceEnd End = TPieceEnd::Done;
    const std::atomic<bool>* Stop = nullptr;
    std::size_t MaxCods = 0;
    std::chrono::steady_clock::time_point Deadline;
    std::vector<std::string>* Out = nullptr;
};

// Type-erased range searcher, one per worker thread.
class TRangeSearcher {
public:
    virtual ~TRangeSearcher() = default;
    virtual TPieceEnd Search(const std::string& Prefix, const TPieceLimits& Limits,
                             std::vector<std::string>& Found) = 0;
};

template <int NumWords, bool Ternary> class TRangeSearcherOf : public TRangeSearcher {
public:
    TRangeSearcherOf(const TSearchParams& P, int PrefixLength) : Engine(P, PrefixLength) {}
    TPieceEnd Search(const std::string& Prefix, const TPieceLimits& Limits,
                     std::vector<std::string>& Found) override {
        return Engine.Search(Prefix, Limits, Found);
    }

private:
    TBranchAndBound<NumWords, Ternary> Engine;
};

template <int NumWords>
std::unique_ptr<TRangeSearcher> MakeSearcherOf(const TSearchParams& P, int PrefixLength) {
    if (P.Type == TCodType::Ternary)
        return std::make_unique<TRangeSearcherOf<NumWords, true>>(P, PrefixLength);
    return std::make_unique<TRangeSearcherOf<NumWords, false>>(P, PrefixLength);
}

std::unique_ptr<TRangeSearcher> MakeSearcher(const TSearchParams& P, int PrefixLength) {
    switch ((P.L + 63) / 64) {
    case 1:
        return MakeSearcherOf<1>(P, PrefixLength);
    case 2:
        return MakeSearcherOf<2>(P, PrefixLength);
    case 3:
        return MakeSearcherOf<3>(P, PrefixLength);
    case 4:
        return MakeSearcherOf<4>(P, PrefixLength);
    case 5:
        return MakeSearcherOf<5>(P, PrefixLength);
    case 6:
        return MakeSearcherOf<6>(P, PrefixLength);
    case 7:
        return MakeSearcherOf<7>(P, PrefixLength);
    default:
        return MakeSearcherOf<8>(P, PrefixLength);
    }
}

// Bytes a code text of L chips takes in memory: the string, and the heap block of a text
// too long to keep inside it (rounded up as the allocator does, with its header).
std::size_t CodBytes(int L) {
    const auto Text = static_cast<std::size_t>(L) + 1;
    return sizeof(std::string) + (Text > 16 ? (Text + 8 + 15) / 16 * 16 : 0);
}

TPieceEnd PieceEndOf(TPieceOutcome Outcome) {
    switch (Outcome) {
    case TPieceOutcome::Done:
        return TPieceEnd::Done;
    case TPieceOutcome::Stopped:
        return TPieceEnd::Stopped;
    case TPieceOutcome::TooMany:
        return TPieceEnd::TooMany;
    case TPieceOutcome::TooLong:
        break;
    }
    return TPieceEnd::TooLong;
}

TPieceOutcome PieceOutcomeOf(TPieceEnd End) {
    switch (End) {
    case TPieceEnd::Done:
        return TPieceOutcome::Done;
    case TPieceEnd::Stopped:
        return TPieceOutcome::Stopped;
    case TPieceEnd::TooMany:
        return TPieceOutcome::TooMany;
    case TPieceEnd::TooLong:
        break;
    }
    return TPieceOutcome::TooLong;
}

} // namespace

struct TPieceSearcher::TEngines {
    std::map<int, std::unique_ptr<TRangeSearcher>> ByLength; // by prefix length
};

TPieceSearcher::TPieceSearcher(const TSearchParams& P)
    : Params(P), Engines(std::make_unique<TEngines>()) {
    CheckSearchParams(P);
}

TPieceSearcher::~TPieceSearcher() = default;

TPieceOutcome TPieceSearcher::Search(const std::string& Prefix, std::size_t MaxCods,
                                     std::chrono::milliseconds MaxTime,
                                     const std::atomic<bool>& Stop,
                                     std::vector<std::string>& Found) {
    const int Length = static_cast<int>(Prefix.size());
    if (Length < 1 || Length > Params.L ||
        Prefix.find_first_not_of(Params.Type == TCodType::Binary ? "01" : "012") !=
            std::string::npos)
        throw CodError("Not a prefix of the counting order: " + Prefix);
    auto& Engine = Engines->ByLength[Length];
    if (!Engine)
        Engine = MakeSearcher(Params, Length);
    const TPieceLimits Limits{&Stop, std::max<std::size_t>(1, MaxCods),
                              std::chrono::steady_clock::now() + MaxTime};
    return PieceOutcomeOf(Engine->Search(Prefix, Limits, Found));
}

void CheckSearchParams(const TSearchParams& P) {
    CheckCodLength(P.L);
    if (P.SideLobeLimit < 0)
        throw CodError("The side-lobe limit must not be negative");
    if (P.Z < 0)
        throw CodError("The number of zeros must not be negative");
}

// One background run. The counting order from the start code to the last code is cut into
// pieces, each the codes that share a prefix of the first chips; worker threads search the
// pieces in parallel and the finished ones are handed over in counting order. A piece that
// yields too many codes or runs too long is given up and cut into the pieces one chip
// longer, and the pieces made after it start at that finer cut. So every piece ends within a
// fraction of a second and holds a bounded number of codes, at any length and limit, and a
// run's memory stays bounded however slowly its codes are collected.
struct TGoodCodSearch::TRun {
    static constexpr std::size_t BufferBytes = std::size_t{32} << 20; // finished, not collected
    static constexpr std::size_t MirrorBytes = std::size_t{32} << 20; // the negation store

    struct TPiece {
        uint64_t Id = 0;
        std::string Prefix;
        enum class TState { Waiting, Running, Done } State = TState::Waiting;
        std::vector<std::string> Cods;
        std::size_t Taken = 0; // codes already handed over
    };

    TSearchParams Params;
    int Base = 2;
    int Threads = 1;
    std::size_t MaxCods = 1;
    std::chrono::milliseconds PieceTime{200};
    std::size_t MaxPieces = 64;
    TPieceRunnerFactory Runners; // empty: the local engines

    std::atomic<bool> StopFlag{false};
    std::vector<std::thread> Workers;

    mutable std::mutex Lock;
    std::condition_variable Ready; // for Collect: codes handed over, or the end
    std::condition_variable Work;  // for the workers: a piece to take, room, or the end
    std::deque<TPiece> Pieces;     // made, not yet handed over; in counting order
    std::string NextText;          // first code of the next piece to make; empty at the end
    int Depth = 1;                 // prefix length of new pieces, only growing
    uint64_t NextId = 0;
    std::deque<TPiece> Out;        // finished in order, for Collect
    std::size_t Buffered = 0;      // bytes of the codes in Pieces and Out
    int Active = 0;                // workers not yet returned
    bool Ended = false;
    bool Completed = false;
    std::string Error;

    // Shares of the whole counting order: before the start, and up to the end of the last
    // piece collected whole.
    double StartFraction = 0;
    double CollectedFraction = 0;
    std::chrono::steady_clock::time_point Began = std::chrono::steady_clock::now();

    // Negating every chip keeps every side lobe and the zero count, so the piece whose
    // prefix is the negation of an earlier piece's holds the negations of that piece's codes:
    // they are taken from there instead of being searched again. The store keeps the codes
    // of earlier pieces (by the negated prefix) until their mirror comes, up to a size.
    std::mutex MirrorLock;
    std::unordered_map<std::string, std::vector<std::string>> Mirrors;
    std::size_t MirrorUse = 0;

    double PieceShare(const std::string& Prefix) const {
        return std::pow(static_cast<double>(Base), -static_cast<double>(Prefix.size()));
    }

    // The share of the counting order before the code Text.
    double FractionBefore(const std::string& Text) const {
        double Fraction = 0, Unit = 1;
        for (char Ch : Text) {
            Unit /= Base;
            Fraction += (Ch - '0') * Unit;
        }
        return Fraction;
    }

    // Chips up to the last non-zero one of Text.
    static int AlignedLength(const std::string& Text) {
        int Aligned = static_cast<int>(Text.size());
        while (Aligned > 0 && Text[static_cast<std::size_t>(Aligned - 1)] == '0')
            --Aligned;
        return Aligned;
    }

    // When the first D chips of Text (zeros after them) break the zero rule whatever follows,
    // moves Text on to the first code of the counting order whose first D chips do not: every
    // code in between breaks the rule. False when no such code is left. With many zeros to
    // place, most prefixes break the rule, and they are passed over here instead of being
    // made into pieces one by one.
    bool SkipBrokenPrefix(std::string& Text, int D) const {
        if (Params.Type != TCodType::Ternary)
            return true;
        const int MinNonZero = std::max(0, D - Params.Z);
        const int MaxNonZero =
            Params.Rule == TZeroRule::Equal ? std::min(D, Params.L - Params.Z) : D;
        if (MaxNonZero < MinNonZero)
            return false;
        const auto At = [&Text](int I) -> char& { return Text[static_cast<std::size_t>(I)]; };
        int NonZero = 0;
        for (int I = 0; I < D; ++I)
            NonZero += At(I) != '0';
        if (NonZero >= MinNonZero && NonZero <= MaxNonZero)
            return true;
        // The longest common start with Text, one digit larger after it, then as many zeros
        // as the rule lets and the fewest non-zero chips at the end.
        for (int I = D - 1; I >= 0; --I) {
            NonZero -= At(I) != '0';
            if (At(I) - '0' == Base - 1)
                continue;
            const int Now = NonZero + 1;
            const int Need = std::max(0, MinNonZero - Now);
            if (Now <= MaxNonZero && Need <= D - 1 - I) {
                ++At(I);
                std::fill(Text.begin() + I + 1, Text.end(), '0');
                std::fill(Text.begin() + (D - Need), Text.begin() + D, '1');
                return true;
            }
        }
        return false;
    }

    // Appends the next piece: at the current cut, or finer while NextText is not aligned to
    // it (a run that starts inside a piece climbs back to the cut piece by piece).
    bool MakePiece() {
        if (NextText.empty())
            return false;
        if (!SkipBrokenPrefix(NextText, std::max(Depth, AlignedLength(NextText)))) {
            NextText.clear();
            Release();
            return false;
        }
        const int D = std::max(Depth, AlignedLength(NextText));
        TPiece Piece;
        Piece.Id = NextId++;
        Piece.Prefix = NextText.substr(0, static_cast<std::size_t>(D));
        Pieces.push_back(std::move(Piece));
        int I = D - 1;
        while (I >= 0 && NextText[static_cast<std::size_t>(I)] - '0' == Base - 1)
            NextText[static_cast<std::size_t>(I--)] = '0';
        if (I < 0)
            NextText.clear();
        else
            ++NextText[static_cast<std::size_t>(I)];
        return true;
    }

    TPiece* TakeablePiece() {
        for (auto& P : Pieces)
            if (P.State == TPiece::TState::Waiting)
                return &P;
        if (Pieces.size() < MaxPieces && Buffered < BufferBytes && MakePiece())
            return &Pieces.back();
        return nullptr;
    }

    bool NothingLeft() const {
        return NextText.empty() &&
               std::none_of(Pieces.begin(), Pieces.end(),
                            [](const TPiece& P) { return P.State != TPiece::TState::Done; });
    }

    std::deque<TPiece>::iterator PieceById(uint64_t Id) {
        return std::find_if(Pieces.begin(), Pieces.end(),
                            [Id](const TPiece& P) { return P.Id == Id; });
    }

    // Moves the finished pieces at the front over to Out.
    void Release() {
        bool Any = false;
        while (!Pieces.empty() && Pieces.front().State == TPiece::TState::Done) {
            Out.push_back(std::move(Pieces.front()));
            Pieces.pop_front();
            Any = true;
        }
        if (NextText.empty() && Pieces.empty())
            Completed = true;
        if (Any)
            Ready.notify_all();
    }

    // An entry of the store: its key, its list and the map's node and bucket.
    std::size_t MirrorEntryBytes(const std::string& Key, std::size_t Cods) const {
        return CodBytes(static_cast<int>(Key.size())) + 64 + Cods * CodBytes(Params.L);
    }

    TPieceEnd SearchPiece(const std::string& Prefix,
                          std::map<int, std::unique_ptr<TRangeSearcher>>& Engines,
                          TPieceRunner* Runner, std::vector<std::string>& Found) {
        if (Params.Classes && !ClassFirstPrefix(Prefix, Params.Type))
            return TPieceEnd::Done;
        // One code per class keeps a code only when no member of its class is smaller,
        // negation included: a piece is then no image of its mirror's list.
        const std::string Mirror = Params.Classes ? Prefix : Negated(Prefix, Params.Type);
        if (Mirror < Prefix) {
            std::unique_lock G(MirrorLock);
            const auto It = Mirrors.find(Prefix);
            if (It != Mirrors.end()) {
                std::vector<std::string> Source = std::move(It->second);
                MirrorUse -= MirrorEntryBytes(Prefix, Source.size());
                Mirrors.erase(It);
                G.unlock();
                for (auto& C : Source)
                    Found.push_back(Negated(std::move(C), Params.Type));
                std::sort(Found.begin(), Found.end());
                return TPieceEnd::Done;
            }
        }
        const TPieceEnd End = Runner ? PieceEndOf(Runner->Search(Prefix, MaxCods, PieceTime,
                                                                 StopFlag, Found))
                                     : SearchHere(Prefix, Engines, Found);
        if (End != TPieceEnd::Done)
            return End;
        std::sort(Found.begin(), Found.end());
        if (Prefix < Mirror) {
            const std::size_t Bytes = MirrorEntryBytes(Mirror, Found.size());
            std::lock_guard G(MirrorLock);
            if (MirrorUse + Bytes <= MirrorBytes) {
                Mirrors.emplace(Mirror, Found);
                MirrorUse += Bytes;
            }
        }
        return TPieceEnd::Done;
    }

    TPieceEnd SearchHere(const std::string& Prefix,
                         std::map<int, std::unique_ptr<TRangeSearcher>>& Engines,
                         std::vector<std::string>& Found) {
        auto& Engine = Engines[static_cast<int>(Prefix.size())];
        if (!Engine)
            Engine = MakeSearcher(Params, static_cast<int>(Prefix.size()));
        const TPieceLimits Limits{&StopFlag, MaxCods, std::chrono::steady_clock::now() + PieceTime};
        return Engine->Search(Prefix, Limits, Found);
    }

    void WorkerLoop() {
        std::map<int, std::unique_ptr<TRangeSearcher>> Engines; // by prefix length
        std::unique_ptr<TPieceRunner> Runner;
        std::vector<std::string> Found;
        if (Runners) {
            try {
                Runner = Runners(Params);
            } catch (const std::exception& E) {
                std::lock_guard G(Lock);
                Error = E.what();
                StopFlag = true;
            }
        }
        std::unique_lock G(Lock);
        while (!StopFlag.load()) {
            TPiece* Piece = TakeablePiece();
            if (!Piece) {
                if (NothingLeft())
                    break;
                Work.wait(G);
                continue;
            }
            Piece->State = TPiece::TState::Running;
            const uint64_t Id = Piece->Id;
            const std::string Prefix = Piece->Prefix;
            G.unlock();
            Found.clear();
            TPieceEnd End;
            try {
                End = SearchPiece(Prefix, Engines, Runner.get(), Found);
            } catch (const std::exception& E) {
                G.lock();
                Error = E.what();
                StopFlag = true;
                break;
            }
            G.lock();
            if (StopFlag.load() || End == TPieceEnd::Stopped)
                break;
            const auto It = PieceById(Id);
            if (End == TPieceEnd::TooMany || End == TPieceEnd::TooLong) {
                const int Longer = static_cast<int>(Prefix.size()) + 1;
                Depth = std::max(Depth, Longer);
                std::vector<TPiece> Children(static_cast<std::size_t>(Base));
                for (int Digit = 0; Digit < Base; ++Digit) {
                    TPiece& Child = Children[static_cast<std::size_t>(Digit)];
                    Child.Id = NextId++;
                    Child.Prefix = Prefix + static_cast<char>('0' + Digit);
                }
                Pieces.insert(Pieces.erase(It), std::make_move_iterator(Children.begin()),
                              std::make_move_iterator(Children.end()));
                Work.notify_all();
                continue;
            }
            It->State = TPiece::TState::Done;
            Buffered += Found.size() * CodBytes(Params.L);
            It->Cods = std::move(Found);
            Found = {};
            Release();
            Work.notify_all();
        }
        if (--Active == 0) {
            Ended = true;
            Ready.notify_all();
        }
        Work.notify_all();
    }

    // Stops the workers and drops what is not collected yet: the counter stays at the last
    // code handed over, so a new run finds those codes again, and a stop takes effect at
    // once however many codes were waiting.
    void RequestStop() {
        {
            std::lock_guard G(Lock);
            StopFlag = true;
            if (!Out.empty())
                Completed = false;
            Out.clear();
            Buffered = 0;
        }
        Work.notify_all();
        Ready.notify_all();
    }

    void Join() {
        for (auto& W : Workers)
            if (W.joinable())
                W.join();
    }
};

TGoodCodSearch::TGoodCodSearch() = default;

TGoodCodSearch::~TGoodCodSearch() {
    if (Run) {
        Run->RequestStop();
        Run->Join();
    }
}

void TGoodCodSearch::Reset() {
    if (Running())
        throw CodError("The search is running");
    ClearCod(Position);
}

void TGoodCodSearch::SetCod(const TCod& Cd) {
    if (Running())
        throw CodError("The search is running");
    Position = Cd;
}

bool TGoodCodSearch::Running() const {
    if (!Run)
        return false;
    std::lock_guard G(Run->Lock);
    return !Run->Ended || !Run->Out.empty();
}

void TGoodCodSearch::Start(const TSearchParams& P, int Threads) {
    CheckSearchParams(P);
    if (Running())
        throw CodError("The search is running");
    if (Threads > MaxThreads)
        throw CodError("At most " + std::to_string(MaxThreads) + " threads");
    if (Run)
        Run->Join();
    Run = std::make_unique<TRun>();
    RunParams = P;
    TRun& R = *Run;
    R.Params = P;
    R.Base = MaxDigit(P.Type) + 1;
    R.Depth = FirstCut(P);
    R.MaxCods = std::max<std::size_t>(1, PieceBytes / CodBytes(P.L));
    R.PieceTime = PieceTime;
    R.Threads = Threads > 0 ? Threads : tbb::info::default_concurrency();
    R.Runners = Runners;
    R.MaxPieces = static_cast<std::size_t>(R.Threads) * 16;
    // The first code of the run follows the counter; after the last code it wraps round to
    // the all-zero code, which this run then examines.
    TCod First;
    for (int I = 0; I < P.L; ++I)
        First[I] = std::clamp(Position[I], 0, MaxDigit(P.Type));
    IncCod(First, P.L, P.Type);
    R.NextText = CounterText(First, P.L, P.Type);
    R.StartFraction = R.CollectedFraction = R.FractionBefore(R.NextText);
    R.Active = R.Threads;
    R.Workers.reserve(static_cast<std::size_t>(R.Threads));
    for (int I = 0; I < R.Threads; ++I)
        R.Workers.emplace_back([&R] { R.WorkerLoop(); });
}

void TGoodCodSearch::Stop() {
    if (Run)
        Run->RequestStop();
}

TSearchBatch TGoodCodSearch::Collect(std::chrono::milliseconds Wait, std::size_t MaxCods) {
    TSearchBatch Batch;
    if (!Run) {
        Batch.Finished = true;
        return Batch;
    }
    TRun& R = *Run;
    std::string Error;
    {
        std::unique_lock G(R.Lock);
        R.Ready.wait_for(G, Wait, [&R] { return !R.Out.empty() || R.Ended; });
        std::size_t Moved = 0;
        while (!R.Out.empty() && Batch.Cods.size() < MaxCods) {
            TRun::TPiece& Piece = R.Out.front();
            const std::size_t Left = Piece.Cods.size() - Piece.Taken;
            const std::size_t Take = std::min(Left, MaxCods - Batch.Cods.size());
            for (std::size_t I = Piece.Taken; I < Piece.Taken + Take; ++I)
                Batch.Cods.push_back(std::move(Piece.Cods[I]));
            Piece.Taken += Take;
            Moved += Take;
            if (Take < Left) {
                // Part of a piece: the counter names the last code handed over, every code
                // before it having been examined.
                const std::string& Last = Batch.Cods.back();
                for (int I = 0; I < RunParams.L; ++I)
                    Position[I] = Last[static_cast<std::size_t>(I)] - '0';
                break;
            }
            // The whole piece: the counter moves to its last code (its prefix, then the
            // largest digits).
            for (int I = 0; I < RunParams.L; ++I)
                Position[I] = I < static_cast<int>(Piece.Prefix.size())
                                  ? Piece.Prefix[static_cast<std::size_t>(I)] - '0'
                                  : MaxDigit(RunParams.Type);
            // Codes passed over before the piece (SkipBrokenPrefix) count as examined.
            R.CollectedFraction = R.FractionBefore(Piece.Prefix) + R.PieceShare(Piece.Prefix);
            R.Out.pop_front();
        }
        R.Buffered -= Moved * CodBytes(RunParams.L);
        Batch.Finished = R.Ended && R.Out.empty();
        Batch.Completed = Batch.Finished && R.Completed && R.Error.empty();
        // The last pieces may have been passed over: the counter still ends at the last code.
        if (Batch.Completed)
            for (int I = 0; I < RunParams.L; ++I)
                Position[I] = MaxDigit(RunParams.Type);
        Error.swap(R.Error);
    }
    R.Work.notify_all();
    if (Batch.Finished)
        R.Join();
    if (!Error.empty())
        throw CodError(Error);
    return Batch;
}

TSearchProgress TGoodCodSearch::Progress() const {
    TSearchProgress P;
    if (!Run)
        return P;
    const TRun& R = *Run;
    double Collected;
    bool All;
    {
        std::lock_guard G(R.Lock);
        Collected = R.CollectedFraction;
        All = R.Completed && R.Out.empty();
        P.PieceChips = R.Depth;
    }
    // The fraction counts what earlier runs examined too, so that a continued run goes on
    // from where the last one stopped; the time left comes from this run's own pace.
    P.Fraction = All ? 1.0 : std::min(1.0, Collected);
    P.ElapsedSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - R.Began).count();
    const double Examined = P.Fraction - R.StartFraction;
    if (P.ElapsedSeconds > 0 && Examined > 0)
        P.CodsPerSecond =
            Examined * std::pow(static_cast<double>(R.Base), RunParams.L) / P.ElapsedSeconds;
    if (Examined > 0)
        P.SecondsLeft = P.ElapsedSeconds * std::max(0.0, 1.0 - P.Fraction) / Examined;
    return P;
}

TSearchBatch TGoodCodSearch::RunToEnd(const TSearchParams& P, int Threads,
                                      const std::function<void(const TSearchBatch&)>& Sink,
                                      const std::function<bool()>& ShouldStop,
                                      std::chrono::milliseconds Period, std::size_t MaxCods) {
    Start(P, Threads);
    return CollectToEnd<TGoodCodSearch, TSearchBatch>(*this, Sink, ShouldStop, Period, MaxCods);
}

} // namespace codegen
