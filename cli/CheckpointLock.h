// One search at a time on a checkpoint (cli/SearchCheckpoint): a lock that goes with the
// process however it ends.
#pragma once

#include <string>

namespace codegen {

// One run at a time on a checkpoint: while the run holding it lives, another search given the
// same FILE (to --checkpoint, or to --resume to go on in it) is refused, so that it neither
// resets the first run's state nor mixes its codes into FILE.codes. The lock is an flock on
// FILE.lock, which goes with the process however it ends; the holder removes the file when
// done. Throws std::runtime_error naming FILE (and the holding process) when another run holds
// it. Where no lock can be taken (a folder that cannot be written, a file system without
// locks) nothing is held, and the checkpoint's own checks speak.
class TCheckpointLock {
public:
    explicit TCheckpointLock(const std::string& Path);
    ~TCheckpointLock();
    TCheckpointLock(const TCheckpointLock&) = delete;
    TCheckpointLock& operator=(const TCheckpointLock&) = delete;

private:
    std::string LockPath;
    int Fd = -1;
};

} // namespace codegen
