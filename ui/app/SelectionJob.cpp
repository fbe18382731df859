#include "ui/app/SelectionJob.h"

#include <exception>
#include <mutex>
#include <utility>

namespace {
bool SameDecoding(const TSelectionJob::TInput& A, const TSelectionJob::TInput& B) {
    return A.List->Version == B.List->Version && A.L == B.L && A.Type == B.Type;
}
} // namespace

// What the worker and the window share; the worker never waits for the window, so stopping
// and joining it can never deadlock.
struct TSelectionJob::TShared {
    std::mutex Lock;
    TInput Wanted;
    struct TChunk {
        std::vector<codegen::TSelectionStep> Steps;
        std::shared_ptr<const TCodListSnapshot> List;
    };
    std::vector<TChunk> Chunks;
    bool Stop = false;
    bool Done = false;
    std::exception_ptr Error;
};

TSelectionJob::TSelectionJob(QObject* Parent) : TJob(Parent) {}

TSelectionJob::~TSelectionJob() {
    StopEngine();
    Join();
}

void TSelectionJob::Join() {
    if (Worker.joinable())
        Worker.join();
}

void TSelectionJob::start(const TInput& In) {
    StopEngine();
    Join();
    codegen::TSelectionRun Run;
    Run.Cods = codegen::DecodeCods(In.List->Texts, In.L, In.Type);
    Run.T = In.T;
    Run.K = In.K;
    Shared = std::make_shared<TShared>();
    Shared->Wanted = In;
    Worker = std::thread([S = Shared, Run = std::move(Run), Decoded = In]() mutable {
        try {
            codegen::RunSelection(Run, [&](const std::vector<codegen::TSelectionStep>& Steps) {
                TInput Wanted;
                {
                    const std::scoped_lock Lock(S->Lock);
                    // The steps name rows of the list they were worked out on.
                    S->Chunks.push_back({Steps, Decoded.List});
                    if (S->Stop)
                        return false;
                    Wanted = S->Wanted;
                }
                if (!SameDecoding(Wanted, Decoded))
                    Run.Cods = codegen::DecodeCods(Wanted.List->Texts, Wanted.L, Wanted.Type);
                Decoded = Wanted;
                Run.T = Wanted.T;
                Run.K = Wanted.K;
                return true;
            });
        } catch (...) {
            const std::scoped_lock Lock(S->Lock);
            S->Error = std::current_exception();
        }
        const std::scoped_lock Lock(S->Lock);
        S->Done = true;
    });
    // Steps come every 10 to 20 ms; a few ms between looks keeps the window idle meanwhile.
    Begin(5);
}

void TSelectionJob::ParamsChanged(const TInput& In) {
    if (!Running())
        return;
    const std::scoped_lock Lock(Shared->Lock);
    Shared->Wanted = In;
}

void TSelectionJob::Step() {
    std::vector<TShared::TChunk> Chunks;
    bool Done;
    std::exception_ptr Error;
    {
        const std::scoped_lock Lock(Shared->Lock);
        Chunks.swap(Shared->Chunks);
        Done = Shared->Done;
        Error = Shared->Error;
    }
    for (const auto& Chunk : Chunks)
        emit stepsFound(Chunk.Steps, Chunk.List);
    if (!Done)
        return;
    Join();
    if (Error)
        std::rethrow_exception(Error);
    End();
}

void TSelectionJob::StopEngine() {
    if (!Shared)
        return;
    const std::scoped_lock Lock(Shared->Lock);
    Shared->Stop = true;
}
