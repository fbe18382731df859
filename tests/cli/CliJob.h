// A shell command run as a job of its own (a process group), stopped by a signal part way:
// for the checkpoint and MPI cases, which kill a search and then resume it.
#pragma once

#include "cli/CliRunner.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

inline std::string FileText(const std::string& Path) {
    std::ifstream In(Path, std::ios::binary);
    std::stringstream Text;
    Text << In.rdbuf();
    return Text.str();
}

// Starts Command under /bin/sh in a new process group, standard error into ErrFile: the
// shell's pid (it execs the first program) and the read end of its standard output, or a
// pid of -1 when no pipe could be made.
inline std::pair<pid_t, int> StartJob(const std::string& Command, const std::string& ErrFile) {
    int Out[2];
    if (pipe(Out) != 0)
        return {-1, -1};
    const pid_t Child = fork();
    if (Child == 0) {
        setpgid(0, 0);
        dup2(Out[1], 1);
        const int Err = open(ErrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(Err, 2);
        close(Out[0]);
        execl("/bin/sh", "sh", "-c", ("exec " + Command).c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    setpgid(Child, Child);
    close(Out[1]);
    return {Child, Out[0]};
}

// The end of a job started by StartJob, its output read: its status and standard error.
inline TRun EndJob(pid_t Child, int Output, const std::string& ErrFile, TRun Run) {
    close(Output);
    int Raw = 0;
    waitpid(Child, &Raw, 0);
    Run.Status = WIFEXITED(Raw) ? WEXITSTATUS(Raw) : -1;
    Run.Err = FileText(ErrFile);
    std::remove(ErrFile.c_str());
    return Run;
}

// Runs Command under /bin/sh in a new process group; after Delay, Stop(pid of the shell,
// which execs the first program) sends the signal. Output is read to the end.
inline TRun RunJobAndStop(const std::string& Command, std::chrono::milliseconds Delay,
                          const std::function<void(pid_t)>& Stop) {
    const std::string ErrFile =
        ::testing::TempDir() + "codegen_job_err_" + std::to_string(getpid()) + ".txt";
    const auto [Child, Output] = StartJob(Command, ErrFile);
    if (Child < 0)
        return {};
    TRun Run;
    const auto StopAt = std::chrono::steady_clock::now() + Delay;
    bool Stopped = false;
    char Buffer[65536];
    for (;;) {
        const auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              StopAt - std::chrono::steady_clock::now())
                              .count();
        pollfd P{Output, POLLIN, 0};
        const int Ready =
            poll(&P, 1, Stopped ? -1 : static_cast<int>(std::max<long long>(0, Left)));
        if (Ready > 0) {
            const ssize_t Read = read(Output, Buffer, sizeof Buffer);
            if (Read <= 0)
                break;
            Run.Out.append(Buffer, static_cast<std::size_t>(Read));
        }
        if (!Stopped && std::chrono::steady_clock::now() >= StopAt) {
            Stop(Child);
            Stopped = true;
        }
    }
    return EndJob(Child, Output, ErrFile, std::move(Run));
}

// The processes whose parent is Parent.
inline std::vector<pid_t> ChildrenOf(pid_t Parent) {
    std::vector<pid_t> Found;
    DIR* Proc = opendir("/proc");
    if (!Proc)
        return Found;
    while (const dirent* E = readdir(Proc)) {
        const pid_t Pid = static_cast<pid_t>(std::atoi(E->d_name));
        if (Pid <= 0)
            continue;
        std::ifstream Stat("/proc/" + std::to_string(Pid) + "/stat");
        std::string Line;
        std::getline(Stat, Line);
        const auto Close = Line.rfind(')');
        if (Close == std::string::npos)
            continue;
        std::istringstream Rest(Line.substr(Close + 2));
        char State;
        pid_t PPid = 0;
        Rest >> State >> PPid;
        if (PPid == Parent)
            Found.push_back(Pid);
    }
    closedir(Proc);
    return Found;
}

// A temporary file name of this test process.
inline std::string TempName(const std::string& Stem) {
    return ::testing::TempDir() + "codegen_" + Stem + "_" + std::to_string(getpid());
}

// As RunJobAndStop, but Stop comes once the job has written Lines lines to standard output:
// on the job's own progress, whatever the machine's speed.
inline TRun RunJobAndStopAfterLines(const std::string& Command, std::size_t Lines,
                                    const std::function<void(pid_t)>& Stop) {
    const std::string ErrFile =
        ::testing::TempDir() + "codegen_job_err_" + std::to_string(getpid()) + "_lines.txt";
    const auto [Child, Output] = StartJob(Command, ErrFile);
    if (Child < 0)
        return {};
    TRun Run;
    std::size_t Seen = 0;
    bool Stopped = false;
    char Buffer[65536];
    ssize_t Read;
    while ((Read = read(Output, Buffer, sizeof Buffer)) > 0) {
        Run.Out.append(Buffer, static_cast<std::size_t>(Read));
        Seen += static_cast<std::size_t>(std::count(Buffer, Buffer + Read, '\n'));
        if (!Stopped && Seen >= Lines) {
            Stop(Child);
            Stopped = true;
        }
    }
    return EndJob(Child, Output, ErrFile, std::move(Run));
}
