// codegen-cli run under mpirun by the MPI cases (skipped when the tool was built without MPI).
#pragma once

#include "cli/CliJob.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#if defined(CODEGEN_MPIEXEC)
#define SKIP_WITHOUT_MPI()
// The CI runs as root, which OpenMPI refuses unless told; only these jobs are told.
inline std::string MpiRun(int Ranks, const std::string& Args) {
    return "env OMPI_ALLOW_RUN_AS_ROOT=1 OMPI_ALLOW_RUN_AS_ROOT_CONFIRM=1 CODEGEN_MPI_TRACE=1 " +
           std::string(CODEGEN_MPIEXEC) + " --oversubscribe -np " + std::to_string(Ranks) + " " +
           CODEGEN_CLI + " " + Args;
}
#else
#define SKIP_WITHOUT_MPI() GTEST_SKIP() << "codegen-cli was built without MPI"
inline std::string MpiRun(int, const std::string&) {
    return {};
}
#endif

// Lines of standard error other than the ranks' piece counts.
inline std::string WithoutTrace(const std::string& Err) {
    std::string Kept;
    for (const auto& Line : LinesIn(Err))
        if (Line.rfind("codegen-cli rank ", 0) != 0)
            Kept += Line + "\n";
    return Kept;
}

// A full standard output (/dev/full) under mpirun: the launcher dropped what rank 0 wrote and
// the job ended with status 0, the result lost. Rank 0 must tell the failed write as one
// process does: status 2 and the reason on standard error.
inline void ExpectAFullOutputIsAnError(const std::string& Args, int Ranks) {
    SCOPED_TRACE(Args);
    const TRun One = RunCli(Args + " > /dev/full");
    ASSERT_EQ(One.Status, 2) << One.Err;
    const std::string Reason =
        "codegen-cli: Unable to write to standard output: No space left on device\n";
    ASSERT_NE(One.Err.find(Reason), std::string::npos) << One.Err;
    const TRun Job = RunCommand(MpiRun(Ranks, Args) + " > /dev/full");
    EXPECT_EQ(Job.Status, 2) << Job.Err;
    EXPECT_NE(Job.Err.find(Reason), std::string::npos) << Job.Err;
}

// The rank of a job's process (the launcher's children), or -1.
inline pid_t RankProcess(pid_t Mpirun, int Rank) {
    const std::string Mark = "OMPI_COMM_WORLD_RANK=" + std::to_string(Rank) + std::string(1, '\0');
    for (const pid_t Child : ChildrenOf(Mpirun))
        if (FileText("/proc/" + std::to_string(Child) + "/environ").find(Mark) != std::string::npos)
            return Child;
    return -1;
}

// No process whose command line holds "-" + Pattern is left running: a killed job's ranks
// may take a moment to notice, so their exit is awaited for up to 5 s.
inline void ExpectNoRankLeft(const std::string& Pattern) {
    for (int Try = 0; Try < 50; ++Try) {
        // [-] keeps the pattern from matching the shell that runs pgrep.
        if (RunCommand("pgrep -f -- '[-]" + Pattern + "'").Out.empty())
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ADD_FAILURE() << "a rank of the job is still running";
}
