// Replacing files whole: links, special files, modes, long names and writers racing.
#include "engine/AtomicWrite.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
using codegen::WriteError;
using codegen::WriteFileWhole;

// A fresh directory per test, removed afterwards: ctest runs the cases side by side.
class AtomicWriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string Pattern = ::testing::TempDir() + "codegen_atomic_XXXXXX";
        ASSERT_NE(mkdtemp(Pattern.data()), nullptr);
        Dir = Pattern;
    }
    void TearDown() override { fs::remove_all(Dir); }

    std::string In(const std::string& Name) const { return (Dir / Name).string(); }
    std::size_t Entries() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(Dir), fs::directory_iterator()));
    }

    fs::path Dir;
};

std::string Read(const std::string& Path) {
    std::ifstream File(Path, std::ios::binary);
    std::stringstream Text;
    Text << File.rdbuf();
    return Text.str();
}

void Write(const std::string& Path, const std::string& Text) {
    std::ofstream(Path, std::ios::binary) << Text;
}

mode_t Mode(const std::string& Path) {
    struct stat Info {};
    stat(Path.c_str(), &Info);
    return Info.st_mode & 07777;
}

TEST_F(AtomicWriteTest, ReplacesOrCreatesTheFileAndLeavesNothingBeside) {
    const std::string File = In("p.cod");
    WriteFileWhole(File, "first");
    EXPECT_EQ(Read(File), "first");
    const mode_t Mask = umask(0);
    umask(Mask);
    EXPECT_EQ(Mode(File), 0666 & ~Mask);
    WriteFileWhole(File, std::string("a\0b", 3));
    EXPECT_EQ(Read(File), std::string("a\0b", 3));
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(AtomicWriteTest, SymlinksPlantedAtTemporaryNamesAreNeverFollowed) {
    const std::string Victim = In("victim");
    Write(Victim, "precious");
    for (const char* Name : {"p.cod.new", "p.cod.tmp", "p.cod~", ".p.cod.swp", "p.cod.bak"})
        fs::create_symlink(Victim, Dir / Name);
    WriteFileWhole(In("p.cod"), "new");
    EXPECT_EQ(Read(Victim), "precious");
    EXPECT_EQ(Read(In("p.cod")), "new");
    EXPECT_TRUE(fs::is_symlink(Dir / "p.cod.new"));
    EXPECT_EQ(Entries(), 7u);
}

TEST_F(AtomicWriteTest, ASymlinkTargetIsWrittenThroughAndTheLinkKept) {
    fs::create_directory(Dir / "real");
    Write(In("real/p.cod"), "old");
    fs::create_symlink("real/p.cod", Dir / "relative");
    fs::create_symlink("relative", Dir / "chain");
    WriteFileWhole(In("chain"), "through");
    EXPECT_TRUE(fs::is_symlink(Dir / "chain"));
    EXPECT_TRUE(fs::is_symlink(Dir / "relative"));
    EXPECT_EQ(Read(In("real/p.cod")), "through");
    // A dangling link gets its target created, not replaced by a plain file.
    fs::create_symlink(In("real/later.cod"), Dir / "dangling");
    WriteFileWhole(In("dangling"), "later");
    EXPECT_TRUE(fs::is_symlink(Dir / "dangling"));
    EXPECT_EQ(Read(In("real/later.cod")), "later");
}

TEST_F(AtomicWriteTest, SpecialFilesDirectoriesAndEmptyNamesAreRefusedUntouched) {
    // A null device of our own: a fault here must not clobber the machine's /dev/null.
    const std::string Device = In("null");
    if (mknod(Device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        EXPECT_THROW(WriteFileWhole(Device, "x"), WriteError);
        struct stat After {};
        ASSERT_EQ(stat(Device.c_str(), &After), 0);
        EXPECT_TRUE(S_ISCHR(After.st_mode));
        fs::remove(Device);
    }

    const std::string Fifo = In("fifo");
    ASSERT_EQ(mkfifo(Fifo.c_str(), 0600), 0);
    try {
        WriteFileWhole(Fifo, "x");
        ADD_FAILURE() << "a FIFO was written";
    } catch (const WriteError& E) {
        EXPECT_EQ(std::string(E.what()),
                  "Unable to write to " + Fifo + ": it is a pipe, not a regular file");
    }
    EXPECT_TRUE(fs::is_fifo(Fifo));

    fs::create_directory(Dir / "folder");
    try {
        WriteFileWhole(In("folder"), "x");
        ADD_FAILURE() << "a directory was written";
    } catch (const WriteError& E) {
        EXPECT_NE(std::string(E.what()).find("is a directory"), std::string::npos);
    }
    EXPECT_TRUE(fs::is_empty(Dir / "folder"));
    EXPECT_EQ(Entries(), 2u) << "a temporary file was left";

    EXPECT_THROW(WriteFileWhole("", "x"), WriteError);
    EXPECT_THROW(WriteFileWhole(In("missing/p.cod"), "x"), WriteError);
    EXPECT_EQ(Entries(), 2u);
}

TEST_F(AtomicWriteTest, TheModeIsKeptAndOtherHardLinksKeepTheOldContent) {
    const std::string Private = In("private.cod");
    Write(Private, "old");
    chmod(Private.c_str(), 0600);
    WriteFileWhole(Private, "new");
    EXPECT_EQ(Mode(Private), 0600u);
    chmod(Private.c_str(), 0640);
    WriteFileWhole(Private, "newer");
    EXPECT_EQ(Mode(Private), 0640u);
    // Replaced by rename: the name gets a new file, another name of the old one keeps it.
    fs::create_hard_link(Private, Dir / "other");
    WriteFileWhole(Private, "newest");
    EXPECT_EQ(Read(Private), "newest");
    EXPECT_EQ(Read(In("other")), "newer");
}

TEST_F(AtomicWriteTest, ANameNearTheLimitSaves) {
    const std::string File = In(std::string(248, 'n') + ".cod");
    WriteFileWhole(File, "long");
    EXPECT_EQ(Read(File), "long");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(AtomicWriteTest, TwoWritersAtOnceLeaveOneWholeContent) {
    const std::string File = In("p.cod");
    // Of different sizes, so that a shared temporary file shows as a mix or a tail.
    const std::string A(4 << 20, 'a'), B(1 << 20, 'b');
    for (int Round = 0; Round < 20; ++Round) {
        std::atomic<int> Failures = 0;
        const auto Writer = [&](const std::string& Text) {
            try {
                WriteFileWhole(File, Text);
            } catch (const WriteError&) {
                ++Failures;
            }
        };
        std::thread First(Writer, std::cref(A));
        std::thread Second(Writer, std::cref(B));
        First.join();
        Second.join();
        ASSERT_EQ(Failures, 0) << "a writer failed in round " << Round;
        const std::string Got = Read(File);
        ASSERT_TRUE(Got == A || Got == B) << "mixed content in round " << Round;
    }
    EXPECT_EQ(Entries(), 1u);
}

} // namespace

// A writer killed part way (kill -9) leaves its temporary file; the next write of the same
// target clears it up, and only it: another target's leftovers, a live writer's file and
// files that merely look alike stay.
TEST_F(AtomicWriteTest, AKilledWritersTemporaryIsRemovedByTheNextRunOfTheSameTarget) {
    const auto KilledWriting = [](const std::string& Target) {
        const pid_t Child = fork();
        if (Child == 0) {
            codegen::TAtomicFile File(Target);
            File.Write(std::string(100000, 'x'));
            raise(SIGKILL);
            _exit(1);
        }
        int Raw = 0;
        waitpid(Child, &Raw, 0);
        ASSERT_TRUE(WIFSIGNALED(Raw));
    };
    KilledWriting(In("ck"));
    KilledWriting(In("ck"));
    KilledWriting(In("other"));
    for (const char* Name : {".codegen-x.tmp", "ck.tmp", ".codegen-0123abcd-zzzzzzzzzzzz.tmp"})
        Write(In(Name), "mine");
    ASSERT_EQ(Entries(), 6u);
    codegen::TAtomicFile Live(In("ck"));
    ASSERT_EQ(Entries(), 7u);

    codegen::RemoveStaleTemporaries(In("ck"));
    EXPECT_EQ(Entries(), 5u) << "the two killed writes of ck went, the live one stayed";
    for (const char* Name : {".codegen-x.tmp", "ck.tmp", ".codegen-0123abcd-zzzzzzzzzzzz.tmp"})
        EXPECT_EQ(Read(In(Name)), "mine");
    Live.Write("live");
    Live.Commit();
    EXPECT_EQ(Read(In("ck")), "live");
    codegen::RemoveStaleTemporaries(In("other"));
    EXPECT_EQ(Entries(), 4u);
}

// A file left uncommitted (an error or an exception on the way) leaves no temporary file
// behind and the old file as it was, whether nothing, a buffered part or parts already on
// disk were written, and whether the target existed or not.
TEST_F(AtomicWriteTest, AnAbandonedFileRemovesItsTemporaryAndKeepsTheOldFile) {
    Write(In("old.cod"), "old");
    for (const std::size_t Size : {std::size_t{0}, std::size_t{10}, std::size_t{3} << 20}) {
        {
            codegen::TAtomicFile Abandoned(In("old.cod"));
            Abandoned.Write(std::string(Size, 'n'));
            ASSERT_EQ(Entries(), 2u) << "the temporary file beside the target";
        }
        EXPECT_EQ(Entries(), 1u) << "after abandoning " << Size << " bytes";
        EXPECT_EQ(Read(In("old.cod")), "old");
    }
    try {
        codegen::TAtomicFile Unwound(In("new.cod"));
        Unwound.Write("partial");
        throw std::runtime_error("failed on the way");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(fs::exists(In("new.cod")));
    EXPECT_EQ(Entries(), 1u);
}

// A target a write would refuse is told before any work: nothing is left behind.
TEST_F(AtomicWriteTest, CheckWritableRefusesWhatAWriteWouldAndLeavesNothing) {
    fs::create_directory(Dir / "folder");
    Write(In("file"), "keep");
    EXPECT_THROW(codegen::CheckWritable(In("folder")), WriteError);
    EXPECT_THROW(codegen::CheckWritable(In("file/below.cod")), WriteError);
    EXPECT_THROW(codegen::CheckWritable(In("missing/p.cod")), WriteError);
    EXPECT_THROW(codegen::CheckWritable(""), WriteError);
    EXPECT_NO_THROW(codegen::CheckWritable(In("file")));
    EXPECT_NO_THROW(codegen::CheckWritable(In("new.cod")));
    EXPECT_EQ(Read(In("file")), "keep");
    EXPECT_EQ(Entries(), 2u);
}
