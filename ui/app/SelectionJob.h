// The selection as a job: the engine's run goes on on a thread of its own, with the snapshot
// of the list it was given, and the window collects its steps from a timer.
#pragma once

#include "search/sets/Selection.h"
#include "ui/app/SearchJobs.h"

#include <memory>
#include <thread>
#include <vector>

class TSelectionJob : public TJob {
    Q_OBJECT

public:
    // What a selection reads: the list, the length and type it is decoded under, T and K.
    struct TInput {
        std::shared_ptr<const TCodListSnapshot> List;
        int L = 0;
        codegen::TCodType Type = codegen::TCodType::Binary;
        int T = 2;
        int K = 1;
    };

    explicit TSelectionJob(QObject* Parent = nullptr);
    ~TSelectionJob() override;
    // Decodes the list (a short text is an error naming its row; the job then does not run)
    // and starts over its rows.
    void start(const TInput& In);
    // Read by the next chunk; the list is decoded again only when it (its version), its
    // length or its type changed.
    void ParamsChanged(const TInput& In);

signals:
    // The steps of one chunk, with the list whose rows they name.
    void stepsFound(const std::vector<codegen::TSelectionStep>& Steps,
                    const std::shared_ptr<const TCodListSnapshot>& List);

protected:
    void Step() override;
    void StopEngine() override;

private:
    struct TShared;
    void Join();
    std::shared_ptr<TShared> Shared;
    std::thread Worker;
};
