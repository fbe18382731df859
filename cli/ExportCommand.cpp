// `codegen-cli export`: a set of codes as the text export window shows it, as the memory
// file it saves, or as HDL (a VHDL package, a Verilog ROM and its hex file, test-bench
// vectors).
#include "cli/Commands.h"

#include "engine/TextLines.h"
#include "export/CodFiles.h"
#include "export/HdlExport.h"
#include "export/TextExport.h"
#include "receiver/FilterTaps.h"

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
    THdlParams Hdl;
    std::string Order = "msb";
    std::string FilterFile;
};

// The integer taps of the file for the test bench's filter output, none without a file: a
// fractional or huge tap is refused, as the vectors would be no filter's output.
std::vector<std::int32_t> TestbenchTaps(const std::string& Path) {
    if (Path.empty())
        return {};
    const std::vector<double> Taps = ReadTapsFile(Path);
    try {
        return IntegerTaps(Taps);
    } catch (const CodError& Error) {
        throw CodError("The taps file " + Path + ": " + Error.what() +
                       "; the test bench takes quantised taps");
    }
}

int RunHdlExport(const TExportOptions& O) {
    TTextLines Lines;
    if (O.Format == "vhdl")
        ConvertToVhdlPackage(O.Set, O.Hdl, Lines);
    else if (O.Format == "verilog")
        ConvertToVerilogModule(O.Set, O.Hdl, Lines);
    else if (O.Format == "hex")
        ConvertToReadmemh(O.Set, O.Hdl, Lines);
    else if (const std::int64_t Widest =
                 ConvertToTestbenchVectors(O.Set, TestbenchTaps(O.FilterFile), Lines);
             Widest > MostVectorValue)
        std::cerr << "codegen-cli: warning: the filter's outputs reach " << Widest
                  << ", past 32 bits: read them into 64-bit integers (the vectors' header says "
                     "so too)\n";
    PrintLines(Lines);
    return 0;
}

// The lines the text export window shows for the set in the codes file (read like a code
// list file), each ended by a line break. A short code text prints the lines before it and
// fails. The formats "coe" and "mem" print the memory file the window saves instead, and
// print nothing when a code does not fit it.
int RunExport(TExportOptions O) {
    TCodSet& Set = O.Set;
    THeaderParams& Header = O.Header;
    const std::string& Format = O.Format;
    if (!O.FilterFile.empty() && Format != "testbench")
        throw CodError("--filter is for --format testbench (the filter's outputs as vectors); "
                       "--format " +
                       Format + " holds no filter");
    Set.Cods = ReadCodsFile(O.Cods, Set.L, Set.Type);
    if (Format == "vhdl" || Format == "verilog" || Format == "hex" || Format == "testbench") {
        O.Hdl.Order = O.Order == "lsb" ? TChipOrder::LsbFirst : TChipOrder::MsbFirst;
        return RunHdlExport(O);
    }
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
    const int Count = static_cast<int>(Set.Cods.size());
    if (const int Written = CodsWritten(Item, Count); Written < Count)
        std::cerr << "codegen-cli: warning: format " << Item << " writes only the first " << Written
                  << " of the " << Count << " codes\n";
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
                     "coe a Xilinx coefficient file, mem a $readmemb file (one word per code); "
                     "vhdl a package of the ROM words, verilog a ROM module, hex its $readmemh "
                     "file, testbench the expected filter outputs")
        ->check(CLI::IsMember(
            {"0", "1", "2", "3", "4", "5", "coe", "mem", "vhdl", "verilog", "hex", "testbench"}))
        ->capture_default_str();
    ExportCmd
        ->add_option("--word", O->Hdl.Word,
                     "Chips per ROM word of vhdl, verilog and hex (a ternary chip takes two "
                     "bits); a longer code takes several words")
        ->check(CLI::Range(MinHdlWord, MaxHdlWord))
        ->capture_default_str();
    ExportCmd
        ->add_option("--order", O->Order,
                     "Where the first chip of a word goes: msb (the most significant bit) or lsb")
        ->check(CLI::IsMember({"msb", "lsb"}))
        ->capture_default_str();
    ExportCmd->add_option("--name", O->Hdl.Name, "The name of the VHDL package / Verilog module")
        ->capture_default_str();
    auto* HexFileOption =
        ExportCmd->add_option("--hex-file", O->Hdl.HexFile,
                              "The file the Verilog module's $readmemh reads (default: NAME.hex)");
    ExportCmd
        ->add_option("--filter", O->FilterFile,
                     "A file of integer filter taps (as `filter` prints them): testbench adds "
                     "the codes' outputs of this filter (refused with the other formats)")
        ->type_name("FILE");
    AddAmount(*ExportCmd, "--side-lobes", O->Header.SideLobeLimit,
              "Largest side lobe, as the header states it");
    AddAmount(*ExportCmd, "--cross-limit", O->Header.CrossLimit,
              "Largest cross-correlation peak, as the header states it");
    AddZeroRule(*ExportCmd, O->Header.Z, O->Header.Rule);
    auto* CaptionOption =
        ExportCmd->add_option("--caption", O->Header.Caption,
                              "Text of the \"//Файл \" line (default: the FILE of --codes)");
    return {ExportCmd, [O, CaptionOption, HexFileOption] {
                if (!*CaptionOption)
                    O->Header.Caption = O->Cods.File;
                if (!*HexFileOption)
                    O->Hdl.HexFile = O->Hdl.Name + ".hex";
                return RunExport(*O);
            }};
}

} // namespace codegen
