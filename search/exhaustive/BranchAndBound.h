// The branch and bound of the good-code search, compiled once per instruction set: each
// BranchAndBound*.cpp includes BranchAndBoundPlan.h, which includes this, under the compiler
// options of its set. Everything is in an unnamed namespace, so the builds stay apart.
#pragma once

#include "engine/CodSymmetry.h"
#include "engine/PackedCod.h"
#include "search/exhaustive/BranchAndBoundLanes.h"
#include "search/exhaustive/GoodCodSearch.h"
#include "search/exhaustive/RangeSearcher.h"

#include <algorithm>

// With AVX-512 VBMI the binary descent of codes up to 64 chips permutes bytes (CodeRows).
#if defined(__AVX512VBMI__) && defined(__AVX512BW__)
#define CODEGEN_BB_CODE_ROWS 1
#else
#define CODEGEN_BB_CODE_ROWS 0
#endif

// The containers' members that are not inlined come from one place compiled for the baseline
// (PieceSearcher.cpp): a copy made here, for a wider set, could be the one the linker keeps
// for every caller.
extern template class std::vector<int8_t>;
extern template class std::vector<uint8_t>;
extern template class std::vector<int16_t>;
extern template class std::vector<int>;
extern template class std::vector<uint64_t>;
extern template class std::vector<std::string>;

namespace codegen {
namespace {

constexpr bool CodeRowsBuilt = CODEGEN_BB_CODE_ROWS != 0;

// Depth-first branch and bound over the chips of one range. The chips are fixed in an
// order that closes in from both ends (prefix first, then the back until it is as long as
// the front, then alternately), so that every side lobe R(k) becomes known pair by pair.
// A branch is cut as soon as the pairs known so far of some R(k) sum to more than the
// limit plus what the pairs still unknown can still add: no completion brings it back.
//
// For binary codes that reach is worked out chip by chip: an unknown chip x meets its known
// partners x-k and x+k with one factor, so it moves R(k) by |a[x-k] + a[x+k]| at most (0 when
// they cancel), and a pair of two unknown chips by 1. The known sums and the reaches of all
// k are kept in vector lanes, both updated by each placed chip from its partners at k and 2k,
// and every lag is checked at every node with one compare. Ternary codes keep the plainer
// bound of one per unknown pair, the same at every node of a depth.
template <int NumWords, bool Ternary> class TBranchAndBound {
    using TShape = TLanes<NumWords>;
    using T = typename TShape::T;
    using TVec = typename TShape::TVec;
    static constexpr int Vecs = TShape::Vecs;
    static constexpr int PerVec = TShape::PerVec;
    static constexpr std::size_t Count = TShape::Count;

public:
    // The plan of the descent and its tables (BranchAndBoundPlan.h).
    TBranchAndBound(const TSearchParams& P, int PrefixLength);

    // Searches the range whose first chips spell Prefix (as long as the plan's prefix), or
    // only the part of it below From (see TPieceRunner). Past the budget, the parts not yet
    // searched go to Rest and the search ends TooLong.
    TPieceEnd Search(const std::string& Prefix, const std::string& From, const TPieceLimits& Limits,
                     std::vector<std::string>& Found, std::vector<std::string>& Rest) {
        Stop = Limits.Stop;
        MaxCods = Limits.MaxCods;
        Budget = Limits.Budget;
        Began = ThreadCpuTime();
        SearchNodes = 0;
        Out = &Found;
        Left = &Rest;
        Negative = {};
        NonZero = {};
        Zeros = 0;
        std::fill(Fwd.begin(), Fwd.end(), T{0});
        std::fill(Rev.begin(), Rev.end(), T{0});
        for (auto* Half : {&Fwd2[0], &Fwd2[1], &Rev2[0], &Rev2[1]})
            std::fill(Half->begin(), Half->end(), T{0});
        End = TPieceEnd::Done;
        const int Fixed = static_cast<int>(Prefix.size());
        CutFrom = Limits.ReversalCut && !Ternary && 2 * Fixed <= L ? Fixed : L;
        CutTo = std::min(L, 2 * Fixed);
        // The chips of From past the prefix were checked where the part was handed on, but
        // the checks are cheap and rebuild the state the descent reads.
        const std::string& Root = From.empty() ? Prefix : From;
        const int Start = static_cast<int>(Root.size());
        for (int D = 0; D < Start; ++D) {
            Place(D, Root[static_cast<std::size_t>(D)] - '0');
            if (!Admissible(D))
                return TPieceEnd::Done;
            if constexpr (!Ternary)
                if (!ReversalAllows(D))
                    return TPieceEnd::Done;
        }
        if constexpr (Ternary)
            Descend(Start);
        else
            DescendBinary(Start);
        Nodes += SearchNodes;
        return End;
    }

    uint64_t NodeCount() const { return Nodes; }

private:
    // The sum of the chips at Pos + k and Pos - k, in lane k from lane k = 1 on.
    __attribute__((always_inline)) void PartnersOf(int Pos, int V, TVec& Partners) const {
        Partners = LoadVec<TVec>(&Fwd[static_cast<std::size_t>(Pos + 1 + V * PerVec)]) +
                   LoadVec<TVec>(&Rev[static_cast<std::size_t>(L - Pos + V * PerVec)]);
    }

    // Sets the chip at Pos (0 clears it) in every array its partners are read from: Fwd by
    // place, Rev backwards, and the places of one parity by half place, both ways (Fwd2,
    // Rev2), whose lane k then reads the chip 2k away.
    void SetChip(int Pos, T Chip) {
        Fwd[static_cast<std::size_t>(Pos)] = Chip;
        Rev[static_cast<std::size_t>(L - 1 - Pos)] = Chip;
        if constexpr (!Ternary) {
            Fwd2[Pos & 1][static_cast<std::size_t>(Pos / 2)] = Chip;
            Rev2[Pos & 1][static_cast<std::size_t>(L - Pos / 2)] = Chip;
        }
    }

    // The change of the reaches when a binary chip goes to Pos at depth D: Base when the
    // pairs through it close, plus or minus Delta for a chip of +1 or -1. A partner at Pos ± k
    // still open had the chip at Pos ± 2k as its one known partner (Up, Down; 0 where the
    // partner is placed): the chip makes that |C ± 1|, and the open pair between them goes.
    __attribute__((always_inline)) void ReachFrom(int D, int V, const TVec& Partners, TVec Up,
                                                  TVec Down, TVec& Base, TVec& Delta) const {
        Delta = Up + Down;
        TVec Moved = Partners;
        MakeAbs(Moved);
        MakeAbs(Up);
        MakeAbs(Down);
        Base = LoadVec<TVec>(Reach.Row(D) + V * PerVec) - Moved - Up - Down;
    }

    // The same with the partners 2k away read from the arrays of either parity.
    __attribute__((always_inline)) void ReachChange(int D, int Pos, int V, const TVec& Partners,
                                                    TVec& Base, TVec& Delta) const {
        const TVec Up =
            LoadVec<TVec>(&Fwd2[Pos & 1][static_cast<std::size_t>(Pos / 2 + 1 + V * PerVec)]) &
            LoadVec<TVec>(OpenUp.Row(D) + V * PerVec);
        const TVec Down =
            LoadVec<TVec>(&Rev2[Pos & 1][static_cast<std::size_t>(L - Pos / 2 + 1 + V * PerVec)]) &
            LoadVec<TVec>(OpenDown.Row(D) + V * PerVec);
        ReachFrom(D, V, Partners, Up, Down, Base, Delta);
    }

    // With AVX-512 VBMI and codes of up to 64 chips the binary descent keeps the whole code
    // of each depth in a row of its own (a chip a lane, 0 while not placed) and takes the
    // partners from it by permuting lanes. Every row is written whole, once, before it is
    // read, so no load waits for a narrower store into the same bytes, as the loads of a
    // chip's neighbourhood from the byte arrays do.
    static constexpr bool CodeRows = CodeRowsBuilt && NumWords == 1;

    // The partners, and the change of the reaches, of a chip at Pos at depth D from the
    // code row of D (see PartnersOf and ReachChange).
    __attribute__((always_inline)) void FromCodeRow(int D, int Pos, TVec& Partners, TVec& Base,
                                                    TVec& Delta) const {
#if CODEGEN_BB_CODE_ROWS
        const std::size_t At = static_cast<std::size_t>(Pos);
        __m512i Code;
        std::memcpy(&Code, Codes.Row(D), 64);
        const auto Index = [](const TLaneRows<T, Count>& Rows, std::size_t Row) {
            __m512i I;
            std::memcpy(&I, Rows.Row(static_cast<int>(Row)), 64);
            return I;
        };
        const __m512i Up = _mm512_maskz_permutexvar_epi8(InUp[At], Index(Indices, 4 * At), Code);
        const __m512i Down =
            _mm512_maskz_permutexvar_epi8(InDown[At], Index(Indices, 4 * At + 1), Code);
        const __m512i Up2 = _mm512_maskz_permutexvar_epi8(OpenUpBits[static_cast<std::size_t>(D)],
                                                          Index(Indices, 4 * At + 2), Code);
        const __m512i Down2 = _mm512_maskz_permutexvar_epi8(
            OpenDownBits[static_cast<std::size_t>(D)], Index(Indices, 4 * At + 3), Code);
        TVec A, B, C, E;
        std::memcpy(&A, &Up, 64);
        std::memcpy(&B, &Down, 64);
        std::memcpy(&C, &Up2, 64);
        std::memcpy(&E, &Down2, 64);
        Partners = A + B;
        ReachFrom(D, 0, Partners, C, E, Base, Delta);
#else
        (void)D, (void)Pos, (void)Partners, (void)Base, (void)Delta;
#endif
    }

    // The code row of depth D + 1: that of D with Chip at Pos.
    __attribute__((always_inline)) void PutInCodeRow(int D, int Pos, T Chip) {
#if CODEGEN_BB_CODE_ROWS
        __m512i Code;
        std::memcpy(&Code, Codes.Row(D), 64);
        Code = _mm512_mask_mov_epi8(Code, uint64_t{1} << Pos, _mm512_set1_epi8(Chip));
        std::memcpy(Codes.Row(D + 1), &Code, 64);
#else
        (void)D, (void)Pos, (void)Chip;
#endif
    }

    // Whether a lag's known sum passes the limit (in every lane of Lim) by more than its
    // reach.
    __attribute__((always_inline)) static bool Beyond(const TVec& Sum, const TVec& Reach,
                                                      const TVec& Lim) {
        TVec Over = Sum;
        MakeAbs(Over);
        return AboveMask(TVec(Over - Reach), Lim) != 0;
    }

    // Chip of a digit: binary 0 -> -1, 1 -> +1; ternary 0 -> 0, 1 -> +1, 2 -> -1.
    void Place(int D, int Digit) {
        const int Pos = Order[static_cast<std::size_t>(D)];
        const int Chip = Ternary ? (Digit == 0 ? 0 : (Digit == 1 ? 1 : -1)) : (Digit == 0 ? -1 : 1);
        // A chip at Pos adds Chip * (a[Pos + k] + a[Pos - k]) to the sum of lag k; the chips
        // not placed yet read 0.
        for (int V = 0; V < Vecs; ++V) {
            const TVec Was = LoadVec<TVec>(Sums.Row(D) + V * PerVec);
            TVec Partners;
            PartnersOf(Pos, V, Partners);
            StoreVec(Sums.Row(D + 1) + V * PerVec,
                     Chip > 0 ? Was + Partners : (Chip < 0 ? Was - Partners : Was));
            if constexpr (!Ternary) {
                TVec Base, Delta;
                ReachChange(D, Pos, V, Partners, Base, Delta);
                StoreVec(Reach.Row(D + 1) + V * PerVec, Chip > 0 ? Base + Delta : Base - Delta);
            }
        }
        SetChip(Pos, static_cast<T>(Chip));
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
        SetChip(Pos, 0);
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
        constexpr TCodType Type = Ternary ? TCodType::Ternary : TCodType::Binary;
        for (int Pattern = 0; Pattern < SignPatterns; ++Pattern)
            for (int I = 0; I < Chips; ++I) {
                const int Own = DigitAt(I);
                int Image = DigitAt(L - 1 - I);
                if (PatternNegates(Pattern, static_cast<std::size_t>(I)))
                    Image = NegatedDigitValue(Image, Type);
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
            for (int V = 0; V < Vecs; ++V) {
                TVec Magnitude = LoadVec<TVec>(Sums.Row(D + 1) + V * PerVec);
                MakeAbs(Magnitude);
                if (AboveMask(Magnitude, LoadVec<TVec>(BoundLanes.Row(D) + V * PerVec)))
                    return false;
            }
        } else {
            for (int V = 0; V < Vecs; ++V)
                if (Beyond(LoadVec<TVec>(Sums.Row(D + 1) + V * PerVec),
                           LoadVec<TVec>(Reach.Row(D + 1) + V * PerVec),
                           LoadVec<TVec>(LimitLanes.data())))
                    return false;
        }
        return true;
    }

    // Counts a node; false once the search is to end (asked to stop, or past its budget). A
    // few thousand nodes take well under a millisecond: a stop is seen at once. The budget
    // is the thread's processor time, so a thread kept waiting by a busy machine does not
    // run over, and every search gets through a few thousand nodes before it may end: a
    // part handed on always leaves less behind. A node that ends the search is not counted:
    // it is handed on, and counted where it is searched.
    bool GoOn() {
        if ((++SearchNodes & 0xFFF) == 0) {
            if (Stop->load(std::memory_order_relaxed)) {
                End = TPieceEnd::Stopped;
            } else if (ThreadCpuTime() - Began > Budget) {
                End = TPieceEnd::TooLong;
                --SearchNodes;
            }
        }
        return End == TPieceEnd::Done;
    }

    // The part below the chips of the first D depths, with Digit at depth D when it is not
    // negative, handed on.
    void HandOn(int D, int Digit) {
        std::string Root(static_cast<std::size_t>(D + (Digit >= 0 ? 1 : 0)), '0');
        for (int I = 0; I < D; ++I)
            Root[static_cast<std::size_t>(I)] =
                static_cast<char>('0' + DigitAt(Order[static_cast<std::size_t>(I)]));
        if (Digit >= 0)
            Root.back() = static_cast<char>('0' + Digit);
        Left->push_back(std::move(Root));
    }

    // Ternary codes: a chip at a time.
    void Descend(int D) {
        if (D == L) {
            Emit();
            return;
        }
        if (!GoOn()) {
            if (End == TPieceEnd::TooLong)
                HandOn(D, -1);
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
            if (End == TPieceEnd::TooLong)
                for (int Next = Digit + 1; Next < Digits; ++Next)
                    HandOn(D, Next);
        }
    }

    // Every binary code from depth Start on, without a call per node. Both chips of a depth
    // come from one reading of the partners: the sums and reaches of -1 and of +1 are those
    // before minus and plus the same vectors, checked in registers. The -1 chip's go to the
    // next row at once, the +1 chip's wait in Later until it is its turn; Untried keeps by
    // depth the chips that passed and are still to be taken.
    void DescendBinary(int Start) {
        int D = Start;
        bool Down = true;
        const TVec Lim = LoadVec<TVec>(LimitLanes.data());
        if constexpr (CodeRows)
            std::memcpy(Codes.Row(Start), Fwd.data(), Count * sizeof(T));
        for (;;) {
            if (Down) {
                if (D == L) {
                    Emit();
                    if (End != TPieceEnd::Done)
                        return;
                } else {
                    if (!GoOn()) {
                        if (End == TPieceEnd::TooLong) {
                            // This node, and the chips still to take at the depths above.
                            HandOn(D, -1);
                            for (int Up = D - 1; Up >= Start; --Up)
                                for (int Digit = 0; Digit < 2; ++Digit)
                                    if (Untried[static_cast<std::size_t>(Up)] >> Digit & 1U)
                                        HandOn(Up, Digit);
                        }
                        return;
                    }
                    const int Pos = Order[static_cast<std::size_t>(D)];
                    unsigned Pass = 3;
                    for (int V = 0; V < Vecs; ++V) {
                        const TVec Was = LoadVec<TVec>(Sums.Row(D) + V * PerVec);
                        TVec Partners, Base, Delta;
                        if constexpr (CodeRows) {
                            FromCodeRow(D, Pos, Partners, Base, Delta);
                        } else {
                            PartnersOf(Pos, V, Partners);
                            ReachChange(D, Pos, V, Partners, Base, Delta);
                        }
                        const TVec Minus = Was - Partners, MinusReach = Base - Delta;
                        const TVec Plus = Was + Partners, PlusReach = Base + Delta;
                        Pass &= static_cast<unsigned>(!Beyond(Minus, MinusReach, Lim)) |
                                static_cast<unsigned>(!Beyond(Plus, PlusReach, Lim)) << 1;
                        StoreVec(Sums.Row(D + 1) + V * PerVec, Minus);
                        StoreVec(Reach.Row(D + 1) + V * PerVec, MinusReach);
                        StoreVec(Later.Row(2 * D) + V * PerVec, Plus);
                        StoreVec(Later.Row(2 * D + 1) + V * PerVec, PlusReach);
                    }
                    Untried[static_cast<std::size_t>(D)] = static_cast<uint8_t>(Pass);
                }
            }
            // Take the next chip that passed at depth D, or go back up.
            if (D < L && Untried[static_cast<std::size_t>(D)] != 0) {
                const int Pos = Order[static_cast<std::size_t>(D)];
                const unsigned Left = Untried[static_cast<std::size_t>(D)];
                const int Digit = (Left & 1U) ? 0 : 1;
                Untried[static_cast<std::size_t>(D)] = static_cast<uint8_t>(Left & (Left - 1));
                if (Digit == 1) {
                    std::memcpy(Sums.Row(D + 1), Later.Row(2 * D), Count * sizeof(T));
                    std::memcpy(Reach.Row(D + 1), Later.Row(2 * D + 1), Count * sizeof(T));
                    Negative.Clear(Pos);
                } else {
                    Negative.Set(Pos);
                }
                if constexpr (CodeRows)
                    PutInCodeRow(D, Pos, Digit == 0 ? T{-1} : T{1});
                else
                    SetChip(Pos, Digit == 0 ? T{-1} : T{1});
                if (ReversalAllows(D)) {
                    ++D;
                    Down = true;
                    continue;
                }
                Down = false;
                continue;
            }
            // Depth D is done: its chip goes, and the search goes on one depth up.
            if (D < L) {
                const int Pos = Order[static_cast<std::size_t>(D)];
                Negative.Clear(Pos);
                if constexpr (!CodeRows)
                    SetChip(Pos, 0);
            }
            if (D == Start)
                return;
            --D;
            Down = false;
        }
    }

    // Under the reversal cut, while the last chips are placed (back to front, right after
    // the prefix): false once they, read backwards, come before the prefix under one of the
    // sign patterns that keep every side lobe (none, all chips negated, the odd ones, the
    // even ones). Such a code is the reversal of the image of an earlier code. Ties[D] keeps
    // the patterns still equal to the prefix after depth D, so each depth compares one chip.
    bool ReversalAllows(int D) {
        if (D < CutFrom || D >= CutTo)
            return true;
        const int I = D - CutFrom;
        unsigned Tied = I == 0 ? 0xFU : Ties[static_cast<std::size_t>(D - 1)];
        const int Back = DigitAt(L - 1 - I), Front = DigitAt(I);
        for (unsigned G = 0; G < unsigned{SignPatterns}; ++G) {
            if (!(Tied >> G & 1U))
                continue;
            const int Image =
                Back ^ static_cast<int>(BinaryPatternBit(G, static_cast<unsigned>(I)));
            if (Image < Front)
                return false;
            if (Image > Front)
                Tied &= ~(1U << G);
        }
        Ties[static_cast<std::size_t>(D)] = static_cast<uint8_t>(Tied);
        return true;
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
    int CutFrom = 0, CutTo = 0;         // depths under the reversal cut
    std::vector<uint8_t> Ties;          // by depth, for ReversalAllows
    std::array<T, PerVec> LimitLanes{}; // the side-lobe limit in every lane (binary codes)
    // By depth, a row of lanes each, read and written through memcpy (a vector type's
    // alignment follows the target, so no vector object is stored). Ternary codes: the
    // bound of every lag.
    // Binary codes: the open partners of the new chip, and the reaches after each depth.
    TLaneRows<T, Count> BoundLanes, OpenUp, OpenDown, Reach;
    std::vector<T> Fwd, Rev;         // a[i] and a[L-1-i], 0 while not placed
    std::vector<T> Fwd2[2], Rev2[2]; // a[2i+p] at [p][i] and [p][L-i]
    TLaneRows<T, Count> Sums;        // after depth D in row D + 1
    TLaneRows<T, Count> Later;       // by depth D: the +1 chip's sums, reaches
    // Under CodeRows: the code after each depth, and by place the lanes to permute (Pos + k,
    // Pos - k, Pos + 2k, Pos - 2k in lane k - 1), with the lanes in the code as bits (the open
    // partners' by depth).
    TLaneRows<T, Count> Codes, Indices;
    std::vector<uint64_t> InUp, InDown, OpenUpBits, OpenDownBits;
    std::vector<uint8_t> Untried;   // by depth: bit d, chip of digit d to take
    std::vector<int> ReversalChips; // by depth; 0 where nothing new can be compared

    TBits<NumWords> Negative, NonZero;
    int Zeros = 0;
    uint64_t Nodes = 0, SearchNodes = 0; // all searches', this search's
    TPieceEnd End = TPieceEnd::Done;
    const std::atomic<bool>* Stop = nullptr;
    std::size_t MaxCods = 0;
    std::chrono::nanoseconds Budget{0}, Began{0};
    std::vector<std::string>* Out = nullptr;
    std::vector<std::string>* Left = nullptr;
};

} // namespace
} // namespace codegen
