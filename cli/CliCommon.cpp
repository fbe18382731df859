#include "cli/CliCommon.h"

#include "export/CodFiles.h"
#include "project/ProjectFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <stdexcept>

namespace codegen {

volatile std::sig_atomic_t Interrupted = 0;

void CatchStopSignals() {
    struct sigaction Action {};
    Action.sa_handler = [](int Signal) { Interrupted = Signal; };
    sigemptyset(&Action.sa_mask);
    sigaction(SIGINT, &Action, nullptr);
    sigaction(SIGTERM, &Action, nullptr);
}

int SignalStatus() {
    return 128 + static_cast<int>(Interrupted);
}

const char* SignalName() {
    return Interrupted == SIGTERM ? "SIGTERM" : "Ctrl+C (SIGINT)";
}

void WriteOut(std::string_view Text) {
    while (!Text.empty()) {
        const ssize_t Done = ::write(STDOUT_FILENO, Text.data(), Text.size());
        if (Done < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EPIPE)
                throw TOutputClosed{};
            throw std::runtime_error(std::string("Unable to write to standard output: ") +
                                     std::strerror(errno));
        }
        Text.remove_prefix(static_cast<std::size_t>(Done));
    }
}

void PrintLines(const std::vector<std::string>& Lines) {
    std::string Out;
    for (const auto& Line : Lines) {
        Out += Line;
        Out += '\n';
    }
    WriteOut(Out);
}

std::string ShellWord(const std::string& Arg) {
    const bool Plain =
        !Arg.empty() && Arg.find_first_of(" \t\n'\"\\$`*?;&|<>()") == std::string::npos;
    if (Plain)
        return Arg;
    std::string Word = "'";
    for (char Ch : Arg)
        Word += Ch == '\'' ? std::string("'\\''") : std::string(1, Ch);
    return Word + '\'';
}

CLI::Option* AddParamOption(CLI::App& Cmd, const TSearchParamField& F, int& Value) {
    const std::string Name = "--" + std::string(F.Key);
    const std::string Help(F.Help);
    if (F.Kind == TSearchParamField::TKind::Number)
        return Cmd.add_option(Name, Value, Help)
            ->check(CLI::Range(F.Min, F.Max))
            ->capture_default_str();
    return Cmd
        .add_option_function<std::string>(
            Name, [&F, &Value](const std::string& Text) { Value = *SearchParamValue(F, Text); },
            Help)
        ->check(CLI::IsMember({std::string(F.Names[0]), std::string(F.Names[1])}))
        ->default_str(SearchParamText(F, Value));
}

CLI::Option* AddParamFlag(CLI::App& Cmd, const TSearchParamField& F, bool& Flag) {
    return Cmd.add_flag("--" + std::string(F.Key), Flag, std::string(F.Help));
}

namespace {

// A choice option bound to an enumeration whose values are the choice's indices.
template <class TEnum> void AddChoice(CLI::App& Cmd, std::string_view Key, TEnum& Target) {
    static_assert(sizeof(TEnum) <= sizeof(int));
    const TSearchParamField& F = *SearchParamField(Key);
    Cmd.add_option_function<std::string>(
           "--" + std::string(F.Key),
           [&F, &Target](const std::string& Text) {
               Target = static_cast<TEnum>(*SearchParamValue(F, Text));
           },
           std::string(F.Help))
        ->check(CLI::IsMember({std::string(F.Names[0]), std::string(F.Names[1])}))
        ->default_str(SearchParamText(F, static_cast<int>(Target)));
}

} // namespace

void AddCodShape(CLI::App& Cmd, int& Length, TCodType& Type) {
    AddParamOption(Cmd, *SearchParamField("length"), Length);
    AddChoice(Cmd, "type", Type);
}

void AddAmount(CLI::App& Cmd, const std::string& Name, int& Value, const std::string& Help) {
    Cmd.add_option(Name, Value, Help)->check(CLI::Range(0, MaxCodLength))->capture_default_str();
}

void AddZeroRule(CLI::App& Cmd, int& Z, TZeroRule& Rule) {
    AddParamOption(Cmd, *SearchParamField("zeros"), Z);
    AddChoice(Cmd, "zeros-rule", Rule);
}

void AddThreads(CLI::App& Cmd, int& Threads, const std::string& What) {
    Cmd.add_option("--threads", Threads, What + " (default: all cores)")
        ->check(CLI::Validator(
            [](const std::string& Text) -> std::string {
                int N = 0;
                if (!CLI::detail::lexical_cast(Text, N) || N < 1 || N > MaxThreads)
                    return "the number of threads must be a whole number from 1 to " +
                           std::to_string(MaxThreads) + ", not " + Text;
                return {};
            },
            "1.." + std::to_string(MaxThreads)));
}

CLI::Option* AddCodsOption(CLI::App& Cmd, TCodsInput& Input, const std::string& What) {
    Cmd.add_option("--grid", Input.Grid,
                   "Which list of a project file (*.cod) to read: good or set")
        ->check(CLI::IsMember({"good", "set"}))
        ->capture_default_str();
    return Cmd
        .add_option("--codes", Input.File,
                    What + ": a text file with one code per line, or a project file (*.cod); "
                           "- reads standard input")
        ->type_name("FILE")
        ->required();
}

std::vector<std::string> ReadCodsFile(const TCodsInput& Input, int L, TCodType Type) {
    CheckCodLength(L);
    const TCodListShape Shape{L, Type};
    TCodsSource Source;
    if (Input.File == "-") {
        Source = ReadCodsSource(std::cin, "standard input", nullptr, Shape);
    } else {
        std::ifstream File = OpenInputFile(Input.File);
        Source = ReadCodsSource(File, Input.File, nullptr, Shape);
    }
    if (Source.Project)
        return ReadProjectCods(
            Source.Doc, Input.Grid == "set" ? "NoCorrCodsStringGrid" : "CodStringGrid", Shape);
    return std::move(Source.Lines);
}

} // namespace codegen
