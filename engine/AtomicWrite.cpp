#include "engine/AtomicWrite.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <vector>

namespace codegen {

WriteError::WriteError(const std::string& Path, const std::string& Reason)
    : std::runtime_error("Unable to write to " + Path + ": " + Reason), FilePath(Path),
      Why(Reason) {}

namespace {

std::string Directory(const std::string& Path) {
    const auto Slash = Path.rfind('/');
    if (Slash == std::string::npos)
        return ".";
    return Slash == 0 ? "/" : Path.substr(0, Slash);
}

// The file a chain of symbolic links at Path ends at (which may not exist yet); only the
// last component is followed, the directories are used as the kernel finds them.
std::string FollowLinks(const std::string& Path) {
    std::string Current = Path;
    for (int Hops = 0; Hops < 40; ++Hops) {
        struct stat Info;
        if (lstat(Current.c_str(), &Info) != 0 || !S_ISLNK(Info.st_mode))
            return Current;
        std::vector<char> Target(static_cast<std::size_t>(Info.st_size) + 256);
        const ssize_t Length = readlink(Current.c_str(), Target.data(), Target.size());
        if (Length < 0 || static_cast<std::size_t>(Length) >= Target.size())
            throw WriteError(Path, "cannot read the symbolic link " + Current);
        std::string Next(Target.data(), static_cast<std::size_t>(Length));
        Current = Next.front() == '/' ? Next : Directory(Current) + "/" + Next;
    }
    throw WriteError(Path, std::strerror(ELOOP));
}

const char* NotRegular(mode_t Mode) {
    if (S_ISREG(Mode))
        return nullptr;
    if (S_ISDIR(Mode))
        return "it is a directory, not a regular file";
    if (S_ISCHR(Mode) || S_ISBLK(Mode))
        return "it is a device, not a regular file";
    if (S_ISFIFO(Mode))
        return "it is a pipe, not a regular file";
    if (S_ISSOCK(Mode))
        return "it is a socket, not a regular file";
    return "it is not a regular file";
}

constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr std::size_t RandomLetters = 12;

// The part of a temporary name that names its target: a hash of the target's file name, so
// that the name stays short whatever the target's and a later run finds its own leftovers.
std::string TemporaryStem(const std::string& Target) {
    const auto Slash = Target.rfind('/');
    const std::string Name = Slash == std::string::npos ? Target : Target.substr(Slash + 1);
    std::uint32_t Hash = 2166136261u;
    for (unsigned char Ch : Name) {
        Hash ^= Ch;
        Hash *= 16777619u;
    }
    static constexpr char Hex[] = "0123456789abcdef";
    std::string Stem = ".codegen-";
    for (int Shift = 28; Shift >= 0; Shift -= 4)
        Stem += Hex[(Hash >> Shift) & 15];
    return Stem + "-";
}

std::string TemporaryName(const std::string& Dir, const std::string& Target) {
    thread_local std::mt19937_64 Random{std::random_device{}() ^
                                        (static_cast<std::uint64_t>(getpid()) << 32)};
    std::string Name = Dir + "/" + TemporaryStem(Target);
    for (std::size_t I = 0; I < RandomLetters; ++I)
        Name += Letters[Random() % (sizeof Letters - 1)];
    return Name + ".tmp";
}

void WriteAll(int Fd, std::string_view Bytes) {
    while (!Bytes.empty()) {
        const ssize_t Done = write(Fd, Bytes.data(), Bytes.size());
        if (Done < 0) {
            if (errno == EINTR)
                continue;
            throw errno;
        }
        Bytes.remove_prefix(static_cast<std::size_t>(Done));
    }
}

} // namespace

TAtomicFile::TAtomicFile(const std::string& P) : Path(P) {
    if (Path.empty())
        throw WriteError(Path, "no file name given");
    Target = FollowLinks(Path);
    struct stat Old;
    const bool Exists = stat(Target.c_str(), &Old) == 0;
    if (!Exists && errno != ENOENT)
        throw WriteError(Path, std::strerror(errno));
    if (Exists && !S_ISREG(Old.st_mode))
        throw WriteError(Path, NotRegular(Old.st_mode));

    Dir = Directory(Target);
    // An existing file's mode is set below; a new one takes 0666 less the umask here.
    const mode_t CreateMode = Exists ? S_IRUSR | S_IWUSR : 0666;
    for (int Attempt = 0; Fd < 0 && Attempt < 100; ++Attempt) {
        Temporary = TemporaryName(Dir, Target);
        Fd = open(Temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  CreateMode);
        if (Fd < 0 && errno != EEXIST)
            throw WriteError(Path, std::strerror(errno));
    }
    // A new file of our own: nobody else holds it.
    if (Fd >= 0)
        flock(Fd, LOCK_EX | LOCK_NB);
    if (Fd < 0)
        throw WriteError(Path, "no free temporary file name in " + Dir);
    if (Exists) {
        // Root keeps a user's file owned by that user; anyone else cannot, and need not.
        if (fchown(Fd, Old.st_uid, Old.st_gid) != 0) {
        }
        if (fchmod(Fd, Old.st_mode & 07777) != 0)
            Fail(errno);
    }
}

TAtomicFile::~TAtomicFile() {
    if (Fd >= 0) {
        close(Fd);
        unlink(Temporary.c_str());
    }
}

void TAtomicFile::Fail(int Error) {
    if (Fd >= 0) {
        close(Fd);
        Fd = -1;
        unlink(Temporary.c_str());
    }
    throw WriteError(Path, std::strerror(Error));
}

void TAtomicFile::Flush() {
    try {
        WriteAll(Fd, Buffer);
    } catch (int Error) {
        Fail(Error);
    }
    Buffer.clear();
}

void TAtomicFile::Write(std::string_view Bytes) {
    if (Fd < 0)
        throw WriteError(Path, "the file is closed");
    constexpr std::size_t Chunk = 1 << 20;
    if (Buffer.size() + Bytes.size() > Chunk) {
        Flush();
        if (Bytes.size() > Chunk) {
            try {
                WriteAll(Fd, Bytes);
            } catch (int Error) {
                Fail(Error);
            }
            return;
        }
    }
    Buffer.append(Bytes);
}

void TAtomicFile::Commit() {
    if (Fd < 0)
        throw WriteError(Path, "the file is closed");
    Flush();
    if (fsync(Fd) != 0)
        Fail(errno);
    const int Closing = Fd;
    Fd = -1;
    if (close(Closing) != 0 || rename(Temporary.c_str(), Target.c_str()) != 0) {
        const int Error = errno;
        unlink(Temporary.c_str());
        throw WriteError(Path, std::strerror(Error));
    }
    // The rename is only durable once the directory entry is on disk.
    const int DirFd = open(Dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (DirFd >= 0) {
        fsync(DirFd);
        close(DirFd);
    }
}

void WriteFileWhole(const std::string& Path, std::string_view Bytes) {
    TAtomicFile File(Path);
    File.Write(Bytes);
    File.Commit();
}

const char* NotRegularFile(unsigned Mode) {
    return NotRegular(static_cast<mode_t>(Mode));
}

void CheckWritable(const std::string& Path) {
    TAtomicFile Probe(Path);
}

void RemoveStaleTemporaries(const std::string& Path) {
    std::string Target;
    try {
        Target = FollowLinks(Path);
    } catch (const WriteError&) {
        return;
    }
    const std::string Dir = Directory(Target);
    const std::string Stem = TemporaryStem(Target);
    DIR* Folder = opendir(Dir.c_str());
    if (!Folder)
        return;
    while (const dirent* Entry = readdir(Folder)) {
        const std::string Name = Entry->d_name;
        if (Name.size() != Stem.size() + RandomLetters + 4 || Name.rfind(Stem, 0) != 0 ||
            Name.compare(Name.size() - 4, 4, ".tmp") != 0 ||
            Name.find_first_not_of(Letters, Stem.size()) != Name.size() - 4)
            continue;
        const std::string Stale = Dir + "/" + Name;
        const int Fd = open(Stale.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (Fd < 0)
            continue;
        struct stat Info;
        // A killed writer's lock went with it; a live one's file is left to it.
        if (fstat(Fd, &Info) == 0 && S_ISREG(Info.st_mode) && flock(Fd, LOCK_EX | LOCK_NB) == 0)
            unlink(Stale.c_str());
        close(Fd);
    }
    closedir(Folder);
}

} // namespace codegen
