#include "search/exhaustive/GoodCodSearch.h"

#include "engine/CodSymmetry.h"
#include "engine/PackedCod.h"
#include "search/CollectToEnd.h"

#include <tbb/info.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <ctime>
#include <deque>
#include <immintrin.h>
#include <limits>
#include <map>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>

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

// Whether Prefix starts the alternating binary code 0101..., which stands for the class of
// the all-zero code: the one code of its piece that is first of its class (every other one
// has a smaller image, starting 00, under negating the odd chips).
bool AlternatingPrefix(const std::string& Prefix, TCodType Type) {
    bool Alternating = Type == TCodType::Binary;
    for (std::size_t I = 0; I < Prefix.size() && Alternating; ++I)
        Alternating = Prefix[I] == (I % 2 ? '1' : '0');
    return Alternating;
}

// False when no code starting with Prefix can be the first (smallest) of its symmetry class:
// negating every chip, or every other chip, or both, makes the first non-zero chip at an
// even place and the first at an odd place read 1 in the smallest member ("00" for binary
// codes, whose 0 is a chip too: binary digits 0 and 1 are the chips -1 and +1).
bool ClassFirstPrefix(const std::string& Prefix, TCodType Type) {
    const char Small = Type == TCodType::Binary ? '0' : '1';
    if (AlternatingPrefix(Prefix, Type))
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

// The symmetries that map pieces onto pieces: negating every chip (1), every chip at an odd
// place (2), or every chip at an even place (3, the two together). Each keeps every |C_k|
// and the zero count, acts place by place, and undoes itself.
std::string Transformed(const std::string& Text, int Symmetry, TCodType Type) {
    return NegatedPlaces(Text, Type, Symmetry != 2, Symmetry != 3);
}

// The smallest image of a prefix under the three symmetries, and the symmetry that gives it
// (0: the prefix itself is the smallest). Moved says whether every symmetry moves the
// prefix: then every longer prefix under it is smallest among its images too.
struct TSmallestImage {
    std::string Text;
    int Symmetry = 0;
    bool Moved = true;
};
TSmallestImage SmallestImage(const std::string& Prefix, TCodType Type) {
    TSmallestImage Best{Prefix};
    for (int G = 1; G <= 3; ++G) {
        std::string Image = Transformed(Prefix, G, Type);
        if (Image == Prefix)
            Best.Moved = false;
        if (Image < Best.Text) {
            Best.Text = std::move(Image);
            Best.Symmetry = G;
        }
    }
    return Best;
}

// How the search of one piece of the counting order ended: the runners' outcomes, one set of
// cases for the local engines and the plug-ins alike.
using TPieceEnd = TPieceOutcome;

// The processor time the calling thread has used: the measure of a piece's budget, which
// waiting for a core does not use up.
std::chrono::nanoseconds ThreadCpuTime() {
    timespec Now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &Now);
    return std::chrono::seconds(Now.tv_sec) + std::chrono::nanoseconds(Now.tv_nsec);
}

struct TPieceLimits {
    const std::atomic<bool>* Stop = nullptr;
    std::size_t MaxCods = 0;
    std::chrono::nanoseconds Budget{0}; // of the thread's processor time
    // Leave out the codes whose last chips, read backwards, come before the piece's prefix
    // under one of the symmetries that map pieces onto pieces (or none): they are the
    // reversals of images of earlier pieces' codes, which the run adds when it hands the
    // piece over (binary codes at least twice as long as the prefix).
    bool ReversalCut = false;
};

// Type-erased range searcher, one per worker thread.
class TRangeSearcher {
public:
    virtual ~TRangeSearcher() = default;
    virtual TPieceEnd Search(const std::string& Prefix, const std::string& From,
                             const TPieceLimits& Limits, std::vector<std::string>& Found,
                             std::vector<std::string>& Rest) = 0;
    // Nodes visited by every search so far.
    virtual uint64_t Nodes() const = 0;
};

} // namespace
} // namespace codegen

#define CODEGEN_BB_ISA 0
#define CODEGEN_BB_NS portable
#include "search/exhaustive/BranchAndBound.inc"
#undef CODEGEN_BB_NS
#undef CODEGEN_BB_ISA

#if defined(__x86_64__) && defined(__clang__)
// clang takes the target of a region as an attribute of every function declared in it.
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#define CODEGEN_BB_ISA 1
#define CODEGEN_BB_NS avx2
#include "search/exhaustive/BranchAndBound.inc"
#undef CODEGEN_BB_NS
#undef CODEGEN_BB_ISA
#pragma clang attribute pop

#pragma clang attribute push(__attribute__((target("avx512f,avx512bw"))), apply_to = function)
#define CODEGEN_BB_ISA 2
#define CODEGEN_BB_NS avx512
#include "search/exhaustive/BranchAndBound.inc"
#undef CODEGEN_BB_NS
#undef CODEGEN_BB_ISA
#pragma clang attribute pop

#pragma clang attribute push(__attribute__((target("avx512f,avx512bw,avx512vbmi"))),               \
                             apply_to = function)
#define CODEGEN_BB_ISA 3
#define CODEGEN_BB_NS avx512vbmi
#include "search/exhaustive/BranchAndBound.inc"
#undef CODEGEN_BB_NS
#undef CODEGEN_BB_ISA
#pragma clang attribute pop
#define CODEGEN_HAS_SEARCH_KERNELS 1
#elif defined(__x86_64__) && defined(__GNUC__)
#pragma GCC push_options
#pragma GCC target("avx2")
#define CODEGEN_BB_ISA 1
#define CODEGEN_BB_NS avx2
#include "search/exhaustive/BranchAndBound.inc"
#undef CODEGEN_BB_NS
#undef CODEGEN_BB_ISA
#pragma GCC pop_options

#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw")
#define CODEGEN_BB_ISA 2
#define CODEGEN_BB_NS avx512
#include "search/exhaustive/BranchAndBound.inc"
#undef CODEGEN_BB_NS
#undef CODEGEN_BB_ISA
#pragma GCC pop_options

#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw,avx512vbmi")
#define CODEGEN_BB_ISA 3
#define CODEGEN_BB_NS avx512vbmi
#include "search/exhaustive/BranchAndBound.inc"
#undef CODEGEN_BB_NS
#undef CODEGEN_BB_ISA
#pragma GCC pop_options
#define CODEGEN_HAS_SEARCH_KERNELS 1
#endif

namespace codegen {
namespace {

struct TSearchKernel {
    const char* Name;
    std::unique_ptr<TRangeSearcher> (*Make)(const TSearchParams&, int);
    bool (*Available)();
};

const TSearchKernel SearchKernelList[] = {
#ifdef CODEGEN_HAS_SEARCH_KERNELS
    {"avx512vbmi", avx512vbmi::MakeSearcher,
     [] {
         return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                __builtin_cpu_supports("avx512vbmi");
     }},
    {"avx512", avx512::MakeSearcher,
     [] { return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw"); }},
    {"avx2", avx2::MakeSearcher, [] { return __builtin_cpu_supports("avx2") != 0; }},
#endif
    {"portable", portable::MakeSearcher, [] { return true; }},
};

// The widest lanes the processor has, or the baseline when the environment asks for the
// scalar kernels.
const TSearchKernel* DefaultSearchKernel() {
    if (!ScalarKernelsRequested())
        for (const auto& K : SearchKernelList)
            if (K.Available())
                return &K;
    return &SearchKernelList[std::size(SearchKernelList) - 1];
}

std::atomic<const TSearchKernel*> ActiveSearchKernel{DefaultSearchKernel()};

std::unique_ptr<TRangeSearcher> MakeSearcher(const TSearchParams& P, int PrefixLength) {
    return ActiveSearchKernel.load(std::memory_order_relaxed)->Make(P, PrefixLength);
}

// Bytes a code text of L chips takes in memory: the string, and the heap block of a text
// too long to keep inside it (rounded up as the allocator does, with its header).
std::size_t CodBytes(int L) {
    const auto Text = static_cast<std::size_t>(L) + 1;
    return sizeof(std::string) + (Text > 16 ? (Text + 8 + 15) / 16 * 16 : 0);
}

// The engines of one thread by prefix length. Pieces deepen as they run long, up to the
// whole code, and an engine's tables grow with the length (megabytes at 500 chips): only
// the few lengths in use are kept, the least recently used one making room.
class TEngineCache {
public:
    TRangeSearcher& For(const TSearchParams& P, int Length) {
        ++Uses;
        for (auto& E : Kept)
            if (E.Length == Length) {
                E.LastUse = Uses;
                return *E.Engine;
            }
        if (Kept.size() >= Capacity)
            Kept.erase(
                std::min_element(Kept.begin(), Kept.end(), [](const TEntry& A, const TEntry& B) {
                    return A.LastUse < B.LastUse;
                }));
        Kept.push_back({Length, Uses, MakeSearcher(P, Length)});
        return *Kept.back().Engine;
    }

private:
    struct TEntry {
        int Length = 0;
        uint64_t LastUse = 0;
        std::unique_ptr<TRangeSearcher> Engine;
    };
    static constexpr std::size_t Capacity = 4;
    std::vector<TEntry> Kept;
    uint64_t Uses = 0;
};

} // namespace

struct TPieceSearcher::TEngines {
    TEngineCache ByLength;
};

TPieceSearcher::TPieceSearcher(const TSearchParams& P)
    : Params(P), Engines(std::make_unique<TEngines>()) {
    CheckSearchParams(P);
}

TPieceSearcher::~TPieceSearcher() = default;

TPieceOutcome TPieceSearcher::Search(const std::string& Prefix, const std::string& From,
                                     std::size_t MaxCods, std::chrono::milliseconds MaxTime,
                                     bool ReversalCut, const std::atomic<bool>& Stop,
                                     std::vector<std::string>& Found,
                                     std::vector<std::string>& Rest) {
    const int Length = static_cast<int>(Prefix.size());
    const char* Digits = Params.Type == TCodType::Binary ? "01" : "012";
    if (Length < 1 || Length > Params.L || Prefix.find_first_not_of(Digits) != std::string::npos)
        throw CodError("Not a prefix of the counting order: " + Prefix);
    if (!From.empty() && (From.size() > static_cast<std::size_t>(Params.L) ||
                          From.compare(0, Prefix.size(), Prefix) != 0 ||
                          From.find_first_not_of(Digits) != std::string::npos))
        throw CodError("Not a part of the piece " + Prefix + ": " + From);
    auto& Engine = Engines->ByLength.For(Params, Length);
    const TPieceLimits Limits{&Stop, std::max<std::size_t>(1, MaxCods), MaxTime, ReversalCut};
    return Engine.Search(Prefix, From, Limits, Found, Rest);
}

void CheckSearchParams(const TSearchParams& P) {
    CheckCodLength(P.L);
    if (P.SideLobeLimit < 0)
        throw CodError("The side-lobe limit must not be negative");
    if (P.Z < 0)
        throw CodError("The number of zeros must not be negative");
}

// Code texts in counting order, packed a chip to one bit (binary) or two (ternary) and
// most significant first, so that comparing the words compares the texts.
class TPackedTexts {
public:
    explicit TPackedTexts(int L = 2, TCodType Type = TCodType::Binary)
        : L(L), Bits(Type == TCodType::Binary ? 1 : 2), Words((L * Bits + 63) / 64) {}
    std::size_t Size() const { return Packed.size() / static_cast<std::size_t>(Words); }
    std::size_t CodBytes() const { return static_cast<std::size_t>(Words) * sizeof(Word); }
    std::size_t Bytes() const { return Packed.size() * sizeof(Word); }
    void Add(const std::string& Text) {
        const std::size_t At = Packed.size();
        Packed.resize(At + static_cast<std::size_t>(Words), 0);
        for (int I = 0; I < L; ++I) {
            const int Bit = I * Bits;
            Packed[At + static_cast<std::size_t>(Bit / 64)] |=
                static_cast<Word>(Text[static_cast<std::size_t>(I)] - '0')
                << (64 - Bits - Bit % 64);
        }
    }
    void Get(std::size_t Index, std::string& Text) const {
        Text.resize(static_cast<std::size_t>(L));
        const Word* From = &Packed[Index * static_cast<std::size_t>(Words)];
        const Word Mask = (Word{1} << Bits) - 1;
        for (int I = 0; I < L; ++I) {
            const int Bit = I * Bits;
            Text[static_cast<std::size_t>(I)] =
                static_cast<char>('0' + ((From[Bit / 64] >> (64 - Bits - Bit % 64)) & Mask));
        }
    }
    // The first stored text not before Text.
    std::size_t LowerBound(const std::string& Text) const {
        TPackedTexts Key(L, Bits == 1 ? TCodType::Binary : TCodType::Ternary);
        Key.Add(Text);
        std::size_t Low = 0, High = Size();
        while (Low < High) {
            const std::size_t Mid = (Low + High) / 2;
            const Word* Entry = &Packed[Mid * static_cast<std::size_t>(Words)];
            if (std::lexicographical_compare(Entry, Entry + Words, Key.Packed.begin(),
                                             Key.Packed.end()))
                Low = Mid + 1;
            else
                High = Mid;
        }
        return Low;
    }

private:
    int L;
    int Bits;
    int Words;
    std::vector<Word> Packed;
};

// One background run. The counting order from the start code to the last code is cut into
// pieces, each the codes that share a prefix of the first chips; worker threads search the
// pieces in parallel and the finished ones are handed over in counting order. A piece that
// yields too many codes is given up and cut into the pieces one chip longer, and the pieces
// made after it start at that finer cut. A search that runs past its budget keeps what it
// found and hands the rest of its piece on in parts, which any worker takes up: no work is
// done twice, however often a busy machine makes searches pause, and no piece holds up the
// others for long. So every piece holds a bounded number of codes, at any length and limit,
// and a run's memory stays bounded however slowly its codes are collected.
struct TGoodCodSearch::TRun {
    static constexpr std::size_t BufferBytes = std::size_t{16} << 20; // finished, not collected
    std::size_t MirrorBytes = std::size_t{16} << 20;                  // the symmetry store

    struct TPiece {
        uint64_t Id = 0;
        std::string Prefix;
        // Waiting: not searched yet, or parts of it handed on and not taken (Rest).
        enum class TState { Waiting, Running, Done } State = TState::Waiting;
        std::vector<std::string> Cods;
        std::size_t Taken = 0; // codes already handed over
        // Searched without the reversals of earlier pieces' codes, which Release adds; or,
        // when they could not be had, to be searched whole.
        bool Cut = false;
        bool NoCut = false;
        // The parts handed on and not taken yet, and the searches of it under way. Its first
        // search settles Cut, which its parts then share.
        std::vector<std::string> Rest;
        int Open = 0;
        bool Started = false;
        bool Parted = false; // searched in parts: its codes are sorted when it is done
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
    std::deque<TPiece> Out;   // finished in order, for Collect
    std::size_t Buffered = 0; // bytes of the codes in Pieces and Out
    int Active = 0;           // workers not yet returned
    bool Ended = false;
    bool Completed = false;
    std::string Error;

    // Shares of the whole counting order: before the start, and up to the end of the last
    // piece collected whole.
    double StartFraction = 0;
    double CollectedFraction = 0;
    std::chrono::steady_clock::time_point Began = std::chrono::steady_clock::now();

    // The symmetries (Transformed) map the piece of a prefix onto the piece of its image, so
    // a piece whose prefix has a smaller image holds the images of that earlier piece's codes:
    // they are taken from there instead of being searched again. The store keeps, in counting
    // order, the codes of the released pieces that are smallest among their images (a quarter
    // of the order), up to a size; StoredThrough is the last code of the order it covers
    // (from StoreFrom, the run's first code), empty while it covers nothing. Only codes are
    // kept, so its memory follows the list, not the number of pieces.
    std::mutex MirrorLock;
    TPackedTexts Store;
    // For the reversal cut: the stored codes by their last SuffixChips chips read backwards.
    bool Reversals = false;
    int SuffixChips = 0;
    // Keyed by those chips as bits (binary codes, at most 60 of them).
    std::unordered_map<uint64_t, std::vector<uint32_t>> BySuffix;
    std::size_t IndexBytes = 0;
    // What the index takes: a new key's node and list, and each code's place in a list.
    static constexpr std::size_t KeyBytes = 96, PlaceBytes = 8;

    // The first Chips chips of Text from Backwards on, read backwards, as bits.
    static uint64_t ChipBits(const std::string& Text, std::size_t From, int Chips, bool Backwards) {
        uint64_t Bits = 0;
        for (int I = 0; I < Chips; ++I)
            Bits = Bits << 1 |
                   static_cast<uint64_t>(Text[Backwards ? From - static_cast<std::size_t>(I)
                                                        : From + static_cast<std::size_t>(I)] -
                                         '0');
        return Bits;
    }
    bool StoreOpen = true;
    std::string StoreFrom, StoredThrough;
    std::atomic<uint64_t> MappedPieces{0};
    std::atomic<uint64_t> Nodes{0};
    uint64_t ReversedCods = 0; // added by AddReversals; under Lock
    uint64_t HandedOn = 0;     // under Lock

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
        return NextText.empty() && std::none_of(Pieces.begin(), Pieces.end(), [](const TPiece& P) {
                   return P.State != TPiece::TState::Done;
               });
    }

    std::deque<TPiece>::iterator PieceById(uint64_t Id) {
        return std::find_if(Pieces.begin(), Pieces.end(),
                            [Id](const TPiece& P) { return P.Id == Id; });
    }

    // The last code of a prefix's piece.
    std::string LastOf(const std::string& Prefix) const {
        return Prefix + std::string(static_cast<std::size_t>(Params.L) - Prefix.size(),
                                    static_cast<char>('0' + Base - 1));
    }

    // Keeps the codes of a released piece that is smallest among its images.
    void StorePiece(const TPiece& Piece) {
        if (Params.Classes)
            return;
        std::lock_guard G(MirrorLock);
        if (!StoreOpen)
            return;
        if (SmallestImage(Piece.Prefix, Params.Type).Symmetry == 0) {
            std::size_t Need = Piece.Cods.size() * Store.CodBytes();
            if (Reversals) {
                std::unordered_set<uint64_t> NewKeys;
                for (const auto& C : Piece.Cods) {
                    const uint64_t Key = ChipBits(C, C.size() - 1, SuffixChips, true);
                    if (!BySuffix.count(Key))
                        NewKeys.insert(Key);
                }
                Need += NewKeys.size() * KeyBytes + Piece.Cods.size() * PlaceBytes;
            }
            if (Store.Bytes() + IndexBytes + Need > MirrorBytes ||
                Store.Size() + Piece.Cods.size() > std::numeric_limits<uint32_t>::max()) {
                StoreOpen = false;
                return;
            }
            for (const auto& C : Piece.Cods) {
                if (Reversals) {
                    auto& Places = BySuffix[ChipBits(C, C.size() - 1, SuffixChips, true)];
                    IndexBytes += (Places.empty() ? KeyBytes : 0) + PlaceBytes;
                    Places.push_back(static_cast<uint32_t>(Store.Size()));
                }
                Store.Add(C);
            }
        }
        StoredThrough = LastOf(Piece.Prefix);
    }

    // Moves the finished pieces at the front over to Out.
    void Release() {
        bool Any = false;
        while (!Pieces.empty() && Pieces.front().State == TPiece::TState::Done) {
            TPiece& Front = Pieces.front();
            if (Front.Cut && !AddReversals(Front)) {
                // The store no longer covers what came before: the piece is searched whole.
                Buffered -= Front.Cods.size() * CodBytes(Params.L);
                Front.Cods = {};
                Front.Cut = false;
                Front.NoCut = true;
                Front.Started = Front.Parted = false;
                Front.State = TPiece::TState::Waiting;
                Work.notify_all();
                break;
            }
            StorePiece(Pieces.front());
            Out.push_back(std::move(Pieces.front()));
            Pieces.pop_front();
            Any = true;
        }
        if (NextText.empty() && Pieces.empty())
            Completed = true;
        if (Any)
            Ready.notify_all();
    }

    // Whether a piece may leave out the reversals of earlier pieces' codes: binary codes of
    // the first quarter (whose pieces are all stored), a prefix at most half the code, a run
    // from the start of the counting order with the store still open.
    bool ReversalCutFor(const std::string& Prefix) {
        if (!Reversals || Prefix.size() < static_cast<std::size_t>(SuffixChips) ||
            2 * Prefix.size() > static_cast<std::size_t>(Params.L) ||
            Prefix.compare(0, 2, "00") != 0)
            return false;
        std::lock_guard G(MirrorLock);
        return StoreOpen;
    }

    // Adds to a piece searched with the reversal cut the codes it left out: those whose last
    // chips, read backwards, come before the prefix under one of the symmetries G (or none).
    // Each is the reversal of the image under G of exactly one stored code d, the one whose
    // first chips are the smallest image of those last chips: d ends in the image under G of
    // the prefix read backwards, and starts before the prefix. Every piece
    // before this one is released and stored by now. False when the store closed meanwhile.
    bool AddReversals(TPiece& Piece) {
        std::lock_guard G(MirrorLock);
        if (!StoreOpen)
            return false;
        const std::string& P = Piece.Prefix;
        const std::size_t Had = Piece.Cods.size();
        const int L = Params.L;
        // A code ending in the prefix read backwards: d ends as its image does.
        std::string Ending(static_cast<std::size_t>(L), '0');
        for (std::size_t I = 0; I < P.size(); ++I)
            Ending[static_cast<std::size_t>(L) - 1 - I] = P[I];
        std::string Text;
        for (int Symmetry = 0; Symmetry < 4; ++Symmetry) {
            const std::string Ends = Symmetry ? Transformed(Ending, Symmetry, Params.Type) : Ending;
            const auto It = BySuffix.find(ChipBits(Ends, Ends.size() - 1, SuffixChips, true));
            if (It == BySuffix.end())
                continue;
            for (const uint32_t Index : It->second) {
                Store.Get(Index, Text);
                if (Text.compare(0, P.size(), P) >= 0)
                    continue;
                std::string Image = Symmetry ? Transformed(Text, Symmetry, Params.Type) : Text;
                std::reverse(Image.begin(), Image.end());
                if (Image.compare(0, P.size(), P) == 0)
                    Piece.Cods.push_back(std::move(Image));
            }
        }
        if (Piece.Cods.size() != Had) {
            std::sort(Piece.Cods.begin(), Piece.Cods.end());
            Buffered += (Piece.Cods.size() - Had) * CodBytes(Params.L);
            ReversedCods += Piece.Cods.size() - Had;
        }
        Piece.Cut = false;
        return true;
    }

    // The codes of a piece whose prefix has a smaller image, from the store, when it covers
    // that image's piece. False when the piece has to be searched.
    bool TakeFromStore(const std::string& Prefix, std::vector<std::string>& Found) {
        const TSmallestImage Image = SmallestImage(Prefix, Params.Type);
        // A prefix that some symmetry keeps may have longer prefixes under its smallest
        // image that are not the smallest of theirs, and were not stored.
        if (Image.Symmetry == 0 || !Image.Moved)
            return false;
        const std::string First =
            Image.Text + std::string(Prefix.size() < static_cast<std::size_t>(Params.L)
                                         ? static_cast<std::size_t>(Params.L) - Prefix.size()
                                         : 0,
                                     '0');
        std::unique_lock G(MirrorLock);
        if (StoredThrough.empty() || First < StoreFrom || LastOf(Image.Text) > StoredThrough)
            return false;
        std::string Text;
        for (std::size_t I = Store.LowerBound(First); I < Store.Size(); ++I) {
            Store.Get(I, Text);
            if (Text.compare(0, Image.Text.size(), Image.Text) != 0)
                break;
            Found.push_back(Transformed(Text, Image.Symmetry, Params.Type));
        }
        G.unlock();
        std::sort(Found.begin(), Found.end());
        ++MappedPieces;
        return true;
    }

    // Cut: in, whether the piece may be searched with the reversal cut; out, whether it was.
    // A part handed on (From) is searched as the piece's first search settled.
    TPieceEnd SearchPiece(const std::string& Prefix, const std::string& From, std::size_t Room,
                          TEngineCache& Engines, TPieceRunner* Runner,
                          std::vector<std::string>& Found, std::vector<std::string>& Rest,
                          bool& Cut) {
        if (From.empty()) {
            const bool MayCut = Cut;
            Cut = false;
            if (Params.Classes && !ClassFirstPrefix(Prefix, Params.Type))
                return TPieceEnd::Done;
            if (Params.Classes && AlternatingPrefix(Prefix, Params.Type)) {
                AddAlternating(Found);
                return TPieceEnd::Done;
            }
            // One code per class keeps a code only when no member of its class is smaller: a
            // piece is then no image of another's list.
            if (!Params.Classes && TakeFromStore(Prefix, Found))
                return TPieceEnd::Done;
            Cut = MayCut && ReversalCutFor(Prefix);
        }
        // The codes the reversal cut leaves out have a smaller reversed member: one code per
        // class lists none of them, and needs no store to add them back.
        const bool EngineCut = Cut || (Params.Classes && Params.Type == TCodType::Binary);
        const TPieceEnd End =
            Runner ? Runner->Search(Prefix, From, Room, PieceTime, EngineCut, StopFlag, Found, Rest)
                   : SearchHere(Prefix, From, Room, Engines, Found, Rest, EngineCut);
        if (End != TPieceEnd::Done)
            return End;
        std::sort(Found.begin(), Found.end());
        return TPieceEnd::Done;
    }

    // What one code per class lists of the alternating code's piece: that code, when within
    // the limit.
    void AddAlternating(std::vector<std::string>& Found) const {
        std::string Text(static_cast<std::size_t>(Params.L), '0');
        for (std::size_t I = 1; I < Text.size(); I += 2)
            Text[I] = '1';
        if (SideLobesWithin(TPackedCod::FromText(Text, Params.L, Params.Type),
                            Params.SideLobeLimit))
            Found.push_back(std::move(Text));
    }

    TPieceEnd SearchHere(const std::string& Prefix, const std::string& From, std::size_t Room,
                         TEngineCache& Engines, std::vector<std::string>& Found,
                         std::vector<std::string>& Rest, bool Cut) {
        auto& Engine = Engines.For(Params, static_cast<int>(Prefix.size()));
        const TPieceLimits Limits{&StopFlag, Room, PieceTime, Cut};
        const uint64_t Before = Engine.Nodes();
        const TPieceEnd End = Engine.Search(Prefix, From, Limits, Found, Rest);
        Nodes += Engine.Nodes() - Before;
        return End;
    }

    // Under Lock: gives up a piece that holds too many codes (its searches still under way
    // find it gone) and puts the pieces one chip longer in its place.
    void CutFiner(std::deque<TPiece>::iterator It) {
        const std::string Prefix = It->Prefix;
        Buffered -= It->Cods.size() * CodBytes(Params.L);
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
    }

    void WorkerLoop() {
        TEngineCache Engines;
        std::unique_ptr<TPieceRunner> Runner;
        std::vector<std::string> Found, Rest;
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
            std::string From;
            if (!Piece->Rest.empty()) {
                From = std::move(Piece->Rest.back());
                Piece->Rest.pop_back();
            }
            if (Piece->Rest.empty())
                Piece->State = TPiece::TState::Running;
            ++Piece->Open;
            const bool First = !Piece->Started;
            Piece->Started = true;
            const uint64_t Id = Piece->Id;
            const std::string Prefix = Piece->Prefix;
            // Room for the codes the piece may still take: it holds at most MaxCods in all.
            const std::size_t Room = MaxCods - std::min(MaxCods, Piece->Cods.size());
            bool Cut = First ? !Piece->NoCut : Piece->Cut;
            G.unlock();
            Found.clear();
            Rest.clear();
            TPieceEnd End;
            try {
                End = SearchPiece(Prefix, From, Room, Engines, Runner.get(), Found, Rest, Cut);
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
            if (It == Pieces.end())
                continue; // given up meanwhile, for too many codes
            --It->Open;
            if (First)
                It->Cut = Cut;
            // A piece taken from its image may hold more (the image's reversals were added to
            // it); one searched in parts may not.
            const bool InParts = It->Parted || End == TPieceEnd::TooLong;
            if (End == TPieceEnd::TooMany ||
                (InParts && It->Cods.size() + Found.size() > MaxCods)) {
                CutFiner(It);
                Work.notify_all();
                continue;
            }
            Buffered += Found.size() * CodBytes(Params.L);
            if (It->Cods.empty())
                It->Cods = std::move(Found);
            else
                It->Cods.insert(It->Cods.end(), std::make_move_iterator(Found.begin()),
                                std::make_move_iterator(Found.end()));
            Found = {};
            if (End == TPieceEnd::TooLong) {
                ++HandedOn;
                It->Parted = true;
                It->Rest.insert(It->Rest.end(), std::make_move_iterator(Rest.begin()),
                                std::make_move_iterator(Rest.end()));
                if (!It->Rest.empty())
                    It->State = TPiece::TState::Waiting;
            }
            if (It->Open == 0 && It->Rest.empty()) {
                if (It->Parted)
                    std::sort(It->Cods.begin(), It->Cods.end());
                It->State = TPiece::TState::Done;
                Release();
            }
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
    R.StoreFrom = R.NextText;
    R.MirrorBytes = StoreBytes;
    R.Store = TPackedTexts(P.L, P.Type);
    // The reversal cut needs every earlier code of the first quarter: a run from the start.
    R.Reversals = ReversalCuts && P.Type == TCodType::Binary && !P.Classes &&
                  R.NextText.find_first_not_of('0') == static_cast<std::size_t>(P.L - 1);
    R.SuffixChips = R.Depth;
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
        P.MappedPieces = R.MappedPieces.load();
        P.ReversedCods = R.ReversedCods;
        P.HandedOn = R.HandedOn;
    }
    P.Nodes = R.Nodes.load();
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

bool FirstOfClass(const std::string& Text, TCodType Type) {
    std::string Key = SymmetryClassKey(Text, Type);
    if (Key.find_first_not_of('0') == std::string::npos && Type == TCodType::Binary)
        for (std::size_t I = 1; I < Key.size(); I += 2)
            Key[I] = '1'; // the class's other members: all ones and the two alternations
    return Key == Text;
}

std::vector<std::string> SearchKernels() {
    std::vector<std::string> Names;
    for (const auto& K : SearchKernelList)
        if (K.Available())
            Names.emplace_back(K.Name);
    return Names;
}

void SetSearchKernel(const std::string& Name) {
    for (const auto& K : SearchKernelList)
        if (Name == K.Name && K.Available()) {
            ActiveSearchKernel = &K;
            return;
        }
    throw CodError("No search kernel \"" + Name + "\" on this processor");
}

std::string SearchKernel() {
    return ActiveSearchKernel.load()->Name;
}

} // namespace codegen
