// The store of the run: the codes of the pieces that are smallest among their images, from
// which later pieces are taken by a symmetry and the reversals left out by the cut are added.
#include "engine/CodSymmetry.h"
#include "search/exhaustive/PieceSymmetry.h"
#include "search/exhaustive/SearchRun.h"

#include <unordered_set>

namespace codegen {

// Keeps the codes of a released piece that is smallest among its images.
void TGoodCodSearch::TRun::StorePiece(const TPiece& Piece) {
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

// Whether a piece may leave out the reversals of earlier pieces' codes: binary codes of
// the first quarter (whose pieces are all stored), a prefix at most half the code, a run
// from the start of the counting order with the store still open.
bool TGoodCodSearch::TRun::ReversalCutFor(const std::string& Prefix) {
    if (!Reversals || Prefix.size() < static_cast<std::size_t>(SuffixChips) ||
        2 * Prefix.size() > static_cast<std::size_t>(Params.L) || Prefix.compare(0, 2, "00") != 0)
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
bool TGoodCodSearch::TRun::AddReversals(TPiece& Piece) {
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
    for (int Symmetry = 0; Symmetry < SignPatterns; ++Symmetry) {
        const std::string Ends = Symmetry ? SignFlipped(Ending, Symmetry, Params.Type) : Ending;
        const auto It = BySuffix.find(ChipBits(Ends, Ends.size() - 1, SuffixChips, true));
        if (It == BySuffix.end())
            continue;
        for (const uint32_t Index : It->second) {
            Store.Get(Index, Text);
            if (Text.compare(0, P.size(), P) >= 0)
                continue;
            std::string Image = Symmetry ? SignFlipped(Text, Symmetry, Params.Type) : Text;
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
bool TGoodCodSearch::TRun::TakeFromStore(const std::string& Prefix,
                                         std::vector<std::string>& Found) {
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
        Found.push_back(SignFlipped(Text, Image.Symmetry, Params.Type));
    }
    G.unlock();
    std::sort(Found.begin(), Found.end());
    ++MappedPieces;
    return true;
}

} // namespace codegen
