// What the subcommands of codegen-cli share: standard output, the stop signals, the options
// of a code's shape and of a code list, and the shape of a subcommand (its options parsed
// apart from its action).
#pragma once

#include "engine/Cod.h"
#include "search/SearchParams.h"

#include <CLI/CLI.hpp>

#include <csignal>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace codegen {

// A subcommand: its options, and the action to run on what they hold once parsed.
struct TCommand {
    CLI::App* Cmd = nullptr;
    std::function<int()> Run;
};

// The signal that asked the run to stop (SIGINT or SIGTERM), 0 while none has.
extern volatile std::sig_atomic_t Interrupted;
void CatchStopSignals();
// The exit status of a run that a signal stopped: 128 plus its number, as shells report.
int SignalStatus();
const char* SignalName();

// Standard output went away: the reader of a pipe has closed it (`| head`, say).
struct TOutputClosed {};

// Every byte for standard output goes through here, unbuffered: what was written is out,
// whatever happens next. A failed write is an error naming the reason; a closed pipe (with
// SIGPIPE ignored) throws TOutputClosed, which ends the listing quietly.
void WriteOut(std::string_view Text);
// Each line with its line break.
void PrintLines(const std::vector<std::string>& Lines);

// Arg as one word of a shell command line, quoted where it needs to be.
std::string ShellWord(const std::string& Arg);

// The option of a number (Min..Max) or choice field of the search parameters, bound to
// Value (a choice's index). A flag's option is bound to Flag instead.
CLI::Option* AddParamOption(CLI::App& Cmd, const TSearchParamField& F, int& Value);
CLI::Option* AddParamFlag(CLI::App& Cmd, const TSearchParamField& F, bool& Flag);
// --length and --type.
void AddCodShape(CLI::App& Cmd, int& Length, TCodType& Type);
// A limit or count: a whole number from 0 to the longest code, as the window's boxes take.
void AddAmount(CLI::App& Cmd, const std::string& Name, int& Value, const std::string& Help);
// --zeros and --zeros-rule: the zero-count rule of ternary codes.
void AddZeroRule(CLI::App& Cmd, int& Z, TZeroRule& Rule);
// --threads: 1 to MaxThreads; left out, every core.
void AddThreads(CLI::App& Cmd, int& Threads, const std::string& What);

// --codes FILE and --grid: a code list file or a grid of a project file.
struct TCodsInput {
    std::string File;
    std::string Grid = "good"; // which grid of a project file
};
CLI::Option* AddCodsOption(CLI::App& Cmd, TCodsInput& Input, const std::string& What);
// The code texts of a code list file, one per line, or of a grid of a project file, told
// apart by their content; "-" reads standard input. Every text must be a code of L chips of
// Type, by the rule of the window's paste and import; the first that is not is named.
std::vector<std::string> ReadCodsFile(const TCodsInput& Input, int L, TCodType Type);

} // namespace codegen
