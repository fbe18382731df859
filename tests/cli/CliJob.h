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

// Runs Command under /bin/sh in a new process group; once Ready says so of the job's
// progress (its standard output so far, and standard error in Err), Stop(pid of the shell,
// which execs the first program) acts once. Ready is asked after every read and, while the
// job is quiet, every few milliseconds (a file the job writes can be its progress too).
// Output is read to the end.
inline TRun RunJobAndStopWhen(const std::string& Command,
                              const std::function<bool(const TRun& SoFar)>& Ready,
                              const std::function<void(pid_t)>& Stop) {
    const std::string ErrFile =
        ::testing::TempDir() + "codegen_job_err_" + std::to_string(getpid()) + ".txt";
    const auto [Child, Output] = StartJob(Command, ErrFile);
    if (Child < 0)
        return {};
    TRun Run;
    bool Stopped = false;
    char Buffer[65536];
    for (;;) {
        pollfd P{Output, POLLIN, 0};
        if (poll(&P, 1, Stopped ? -1 : 5) > 0) {
            const ssize_t Read = read(Output, Buffer, sizeof Buffer);
            if (Read <= 0)
                break;
            Run.Out.append(Buffer, static_cast<std::size_t>(Read));
        }
        if (!Stopped) {
            Run.Err = FileText(ErrFile);
            if (Ready(Run)) {
                Stop(Child);
                Stopped = true;
            }
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

// Stop comes once the job has written Lines lines to standard output and, when Written is
// named, that file exists (a checkpoint the job writes).
inline TRun RunJobAndStopAfterLines(const std::string& Command, std::size_t Lines,
                                    const std::function<void(pid_t)>& Stop,
                                    const std::string& Written = {}) {
    std::size_t Seen = 0, Counted = 0;
    return RunJobAndStopWhen(
        Command,
        [&](const TRun& SoFar) {
            Seen += static_cast<std::size_t>(std::count(
                SoFar.Out.begin() + static_cast<std::ptrdiff_t>(Counted), SoFar.Out.end(), '\n'));
            Counted = SoFar.Out.size();
            return Seen >= Lines && (Written.empty() || access(Written.c_str(), F_OK) == 0);
        },
        Stop);
}
