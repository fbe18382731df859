// The code-list reader of files and pipes (--codes, the window's import) on a stream. The
// input is the length and type ("013b", length 0 takes the first code's), a mode byte, then
// the text. Mode 'E' repeats the text without end, as `yes` or a runaway pipe gives it: the
// reader must stop with a refusal having read no more than the bounds it is given allow.
// Otherwise the reader must agree with the paste's reader on the same text, code for code or
// on the line refused, and read in blocks whatever the stream's block size.
#include "FuzzSupport.h"

#include "engine/TextLines.h"

#include <cstdint>
#include <istream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

using namespace codegen;
using namespace codegen::fuzz;

namespace {

// The text in blocks of Block bytes, once or without end; counts the bytes handed out.
class TBlocks : public std::streambuf {
public:
    TBlocks(std::string_view Text, std::size_t Block, bool Endless)
        : Text(Text), Block(std::max<std::size_t>(Block, 1)), Endless(Endless) {}
    std::size_t Given = 0;

protected:
    int_type underflow() override {
        if (At == Text.size()) {
            if (!Endless || Text.empty())
                return traits_type::eof();
            At = 0;
        }
        const std::size_t Size = std::min(Block, Text.size() - At);
        Piece.assign(Text.substr(At, Size));
        At += Size;
        Given += Size;
        setg(Piece.data(), Piece.data(), Piece.data() + Piece.size());
        return traits_type::to_int_type(Piece[0]);
    }

private:
    std::string_view Text;
    std::size_t Block;
    bool Endless;
    std::size_t At = 0;
    std::string Piece;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const TLengthType Params = TakeLengthType(AsText(Data, Size));
    if (Params.Rest.empty())
        return 0;
    const char Mode = Params.Rest[0];
    const std::string_view Text = Params.Rest.substr(1);
    const TCodListShape Shape{Params.L, Params.Type};

    if (Mode == 'E') {
        // Small bounds keep a run fast; the rule that enforces them is the same.
        constexpr std::size_t MaxCods = 1000, MaxBytes = 1 << 20;
        TBlocks Stream(Text, 1 << 12, true);
        std::istream In(&Stream);
        bool Refused = false;
        try {
            ReadCodList(In, "-", {Params.L, Params.Type, MaxCods, MaxBytes});
        } catch (const CodError&) {
            Refused = true;
        }
        // Endless input always ends in a refusal (a bad line, too many codes, a line over
        // the bound, too much text), within the text a list may take and a block or two.
        FUZZ_CHECK(Refused || Text.empty());
        FUZZ_CHECK(Stream.Given <= MaxBytes + 2 * (1 << 16) + 4096);
        return 0;
    }

    // The paste's reader is the plain answer, at the length the first code gives when none
    // is asked for.
    int L = Params.L;
    const std::string_view Bom = "\xEF\xBB\xBF";
    if (L <= 0)
        for (const std::string& Line :
             SplitLines(Text.starts_with(Bom) ? Text.substr(Bom.size()) : Text))
            if (const auto Cod = CodLineText(Line)) {
                L = static_cast<int>(Cod->size());
                break;
            }
    const TCodLines Paste = ReadCodLines(Text, L, Params.Type);
    const bool TooLong = [&] {
        for (const std::string& Line : SplitLines(Text))
            if (Line.size() > MaxLineBytes)
                return true;
        return false;
    }();
    TBlocks Stream(Text, static_cast<unsigned char>(Mode) % 64 + 1, false);
    std::istream In(&Stream);
    try {
        const TCodList List = ReadCodList(In, "f", Shape);
        FUZZ_CHECK(!TooLong);
        FUZZ_CHECK(!Paste.Fault);
        FUZZ_CHECK(List.Cods == Paste.Cods);
        FUZZ_CHECK(List.Cods.empty() || List.L == L);
    } catch (const CodLineError& Error) {
        FUZZ_CHECK(Paste.Fault);
        FUZZ_CHECK(Error.Line == static_cast<std::size_t>(Paste.FaultLine));
        FUZZ_CHECK(Error.Text == Paste.FaultText);
    } catch (const CodError&) {
        // A line over the bound, a NUL byte or UTF-16 text: refused before any code.
        FUZZ_CHECK(TooLong || Text.find('\0') != std::string_view::npos ||
                   LooksLikeUtf16(Text.substr(0, 64)) || Paste.Fault);
    }
    return 0;
}
