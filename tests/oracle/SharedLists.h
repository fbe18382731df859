// Plain reference lists that several cases compute alike (each lane width of the search is
// checked against the same lists). ctest runs every case as a process of its own, so under
// ctest the first case to need a list computes it and leaves it in the folder
// CODEGEN_ORACLE_LISTS names (emptied at the start of every ctest run); a case that needs it
// meanwhile waits for it rather than computing it too. Outside ctest each case computes its
// own.
#pragma once

#include "search/SearchParams.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

namespace codegen::oracle {

// Which reference (Kind) of which list: every field the plain searches read.
inline std::string SharedListKey(const std::string& Kind, const TSearchParams& P) {
    return Kind + "-" + (P.Type == TCodType::Binary ? "b" : "t") + std::to_string(P.L) + "-" +
           std::to_string(P.SideLobeLimit) + "-" +
           (P.Rule == TZeroRule::AtMost ? "atmost" : "equal") + std::to_string(P.Z);
}

namespace detail {

// The list stored under File: its count, the codes, and "end" (a file cut short reads as
// none, and the list is computed again).
inline bool ReadSharedList(const std::filesystem::path& File, std::vector<std::string>& List) {
    std::ifstream In(File);
    std::size_t Count = 0;
    if (!(In >> Count))
        return false;
    List.resize(Count);
    for (auto& Cod : List)
        if (!(In >> Cod))
            return false;
    std::string End;
    return In >> End && End == "end";
}

inline void WriteSharedList(const std::filesystem::path& File,
                            const std::vector<std::string>& List) {
    const std::string Temporary = File.string() + "." + std::to_string(getpid()) + ".tmp";
    {
        std::ofstream Out(Temporary);
        Out << List.size() << '\n';
        for (const auto& Cod : List)
            Out << Cod << '\n';
        Out << "end\n";
        if (!Out)
            return;
    }
    std::rename(Temporary.c_str(), File.c_str());
}

} // namespace detail

inline std::vector<std::string> SharedList(const std::string& Key,
                                           const std::function<std::vector<std::string>()>& Make) {
    const char* Dir = std::getenv("CODEGEN_ORACLE_LISTS");
    std::error_code Error;
    if (!Dir || !*Dir || (std::filesystem::create_directories(Dir, Error), Error))
        return Make();
    const std::filesystem::path File = std::filesystem::path(Dir) / (Key + ".txt");
    // One process computes a list; the others wait for it on the lock, then read it.
    const int Lock = open((File.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (Lock < 0)
        return Make();
    flock(Lock, LOCK_EX);
    std::vector<std::string> List;
    if (!detail::ReadSharedList(File, List)) {
        List = Make();
        detail::WriteSharedList(File, List);
    }
    close(Lock);
    return List;
}

} // namespace codegen::oracle
