// The code model: the TCod buffer, digit/chip/text forms, the counting order and the two
// correlation measures. Plain C++; the length and type always come in as arguments.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace codegen {

inline constexpr int MinCodLength = 2;
inline constexpr int MaxCodLength = 500;
// Most worker threads a search takes: far beyond any machine's cores, and small enough that
// the thread pool's set-up and per-thread buffers stay modest.
inline constexpr int MaxThreads = 1024;

// Item index of the code-type radio group: 0 = binary (+1/-1), 1 = ternary (+1/0/-1).
enum class TCodType { Binary = 0, Ternary = 1 };

// Item index of the zero-count rule group: 0 = "at most Z zeros", 1 = "exactly Z zeros".
enum class TZeroRule { AtMost = 0, Equal = 1 };

// The one error type of the GUI-free layers: bad input such as a short code text, a
// length out of range or a row that does not exist.
class CodError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A code buffer. Element i is chip (or digit) i; the buffer spans -MaxCodLength ..
// 2*MaxCodLength so that the aperiodic sums over shifts -L..L of any admitted length read
// zero padding instead of running off the ends. Every access is bounds-checked.
class TCod {
public:
    static constexpr int Low = -MaxCodLength;
    static constexpr int High = 2 * MaxCodLength;

    int32_t& operator[](int Index) { return Data[Slot(Index)]; }
    int32_t operator[](int Index) const { return Data[Slot(Index)]; }
    void Fill(int32_t Value) { Data.fill(Value); }
    // Unchecked view with element 0 at the returned address, for reference loops that keep
    // their indices within Low..High by construction.
    const int32_t* Origin() const { return Data.data() - Low; }
    bool operator==(const TCod&) const = default;

private:
    static std::size_t Slot(int Index);
    std::array<int32_t, High - Low + 1> Data{};
};

// Throws CodError unless MinCodLength <= L <= MaxCodLength.
void CheckCodLength(int L);
// Largest digit of the type: 1 for binary, 2 for ternary.
constexpr int MaxDigit(TCodType Type) {
    return Type == TCodType::Binary ? 1 : 2;
}
// Chip of a digit (binary 0 -> -1, 1 -> +1; ternary 0 -> 0, 1 -> +1, 2 -> -1; else 0).
int DigitToChip(int Digit, TCodType Type);
// Chip of a text character ('0', '1', '2' as digits; any other character gives 0).
int CharToChip(char Ch, TCodType Type);

void ClearCod(TCod& Cd);
// ToCod := chip form of the digit form FromCod.
void LoadDigitalCod(const TCod& FromCod, TCod& ToCod, int L, TCodType Type);
// ToCod := chip form of the text SCd. A text shorter than L throws CodError after the
// chips before the first missing character have been written.
void LoadDigitalCodFromString(std::string_view SCd, TCod& ToCod, int L, TCodType Type);
// Number of elements 0..L-1 that are 0.
int ZeroCount(const TCod& Cd, int L);
// True for the last code of the counting order (all digits at their largest value).
bool EndCod(const TCod& Cd, int L, TCodType Type);
// Advances the digit form to the next code; the last code wraps round to all zeros.
void IncCod(TCod& Cd, int L, TCodType Type);
// Text form of a digit form: the L digits, first chip first.
std::string ViewCod(const TCod& Cd, int L);

// Peak side lobe of the aperiodic auto-correlation of a chip form (shifts other than 0).
int SidePulseCorrelation(const TCod& Cd, int L);
// Peak magnitude of the aperiodic cross-correlation of two chip forms, zero shift included.
int MaxCorrelation(const TCod& CdA, const TCod& CdB, int L);

} // namespace codegen
