// codegen-cli as a user runs it: what it prints on each stream and its exit status.
#include "engine/CodSymmetry.h"
#include "search/stochastic/BestCodSearch.h"

#include "cli/CliJob.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

int Lines(const std::string& Text) {
    int Count = 0;
    for (char Ch : Text)
        Count += Ch == '\n';
    return Count;
}

TEST(CliSearch, PrintsTheGoodCodesInCountingOrderAndASummary) {
    const TRun R = RunCli("search --length 4 --side-lobes 1");
    EXPECT_EQ(R.Status, 0);
    EXPECT_EQ(R.Out, "0001\n0010\n0100\n0111\n1000\n1011\n1101\n1110\n");
    EXPECT_NE(R.Err.find("8 codes found"), std::string::npos) << R.Err;
    EXPECT_EQ(Lines(R.Err), 1) << "no progress bar when standard error is no terminal";
}

TEST(CliSearch, TernaryOptionsAndThreads) {
    const TRun Equal =
        RunCli("search --length 3 --type ternary --side-lobes 2 --zeros-rule equal --zeros 1");
    EXPECT_EQ(Equal.Status, 0);
    EXPECT_EQ(Equal.Out, "011\n012\n021\n022\n101\n102\n110\n120\n201\n202\n210\n220\n");

    const TRun One = RunCli("search --length 20 --side-lobes 2 --threads 1");
    const TRun Two = RunCli("search --length 20 --side-lobes 2 --threads 2");
    EXPECT_EQ(One.Out, Two.Out);
    EXPECT_GT(Lines(One.Out), 0);
}

TEST(CliSearch, DefaultsAreThoseOfTheWindow) {
    // Length 10, binary, side lobes at most 2.
    const TRun Defaults = RunCli("search");
    const TRun Explicit = RunCli("search --length 10 --type binary --side-lobes 2");
    EXPECT_EQ(Defaults.Status, 0);
    EXPECT_EQ(Defaults.Out, Explicit.Out);
    EXPECT_EQ(Defaults.Out.substr(0, 11), "0000011010\n");
}

TEST(CliSearch, BadOptionsGiveOneLineAndStatus2) {
    for (const char* Args :
         {"search --length 1", "search --length 501", "search --side-lobes -1", "search --zeros -2",
          "search --type quaternary", "search --zeros-rule some", "search --bogus",
          "search --threads 0", "frobnicate"}) {
        const TRun R = RunCli(Args);
        EXPECT_EQ(R.Status, 2) << Args;
        EXPECT_TRUE(R.Out.empty()) << Args;
        EXPECT_EQ(Lines(R.Err), 1) << Args << ": " << R.Err;
        EXPECT_EQ(R.Err.rfind("codegen-cli: ", 0), 0u) << R.Err;
    }
}

TEST(CliSearch, ThreadCountsBeyondAnyMachineAreRefusedInWords) {
    // 8,388,607 threads once crashed the thread pool's set-up; 0 gave a 309-digit range.
    for (const char* Args : {"search --length 8 --threads 8388607", "search --length 8 --threads 0",
                             "optimize --length 8 --threads 1025", "search --threads x"}) {
        const TRun R = RunCli(Args);
        EXPECT_EQ(R.Status, 2) << Args;
        EXPECT_EQ(Lines(R.Err), 1) << R.Err;
        EXPECT_NE(R.Err.find("from 1 to 1024"), std::string::npos) << R.Err;
        EXPECT_EQ(R.Out, "");
    }
    EXPECT_EQ(RunCli("search --length 8 --side-lobes 2 --threads 1024").Status, 0);
}

TEST(CliCorrelate, AutoCorrelationAsShiftValueLines) {
    const TRun R = RunCli("correlate --length 13 1111100110101");
    EXPECT_EQ(R.Status, 0);
    EXPECT_EQ(R.Out, "-13 0\n-12 1\n-11 0\n-10 1\n-9 0\n-8 1\n-7 0\n-6 1\n-5 0\n-4 1\n-3 0\n"
                     "-2 1\n-1 0\n0 13\n1 0\n2 1\n3 0\n4 1\n5 0\n6 1\n7 0\n8 1\n9 0\n10 1\n"
                     "11 0\n12 1\n13 0\n");
    EXPECT_TRUE(R.Err.empty()) << R.Err;
}

TEST(CliCorrelate, CrossCorrelationOfAPairAndTernaryCodes) {
    const TRun Pair = RunCli("correlate --length 13 1111100110101 1010110011111");
    EXPECT_EQ(Pair.Status, 0);
    EXPECT_EQ(Lines(Pair.Out), 27);
    EXPECT_NE(Pair.Out.find("\n-8 5\n"), std::string::npos) << Pair.Out;
    EXPECT_NE(Pair.Out.find("\n-1 4\n0 1\n1 -4\n"), std::string::npos) << Pair.Out;
    EXPECT_NE(Pair.Out.find("\n8 5\n"), std::string::npos) << Pair.Out;

    // Chips +1 -1 0; the default length 10 would find the text short.
    const TRun Ternary = RunCli("correlate --length 3 --type ternary 120");
    EXPECT_EQ(Ternary.Status, 0);
    EXPECT_EQ(Ternary.Out, "-3 0\n-2 0\n-1 -1\n0 2\n1 -1\n2 0\n3 0\n");
}

TEST(CliCorrelate, BadInputGivesOneLineAndStatus2) {
    const TRun Short = RunCli("correlate --length 13 10101");
    EXPECT_EQ(Short.Status, 2);
    EXPECT_TRUE(Short.Out.empty());
    EXPECT_EQ(Lines(Short.Err), 1) << Short.Err;
    EXPECT_EQ(Short.Err.rfind("codegen-cli: ", 0), 0u) << Short.Err;
    EXPECT_NE(Short.Err.find("10101"), std::string::npos) << Short.Err;

    for (const char* Args : {"correlate --length 13 1111100110101 101", "correlate 111111111",
                             "correlate", "correlate 0 1 2", "correlate --length 501 1",
                             "correlate --type quaternary 1111111111"}) {
        const TRun R = RunCli(Args);
        EXPECT_EQ(R.Status, 2) << Args;
        EXPECT_TRUE(R.Out.empty()) << Args;
        EXPECT_EQ(Lines(R.Err), 1) << Args << ": " << R.Err;
    }
    EXPECT_EQ(RunCli("correlate 1111111111").Status, 0) << "the default length is 10";
}

// A code list file of the test's own, removed when the test ends.
class TCodsFile {
public:
    explicit TCodsFile(const std::string& Contents) {
        static int Files = 0;
        Path = ::testing::TempDir() + "codegen_cli_codes_" + std::to_string(getpid()) + "_" +
               std::to_string(++Files) + ".txt";
        std::ofstream(Path, std::ios::binary) << Contents;
    }
    ~TCodsFile() { std::remove(Path.c_str()); }
    std::string Path;
};

const std::string EncodingLines = "//код выдается по два бита D1,D0\n"
                                  "// {D1,D0}=2b00 - нулевой сигнал\n"
                                  "// {D1,D0}=2b01 - +1 сигнал\n"
                                  "// {D1,D0}=2b10 - -1 сигнал\n"
                                  "// {D1,D0}=2b11 - нулевой сигнал\n"
                                  "//\n";

// The output after its date line, which must be "//Дата " and a date with or without time.
std::string AfterDateLine(const std::string& Out) {
    const std::size_t End = Out.find('\n');
    const std::string Date = Out.substr(0, End);
    // "dd.mm.yyyy", then " hh:mm:ss" unless at exactly midnight.
    const std::string Prefix = "//Дата ";
    std::string Shape = Date.rfind(Prefix, 0) == 0 ? Date.substr(Prefix.size()) : "";
    for (char& Ch : Shape)
        if (Ch >= '0' && Ch <= '9')
            Ch = '9';
    EXPECT_TRUE(Shape == "99.99.9999" || Shape == "99.99.9999 99:99:99") << Date;
    return End == std::string::npos ? "" : Out.substr(End + 1);
}

TEST(CliExport, WorkedExampleInFormat4FromACrLfFile) {
    const TCodsFile Cods("1111100110101\r\n1010110011111\r\n1100101000111\r\n");
    const TRun R = RunCli("export --codes " + Cods.Path + " --length 13 --format 4");
    EXPECT_EQ(R.Status, 0);
    EXPECT_TRUE(R.Err.empty()) << R.Err;
    const std::string Zeros(64, '0');
    EXPECT_EQ(AfterDateLine(R.Out),
              "//Файл " + Cods.Path +
                  "\n"
                  "//Длина кода 13 бит\n"
                  "//Тип кода +1, -1       (1,0)\n"
                  "//Боковые пики автокорреляционной х-ки не более 2\n"
                  "//Пики взаимной корреляционной х-ки не более 2\n"
                  "//Количество кодов 3\n"
                  "\n"
                  "// 1111100110101\n"
                  "// 1010110011111\n"
                  "// 1100101000111\n"
                  "//используются 4 ROM256X1, записано 3 кодов\n"
                  "//Адреса битов кода A4-A0 (32 бит), адрес самого кода A7-A5 (8 кодов)\n"
                  "//Элемент 0 кода по адресу 31 (A4-A0), элемент i по адресу 31-i; адреса "
                  "0..18 нулевые\n" +
                  EncodingLines +
                  "\n"
                  "//Low ROM младшие коды\n"
                  ".INIT(256'h000000000000000000000000000000000000000035C000005300000006500000); "
                  "//Старший бит D1\n"
                  ".INIT(256'h0000000000000000000000000000000000000000CA380000ACF80000F9A80000); "
                  "//Младший бит D0\n"
                  "\n"
                  "//High ROM старшие коды\n"
                  ".INIT(256'h" +
                  Zeros + "); //Старший бит D1\n.INIT(256'h" + Zeros +
                  "); //Младший бит D0\n"
                  "\n");
}

TEST(CliExport, DefaultsAreThoseOfTheWindowAndEveryLineIsACod) {
    // Mixed line ends, an empty line between (skipped), no break after the last line.
    const TCodsFile Cods("1111100110\r\n\n0101101010\r1111100110");
    const TRun R = RunCli("export --codes " + Cods.Path);
    EXPECT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(AfterDateLine(R.Out), "//Файл " + Cods.Path +
                                        "\n"
                                        "//Длина кода 10 бит\n"
                                        "//Тип кода +1, -1       (1,0)\n"
                                        "//Боковые пики автокорреляционной х-ки не более 2\n"
                                        "//Пики взаимной корреляционной х-ки не более 2\n"
                                        "//Количество кодов 3\n"
                                        "\n"
                                        "1111100110\n0101101010\n1111100110\n"
                                        "\n");

    // An empty file is an empty set: the plain texts end in two empty lines.
    const TCodsFile Empty("");
    const TRun E = RunCli("export --codes " + Empty.Path + " --format 0");
    EXPECT_EQ(E.Status, 0);
    const std::string Count = "//Количество кодов 0\n\n\n";
    ASSERT_GE(E.Out.size(), Count.size());
    EXPECT_EQ(E.Out.substr(E.Out.size() - Count.size()), Count);
}

TEST(CliExport, TernaryHeaderAndParameters) {
    const TCodsFile Cods("1020\n");
    const TRun R = RunCli("export --codes " + Cods.Path +
                          " --type ternary --length 4 --zeros 3 --zeros-rule equal --side-lobes 1"
                          " --cross-limit 4 --format 5 --caption 'Мой набор.cod'");
    EXPECT_EQ(R.Status, 0);
    EXPECT_EQ(AfterDateLine(R.Out), "//Файл Мой набор.cod\n"
                                    "//Длина кода 4 бит\n"
                                    "//Тип кода +1, 0, -1   (1,0,2)\n"
                                    "//Количество нулей в коде 3 равно\n"
                                    "//Боковые пики автокорреляционной х-ки не более 1\n"
                                    "//Пики взаимной корреляционной х-ки не более 4\n"
                                    "//Количество кодов 1\n"
                                    "\n"
                                    "// 1020\n"
                                    "\n"
                                    "//Записано 1 кодов\n"
                                    "//Элемент 0 кода в бите LN, элемент i в бите LN-i, LN = "
                                    "число символов кода - 1 = 3\n" +
                                        EncodingLines +
                                        "\n"
                                        "parameter COD_00_D0 = 128'h" +
                                        std::string(31, '0') +
                                        "8; //Младший бит D0\n"
                                        "parameter COD_00_D1 = 128'h" +
                                        std::string(31, '0') +
                                        "2; //Старший бит D1\n"
                                        "\n");
    const TRun AtMost =
        RunCli("export --codes " + Cods.Path + " --type ternary --length 4 --format 1");
    EXPECT_NE(AtMost.Out.find("\n//Количество нулей в коде 2 не более\n"), std::string::npos)
        << AtMost.Out;
    EXPECT_NE(AtMost.Out.find("\n.INIT(128'h" + std::string(31, '0') + "4); //Старший бит D1\n"),
              std::string::npos)
        << AtMost.Out;
}

TEST(CliExport, AFormatThatCutsTheCodesSaysSoOnStandardError) {
    const TCodsFile Cods("111111111111111100000000\n");
    const TRun R = RunCli("export --codes " + Cods.Path + " --length 24 --format 1");
    EXPECT_EQ(R.Status, 0);
    EXPECT_EQ(R.Err, "codegen-cli: warning: format 1 writes only chips 0..15 of each code of 24 "
                     "chips (the header says so too)\n");
    EXPECT_NE(R.Out.find("\n//Внимание: записаны только элементы 0..15 каждого кода, длина кода "
                         "24 бита\n\n"),
              std::string::npos)
        << R.Out;
    const TRun Whole = RunCli("export --codes " + Cods.Path + " --length 24 --format 0");
    EXPECT_TRUE(Whole.Err.empty()) << Whole.Err;
}

// A line that is no code is refused with its line before anything is printed (the export
// used to print the lines before it, then fail).
TEST(CliExport, AShortTextIsRefusedByItsLineBeforeAnyOutput) {
    const TCodsFile Cods("1111100110101\r\n10101\r\n");
    const TRun R = RunCli("export --codes " + Cods.Path + " --length 13 --format 1");
    EXPECT_EQ(R.Status, 2);
    EXPECT_EQ(R.Out, "");
    EXPECT_EQ(R.Err, "codegen-cli: Line 2 of " + Cods.Path +
                         " (\"10101\") is not a code: the code has 5 characters, not 13\n");
}

// A character outside ASCII in a code: refused with its row and the character, as the
// window refuses it, instead of reading its two UTF-8 bytes as two chips (format 5 at
// L = 4 came out one bit apart from the window's).
TEST(CliExport, ACharacterOutsideAsciiIsRefusedByRowAndCharacter) {
    const TCodsFile Cods("1011\n10\xD1\x84"
                         "1\n");
    const TRun R = RunCli("export --codes " + Cods.Path + " --length 4 --format 5");
    EXPECT_EQ(R.Status, 2);
    const std::string Refusal = "codegen-cli: Line 2 of " + Cods.Path +
                                " (\"10\\xD1\\x841\") is not a code: character 3 is not a "
                                "binary digit (0 or 1)\n";
    EXPECT_EQ(R.Err, Refusal);
    const TRun Select = RunCli("select --codes " + Cods.Path + " --length 4");
    EXPECT_EQ(Select.Status, 2);
    EXPECT_EQ(Select.Err, Refusal);
    const TRun Sets = RunCli("sets --codes " + Cods.Path + " --length 4 --limit 4");
    EXPECT_EQ(Sets.Status, 2);
    EXPECT_EQ(Sets.Err, Refusal);
}

// The memory files print what the export window saves, and nothing for a code that does not
// fit a word.
TEST(CliExport, MemoryFormatsPrintTheSetAsWords) {
    const TCodsFile Cods("1201\n0012\n");
    const TRun Coe =
        RunCli("export --codes " + Cods.Path + " --type ternary --length 4 --format coe");
    EXPECT_EQ(Coe.Status, 0) << Coe.Err;
    EXPECT_EQ(Coe.Out, "; 2 codes of 4 chips, first chip first; two bits {D1,D0} per chip: "
                       "01 = +1, 10 = -1, 00 = zero\n"
                       "memory_initialization_radix=2;\n"
                       "memory_initialization_vector=\n"
                       "01100001,\n"
                       "00000110;\n");
    const TRun Bad = RunCli("export --codes " + Cods.Path + " --length 4 --format mem");
    EXPECT_EQ(Bad.Status, 2);
    EXPECT_TRUE(Bad.Out.empty()) << Bad.Out;
    EXPECT_EQ(Bad.Err,
              "codegen-cli: Line 1 of " + Cods.Path +
                  " (\"1201\") is not a code: character 2 is not a binary digit (0 or 1)\n");
}

TEST(CliExport, BadFilesAndOptionsGiveOneLineAndStatus2) {
    const TCodsFile Cods("1111100110\n");
    const std::string Missing = ::testing::TempDir() + "codegen_cli_no_such_file.txt";
    const TRun R = RunCli("export --codes " + Missing);
    EXPECT_EQ(R.Status, 2);
    EXPECT_TRUE(R.Out.empty());
    EXPECT_EQ(R.Err, "codegen-cli: Cannot open file " + Missing + "\n");

    for (const std::string& Args : {"export --codes " + ::testing::TempDir(), std::string("export"),
                                    "export --codes " + Cods.Path + " --format 6",
                                    "export --codes " + Cods.Path + " --format -1",
                                    "export --codes " + Cods.Path + " --length 501",
                                    "export --codes " + Cods.Path + " --cross-limit -1",
                                    "export --codes " + Cods.Path + " --zeros-rule some"}) {
        const TRun Bad = RunCli(Args);
        EXPECT_EQ(Bad.Status, 2) << Args;
        EXPECT_TRUE(Bad.Out.empty()) << Args;
        EXPECT_EQ(Lines(Bad.Err), 1) << Args << ": " << Bad.Err;
    }
}

TEST(CliSets, EveryMethodPrintsTheBestSetOfTheFourCodes) {
    // Peaks 2, 6, 2 / 2, 4 / 2 between rows 1-2, 1-3, 1-4 / 2-3, 2-4 / 3-4; CR LF lines.
    const TCodsFile Four("0000000000\r\n0010101010\r\n0000001111\r\n0100110010\r\n");
    const std::string A = "0000000000\n", B = "0010101010\n", C = "0000001111\n",
                      D = "0100110010\n";
    const std::vector<std::tuple<std::string, std::string, std::string>> Cases{
        {"all", D + A, "best: 2 codes from row 4"},
        {"last", D + A + B + C + D, "best: 5 codes from row 4"},
        {"2", D + A + B + C, "best: 4 codes from row 4"},
        {"cycle2", D + A + B, "best: 3 codes from row 4"},
        {"full", B + C, "best package: 2 codes"},
    };
    for (const auto& [Method, Out, Summary] : Cases) {
        const TRun R = RunCli("sets --codes " + Four.Path + " --length 10 --method " + Method);
        EXPECT_EQ(R.Status, 0) << Method;
        EXPECT_EQ(R.Out, Out) << Method;
        EXPECT_EQ(R.Err, Summary + "\n") << Method;
    }
    // Stop on cycle ends after the first pass of two or more codes: the pass from row 1.
    const TRun Stopped =
        RunCli("sets --codes " + Four.Path + " --length 10 --method cycle --stop-on-cycle");
    EXPECT_EQ(Stopped.Out, A + B + C + D);

    // The largest set within 4 (pairs 1-2, 1-4, 2-3, 2-4, 3-4): three codes, two such sets,
    // printed in row order and said to be proven.
    for (const std::string Method : {"max", "5"}) {
        const TRun Max =
            RunCli("sets --codes " + Four.Path + " --length 10 --limit 4 --method " + Method);
        EXPECT_EQ(Max.Status, 0);
        EXPECT_TRUE(Max.Out == A + B + D || Max.Out == B + C + D) << Max.Out;
        EXPECT_EQ(Max.Err, "largest set: 3 codes, proven maximal\n");
    }
}

TEST(CliSets, ErrorsGiveOneLineAndStatus2) {
    const TCodsFile Short("0000000000\n0101\n");
    for (const std::string& Args : std::vector<std::string>{
             "sets --codes " + Short.Path + " --length 10", "sets --codes /nonexistent/codes.txt",
             "sets --length 10", "sets --codes " + Short.Path + " --method 6"}) {
        const TRun R = RunCli(Args);
        EXPECT_EQ(R.Status, 2) << Args;
        EXPECT_EQ(Lines(R.Err), 1) << Args << ": " << R.Err;
    }
}

TEST(CliSelect, KeepsTheCodesWithEnoughPartners) {
    const TCodsFile Four("0001101\n0100111\n1011000\n1110010\n");
    const std::string All = "0001101\n0100111\n1011000\n1110010\n";
    const std::vector<std::tuple<int, int, std::string>> Cases{
        {2, 1, ""}, {3, 2, All}, {3, 3, ""}, {7, 4, All}};
    for (const auto& [T, K, Out] : Cases) {
        const TRun R = RunCli("select --codes " + Four.Path + " --length 7 --limit " +
                              std::to_string(T) + " --count " + std::to_string(K));
        EXPECT_EQ(R.Status, 0);
        EXPECT_EQ(R.Out, Out) << T << " " << K;
    }
    const TCodsFile Short("0001101\n01\n");
    const TRun Bad = RunCli("select --codes " + Short.Path + " --length 7");
    EXPECT_EQ(Bad.Status, 2);
    EXPECT_NE(Bad.Err.find("Line 2 of " + Short.Path), std::string::npos) << Bad.Err;
}

// The help said "the code itself included", but the code's own pair peaks at its main lobe:
// the help says when that pair counts and what --count 0 does, and the runs agree with it.
TEST(CliSelect, TheHelpSaysWhenACodesOwnPairCountsAndWhatCountZeroDoes) {
    const TRun Help = RunCli("select --help");
    EXPECT_EQ(Help.Status, 0);
    std::string Text = Help.Out;
    // The help wraps its lines: compare the words.
    for (char& Ch : Text)
        if (Ch == '\n')
            Ch = ' ';
    std::string Words;
    for (char Ch : Text)
        if (Ch != ' ' || (!Words.empty() && Words.back() != ' '))
            Words += Ch;
    EXPECT_EQ(Words.find("themselves included"), std::string::npos) << Help.Out;
    EXPECT_EQ(Words.find("the code itself included"), std::string::npos) << Help.Out;
    EXPECT_NE(Words.find("counts only when LIMIT reaches"), std::string::npos) << Help.Out;
    EXPECT_NE(Words.find("--count 0 keeps the same codes as --count 1"), std::string::npos)
        << Help.Out;
    // One binary code of 7 chips: its own pair peaks at 7.
    const TCodsFile One("0001101\n");
    const auto Kept = [&One](int T, int K) {
        return RunCli("select --codes " + One.Path + " --length 7 --limit " + std::to_string(T) +
                      " --count " + std::to_string(K))
            .Out;
    };
    EXPECT_EQ(Kept(6, 0), "");
    EXPECT_EQ(Kept(6, 1), "");
    EXPECT_EQ(Kept(7, 0), "0001101\n");
    EXPECT_EQ(Kept(7, 1), "0001101\n");
    EXPECT_EQ(Kept(7, 2), "");
    // A ternary code's main lobe is its non-zero chips: 3 here.
    const TCodsFile Ternary("1020100\n");
    const std::string Select = "select --codes " + Ternary.Path + " --length 7 --type ternary";
    EXPECT_EQ(RunCli(Select + " --limit 2 --count 1").Out, "");
    EXPECT_EQ(RunCli(Select + " --limit 3 --count 1").Out, "1020100\n");
}

TEST(CliProject, ASearchProjectFeedsTheOtherSubcommands) {
    const std::string Project =
        ::testing::TempDir() + "codegen_cli_project_" + std::to_string(getpid()) + ".cod";
    const TRun Search = RunCli("search --length 7 --side-lobes 1 --project-out " + Project);
    EXPECT_EQ(Search.Status, 0);
    const std::string Four = "0001101\n0100111\n1011000\n1110010\n";
    EXPECT_EQ(Search.Out, Four);
    const TRun Select = RunCli("select --codes " + Project + " --length 7 --limit 7 --count 1");
    EXPECT_EQ(Select.Out, Four) << Select.Err;
    const TRun EmptySet = RunCli("select --codes " + Project + " --grid set --length 7");
    EXPECT_EQ(EmptySet.Status, 0);
    EXPECT_EQ(EmptySet.Out, "");
    EXPECT_EQ(RunCli("search --length 7 --project-out /nonexistent/dir/p.cod").Status, 2);
    std::remove(Project.c_str());
}

std::string FileText(const std::string& Path) {
    std::ifstream File(Path, std::ios::binary);
    std::stringstream Text;
    Text << File.rdbuf();
    return Text.str();
}

// --project-out replaces the file the way an editor does, whatever sits at or beside it.
TEST(CliProjectOut, ReplacesOnlyTheProjectWhateverLiesAtOrBesideIt) {
    namespace fs = std::filesystem;
    std::string Pattern = ::testing::TempDir() + "codegen_cli_out_XXXXXX";
    ASSERT_NE(mkdtemp(Pattern.data()), nullptr);
    const fs::path Dir = Pattern;
    const std::string Project = (Dir / "p.cod").string();
    const std::string Search = "search --length 7 --side-lobes 1 --project-out ";

    // A link planted where a temporary file might go is not followed.
    std::ofstream((Dir / "victim").string()) << "precious";
    fs::create_symlink(Dir / "victim", Dir / "p.cod.new");
    EXPECT_EQ(RunCli(Search + Project).Status, 0);
    EXPECT_EQ(FileText((Dir / "victim").string()), "precious");
    EXPECT_NE(FileText(Project).find("1110010"), std::string::npos);

    // A private project stays private.
    chmod(Project.c_str(), 0600);
    EXPECT_EQ(RunCli(Search + Project).Status, 0);
    struct stat Info {};
    stat(Project.c_str(), &Info);
    EXPECT_EQ(Info.st_mode & 07777, 0600u);

    // A link to the project stays a link.
    fs::create_symlink(Project, Dir / "link.cod");
    EXPECT_EQ(RunCli(Search + (Dir / "link.cod").string()).Status, 0);
    EXPECT_TRUE(fs::is_symlink(Dir / "link.cod"));

    // A pipe is refused, named, and left a pipe.
    const std::string Fifo = (Dir / "fifo").string();
    ASSERT_EQ(mkfifo(Fifo.c_str(), 0600), 0);
    const TRun Pipe = RunCli(Search + Fifo);
    EXPECT_EQ(Pipe.Status, 2);
    EXPECT_NE(Pipe.Err.find("Unable to write to " + Fifo + ": it is a pipe"), std::string::npos)
        << Pipe.Err;
    EXPECT_TRUE(fs::is_fifo(Fifo));

    // A name near the limit, which a fixed suffix would push over it.
    const std::string Long = (Dir / (std::string(248, 'n') + ".cod")).string();
    EXPECT_EQ(RunCli(Search + Long).Status, 0);
    EXPECT_TRUE(fs::is_regular_file(Long));

    // An empty name is an error, not a silent no.
    const TRun Empty = RunCli(Search + "\"\"");
    EXPECT_EQ(Empty.Status, 2);
    EXPECT_NE(Empty.Err.find("no file name given"), std::string::npos) << Empty.Err;
    EXPECT_EQ(Empty.Out, "");

    // Nothing else appeared beside them.
    EXPECT_EQ(std::distance(fs::directory_iterator(Dir), fs::directory_iterator()), 6);
    fs::remove_all(Dir);
}

// Whatever the input, codegen-cli ends with one line saying what failed and why, having read
// no more than it needed to know.
TEST(CliInput, EndlessAndBinaryInputsAreRefusedByName) {
    // /dev/zero once grew to 2 GB before failing with "std::bad_alloc".
    const TRun Zero = RunCli("export --codes /dev/zero");
    EXPECT_EQ(Zero.Status, 2);
    EXPECT_EQ(Zero.Out, "");
    EXPECT_EQ(Zero.Err,
              "codegen-cli: /dev/zero holds a NUL byte in line 1: it is not a text file\n");

    // A line without end, as a pipe gives it.
    const TRun Endless =
        RunCli("select --codes - --length 7", "tr '\\0' 1 < /dev/zero 2>/dev/null | ");
    EXPECT_EQ(Endless.Status, 2);
    EXPECT_EQ(Endless.Err, "codegen-cli: Line 1 of standard input is longer than any code can be "
                           "(over 4096 bytes)\n");

    const TCodsFile Long("0001101\n\n" + std::string(5000, '1') + "\n0001101\n");
    const TRun L = RunCli("sets --codes " + Long.Path + " --length 7");
    EXPECT_EQ(L.Status, 2);
    EXPECT_EQ(L.Err, "codegen-cli: Line 3 of " + Long.Path +
                         " is longer than any code can be (over 4096 bytes)\n");

    // Once cut at the NUL: "the code text "01" has fewer characters (5)".
    const TCodsFile Nul(std::string("0001101\n01\0"
                                    "01\n",
                                    13));
    const TRun N = RunCli("export --codes " + Nul.Path + " --length 7 --format 1");
    EXPECT_EQ(N.Status, 2);
    EXPECT_EQ(N.Err,
              "codegen-cli: " + Nul.Path + " holds a NUL byte in line 2: it is not a text file\n");

    // "0001101" and a line break saved as UTF-16 by an editor.
    std::string Wide = "\xFF\xFE";
    for (char Ch : std::string("0001101\r\n"))
        Wide += std::string{Ch, '\0'};
    const TCodsFile Utf16(Wide);
    const TRun U = RunCli("select --codes " + Utf16.Path + " --length 7");
    EXPECT_EQ(U.Status, 2);
    EXPECT_EQ(U.Err, "codegen-cli: " + Utf16.Path +
                         " is UTF-16 text; codes and projects are read from 8-bit text (ASCII or "
                         "Windows-1251)\n");
}

TEST(CliInput, StandardInputTakesACodeListOrAProject) {
    const std::string Four = "0001101\n0100111\n1011000\n1110010\n";
    const TRun List = RunCli("select --codes - --length 7 --limit 7 --count 1",
                             "printf '0001101\\r\\n0100111\\n1011000\\n1110010' | ");
    EXPECT_EQ(List.Status, 0) << List.Err;
    EXPECT_EQ(List.Out, Four);

    const std::string Project =
        ::testing::TempDir() + "codegen_cli_stdin_" + std::to_string(getpid()) + ".cod";
    ASSERT_EQ(RunCli("search --length 7 --side-lobes 1 --project-out " + Project).Status, 0);
    const TRun FromProject =
        RunCli("select --codes - --length 7 --limit 7 --count 1", "cat " + Project + " | ");
    EXPECT_EQ(FromProject.Status, 0) << FromProject.Err;
    EXPECT_EQ(FromProject.Out, Four);
    std::remove(Project.c_str());
}

// The name of a file says nothing: a code list named *.cod is a code list, a project named
// *.txt a project, and an INI file of another program neither (it once gave an empty list
// and status 0).
TEST(CliInput, ProjectsAndCodeListsAreToldApartByContent) {
    const std::string Dir = ::testing::TempDir() + "codegen_cli_kinds_" + std::to_string(getpid());
    std::filesystem::create_directories(Dir);
    const std::string Four = "0001101\n0100111\n1011000\n1110010\n";
    std::ofstream(Dir + "/list.cod", std::ios::binary) << Four;
    const TRun List = RunCli("select --codes " + Dir + "/list.cod --length 7 --limit 7 --count 1");
    EXPECT_EQ(List.Status, 0) << List.Err;
    EXPECT_EQ(List.Out, Four);

    ASSERT_EQ(RunCli("search --length 7 --side-lobes 1 --project-out " + Dir + "/p.txt").Status, 0);
    const TRun Project = RunCli("select --codes " + Dir + "/p.txt --length 7 --limit 7 --count 1");
    EXPECT_EQ(Project.Status, 0) << Project.Err;
    EXPECT_EQ(Project.Out, Four);

    std::ofstream(Dir + "/other.cod", std::ios::binary) << "[Settings]\r\nTheme=dark\r\n";
    const TRun Other = RunCli("export --codes " + Dir + "/other.cod --length 7");
    EXPECT_EQ(Other.Status, 2);
    EXPECT_EQ(Other.Out, "");
    EXPECT_EQ(Other.Err, "codegen-cli: " + Dir +
                             "/other.cod is neither a project (it has no [MainForm] section) nor "
                             "a code list\n");
    std::filesystem::remove_all(Dir);
}

// A 69-byte project declaring a hundred million rows once ran four minutes to 6.4 GB.
TEST(CliInput, CountsBeyondTheFileAreRefusedByTheirKey) {
    const TCodsFile Tall(
        "[MainForm]\r\nCodStringGridColCount=2\r\nCodStringGridRowCount=100000000\r\n");
    const TRun T = RunCli("export --codes " + Tall.Path);
    EXPECT_EQ(T.Status, 2);
    EXPECT_EQ(T.Out, "");
    EXPECT_EQ(T.Err, "codegen-cli: The project declares CodStringGridRowCount=100000000 in "
                     "[MainForm]: more cells than the file holds\n");
    const TCodsFile Wide("[MainForm]\r\nNoCorrCodsStringGridColCount=1000000\r\n"
                         "NoCorrCodsStringGridRowCount=1000\r\n");
    const TRun W = RunCli("export --grid set --codes " + Wide.Path);
    EXPECT_EQ(W.Status, 2);
    EXPECT_NE(W.Err.find("NoCorrCodsStringGridColCount=1000000 in [MainForm]"), std::string::npos)
        << W.Err;
}

TEST(CliErrors, TheRowAndTheEscapedTextOfABadCode) {
    // sets said only what was wrong with a code, not where it was.
    const TCodsFile Short("0000000000\n0101\n");
    const TRun Sets = RunCli("sets --codes " + Short.Path + " --length 10");
    EXPECT_EQ(Sets.Status, 2);
    EXPECT_EQ(Sets.Err, "codegen-cli: Line 2 of " + Short.Path +
                            " (\"0101\") is not a code: the code has 4 characters, not 10\n");

    // Control and 8-bit bytes of a code text went to the terminal as they were.
    const TCodsFile Odd("1111100110\n1\x1B[2J\xE9\n");
    const TRun Export = RunCli("export --codes " + Odd.Path + " --format 1");
    EXPECT_EQ(Export.Status, 2);
    EXPECT_EQ(Export.Err, "codegen-cli: Line 2 of " + Odd.Path +
                              " (\"1\\x1B[2J\\xE9\") is not a code: character 2 is not a binary "
                              "digit (0 or 1)\n");
}

// Memory running out is said in words, not as "std::bad_alloc".
TEST(CliErrors, RunningOutOfMemoryIsSaidInWords) {
    const std::string Limit = "ulimit -v 40000 2>/dev/null && ";
    const std::string Cod(500, '1');
    if (RunCli("export --codes - --length 500", Limit + "echo " + Cod + " | ").Status != 0)
        GTEST_SKIP() << "codegen-cli does not start within 40 MB here";
    const TRun R = RunCli("export --codes - --length 500",
                          Limit + "yes " + Cod + " 2>/dev/null | head -n 40000 | ");
    EXPECT_EQ(R.Status, 2);
    EXPECT_EQ(R.Err, "codegen-cli: the input is too large for memory (out of memory)\n");
}

// Lines that are no code (a heading, a comment, another length) once became codes of the
// wrong length; blank lines and blanks around a code are left as the paste leaves them.
TEST(CliInput, ALineThatIsNoCodeIsRefusedWithItsLine) {
    const TCodsFile Listed("  0001101\t\r\n\r\n0100111\n");
    const TRun Good = RunCli("matrix --codes " + Listed.Path + " --length 7");
    EXPECT_EQ(Good.Status, 0) << Good.Err;
    EXPECT_EQ(LinesIn(Good.Out).size(), 2u);
    for (const auto& [Contents, Line] :
         {std::pair<std::string, std::string>{"# codes\n0001101\n", "1 of F (\"# codes\")"},
          {"0001101\n\n00011010\n", "3 of F (\"00011010\")"},
          {"Codes of 7\n0001101\n", "1 of F (\"Codes of 7\")"}}) {
        const TCodsFile File(Contents);
        for (const std::string Command : {"matrix", "select", "sets", "export"}) {
            const TRun R = RunCli(Command + " --codes " + File.Path + " --length 7");
            std::string Expected = "codegen-cli: Line " + Line + " is not a code";
            Expected.replace(Expected.find(" F "), 3, " " + File.Path + " ");
            EXPECT_EQ(R.Status, 2) << Command;
            EXPECT_EQ(R.Out, "") << Command;
            EXPECT_EQ(R.Err.rfind(Expected, 0), 0u) << Command << ": " << R.Err;
        }
    }
}

// `yes 1010101010 | codegen-cli matrix --codes - --length 10` reached 5 GB in 30 s: the list
// is refused by count before it is stored, and a wrong length at its first line, well within
// 400 MB of address space.
TEST(CliInput, AnEndlessListIsRefusedInBoundedMemory) {
    const std::string Limit = MemoryCap(400);
    const TRun Many = RunCli("matrix --codes - --length 10",
                             Limit + "yes 1010101010 2>/dev/null | head -c 200000000 | ");
    EXPECT_EQ(Many.Status, 2);
    EXPECT_EQ(Many.Out, "");
    EXPECT_EQ(Many.Err, "codegen-cli: Line 1000001 of standard input is one code too many: a list "
                        "holds at most 1000000 codes of 10 chips\n");
    const TRun Long = RunCli("matrix --codes - --length 10",
                             Limit + "yes 10101010101 2>/dev/null | head -c 200000000 | ");
    EXPECT_EQ(Long.Status, 2);
    EXPECT_EQ(Long.Err, "codegen-cli: Line 1 of standard input (\"10101010101\") is not a code: "
                        "the code has 11 characters, not 10\n");
    // Long codes: fewer of them (64 Mi chips in all).
    const TRun Chips =
        RunCli("select --codes - --length 500",
               Limit + "yes " + std::string(500, '1') + " 2>/dev/null | head -c 200000000 | ");
    EXPECT_EQ(Chips.Status, 2);
    EXPECT_EQ(Chips.Err, "codegen-cli: Line 134218 of standard input is one code too many: a list "
                         "holds at most 134217 codes of 500 chips\n");
}

// An INI file of 4 million empty sections (43 MB) took 1.03 GB, and one of millions of keys
// as much: refused by count, within 400 MB of address space.
TEST(CliInput, AbsurdSectionAndKeyCountsAreRefusedInBoundedMemory) {
    std::string Sections = "[MainForm]\r\n";
    for (int I = 0; I < 4000000; ++I)
        Sections += "[S]\r\n";
    const TCodsFile ManySections(Sections);
    const std::string Limit = MemoryCap(400);
    const TRun S = RunCli("matrix --codes " + ManySections.Path, Limit);
    EXPECT_EQ(S.Status, 2);
    EXPECT_EQ(S.Err, "codegen-cli: " + ManySections.Path +
                         " holds more than 262144 sections (line 262145): it is no project\n");
    std::string Keys = "[MainForm]\r\n";
    for (int I = 0; I < 5000000; ++I)
        Keys += "a=\r\n";
    const TCodsFile ManyKeys(Keys);
    const TRun K = RunCli("matrix --codes " + ManyKeys.Path, Limit);
    EXPECT_EQ(K.Status, 2);
    EXPECT_EQ(K.Err, "codegen-cli: " + ManyKeys.Path +
                         " holds more than 4194304 keys (line 4194306): it is no project\n");
}

// The window opened a project whose codes codegen-cli refused; now both refuse it, by row.
TEST(CliInput, AProjectRowThatIsNoCodeIsNamed) {
    const TCodsFile Project("[MainForm]\r\nCodLengthPBSpinEdit=13\r\nCodStringGridColCount=2\r\n"
                            "CodStringGridRowCount=3\r\nCodStringGrid00010001=1111100110101\r\n"
                            "CodStringGrid00010002=" +
                            std::string(500, '1') +
                            "\r\nNoCorrCodsStringGridColCount=2\r\n"
                            "NoCorrCodsStringGridRowCount=2\r\n"
                            "NoCorrCodsStringGrid00010001=01<script>\r\n");
    const TRun Good = RunCli("matrix --codes " + Project.Path + " --length 13");
    EXPECT_EQ(Good.Status, 2);
    EXPECT_EQ(Good.Err, "codegen-cli: Good-code row 2: the code has 500 characters, not 13\n");
    const TRun Set = RunCli("matrix --grid set --codes " + Project.Path + " --length 13");
    EXPECT_EQ(Set.Status, 2);
    EXPECT_EQ(Set.Err, "codegen-cli: Set row 1: character 3 is not a binary digit (0 or 1)\n");
    // A row count that is no count was read as an empty list.
    const TCodsFile Negative(
        "[MainForm]\r\nCodStringGridColCount=2\r\nCodStringGridRowCount=-5\r\n");
    const TRun N = RunCli("matrix --codes " + Negative.Path);
    EXPECT_EQ(N.Status, 2);
    EXPECT_EQ(N.Err, "codegen-cli: The project's key CodStringGridRowCount=-5 in [MainForm] is not "
                     "a count\n");
}

TEST(CliOptimize, FindsTheBarkerCodeAndReportsItsFigures) {
    const TRun R = RunCli("optimize --length 13 --target 1");
    EXPECT_EQ(R.Status, 0) << R.Err;
    const auto Cods = LinesIn(R.Out);
    ASSERT_EQ(Cods.size(), 1u);
    EXPECT_EQ(codegen::SymmetryClassKey(Cods[0], codegen::TCodType::Binary),
              codegen::SymmetryClassKey("1111100110101", codegen::TCodType::Binary));
    EXPECT_NE(R.Err.find("PSL 1  ISL 6  F 14.083  " + Cods[0]), std::string::npos) << R.Err;
    EXPECT_NE(R.Err.find("count reached"), std::string::npos) << R.Err;
}

TEST(CliOptimize, ATargetNotReachedFailsWithNothingPrinted) {
    const TRun R = RunCli("optimize --length 13 --target 0 --time 0.3");
    EXPECT_EQ(R.Status, 1);
    EXPECT_EQ(R.Out, "");
    EXPECT_NE(R.Err.find("time is up"), std::string::npos) << R.Err;
    EXPECT_NE(R.Err.find("0 codes within PSL 0"), std::string::npos) << R.Err;
}

TEST(CliOptimize, BestCodsWithoutATargetAreRepeatable) {
    const std::string Args =
        "optimize --length 40 --target none --count 4 --steps 3000 --time 0 --seed 5 "
        "--threads 2";
    const TRun A = RunCli(Args);
    const TRun B = RunCli(Args);
    EXPECT_EQ(A.Status, 0) << A.Err;
    EXPECT_EQ(A.Out, B.Out);
    const auto Cods = LinesIn(A.Out);
    ASSERT_EQ(Cods.size(), 4u);
    std::set<std::string> Keys;
    int LastPsl = 0;
    for (const auto& C : Cods) {
        const auto Figures = codegen::ScoreCod(C, 40, codegen::TCodType::Binary);
        EXPECT_GE(Figures.Psl, LastPsl) << "best first";
        LastPsl = Figures.Psl;
        EXPECT_TRUE(Keys.insert(codegen::SymmetryClassKey(C, codegen::TCodType::Binary)).second);
    }
    EXPECT_LE(LastPsl, 4);
}

TEST(CliOptimize, TernaryCodsKeepTheZeroRule) {
    const TRun R = RunCli("optimize --length 20 --type ternary --zeros-rule equal --zeros 4 "
                          "--target 3 --count 5 --time 20");
    EXPECT_EQ(R.Status, 0) << R.Err;
    const auto Cods = LinesIn(R.Out);
    EXPECT_EQ(Cods.size(), 5u);
    for (const auto& C : Cods) {
        EXPECT_EQ(std::count(C.begin(), C.end(), '0'), 4) << C;
        EXPECT_LE(codegen::ScoreCod(C, 20, codegen::TCodType::Ternary).Psl, 3) << C;
    }
}

// Interrupted once it has reported an improvement: the best code so far, and status 0.
TEST(CliOptimize, InterruptPrintsWhatItHas) {
    const TRun Run = RunJobAndStopWhen(
        std::string(CODEGEN_CLI) + " optimize --length 200 --target none --time 0",
        [](const TRun& SoFar) { return SoFar.Err.find(" PSL ") != std::string::npos; },
        [](pid_t Pid) { kill(Pid, SIGINT); });
    EXPECT_EQ(Run.Status, 0) << Run.Err;
    const auto Cods = LinesIn(Run.Out);
    ASSERT_EQ(Cods.size(), 1u);
    EXPECT_EQ(Cods[0].size(), 200u);
}

TEST(CliOptimize, BadOptionsGiveOneLineAndStatus2) {
    for (const char* Args : {"optimize --length 1", "optimize --start golay", "optimize --count 0",
                             "optimize --length 20 --type ternary --zeros-rule equal --zeros 21",
                             "optimize --threads 0"}) {
        const TRun R = RunCli(Args);
        EXPECT_EQ(R.Status, 2) << Args;
        EXPECT_EQ(Lines(R.Err), 1) << Args << ": " << R.Err;
    }
}

TEST(CliGeneral, VersionAndHelp) {
    const TRun Version = RunCli("--version");
    EXPECT_EQ(Version.Status, 0);
    EXPECT_NE(Version.Out.find("codegen-cli"), std::string::npos);
    const TRun Help = RunCli("--help");
    EXPECT_EQ(Help.Status, 0);
    EXPECT_NE(Help.Out.find("search"), std::string::npos);
    EXPECT_NE(Help.Out.find("correlate"), std::string::npos);
    EXPECT_NE(Help.Out.find("export"), std::string::npos);
    EXPECT_NE(Help.Out.find("optimize"), std::string::npos);
}

} // namespace
