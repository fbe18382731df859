// `codegen-cli family`: the codes of a classic family.
#include "cli/Commands.h"

#include "engine/CodFamilies.h"

#include <memory>
#include <optional>
#include <string>

namespace codegen {

namespace {

struct TFamilyOptions {
    std::string Name;
    std::optional<int> Degree, Length;
    bool AllShifts = false;
};

// The codes of a classic family, one per line. Families chosen by degree also take the code
// length 2^n - 1 as --length.
int RunFamily(const TFamilyOptions& O) {
    const std::string& Name = O.Name;
    const std::optional<int>& Degree = O.Degree;
    const std::optional<int>& Length = O.Length;
    if (!Degree && !Length)
        throw CodError("family needs --degree or --length");
    const TCodFamily Family = *CodFamilyByName(Name);
    int Size = 0;
    if (FamilyTakesDegree(Family)) {
        if (Degree) {
            Size = *Degree;
        } else {
            for (int N = 1; N <= 16 && !Size; ++N)
                if ((1 << N) - 1 == *Length)
                    Size = N;
            if (!Size)
                throw CodError(Name + " codes are 2^n - 1 chips long, not " +
                               std::to_string(*Length) + ": give --degree n");
        }
    } else {
        if (Degree)
            throw CodError(Name + " codes are chosen by --length, not --degree");
        Size = *Length;
    }
    PrintLines(FamilyCodTexts(Family, Size, O.AllShifts));
    return 0;
}

} // namespace

TCommand AddFamilyCommand(CLI::App& App) {
    auto O = std::make_shared<TFamilyOptions>();
    auto* FamilyCmd = App.add_subcommand(
        "family", "Print the codes of a classic family (m-sequences of every primitive "
                  "polynomial, Gold, small-set Kasami, Legendre or Barker codes), one per line");
    FamilyCmd->add_option("--name", O->Name, "msequence, gold, kasami, legendre or barker")
        ->required()
        ->check(CLI::IsMember({"msequence", "gold", "kasami", "legendre", "barker"}));
    auto* DegreeOption = FamilyCmd->add_option(
        "--degree", O->Degree,
        "Degree n of msequence (2..8), gold (5, 6, 7) or kasami (4, 6, 8): 2^n - 1 chips");
    auto* FamilyLengthOption =
        FamilyCmd->add_option("--length", O->Length,
                              "Code length: an odd prime for legendre; 2, 3, 4, 5, 7, 11 or 13 "
                              "for barker; 2^n - 1 for the others");
    DegreeOption->excludes(FamilyLengthOption);
    FamilyCmd->add_flag("--all-shifts", O->AllShifts,
                        "Every cyclic shift of each code, after it (not for barker)");
    return {FamilyCmd, [O] { return RunFamily(*O); }};
}

} // namespace codegen
