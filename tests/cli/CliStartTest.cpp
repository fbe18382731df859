// `codegen-cli optimize --start CODE`: a run that improves a code the user has keeps its
// length and type and never reports a code worse than it; start texts that are no code of
// the run are refused with one line and status 2; ternary runs give PSL/E beside the PSL.
#include "search/stochastic/BestCodSearch.h"

#include "cli/CliRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using codegen::ScoreCod;
using codegen::TCodType;
using codegen::TScoredCod;

// The best 64-chip code of all (PSL 4, ISL 208), and a poor one of the same length.
const std::string Best64 = "0010011011001001111111010101111101011010000111010111100110001100";
const std::string Poor64 = std::string(32, '1') + std::string(32, '0');
// A ternary code of 64 chips with 8 zeros: PSL 3, ISL 180 (checked by `correlate`).
const std::string Ternary64 = "0201212121210212212211211201122112221120001222211112220111111111";

// The figures of each new-best line of standard error ("   0.00 s  PSL 4  ISL 208 ...").
std::vector<std::string> BestLines(const std::string& Err) {
    std::vector<std::string> Found;
    for (const auto& Line : LinesIn(Err))
        if (Line.find(" s  PSL ") != std::string::npos)
            Found.push_back(Line.substr(Line.find("PSL ")));
    return Found;
}

// Every printed code has the start's length and digits, is no worse than the start, and the
// first new best reported is the start itself.
void ExpectKeptAndNoWorse(const TRun& R, const std::string& Start, TCodType Type,
                          const std::string& Digits, int Zeros) {
    ASSERT_EQ(R.Status, 0) << R.Err;
    const int L = static_cast<int>(Start.size());
    const TScoredCod Own = ScoreCod(Start, L, Type);
    const auto Cods = LinesIn(R.Out);
    ASSERT_FALSE(Cods.empty()) << R.Err;
    for (const auto& C : Cods) {
        ASSERT_EQ(C.size(), Start.size()) << C;
        EXPECT_EQ(C.find_first_not_of(Digits), std::string::npos) << C;
        if (Zeros >= 0) {
            EXPECT_EQ(std::count(C.begin(), C.end(), '0'), Zeros) << C;
        }
    }
    EXPECT_FALSE(Own.BetterThan(ScoreCod(Cods.front(), L, Type))) << Cods.front();
    const auto Bests = BestLines(R.Err);
    ASSERT_FALSE(Bests.empty()) << R.Err;
    EXPECT_NE(Bests.front().find(Start), std::string::npos) << Bests.front();
    EXPECT_NE(Bests.front().find("PSL " + std::to_string(Own.Psl) + " "), std::string::npos)
        << Bests.front();
}

TEST(CliStart, KeepsTheLengthAndTypeAndNeverReportsAWorseCod) {
    for (const std::string& Start : {Best64, Poor64})
        for (const char* Seed : {"1", "2", "3"})
            for (const char* Steps : {"1", "400"}) {
                const TRun R =
                    RunCli(std::string("optimize --length 64 --count 3 --time 0 --threads 2 ") +
                           "--seed " + Seed + " --steps " + Steps + " --start " + Start);
                SCOPED_TRACE(Start + " seed " + Seed + " steps " + Steps);
                ExpectKeptAndNoWorse(R, Start, TCodType::Binary, "01", -1);
                if (Start == Best64) { // nothing is better
                    EXPECT_EQ(LinesIn(R.Out).front(), Best64);
                }
            }
}

TEST(CliStart, TernaryStartKeepsTheZeroRule) {
    const std::string Poor = std::string(8, '0') + std::string(56, '1');
    for (const std::string& Start : {Ternary64, Poor})
        for (const char* Seed : {"1", "2"}) {
            const TRun R = RunCli(
                std::string("optimize --length 64 --type ternary --zeros-rule equal --zeros 8 ") +
                "--count 3 --time 0 --steps 400 --threads 2 --seed " + Seed + " --start " + Start);
            SCOPED_TRACE(Start);
            ExpectKeptAndNoWorse(R, Start, TCodType::Ternary, "012", 8);
        }
}

// A start code within the target is found like any other: with --count 1 it is the answer.
TEST(CliStart, AStartWithinTheTargetIsPrintedAsFound) {
    const TRun R = RunCli("optimize --length 64 --target 4 --start " + Best64);
    EXPECT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(R.Out, Best64 + "\n");
    EXPECT_NE(R.Err.find("count reached"), std::string::npos) << R.Err;
}

TEST(CliStart, StartTextsThatAreNoCodOfTheRunAreRefused) {
    const std::pair<std::string, std::string> Cases[] = {
        {"--length 13 --start 111110011010",
         "codegen-cli: The start code: the code has 12 characters, not 13\n"},
        {"--length 13 --start 1111100110102",
         "codegen-cli: The start code: character 13 is not a binary digit (0 or 1)\n"},
        {"--length 13 --type ternary --start 1111100110103",
         "codegen-cli: The start code: character 13 is not a ternary digit (0, 1 or 2)\n"},
        {"--length 13 --type ternary --zeros 2 --start 1111000110102",
         "codegen-cli: The start code has 5 zeros, more than the 2 allowed\n"},
        {"--length 13 --type ternary --zeros-rule equal --zeros 4 --start 1111000110102",
         "codegen-cli: The start code has 5 zeros, not the 4 required\n"},
        {"--length 4 --type ternary --zeros 4 --start 0000",
         "codegen-cli: The start code has no non-zero chip\n"},
        {"--start golay", "codegen-cli: --start: random, legendre, msequence or a code (digits "
                          "0, 1, 2), not golay\n"},
    };
    for (const auto& [Args, Message] : Cases) {
        const TRun R = RunCli("optimize " + Args);
        EXPECT_EQ(R.Status, 2) << Args;
        EXPECT_EQ(R.Err, Message) << Args;
        EXPECT_EQ(R.Out, "") << Args;
    }
    // The starting families keep their names.
    for (const char* Family : {"random", "legendre", "msequence"}) {
        const TRun R =
            RunCli(std::string("optimize --length 40 --time 0 --steps 50 --start ") + Family);
        EXPECT_EQ(R.Status, 0) << Family << ": " << R.Err;
        EXPECT_EQ(LinesIn(R.Out).size(), 1u) << Family;
    }
}

// Ternary lines give the peak relative to the energy; binary lines stay as they were.
TEST(CliStart, TernaryLinesGiveThePeakRelativeToTheEnergy) {
    const TRun T = RunCli("optimize --length 64 --type ternary --zeros 8 --time 0 --steps 1 "
                          "--threads 1 --start " +
                          Ternary64);
    EXPECT_EQ(T.Status, 0) << T.Err;
    const auto Bests = BestLines(T.Err);
    ASSERT_FALSE(Bests.empty()) << T.Err;
    // 3 / 56 non-zero chips; F = 56^2 / (2 * 180).
    EXPECT_EQ(Bests.front(), "PSL 3  PSL/E 0.0536  ISL 180  F 8.711  " + Ternary64);
    const TRun B = RunCli("optimize --length 64 --time 0 --steps 1 --threads 1 --start " + Best64);
    EXPECT_EQ(B.Status, 0) << B.Err;
    ASSERT_FALSE(BestLines(B.Err).empty()) << B.Err;
    EXPECT_EQ(BestLines(B.Err).front(), "PSL 4  ISL 208  F 9.846  " + Best64);
    EXPECT_EQ(B.Err.find("PSL/E"), std::string::npos) << B.Err;
}

// A ternary code with one non-zero chip has no side lobe: its merit factor E^2 / (2 ISL) is
// infinite, and was shown as "F 0.000", the worst a code can have.
TEST(CliStart, ACodWithoutSideLobesHasAnInfiniteMeritFactor) {
    const TRun R = RunCli("optimize --length 5 --type ternary --zeros 4 --zeros-rule equal "
                          "--target none --time 0 --steps 1 --threads 1 --start 00100");
    EXPECT_EQ(R.Status, 0) << R.Err;
    const auto Bests = BestLines(R.Err);
    ASSERT_FALSE(Bests.empty()) << R.Err;
    EXPECT_EQ(Bests.front(), "PSL 0  PSL/E 0.0000  ISL 0  F inf  00100");
}

} // namespace
