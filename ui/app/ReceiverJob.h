// The filter window's calculation as a job: the receive chain of one code is worked out on a
// thread of its own while the window stays live, and handed over when it is done. A new start
// supersedes the run in hand, whose result is then dropped.
#pragma once

#include "receiver/ReceiverAnalysis.h"
#include "ui/app/SearchJobs.h"

#include <future>
#include <memory>
#include <vector>

class TReceiverJob : public TJob {
    Q_OBJECT

public:
    explicit TReceiverJob(QObject* Parent = nullptr);
    // Waits for the runs still in hand (a design cannot be broken off half way).
    ~TReceiverJob() override;

    void start(const codegen::TReceiverParams& P);
    // The last analysis done; valid after analysed().
    const codegen::TReceiverAnalysis& Result() const { return *Done; }

signals:
    void analysed();

protected:
    void Step() override;
    void StopEngine() override;

private:
    std::future<codegen::TReceiverAnalysis> Work;
    // Superseded runs still finishing: their results are dropped.
    std::vector<std::future<codegen::TReceiverAnalysis>> Dropped;
    std::unique_ptr<codegen::TReceiverAnalysis> Done;
    void ForgetFinished();
};
