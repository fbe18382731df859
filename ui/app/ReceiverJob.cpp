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
    if (StopWork)
        StopWork->store(true);
}

void TReceiverJob::start(const codegen::TReceiverParams& P) {
    if (Running())
        StopEngine();
    ForgetFinished();
    StopWork = std::make_shared<std::atomic<bool>>(false);
    Work = std::async(std::launch::async, [P, Stop = StopWork] {
        return codegen::AnalyseReceiver(P, [Stop] { return Stop->load(); });
    });
    Begin(PollInterval);
}

void TReceiverJob::Step() {
    ForgetFinished();
    if (!Work.valid()) {
        End();
        return;
    }
    if (!Ready(Work))
        return;
    // An error thrown by the analysis comes out of get() and ends the job with it.
    Done = std::make_unique<codegen::TReceiverAnalysis>(Work.get());
    End();
    emit analysed();
}

void TReceiverJob::StopEngine() {
    if (StopWork)
        StopWork->store(true);
    if (Work.valid())
        Dropped.push_back(std::move(Work));
}

void TReceiverJob::ForgetFinished() {
    std::erase_if(Dropped, [](const auto& F) { return Ready(F); });
}
