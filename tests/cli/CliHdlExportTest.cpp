// `codegen-cli export` of HDL as a user runs it: the word and order options reach the words,
// the Verilog module reads the hex file named, integer taps only, and every text format that
// cuts the codes says so on standard error.
#include "cli/CliRunner.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

class TTempFile {
public:
    explicit TTempFile(const std::string& Contents) {
        static int Count = 0;
        Path = ::testing::TempDir() + "codegen_cli_hdl_" + std::to_string(getpid()) + "_" +
               std::to_string(++Count) + ".txt";
        std::ofstream(Path) << Contents;
    }
    ~TTempFile() { std::remove(Path.c_str()); }
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;
    std::string Path;
};

const std::string Barker13 = "1111100110101";

TEST(CliHdlExport, WordAndOrderOptionsShapeTheHexWords) {
    const TTempFile Cods(Barker13 + "\n");
    const std::string Export = "export --codes " + Cods.Path + " --length 13 --format hex";
    // 11111001 | 10101 then three unused places; LSB first reverses each word's chips.
    const TRun Lsb = RunCli(Export + " --word 8 --order lsb");
    EXPECT_EQ(Lsb.Status, 0) << Lsb.Err;
    const auto Lines = LinesIn(Lsb.Out);
    ASSERT_GE(Lines.size(), 3u);
    EXPECT_EQ(Lines[Lines.size() - 2], "9F");
    EXPECT_EQ(Lines.back(), "15");
    EXPECT_EQ(Lines[1].rfind("// Chip order: LSB first", 0), 0u) << Lines[1];
    // The defaults: 16 chips, MSB first: 1111100110101 and three zero bits.
    const TRun Default = RunCli(Export);
    EXPECT_EQ(LinesIn(Default.Out).back(), "F9A8");
    EXPECT_TRUE(Default.Err.empty()) << Default.Err;
}

TEST(CliHdlExport, TheModuleReadsTheHexFileOfItsNameUnlessOneIsGiven) {
    const TTempFile Cods("0120\n2101\n");
    const std::string Export =
        "export --codes " + Cods.Path + " --length 4 --type ternary --format verilog --name rx_rom";
    const TRun Named = RunCli(Export);
    EXPECT_EQ(Named.Status, 0) << Named.Err;
    EXPECT_NE(Named.Out.find("\nmodule rx_rom #(\n    parameter HEX_FILE = \"rx_rom.hex\"\n"),
              std::string::npos)
        << Named.Out;
    const TRun Given = RunCli(Export + " --hex-file rom/codes.hex");
    EXPECT_NE(Given.Out.find("    parameter HEX_FILE = \"rom/codes.hex\"\n"), std::string::npos);
    const TRun Vhdl = RunCli("export --codes " + Cods.Path +
                             " --length 4 --type ternary --format vhdl --name rx_rom --word 3");
    EXPECT_NE(Vhdl.Out.find("\npackage rx_rom is\n"), std::string::npos) << Vhdl.Out;
    EXPECT_NE(Vhdl.Out.find("\n        2 => \"100100\",\n"), std::string::npos) << Vhdl.Out;
}

TEST(CliHdlExport, TestbenchTakesIntegerTapsOnly) {
    const TTempFile Cods("10\n");
    const TTempFile Taps("# quantised\n2\n3\n");
    const std::string Export = "export --codes " + Cods.Path + " --length 2 --format testbench";
    const TRun R = RunCli(Export + " --filter " + Taps.Path);
    EXPECT_EQ(R.Status, 0) << R.Err;
    EXPECT_NE(R.Out.find("\n# code 1: matched filter, 3 samples\n-1\n2\n-1\n"
                         "# code 1: filter of 2 taps, 3 samples\n2\n1\n-3\n"),
              std::string::npos)
        << R.Out;
    const TTempFile Real("2\n0.25\n");
    const TRun Refused = RunCli(Export + " --filter " + Real.Path);
    EXPECT_EQ(Refused.Status, 2);
    EXPECT_TRUE(Refused.Out.empty()) << Refused.Out;
    EXPECT_EQ(Refused.Err, "codegen-cli: The taps file " + Real.Path +
                               ": tap 1 (0.25) is not an integer of 32 bits; the test bench "
                               "takes quantised taps\n");
}

TEST(CliHdlExport, BadWordsOrdersAndNamesGiveOneLineAndNoOutput) {
    const TTempFile Cods(Barker13 + "\n");
    const std::string Export = "export --codes " + Cods.Path + " --length 13 --format verilog";
    for (const std::string Bad : {" --word 0", " --word 65", " --order middle", " --name 2rom",
                                  " --name Module", " --hex-file 'a\"b'"}) {
        const TRun R = RunCli(Export + Bad);
        EXPECT_EQ(R.Status, 2) << Bad;
        EXPECT_TRUE(R.Out.empty()) << Bad << ": " << R.Out;
        EXPECT_EQ(std::count(R.Err.begin(), R.Err.end(), '\n'), 1) << Bad << ": " << R.Err;
    }
    const TRun Short = RunCli("export --codes " + Cods.Path + " --length 14 --format vhdl");
    EXPECT_EQ(Short.Status, 2);
    EXPECT_TRUE(Short.Out.empty());
}

// Every text format that keeps fewer chips than the codes have warns, each by its own chips.
TEST(CliExport, EveryFormatThatCutsTheCodesSaysSoOnStandardError) {
    const TTempFile Cods(std::string(130, '1') + "\n");
    for (const auto& [Item, Kept] :
         {std::pair{1, "0..15"}, std::pair{2, "0..15"}, std::pair{3, "0..31"},
          std::pair{4, "0..31"}, std::pair{5, "2..129"}}) {
        const TRun R = RunCli("export --codes " + Cods.Path + " --length 130 --format " +
                              std::to_string(Item));
        EXPECT_EQ(R.Status, 0);
        EXPECT_EQ(R.Err, "codegen-cli: warning: format " + std::to_string(Item) +
                             " writes only chips " + Kept +
                             " of each code of 130 chips (the header says so too)\n");
        EXPECT_NE(R.Out.find("\n//Внимание: записаны только элементы " + std::string(Kept) +
                             " каждого кода, длина кода 130 бит\n\n"),
                  std::string::npos)
            << Item;
    }
    for (const std::string Format : {"0", "coe", "vhdl", "hex"}) {
        const TRun Whole =
            RunCli("export --codes " + Cods.Path + " --length 130 --format " + Format);
        EXPECT_EQ(Whole.Status, 0);
        EXPECT_TRUE(Whole.Err.empty()) << Format << ": " << Whole.Err;
    }
}

TEST(CliExport, AFormatThatDropsCodesSaysSoOnStandardError) {
    std::string Twenty;
    for (int C = 0; C < 20; ++C)
        Twenty += Barker13 + "\n";
    const TTempFile Cods(Twenty);
    for (const auto& [Item, Written] :
         {std::pair{1, 8}, std::pair{2, 16}, std::pair{3, 8}, std::pair{4, 16}}) {
        const TRun R =
            RunCli("export --codes " + Cods.Path + " --length 13 --format " + std::to_string(Item));
        EXPECT_EQ(R.Status, 0);
        EXPECT_EQ(R.Err, "codegen-cli: warning: format " + std::to_string(Item) +
                             " writes only the first " + std::to_string(Written) +
                             " of the 20 codes\n");
    }
    EXPECT_TRUE(RunCli("export --codes " + Cods.Path + " --length 13 --format 5").Err.empty());
}

} // namespace

namespace {

bool Installed(const std::string& Tool) {
    return RunCommand("command -v " + Tool + " >/dev/null").Status == 0;
}

// A package named positive hid the type of its own constants and ghdl refused it: such a name
// is refused with one line naming it, and names beside the standard ones still compile in
// both simulators.
TEST(CliHdlExport, StandardPackageNamesAreRefusedAndOtherNamesCompile) {
    const TTempFile Cods(Barker13 + "\n1010110011111\n");
    const std::string Export = "export --codes " + Cods.Path + " --length 13 --word 8";
    for (const std::string Name : {"positive", "boolean", "std_logic_vector", "true"}) {
        for (const std::string Format : {"vhdl", "verilog", "hex"}) {
            const TRun R = RunCli(Export + " --format " + Format + " --name " + Name);
            EXPECT_EQ(R.Status, 2) << Name;
            EXPECT_TRUE(R.Out.empty()) << R.Out;
            EXPECT_EQ(R.Err, "codegen-cli: The HDL name \"" + Name +
                                 "\" is a name of VHDL's standard packages (std.standard, "
                                 "ieee.std_logic_1164, ieee.numeric_std), which the package "
                                 "would hide from its own declarations\n");
        }
    }
    const bool Ghdl = Installed("ghdl"), Iverilog = Installed("iverilog");
    if (!Ghdl && !Iverilog)
        GTEST_SKIP() << "neither ghdl nor iverilog is installed";
    const std::string Dir =
        ::testing::TempDir() + "codegen_cli_hdl_names_" + std::to_string(getpid());
    RunCommand("rm -rf " + Dir + " && mkdir -p " + Dir);
    for (const std::string Name :
         {"positives", "my_integer", "std_logic_rom", "c160", "Rx_Codes2"}) {
        if (Ghdl) {
            const std::string File = Dir + "/" + Name + ".vhd";
            ASSERT_EQ(RunCli(Export + " --format vhdl --name " + Name + " > " + File).Status, 0);
            const TRun Analysed =
                RunCommand("ghdl -a --std=08 --workdir=" + Dir + " " + File + " 2>&1");
            EXPECT_EQ(Analysed.Status, 0) << Name << ": " << Analysed.Out;
        }
        if (Iverilog) {
            const std::string File = Dir + "/" + Name + ".v";
            ASSERT_EQ(RunCli(Export + " --format verilog --name " + Name + " > " + File).Status, 0);
            const TRun Compiled = RunCommand("iverilog -o " + Dir + "/a.vvp " + File + " 2>&1");
            EXPECT_EQ(Compiled.Status, 0) << Name << ": " << Compiled.Out;
        }
    }
    RunCommand("rm -rf " + Dir);
}

// --filter went unread with vhdl, verilog and hex (and the text formats): only the test
// bench reads it, and every other format refuses it before anything is written.
TEST(CliHdlExport, AFilterIsRefusedByEveryFormatButTheTestBench) {
    const TTempFile Cods(Barker13 + "\n");
    const TTempFile Taps("3\n-1\n");
    const std::string Export =
        "export --codes " + Cods.Path + " --length 13 --filter " + Taps.Path + " --format ";
    for (const std::string Format : {"vhdl", "verilog", "hex", "0", "4", "coe"}) {
        const TRun R = RunCli(Export + Format);
        EXPECT_EQ(R.Status, 2) << Format;
        EXPECT_TRUE(R.Out.empty()) << Format << ": " << R.Out;
        EXPECT_EQ(R.Err, "codegen-cli: --filter is for --format testbench (the filter's outputs "
                         "as vectors); --format " +
                             Format + " holds no filter\n");
    }
    const TRun Bench = RunCli(Export + "testbench");
    EXPECT_EQ(Bench.Status, 0) << Bench.Err;
    EXPECT_NE(Bench.Out.find("# code 1: filter of 2 taps, 14 samples\n3\n"), std::string::npos)
        << Bench.Out;
}

// Outputs past 32 bits are printed whole, and both the vectors and standard error say to read
// them into 64-bit integers.
TEST(CliHdlExport, TestbenchValuesPast32BitsAreSaidToNeed64BitIntegers) {
    const TTempFile Cods("11\n");
    const TTempFile Taps("2147483647\n2147483647\n");
    const TRun R = RunCli("export --codes " + Cods.Path +
                          " --length 2 --format testbench --filter " + Taps.Path);
    EXPECT_EQ(R.Status, 0) << R.Err;
    EXPECT_NE(R.Out.find("\n4294967294\n"), std::string::npos) << R.Out;
    EXPECT_NE(R.Out.find("\n# Values reach 4294967294, past 32 bits: read them into 64-bit "
                         "integers"),
              std::string::npos)
        << R.Out;
    EXPECT_EQ(R.Err, "codegen-cli: warning: the filter's outputs reach 4294967294, past 32 bits: "
                     "read them into 64-bit integers (the vectors' header says so too)\n");
}

} // namespace
