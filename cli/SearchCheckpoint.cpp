#include "cli/SearchCheckpoint.h"

#include "engine/AtomicWrite.h"
#include "engine/Cod.h"
#include "engine/TextLines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <stdexcept>

namespace codegen {

namespace {

// The first format: the codes inside the file, which is rewritten whole.
const char* const MagicInside = "codegen-cli search checkpoint 1";
// The second: the codes beside it; still written for a count, which keeps none, and when a
// run extends the codes of such a checkpoint.
const char* const Magic2 = "codegen-cli search checkpoint 2";
const char* const CodsMagic2 = "codegen-cli search checkpoint codes 2";
// Today's: the codes file names the run that started it, and the state names it too, so that
// the codes of another run (a second search on the same path) are never taken for its own.
const char* const Magic = "codegen-cli search checkpoint 3";
const std::string CodsMagicPrefix = "codegen-cli search checkpoint codes ";
const std::string CodsMagic3 = CodsMagicPrefix + "3 run ";

// The first line of the codes file of Run (the second format's when Run is empty).
std::string CodsHeader(const std::string& Run) {
    return Run.empty() ? std::string(CodsMagic2) : CodsMagic3 + Run;
}

bool IsRunId(const std::string& Run) {
    return Run.size() == 16 && Run.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// A run's identity: 64 random bits.
std::string NewRunId() {
    std::random_device Random;
    const uint64_t Value =
        (uint64_t{Random()} << 32) ^ Random() ^ (static_cast<uint64_t>(getpid()) << 16);
    char Text[17];
    std::snprintf(Text, sizeof Text, "%016llx", static_cast<unsigned long long>(Value));
    return Text;
}

// FNV-1a: a torn or edited file does not pass.
struct TCheckSum {
    uint64_t Value = 14695981039346656037ull;
    void Add(std::string_view Bytes) {
        for (unsigned char Ch : Bytes) {
            Value ^= Ch;
            Value *= 1099511628211ull;
        }
    }
};

std::string Hex(uint64_t Value) {
    char Buffer[17];
    std::snprintf(Buffer, sizeof Buffer, "%016llx", static_cast<unsigned long long>(Value));
    return Buffer;
}

[[noreturn]] void Refuse(const std::string& Path, const std::string& Fault) {
    throw std::runtime_error("Checkpoint " + Path + ": " + Fault);
}

// Lines are short (a code is at most MaxCodLength chips): a longer one is no checkpoint.
constexpr std::size_t MaxLine = 600;

// A file read line by line through a fixed buffer. Opened without waiting, so that a pipe or
// a device is refused instead of blocking the run.
class TLineFile {
public:
    enum class TLine { Whole, End, TooLong };

    TLineFile(const std::string& File, const std::string& Checkpoint, const std::string& What) {
        Fd = open(File.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (Fd < 0)
            Refuse(Checkpoint, What + "cannot be read: " + std::strerror(errno));
        struct stat Info;
        if (fstat(Fd, &Info) != 0)
            Refuse(Checkpoint, What + "cannot be read: " + std::strerror(errno));
        if (const char* Why = NotRegularFile(Info.st_mode))
            Refuse(Checkpoint, What + Why);
        fcntl(Fd, F_SETFL, fcntl(Fd, F_GETFL) & ~O_NONBLOCK);
    }
    ~TLineFile() { close(Fd); }
    TLineFile(const TLineFile&) = delete;
    TLineFile& operator=(const TLineFile&) = delete;

    bool Seek(uint64_t Offset) {
        Pos = Length = 0;
        return lseek(Fd, static_cast<off_t>(Offset), SEEK_SET) == static_cast<off_t>(Offset);
    }
    // The next line without its end; End also when the last line has no end (Line holds it).
    TLine Next(std::string& Line, std::size_t Max = MaxLine) {
        Line.clear();
        for (;;) {
            if (Pos == Length && !Fill())
                return TLine::End;
            const char* From = Buffer + Pos;
            const auto* Stop = static_cast<const char*>(std::memchr(From, '\n', Length - Pos));
            const std::size_t Take = Stop ? static_cast<std::size_t>(Stop - From) : Length - Pos;
            Line.append(From, std::min(Take, Max + 1 - Line.size()));
            Pos += Stop ? Take + 1 : Take;
            if (Line.size() > Max)
                return TLine::TooLong;
            if (Stop)
                return TLine::Whole;
        }
    }
    bool AtEnd() { return Pos == Length && !Fill(); }

private:
    bool Fill() {
        for (;;) {
            const ssize_t Read = read(Fd, Buffer, sizeof Buffer);
            if (Read < 0 && errno == EINTR)
                continue;
            Pos = 0;
            Length = Read > 0 ? static_cast<std::size_t>(Read) : 0;
            return Length > 0;
        }
    }
    int Fd = -1;
    char Buffer[1 << 16];
    std::size_t Pos = 0;
    std::size_t Length = 0;
};

// The parameters in the order of the checkpoint's lines.
std::array<const TSearchParamField*, SearchParamFields.size()> StoredFields() {
    std::array<const TSearchParamField*, SearchParamFields.size()> Fields{};
    for (const auto& F : SearchParamFields)
        Fields.at(static_cast<std::size_t>(F.Line)) = &F;
    return Fields;
}

// The state lines before "codes": the parameters, the counter and whether it is complete.
std::string StateText(const TSearchParams& P, const std::string& After, bool Completed) {
    std::string Text;
    const auto Put = [&Text](const std::string& Line) { Text += Line + "\n"; };
    for (const TSearchParamField* F : StoredFields())
        Put(std::string(F->Key) + " " + SearchParamText(*F, F->Get(P)));
    Put("after " + After);
    Put(std::string("completed ") + (Completed ? "yes" : "no"));
    return Text;
}

void WriteState(const std::string& Path, const TSearchParams& P, const std::string& Run,
                const std::string& After, bool Completed, uint64_t Count, uint64_t Bytes,
                uint64_t CodsSum) {
    std::string Text =
        std::string(Run.empty() ? Magic2 : Magic) + "\n" + StateText(P, After, Completed);
    if (!Run.empty())
        Text += "run " + Run + "\n";
    Text += "codes " + std::to_string(Count) + "\nbytes " + std::to_string(Bytes) +
            "\ncodes-check " + Hex(CodsSum) + "\n";
    TCheckSum Sum;
    Sum.Add(Text);
    WriteFileWhole(Path, Text + "check " + Hex(Sum.Value) + "\n");
}

// A count's state: the counts by PSL where a list's has its codes.
void WriteCountState(const std::string& Path, const TSearchParams& P, const std::string& After,
                     bool Completed, const TCodCounts& Counts) {
    std::string Text = std::string(Magic2) + "\n" + StateText(P, After, Completed);
    Text += "counts " + std::to_string(Counts.Rows().size()) + "\n";
    for (const auto& Row : Counts.Rows())
        Text += "psl " + std::to_string(Row.Psl) + " codes " + std::to_string(Row.Cods) +
                " classes " + std::to_string(Row.Classes) + "\n";
    TCheckSum Sum;
    Sum.Add(Text);
    WriteFileWhole(Path, Text + "check " + Hex(Sum.Value) + "\n");
}

// One pass over a checkpoint's state, and over its codes with every code checked.
class TReader {
public:
    explicit TReader(const std::string& P) : Path(P), File(P, P, "") {}

    TSearchCheckpoint Read() {
        C.Path = Path;
        Next();
        const bool Inside = Line == MagicInside;
        Named = Line == Magic;
        if (!Inside && !Named && Line != Magic2)
            NotACheckpoint();
        Sum.Add(Line + "\n");
        Header();
        if (C.CountOnly) {
            if (Inside)
                Refuse(Path, "line " + std::to_string(LineNo) + ": \"codes ...\" expected");
            CheckLine(File, "");
            return C;
        }
        if (Inside) {
            C.CodsPath = Path;
            C.CodsOffset = Offset;
            Cods(File, "");
            CheckLine(File, "");
        } else {
            C.Appendable = true;
            const auto Bytes = Number("bytes", (1ll << 62));
            const std::string Expected = Field("codes-check");
            CheckLine(File, "");
            C.CodsPath = CheckpointCodsPath(Path);
            const std::string What = "its codes file " + C.CodsPath + ": ";
            TLineFile Codes(C.CodsPath, Path, What);
            const std::string Header = CodsHeader(C.Run);
            if (Codes.Next(Line) != TLineFile::TLine::Whole || Line.rfind(CodsMagicPrefix, 0) != 0)
                Refuse(Path, What + "not the codes of a checkpoint");
            if (Line != Header)
                Refuse(Path, What + "the codes of another run (" + RunOf(Line) +
                                 ", where the checkpoint names " + RunOf(Header) +
                                 "): a second search on this checkpoint started them afresh");
            LineNo = 1;
            C.CodsOffset = Header.size() + 1;
            Cods(Codes, What);
            if (static_cast<long long>(C.CodsBytes) != Bytes || Hex(C.CodsSum) != Expected)
                Refuse(Path, What + "damaged: the codes do not match the check sum");
        }
        return C;
    }

private:
    // "run 0123..." of a codes file's first line, or "no run" for the second format.
    static std::string RunOf(const std::string& Header) {
        return Header.rfind(CodsMagic3, 0) == 0 ? "run " + Header.substr(CodsMagic3.size())
                                                : std::string("no run");
    }
    [[noreturn]] void NotACheckpoint() {
        Refuse(Path, "not a codegen-cli search checkpoint (its first line is not \"" +
                         std::string(Magic) + "\")");
    }
    void Next(TLineFile& From, const std::string& What) {
        const auto Got = From.Next(Line);
        if (Got == TLineFile::TLine::TooLong) {
            if (LineNo == 0 && What.empty())
                NotACheckpoint();
            Refuse(Path, What + "line " + std::to_string(LineNo + 1) + " is too long");
        }
        if (Got == TLineFile::TLine::End)
            Refuse(Path, What + "it ends early, at line " + std::to_string(LineNo + 1) +
                             " (a torn or truncated file)");
        ++LineNo;
        Offset += Line.size() + 1;
    }
    void Next() { Next(File, ""); }
    std::string Field(const std::string& Key) {
        Next();
        Sum.Add(Line + "\n");
        if (Line.rfind(Key + " ", 0) != 0)
            Refuse(Path, "line " + std::to_string(LineNo) + ": \"" + Key + " ...\" expected");
        return Line.substr(Key.size() + 1);
    }
    long long Number(const std::string& Key, long long Max) {
        return NumberIn(Key, Field(Key), Max);
    }
    long long NumberIn(const std::string& Key, const std::string& Text, long long Max) {
        long long Value = -1;
        std::size_t Used = 0;
        try {
            Value = std::stoll(Text, &Used);
        } catch (const std::exception&) {
            Used = 0;
        }
        if (Text.empty() || Used != Text.size() || Value < 0 || Value > Max ||
            !std::isdigit(static_cast<unsigned char>(Text[0])))
            Refuse(Path, "line " + std::to_string(LineNo) + ": bad " + Key + " \"" + Text + "\"");
        return Value;
    }
    bool Choice(const std::string& Key, const char* A, const char* B) {
        const std::string Text = Field(Key);
        if (Text != A && Text != B)
            Refuse(Path, "line " + std::to_string(LineNo) + ": " + Key + " must be " + A + " or " +
                             B + ", not \"" + Text + "\"");
        return Text == A;
    }
    void Header() {
        TSearchParams& P = C.Params;
        for (const TSearchParamField* F : StoredFields()) {
            const std::string Key(F->Key);
            const std::string Text = Field(Key);
            const auto Value = SearchParamValue(*F, Text);
            if (!Value && F->Kind == TSearchParamField::TKind::Number)
                Refuse(Path,
                       "line " + std::to_string(LineNo) + ": bad " + Key + " \"" + Text + "\"");
            // A flag is told as "yes or no", a choice in its order.
            const bool Flag = F->Kind == TSearchParamField::TKind::Flag;
            if (!Value)
                Refuse(Path, "line " + std::to_string(LineNo) + ": " + Key + " must be " +
                                 std::string(F->Names[Flag ? 1 : 0]) + " or " +
                                 std::string(F->Names[Flag ? 0 : 1]) + ", not \"" + Text + "\"");
            F->Set(P, *Value);
        }
        try {
            CheckSearchParams(P);
        } catch (const std::exception& E) {
            Refuse(Path, E.what());
        }
        C.After = Field("after");
        if (const auto Fault = CodTextFault(C.After, P.L, P.Type))
            Refuse(Path, "line " + std::to_string(LineNo) +
                             ": the counter: " + CodTextFaultText(*Fault, P.L, P.Type));
        C.Completed = Choice("completed", "yes", "no");
        if (Named) {
            C.Run = Field("run");
            if (!IsRunId(C.Run))
                Refuse(Path, "line " + std::to_string(LineNo) + ": bad run \"" + C.Run + "\"");
        }
        Next();
        Sum.Add(Line + "\n");
        if (Line.rfind("counts ", 0) == 0)
            return Counts();
        if (Line.rfind("codes ", 0) != 0)
            Refuse(Path, "line " + std::to_string(LineNo) + ": \"codes ...\" expected");
        C.Count = static_cast<uint64_t>(NumberIn("codes", Line.substr(6), (1ll << 62)));
    }
    // A count's rows, "psl P codes N classes M", each PSL of the list once and in order.
    void Counts() {
        C.CountOnly = true;
        TCodCounts Expected(C.Params);
        const auto Rows = NumberIn("counts", Line.substr(7), MaxCodLength);
        if (static_cast<std::size_t>(Rows) != Expected.Rows().size())
            Refuse(Path, "line " + std::to_string(LineNo) + ": " + std::to_string(Rows) +
                             " counts where the list has " +
                             std::to_string(Expected.Rows().size()) + " PSL values");
        for (const auto& Want : Expected.Rows()) {
            Next();
            Sum.Add(Line + "\n");
            char Psl[24], Cods[24], Classes[24];
            int Used = 0;
            if (std::sscanf(Line.c_str(), "psl %23s codes %23s classes %23s%n", Psl, Cods, Classes,
                            &Used) != 3 ||
                static_cast<std::size_t>(Used) != Line.size())
                Refuse(Path,
                       "line " + std::to_string(LineNo) + ": \"psl P codes N classes M\" expected");
            TPslCount Row;
            Row.Psl = static_cast<int>(NumberIn("psl", Psl, MaxCodLength));
            Row.Cods = static_cast<uint64_t>(NumberIn("codes", Cods, (1ll << 62)));
            Row.Classes = static_cast<uint64_t>(NumberIn("classes", Classes, (1ll << 62)));
            if (Row.Psl != Want.Psl || Row.Classes > Row.Cods)
                Refuse(Path, "line " + std::to_string(LineNo) + ": bad counts \"" + Line + "\"");
            C.Counts.push_back(Row);
        }
    }
    // The codes, each of the search's shape, in counting order and not after the counter.
    void Cods(TLineFile& From, const std::string& What) {
        TCheckSum Cods;
        std::string Previous;
        for (uint64_t I = 0; I < C.Count; ++I) {
            Next(From, What);
            Sum.Add(Line + "\n");
            Cods.Add(Line + "\n");
            C.CodsBytes += Line.size() + 1;
            const std::string At = What + "line " + std::to_string(LineNo) + ": ";
            if (const auto Fault = CodTextFault(Line, C.Params.L, C.Params.Type))
                Refuse(Path, At + CodTextFaultText(*Fault, C.Params.L, C.Params.Type));
            // The all-zero code comes last, when the counter wraps round to it.
            const bool Wrapped =
                I + 1 == C.Count && Line.find_first_not_of('0') == std::string::npos;
            if (!Previous.empty() && !(Previous < Line) && !Wrapped)
                Refuse(Path, At + "the codes are not in counting order");
            if (!C.Completed && Line > C.After)
                Refuse(Path, At + "a code after the counter");
            Previous.swap(Line);
        }
        C.CodsSum = Cods.Value;
    }
    void CheckLine(TLineFile& From, const std::string& What) {
        const uint64_t Value = Sum.Value;
        Next(From, What);
        if (Line != "check " + Hex(Value))
            Refuse(Path,
                   "damaged: line " + std::to_string(LineNo) +
                       (Line.rfind("check ", 0) == 0 ? " holds a check sum that does not match"
                                                     : ": \"check ...\" expected"));
        if (!From.AtEnd())
            Refuse(Path, "damaged: something follows the check sum");
    }

    std::string Path;
    TLineFile File;
    // Today's format, whose state names its run.
    bool Named = false;
    TSearchCheckpoint C;
    TCheckSum Sum;
    std::string Line;
    long long LineNo = 0;
    uint64_t Offset = 0;
};

bool SameFile(const std::string& A, const std::string& B) {
    struct stat First, Second;
    return stat(A.c_str(), &First) == 0 && stat(B.c_str(), &Second) == 0 &&
           First.st_dev == Second.st_dev && First.st_ino == Second.st_ino;
}

// The first line of a file, at most Max bytes; empty when it cannot be read.
std::string FirstLine(const std::string& Path, std::size_t Max) {
    const int Fd = open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (Fd < 0)
        return {};
    std::string Line(Max, '\0');
    struct stat Info;
    const ssize_t Read =
        fstat(Fd, &Info) == 0 && S_ISREG(Info.st_mode) ? pread(Fd, Line.data(), Max, 0) : -1;
    close(Fd);
    Line.resize(Read > 0 ? static_cast<std::size_t>(Read) : 0);
    return Line.substr(0, Line.find('\n'));
}

} // namespace

std::string CheckpointCodsPath(const std::string& Path) {
    return Path + ".codes";
}

TSearchCheckpoint ReadSearchCheckpoint(const std::string& Path) {
    return TReader(Path).Read();
}

void ReadCheckpointCods(const TSearchCheckpoint& C,
                        const std::function<void(std::vector<std::string>&)>& Take) {
    if (C.CountOnly)
        return; // a count keeps no codes
    TLineFile File(C.CodsPath, C.Path, "");
    const auto Changed = [&C] { Refuse(C.Path, "it changed while it was read"); };
    if (!File.Seek(C.CodsOffset))
        Changed();
    TCheckSum Sum;
    std::vector<std::string> Slice;
    std::string Line;
    for (uint64_t I = 0; I < C.Count; ++I) {
        if (File.Next(Line) != TLineFile::TLine::Whole)
            Changed();
        Sum.Add(Line);
        Sum.Add("\n");
        Slice.push_back(Line);
        if (Slice.size() == (std::size_t{1} << 16) || I + 1 == C.Count) {
            if (I + 1 == C.Count && Sum.Value != C.CodsSum)
                Changed();
            Take(Slice);
            Slice.clear();
        }
    }
}

TCheckpointWriter::TCheckpointWriter(const std::string& P, const TSearchParams& SearchParams,
                                     const TSearchCheckpoint* From, const TCodCounts* CountsOf)
    : Path(P), CodsPath(CheckpointCodsPath(P)), Params(SearchParams), Counts(CountsOf) {
    // Only the leftovers of earlier runs of this checkpoint, killed part way.
    RemoveStaleTemporaries(Path);
    CheckWritable(Path);
    if (Counts)
        return;
    Extending = From && From->Appendable && SameFile(From->Path, Path) &&
                SameFile(From->CodsPath, CodsPath);
    // A run that goes on with its checkpoint's codes goes on as that run.
    Run = Extending ? From->Run : NewRunId();
    Fd = open(CodsPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (Fd < 0)
        throw WriteError(CodsPath, std::strerror(errno));
    struct stat Info;
    if (fstat(Fd, &Info) != 0)
        Fail(std::strerror(errno));
    if (const char* Why = NotRegularFile(Info.st_mode))
        Fail(Why);
    if (Extending) {
        CheckOwnCods();
        Count = From->Count;
        Bytes = From->CodsBytes;
        Sum = From->CodsSum;
        // Codes written after the last save are not vouched for: the run finds them again.
        const off_t End = static_cast<off_t>(From->CodsOffset + Bytes);
        if (ftruncate(Fd, End) != 0 || lseek(Fd, End, SEEK_SET) != End)
            Fail(std::strerror(errno));
        return;
    }
    // A file of the user's that happens to bear the name is never overwritten.
    if (Info.st_size > 0 && FirstLine(CodsPath, 128).rfind(CodsMagicPrefix, 0) != 0)
        Fail("it is not the codes file of a checkpoint (move it away first)");
    // A state of these formats vouches for the codes about to go: it first becomes the empty
    // checkpoint of the search from its start.
    if (const std::string State = FirstLine(Path, 64); State == Magic || State == Magic2)
        WriteState(Path, Params, Run, std::string(static_cast<std::size_t>(Params.L), '0'), false,
                   0, 0, TCheckSum{}.Value);
    if (ftruncate(Fd, 0) != 0)
        Fail(std::strerror(errno));
    Pending = CodsHeader(Run) + "\n";
    Flush();
    Sum = TCheckSum{}.Value;
}

TCheckpointWriter::~TCheckpointWriter() {
    if (Fd >= 0)
        close(Fd);
}

void TCheckpointWriter::Fail(const std::string& Reason) {
    throw WriteError(CodsPath, Reason);
}

void TCheckpointWriter::CheckOwnCods() {
    const std::string Header = CodsHeader(Run);
    std::string Line(Header.size() + 1, '\0');
    const ssize_t Read = pread(Fd, Line.data(), Line.size(), 0);
    if (Read < 0)
        Fail(std::strerror(errno));
    Line.resize(static_cast<std::size_t>(Read));
    if (Line != Header + "\n")
        Fail("another search started this codes file afresh (it no longer names this run): "
             "this run's checkpoint stops here");
}

void TCheckpointWriter::Add(const std::string& Cod) {
    TCheckSum Line{Sum};
    Line.Add(Cod);
    Line.Add("\n");
    Sum = Line.Value;
    Pending += Cod;
    Pending += '\n';
    Bytes += Cod.size() + 1;
    ++Count;
    if (Pending.size() >= (std::size_t{1} << 20))
        Flush();
}

void TCheckpointWriter::Flush() {
    std::string_view Left = Pending;
    while (!Left.empty()) {
        const ssize_t Done = write(Fd, Left.data(), Left.size());
        if (Done < 0) {
            if (errno == EINTR)
                continue;
            Fail(std::strerror(errno));
        }
        Left.remove_prefix(static_cast<std::size_t>(Done));
    }
    Pending.clear();
}

void TCheckpointWriter::Save(const std::string& After, bool Completed) {
    if (Counts) {
        WriteCountState(Path, Params, After, Completed, *Counts);
        return;
    }
    Flush();
    // The codes are on disk before the state that vouches for them.
    if (fdatasync(Fd) != 0)
        Fail(std::strerror(errno));
    // Never a state over codes that are no longer this run's.
    CheckOwnCods();
    WriteState(Path, Params, Run, After, Completed, Count, Bytes, Sum);
}

} // namespace codegen
