// Inside the good-code search: one background run, the scheduler that cuts the counting
// order into pieces, hands them to the worker threads and over to Collect in order, and the
// store of codes that the symmetries map onto later pieces. Shared by GoodCodSearch.cpp
// (the public face), SearchRun.cpp (the scheduling) and SearchRunStore.cpp (the store).
#pragma once

#include "search/exhaustive/GoodCodSearch.h"
#include "search/exhaustive/RangeSearcher.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <unordered_map>

namespace codegen {

// Code texts in counting order, packed a chip to one bit (binary) or two (ternary) and
// most significant first, so that comparing the words compares the texts.
class TPackedTexts {
public:
    explicit TPackedTexts(int L = 2, TCodType Type = TCodType::Binary)
        : L(L), Bits(Type == TCodType::Binary ? 1 : 2), Words((L * Bits + 63) / 64) {}
    std::size_t Size() const { return Packed.size() / static_cast<std::size_t>(Words); }
    std::size_t CodBytes() const { return static_cast<std::size_t>(Words) * sizeof(uint64_t); }
    std::size_t Bytes() const { return Packed.size() * sizeof(uint64_t); }
    void Add(const std::string& Text) {
        const std::size_t At = Packed.size();
        Packed.resize(At + static_cast<std::size_t>(Words), 0);
        for (int I = 0; I < L; ++I) {
            const int Bit = I * Bits;
            Packed[At + static_cast<std::size_t>(Bit / 64)] |=
                static_cast<uint64_t>(Text[static_cast<std::size_t>(I)] - '0')
                << (64 - Bits - Bit % 64);
        }
    }
    void Get(std::size_t Index, std::string& Text) const {
        Text.resize(static_cast<std::size_t>(L));
        const uint64_t* From = &Packed[Index * static_cast<std::size_t>(Words)];
        const uint64_t Mask = (uint64_t{1} << Bits) - 1;
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
            const uint64_t* Entry = &Packed[Mid * static_cast<std::size_t>(Words)];
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
    std::vector<uint64_t> Packed;
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

    // The symmetries (SignFlipped) map the piece of a prefix onto the piece of its image, so
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
    bool SkipBrokenPrefix(std::string& Text, int D) const;

    // Appends the next piece: at the current cut, or finer while NextText is not aligned to
    // it (a run that starts inside a piece climbs back to the cut piece by piece).
    bool MakePiece();

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
    void StorePiece(const TPiece& Piece);

    // Moves the finished pieces at the front over to Out.
    void Release();

    // Whether a piece may leave out the reversals of earlier pieces' codes: binary codes of
    // the first quarter (whose pieces are all stored), a prefix at most half the code, a run
    // from the start of the counting order with the store still open.
    bool ReversalCutFor(const std::string& Prefix);

    // Adds to a piece searched with the reversal cut the codes it left out: those whose last
    // chips, read backwards, come before the prefix under one of the symmetries G (or none).
    // Each is the reversal of the image under G of exactly one stored code d, the one whose
    // first chips are the smallest image of those last chips: d ends in the image under G of
    // the prefix read backwards, and starts before the prefix. Every piece
    // before this one is released and stored by now. False when the store closed meanwhile.
    bool AddReversals(TPiece& Piece);

    // The codes of a piece whose prefix has a smaller image, from the store, when it covers
    // that image's piece. False when the piece has to be searched.
    bool TakeFromStore(const std::string& Prefix, std::vector<std::string>& Found);

    // Cut: in, whether the piece may be searched with the reversal cut; out, whether it was.
    // A part handed on (From) is searched as the piece's first search settled.
    TPieceEnd SearchPiece(const std::string& Prefix, const std::string& From, std::size_t Room,
                          TEngineCache& Engines, TPieceRunner* Runner,
                          std::vector<std::string>& Found, std::vector<std::string>& Rest,
                          bool& Cut);

    // What one code per class lists of the alternating code's piece: that code, when within
    // the limit.
    void AddAlternating(std::vector<std::string>& Found) const;

    TPieceEnd SearchHere(const std::string& Prefix, const std::string& From, std::size_t Room,
                         TEngineCache& Engines, std::vector<std::string>& Found,
                         std::vector<std::string>& Rest, bool Cut);

    // Under Lock: gives up a piece that holds too many codes (its searches still under way
    // find it gone) and puts the pieces one chip longer in its place.
    void CutFiner(std::deque<TPiece>::iterator It);

    void WorkerLoop();

    // Stops the workers and drops what is not collected yet: the counter stays at the last
    // code handed over, so a new run finds those codes again, and a stop takes effect at
    // once however many codes were waiting.
    void RequestStop();

    void Join() {
        for (auto& W : Workers)
            if (W.joinable())
                W.join();
    }
};

} // namespace codegen
