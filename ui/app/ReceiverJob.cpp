#include "ui/app/ReceiverJob.h"

#include <algorithm>
#include <chrono>

namespace {

bool Ready(const std::future<codegen::TReceiverAnalysis>& F) {
    return F.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

// Often enough that a result shows without a delay anyone sees, seldom enough to cost nothing.
constexpr int PollInterval = 15; // ms

} // namespace

TReceiverJob::TReceiverJob(QObject* Parent) : TJob(Parent) {}

TReceiverJob::~TReceiverJob() {
    // The futures of std::async wait for their threads as they go: each is told to end first.
    if (Shared)
        Shared->Stop.store(true);
}

void TReceiverJob::start(const codegen::TReceiverParams& P) {
    if (Running())
        StopEngine();
    ForgetFinished();
    Shared = std::make_shared<TShared>();
    Shared->PslBoundDb.store(codegen::TDesignProgress().PslBoundDb);
    ShownSteps = 0;
    WasBroken = false;
    Work = std::async(std::launch::async, [P, Shared = Shared] {
        return codegen::AnalyseReceiver(P, [Shared](const codegen::TDesignProgress& Progress) {
            Shared->PslBoundDb.store(Progress.PslBoundDb);
            Shared->Steps.store(Progress.Steps);
            return Shared->Stop.load();
        });
    });
    Begin(PollInterval);
}

codegen::TDesignProgress TReceiverJob::Progress() const {
    codegen::TDesignProgress P;
    if (Shared) {
        P.Steps = Shared->Steps.load();
        P.PslBoundDb = Shared->PslBoundDb.load();
    }
    return P;
}

void TReceiverJob::Step() {
    ForgetFinished();
    if (!Work.valid()) {
        WasBroken = StopAsked();
        End();
        return;
    }
    if (!Ready(Work)) {
        if (const long long Steps = Shared->Steps.load(); Steps != ShownSteps) {
            ShownSteps = Steps;
            emit progress();
        }
        return;
    }
    // An error thrown by the analysis comes out of get() and ends the job with it.
    Done = std::make_unique<codegen::TReceiverAnalysis>(Work.get());
    End();
    emit analysed();
}

void TReceiverJob::StopEngine() {
    if (Shared)
        Shared->Stop.store(true);
    if (Work.valid())
        Dropped.push_back(std::move(Work));
}

void TReceiverJob::ForgetFinished() {
    std::erase_if(Dropped, [](const auto& F) { return Ready(F); });
}
