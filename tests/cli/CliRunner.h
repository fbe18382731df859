// codegen-cli run as a user runs it, from a shell: what it prints on each stream and its
// exit status.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct TRun {
    std::string Out;
    std::string Err;
    int Status = -1; // exit status, or -1 when killed by a signal
};

// The lines of a text, without their line ends.
inline std::vector<std::string> LinesIn(const std::string& Text) {
    std::vector<std::string> Lines;
    std::istringstream In(Text);
    for (std::string Line; std::getline(In, Line);)
        Lines.push_back(Line);
    return Lines;
}

// Runs a shell command line: standard output is read, standard error kept in a file.
inline TRun RunCommand(const std::string& Command) {
    // One file per process and call: ctest runs the cases of a suite side by side.
    static int Calls = 0;
    const std::string ErrFile = ::testing::TempDir() + "codegen_cli_stderr_" +
                                std::to_string(getpid()) + "_" + std::to_string(++Calls) + ".txt";
    TRun Run;
    FILE* Pipe = popen((Command + " 2>" + ErrFile).c_str(), "r");
    if (!Pipe)
        return Run;
    std::array<char, 4096> Buffer;
    std::size_t Read;
    while ((Read = fread(Buffer.data(), 1, Buffer.size(), Pipe)) > 0)
        Run.Out.append(Buffer.data(), Read);
    const int Raw = pclose(Pipe);
    Run.Status = WIFEXITED(Raw) ? WEXITSTATUS(Raw) : -1;
    std::ifstream Err(ErrFile);
    std::stringstream Text;
    Text << Err.rdbuf();
    Run.Err = Text.str();
    std::remove(ErrFile.c_str());
    return Run;
}

// Before, when given, comes first in the shell command: a pipe into standard input, say.
inline TRun RunCli(const std::string& Args, const std::string& Before = "") {
    return RunCommand(Before + CODEGEN_CLI + " " + Args);
}

// A shell prefix that caps the virtual memory of what follows at Megabytes.
inline std::string MemoryCap(int Megabytes) {
    return "ulimit -v " + std::to_string(Megabytes * 1024) + " && ";
}
