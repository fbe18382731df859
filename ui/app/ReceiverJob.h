// The filter window's calculation as a job: the receive chain of one code is worked out on a
// thread of its own while the window stays live, and handed over when it is done. A new start
// supersedes the run in hand, which is broken off and whose result is dropped.
#pragma once

#include "receiver/ReceiverAnalysis.h"
#include "ui/app/SearchJobs.h"

#include <atomic>
#include <future>
#include <memory>
#include <vector>

class TReceiverJob : public TJob {
    Q_OBJECT

public:
    explicit TReceiverJob(QObject* Parent = nullptr);
    // Breaks off the runs still in hand and waits for them to end (a round of the design).
    ~TReceiverJob() override;

    void start(const codegen::TReceiverParams& P);
    // The last analysis done; valid after analysed().
    const codegen::TReceiverAnalysis& Result() const { return *Done; }
    // How far the design of the run in hand has gone (no steps for the quick designs).
    codegen::TDesignProgress Progress() const;
    // The last run ended because it was stopped (not done, not failed).
    bool Broken() const { return WasBroken; }

signals:
    void analysed();
    // The design of the run in hand went on.
    void progress();

protected:
    void Step() override;
    void StopEngine() override;

private:
    // What the run's thread and the job share.
    struct TShared {
        // Set to break the run off at the design's next round.
        std::atomic<bool> Stop = false;
        std::atomic<long long> Steps = 0;
        std::atomic<double> PslBoundDb = 0;
    };
    std::future<codegen::TReceiverAnalysis> Work;
    std::shared_ptr<TShared> Shared;
    long long ShownSteps = 0;
    bool WasBroken = false;
    // Superseded runs still finishing: their results are dropped.
    std::vector<std::future<codegen::TReceiverAnalysis>> Dropped;
    std::unique_ptr<codegen::TReceiverAnalysis> Done;
    void ForgetFinished();
};
