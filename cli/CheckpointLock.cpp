#include "cli/CheckpointLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace codegen {

namespace {
const std::string LockMark = "codegen-cli search lock ";
}

TCheckpointLock::TCheckpointLock(const std::string& Path) : LockPath(Path + ".lock") {
    // A few rounds: a lock file its last holder removed between our open and our lock is
    // no lock, and is opened again.
    for (int Round = 0; Round < 8; ++Round) {
        const int File =
            open(LockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
        if (File < 0)
            return;
        struct stat Opened;
        if (fstat(File, &Opened) != 0 || !S_ISREG(Opened.st_mode)) {
            close(File);
            return;
        }
        const auto Contents = [File] {
            std::string Text(128, '\0');
            const ssize_t Read = pread(File, Text.data(), Text.size(), 0);
            Text.resize(Read > 0 ? static_cast<std::size_t>(Read) : 0);
            return Text;
        };
        if (flock(File, LOCK_EX | LOCK_NB) != 0) {
            const int Error = errno;
            const std::string Text = Contents();
            close(File);
            if (Error != EWOULDBLOCK)
                return;
            std::string Holder;
            if (Text.rfind(LockMark, 0) == 0)
                Holder = " (process " +
                         Text.substr(LockMark.size(), Text.find('\n') - LockMark.size()) + ")";
            throw std::runtime_error("Checkpoint " + Path + " is in use by another search" +
                                     Holder +
                                     ": wait for it to end, or give this one another "
                                     "--checkpoint FILE");
        }
        struct stat Named;
        if (stat(LockPath.c_str(), &Named) != 0 || Named.st_ino != Opened.st_ino ||
            Named.st_dev != Opened.st_dev) {
            close(File);
            continue;
        }
        // A file of the user's that bears the name is left as it is.
        if (const std::string Text = Contents(); !Text.empty() && Text.rfind(LockMark, 0) != 0) {
            close(File);
            throw std::runtime_error("Checkpoint " + Path + ": " + LockPath +
                                     " is not the lock file of a checkpoint (move it away "
                                     "first)");
        }
        const std::string Mark = LockMark + std::to_string(getpid()) + "\n";
        if (ftruncate(File, 0) != 0 ||
            pwrite(File, Mark.data(), Mark.size(), 0) != static_cast<ssize_t>(Mark.size())) {
            // Held all the same; only the holder's number is missing from a refusal.
        }
        Fd = File;
        return;
    }
}

TCheckpointLock::~TCheckpointLock() {
    if (Fd < 0)
        return;
    // Removed while still held: a run that opened it meanwhile finds it gone and opens anew.
    unlink(LockPath.c_str());
    close(Fd);
}

} // namespace codegen
