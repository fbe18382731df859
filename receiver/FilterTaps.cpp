#include "receiver/FilterTaps.h"

#include "engine/Cod.h"
#include "engine/TextLines.h"
#include "export/CodFiles.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <limits>
#include <string>

namespace codegen {

namespace {

constexpr std::size_t MaxTaps = static_cast<std::size_t>(8) * MaxCodLength;

std::string_view Trimmed(std::string_view S) {
    while (!S.empty() && (S.front() == ' ' || S.front() == '\t'))
        S.remove_prefix(1);
    while (!S.empty() && (S.back() == ' ' || S.back() == '\t' || S.back() == '\r'))
        S.remove_suffix(1);
    return S;
}

double ParseTap(std::string_view Cell, std::size_t LineNumber) {
    Cell = Trimmed(Cell);
    if (!Cell.empty() && Cell.front() == '+')
        Cell.remove_prefix(1);
    double Value = 0;
    const auto [End, Error] = std::from_chars(Cell.data(), Cell.data() + Cell.size(), Value);
    if (Cell.empty() || Error != std::errc() || End != Cell.data() + Cell.size())
        throw CodError("line " + std::to_string(LineNumber) + " of the taps is not a number: \"" +
                       std::string(Cell.substr(0, 40)) + "\"");
    if (!std::isfinite(Value))
        throw CodError("line " + std::to_string(LineNumber) +
                       " of the taps is not a finite number");
    return Value;
}

} // namespace

std::string ExactNumberText(double Value) {
    char Buffer[64];
    const auto End = std::to_chars(Buffer, Buffer + sizeof Buffer, Value).ptr;
    return std::string(Buffer, End);
}

TTextLines TapsLines(const std::vector<double>& Taps, const TTextLines& Comments) {
    TTextLines Lines;
    Lines.reserve(Comments.size() + Taps.size());
    for (const auto& C : Comments)
        Lines.push_back("# " + C);
    for (double Tap : Taps)
        Lines.push_back(ExactNumberText(Tap));
    return Lines;
}

TTextLines TapsCsv(const std::vector<double>& Taps) {
    std::vector<std::vector<std::string>> Rows;
    Rows.reserve(Taps.size() + 1);
    Rows.push_back({"tap", "value"});
    for (std::size_t I = 0; I < Taps.size(); ++I)
        Rows.push_back({std::to_string(I), ExactNumberText(Taps[I])});
    return CsvLines(Rows);
}

std::string FiguresText(const TFilterFigures& F) {
    char Text[160];
    std::snprintf(Text, sizeof Text, "PSL %.2f dB, ISL %.2f dB, loss %.2f dB", F.PslDb, F.IslDb,
                  F.LossDb);
    return Text;
}

TTextLines FilterComments(std::string_view Cod, int L, TCodType Type, TFilterCriterion Criterion,
                          int N, const TFilterFigures& Figures,
                          const TQuantisedFigures* Quantised) {
    char MainLobe[32];
    std::snprintf(MainLobe, sizeof MainLobe, "%.10g", Figures.MainLobe);
    TTextLines Comments{
        "code of " + std::to_string(L) + " chips (" +
            (Type == TCodType::Binary ? "binary" : "ternary") + "): " + std::string(Cod),
        std::string(CriterionTitle(Criterion)) + " filter of " + std::to_string(N) +
            " taps; main lobe at output sample " + std::to_string(MainLobeIndex(L, N)) + " of 0.." +
            std::to_string(L + N - 2),
        std::string("main lobe ") + MainLobe + ", " + FiguresText(Figures)};
    if (Quantised) {
        char Scale[32];
        std::snprintf(Scale, sizeof Scale, "%.10g", Quantised->Taps.Scale);
        Comments.push_back("taps as " + std::to_string(Quantised->Taps.Bits) +
                           "-bit integers: round(real tap * " + Scale + ")");
        Comments.push_back("quantised to " + std::to_string(Quantised->Taps.Bits) +
                           " bits: " + FiguresText(Quantised->Figures));
    }
    return Comments;
}

std::vector<double> ReadTaps(std::string_view Text) {
    std::vector<double> Taps;
    std::size_t LineNumber = 0;
    bool Csv = false;
    while (!Text.empty()) {
        const std::size_t Break = Text.find('\n');
        const std::string_view Line =
            Trimmed(Break == std::string_view::npos ? Text : Text.substr(0, Break));
        Text.remove_prefix(Break == std::string_view::npos ? Text.size() : Break + 1);
        ++LineNumber;
        if (Line.empty() || Line.front() == '#')
            continue;
        if (Taps.empty() && !Csv && Line == "tap,value") {
            Csv = true;
            continue;
        }
        std::string_view Cell = Line;
        if (Csv) {
            const std::size_t Comma = Line.find(',');
            if (Comma == std::string_view::npos)
                throw CodError("line " + std::to_string(LineNumber) +
                               " of the taps has no comma: \"tap,value\" rows expected");
            const double Index = ParseTap(Line.substr(0, Comma), LineNumber);
            if (Index != static_cast<double>(Taps.size()))
                throw CodError("line " + std::to_string(LineNumber) + " of the taps gives tap " +
                               std::string(Trimmed(Line.substr(0, Comma))) + " where tap " +
                               std::to_string(Taps.size()) + " belongs");
            Cell = Line.substr(Comma + 1);
        }
        if (Taps.size() == MaxTaps)
            throw CodError("more than " + std::to_string(MaxTaps) + " taps");
        Taps.push_back(ParseTap(Cell, LineNumber));
    }
    if (Taps.empty())
        throw CodError("the taps file holds no tap");
    return Taps;
}

std::vector<double> ReadTapsFile(const std::string& Path) {
    // Room for every tap and as many comment lines again, and far from any real file.
    constexpr std::size_t MostLines = 2 * MaxTaps + 1000;
    const std::string Name = Path == "-" ? "standard input" : Path;
    std::string Text;
    const auto Take = [&](std::string& Line, std::size_t Number, std::size_t) {
        if (Number > MostLines)
            throw CodError("The taps file " + Name + " has more than " + std::to_string(MostLines) +
                           " lines");
        Text += Line;
        Text += '\n';
    };
    // The reading's own faults name the file already.
    if (Path == "-") {
        ForEachTextLine(std::cin, Name, {}, nullptr, Take);
    } else {
        std::ifstream File = OpenInputFile(Path);
        ForEachTextLine(File, Name, {}, nullptr, Take);
    }
    try {
        return ReadTaps(Text);
    } catch (const CodError& Error) {
        throw CodError("The taps file " + Name + ": " + Error.what());
    }
}

std::vector<std::int32_t> IntegerTaps(const std::vector<double>& Taps) {
    std::vector<std::int32_t> Integers;
    Integers.reserve(Taps.size());
    for (const double Tap : Taps) {
        if (Tap != std::floor(Tap) || Tap < std::numeric_limits<std::int32_t>::min() ||
            Tap > std::numeric_limits<std::int32_t>::max())
            throw CodError("tap " + std::to_string(Integers.size()) + " (" + ExactNumberText(Tap) +
                           ") is not an integer of 32 bits");
        Integers.push_back(static_cast<std::int32_t>(Tap));
    }
    return Integers;
}

} // namespace codegen
