// `codegen-cli export`: a set of codes as the text export window shows it, or as the memory
// file it saves.
#include "cli/Commands.h"

#include "export/CodFiles.h"
#include "export/TextExport.h"

#include <ctime>
#include <iostream>
#include <memory>
#include <string>

namespace codegen {

namespace {

struct TExportOptions {
    TCodsInput Cods;
    std::string Format = "0";
    TCodSet Set;
    THeaderParams Header;
};

// The lines the text export window shows for the set in the codes file (read like a code
// list file), each ended by a line break. A short code text prints the lines before it and
// fails. The formats "coe" and "mem" print the memory file the window saves instead, and
// print nothing when a code does not fit it.
int RunExport(TExportOptions O) {
    TCodSet& Set = O.Set;
    THeaderParams& Header = O.Header;
    const std::string& Format = O.Format;
    Set.Cods = ReadCodsFile(O.Cods, Set.L, Set.Type);
    TTextLines Lines;
    if (Format == "coe" || Format == "mem") {
        ConvertToMemoryFile(Format == "coe" ? TMemoryFormat::Coe : TMemoryFormat::Mem, Set, Lines);
        PrintLines(Lines);
        return 0;
    }

    const std::time_t Now = std::time(nullptr);
    std::tm Local{};
    localtime_r(&Now, &Local);
    Header.DateTime = DateTimeText(Local);

    const int Item = std::stoi(Format);
    // Said before the text, which a user may pipe away unread.
    if (const auto Kept = ChipsKept(Item, Set.L))
        std::cerr << "codegen-cli: warning: format " << Item << " writes only chips " << Kept->First
                  << ".." << Kept->Last << " of each code of " << Set.L
                  << " chips (the header says so too)\n";
    try {
        ConvertToText(Item, Set, Header, Lines);
    } catch (...) {
        PrintLines(Lines);
        throw;
    }
    PrintLines(Lines);
    return 0;
}

} // namespace

TCommand AddExportCommand(CLI::App& App) {
    auto O = std::make_shared<TExportOptions>();
    auto* ExportCmd = App.add_subcommand(
        "export", "Print the set of codes in a text file as the text export window shows it: "
                  "the comment header and one of the six formats");
    AddCodsOption(*ExportCmd, O->Cods, "The set of codes");
    AddCodShape(*ExportCmd, O->Set.L, O->Set.Type);
    ExportCmd
        ->add_option("--format", O->Format,
                     "0 plain text, 1 ROM128X1, 2 ROM256X1, 3 ROM256X1 of 32-chip codes, "
                     "4 four ROM256X1 of 32-chip codes, 5 two 128-bit parameters per code; "
                     "coe a Xilinx coefficient file, mem a $readmemb file (one word per code)")
        ->check(CLI::IsMember({"0", "1", "2", "3", "4", "5", "coe", "mem"}))
        ->capture_default_str();
    AddAmount(*ExportCmd, "--side-lobes", O->Header.SideLobeLimit,
              "Largest side lobe, as the header states it");
    AddAmount(*ExportCmd, "--cross-limit", O->Header.CrossLimit,
              "Largest cross-correlation peak, as the header states it");
    AddZeroRule(*ExportCmd, O->Header.Z, O->Header.Rule);
    auto* CaptionOption =
        ExportCmd->add_option("--caption", O->Header.Caption,
                              "Text of the \"//Файл \" line (default: the FILE of --codes)");
    return {ExportCmd, [O, CaptionOption] {
                if (!*CaptionOption)
                    O->Header.Caption = O->Cods.File;
                return RunExport(*O);
            }};
}

} // namespace codegen
