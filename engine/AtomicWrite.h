// Writing a whole file so that readers see either the old contents or the new, never a mix:
// the one way the window and the command line replace files.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace codegen {

// A file that could not be written; the old one, if any, is unchanged. what() reads
// "Unable to write to PATH: REASON".
class WriteError : public std::runtime_error {
public:
    WriteError(const std::string& Path, const std::string& Reason);
    const std::string& Path() const { return FilePath; }
    const std::string& Reason() const { return Why; }

private:
    std::string FilePath;
    std::string Why;
};

// Replaces Path with Bytes: a fresh temporary file beside it (created exclusively, never
// through a link) is written, synced and renamed over it. A symbolic link at Path is
// followed, so the link stays and its target is replaced; the target keeps its mode (a new
// file gets 0666 less the umask). Targets that are not regular files are refused. Throws
// WriteError; no temporary file remains after a failure.
void WriteFileWhole(const std::string& Path, std::string_view Bytes);

// Why a file of this mode (st_mode) cannot be written as a regular file ("it is a directory,
// not a regular file"), or null when it is one.
const char* NotRegularFile(unsigned Mode);

// Refuses a target a write would refuse (a directory, a device, a folder not writable), by
// creating and removing a temporary file beside it: for a long run's output, before the run.
// Throws WriteError.
void CheckWritable(const std::string& Path);

// Removes the temporary files that writes of Path left behind when their process was killed:
// only those named for Path that no live writer holds. Never throws.
void RemoveStaleTemporaries(const std::string& Path);

// The same replacement for contents too large to hold in memory: written piece by piece,
// then committed. A file not committed (an error, an exception on the way) is never seen:
// the destructor removes the temporary file and the old file stays.
class TAtomicFile {
public:
    // Checks the target and creates the temporary file; throws WriteError.
    explicit TAtomicFile(const std::string& Path);
    ~TAtomicFile();
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    void Write(std::string_view Bytes);
    // Syncs and renames the temporary file over the target; throws WriteError.
    void Commit();

private:
    void Flush();
    [[noreturn]] void Fail(int Error);

    std::string Path;
    std::string Target;
    std::string Dir;
    std::string Temporary;
    // Locked while written, so that RemoveStaleTemporaries leaves a live write alone.
    int Fd = -1;
    std::string Buffer;
};

} // namespace codegen
