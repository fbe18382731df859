#include "search/exhaustive/SearchRun.h"

#include "engine/PackedCod.h"
#include "search/exhaustive/PieceSymmetry.h"

namespace codegen {

// When the first D chips of Text (zeros after them) break the zero rule whatever follows,
// moves Text on to the first code of the counting order whose first D chips do not: every
// code in between breaks the rule. False when no such code is left. With many zeros to
// place, most prefixes break the rule, and they are passed over here instead of being
// made into pieces one by one.
bool TGoodCodSearch::TRun::SkipBrokenPrefix(std::string& Text, int D) const {
    if (Params.Type != TCodType::Ternary)
        return true;
    const int MinNonZero = std::max(0, D - Params.Z);
    const int MaxNonZero = Params.Rule == TZeroRule::Equal ? std::min(D, Params.L - Params.Z) : D;
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
bool TGoodCodSearch::TRun::MakePiece() {
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

// Moves the finished pieces at the front over to Out.
void TGoodCodSearch::TRun::Release() {
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

// Cut: in, whether the piece may be searched with the reversal cut; out, whether it was.
// A part handed on (From) is searched as the piece's first search settled.
TPieceEnd TGoodCodSearch::TRun::SearchPiece(const std::string& Prefix, const std::string& From,
                                            std::size_t Room, TEngineCache& Engines,
                                            TPieceRunner* Runner, std::vector<std::string>& Found,
                                            std::vector<std::string>& Rest, bool& Cut) {
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
void TGoodCodSearch::TRun::AddAlternating(std::vector<std::string>& Found) const {
    std::string Text(static_cast<std::size_t>(Params.L), '0');
    for (std::size_t I = 1; I < Text.size(); I += 2)
        Text[I] = '1';
    if (SideLobesWithin(TPackedCod::FromText(Text, Params.L, Params.Type), Params.SideLobeLimit))
        Found.push_back(std::move(Text));
}

TPieceEnd TGoodCodSearch::TRun::SearchHere(const std::string& Prefix, const std::string& From,
                                           std::size_t Room, TEngineCache& Engines,
                                           std::vector<std::string>& Found,
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
void TGoodCodSearch::TRun::CutFiner(std::deque<TPiece>::iterator It) {
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

void TGoodCodSearch::TRun::WorkerLoop() {
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
        if (End == TPieceEnd::TooMany || (InParts && It->Cods.size() + Found.size() > MaxCods)) {
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
void TGoodCodSearch::TRun::RequestStop() {
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

} // namespace codegen
