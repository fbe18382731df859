// codegen-cli run under mpirun by the MPI cases (skipped when the tool was built without MPI).
#pragma once

#include "cli/CliJob.h"

#include <string>

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

// The rank of a job's process (the launcher's children), or -1.
inline pid_t RankProcess(pid_t Mpirun, int Rank) {
    const std::string Mark = "OMPI_COMM_WORLD_RANK=" + std::to_string(Rank) + std::string(1, '\0');
    for (const pid_t Child : ChildrenOf(Mpirun))
        if (FileText("/proc/" + std::to_string(Child) + "/environ").find(Mark) != std::string::npos)
            return Child;
    return -1;
}
