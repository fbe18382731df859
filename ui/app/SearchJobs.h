// The window's long operations as jobs: each starts, returns to the event loop at once, and
// is driven from then on by a timer that collects what its engine found. Buttons, labels and
// grids follow the jobs' signals; an error ends the job and goes to the general error handler.
#pragma once

#include "search/SearchParams.h"
#include "search/exhaustive/GoodCodSearch.h"
#include "search/sets/SetSearch.h"
#include "search/stochastic/BestCodSearch.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The good-code list as it stood at one version: the engines read this, never grid cells.
struct TCodListSnapshot {
    uint64_t Version = 0;
    QStringList Numbers;            // column 0 of each row
    QStringList Cells;              // column 1, as shown
    std::vector<std::string> Texts; // column 1 as the engines read it
};

// What every job shares: a running flag, a timer that calls Step, and an end reported once,
// an error included.
class TJob : public QObject {
    Q_OBJECT

public:
    explicit TJob(QObject* Parent = nullptr);
    bool Running() const { return IsRunning; }
    // Asks the job to end; it ends (and says so through finished) at its next step.
    void stop();

signals:
    void finished();

protected:
    // Starts the timer; Interval 0 steps whenever the event loop is idle.
    void Begin(int Interval = 0);
    // Stops the timer and emits finished.
    void End();
    bool StopAsked() const { return Stopping; }
    // No further steps (a step that runs to the end of its job).
    void StopTimer() { Timer.stop(); }
    // One bounded piece of work; throws to end the job with an error.
    virtual void Step() = 0;
    // Stops the engine (after an error too).
    virtual void StopEngine() = 0;

private:
    void Tick();
    QTimer Timer;
    bool IsRunning = false;
    bool Stopping = false;
};

// The exhaustive search (the list, or the count) over an engine the window keeps, so that
// Continue goes on after the last code examined.
class TGoodCodJob : public TJob {
    Q_OBJECT

public:
    TGoodCodJob(codegen::TGoodCodSearch& Search, QObject* Parent = nullptr);
    // Throws CodError for parameters no search accepts; the job then does not run.
    void start(const codegen::TSearchParams& P);
    // The controls changed during the run: it goes on under P from the code after the last
    // one examined. The length and type stay the run's (a list of two lengths is no list for
    // any later step); parameters no search accepts leave the run on the values it has.
    void ParamsChanged(codegen::TSearchParams P);

signals:
    // The codes of one batch, in counting order.
    void codesFound(const std::vector<std::string>& Cods);
    // After each batch; Broken once the run was stopped before its end.
    void progress(bool Broken);

protected:
    void Step() override;
    void StopEngine() override;

private:
    codegen::TGoodCodSearch& Search;
    std::optional<codegen::TSearchParams> Restart;
};

// The best-code search: its codes and best code handed over about every 15 ms.
class TBestCodJob : public TJob {
    Q_OBJECT

public:
    TBestCodJob(codegen::TBestCodSearch& Search, QObject* Parent = nullptr);
    void start(const codegen::TBestSearchParams& P);
    codegen::TBestSearchEnd EndReason() const { return Ended; }

signals:
    // Codes within the target since the last call, in the order found; the best code so far
    // (empty before the first); how the run stands.
    void progress(const std::vector<std::string>& Cods, const QString& BestCod,
                  codegen::TBestSearchEnd End);

protected:
    void Step() override;
    void StopEngine() override;

private:
    void Show(codegen::TBestSearchEnd End);
    codegen::TBestCodSearch& Search;
    std::vector<std::string> Found;
    std::optional<codegen::TScoredCod> Best;
    codegen::TBestSearchEnd Ended = codegen::TBestSearchEnd::Running;
    QElapsedTimer SinceShown;
};

// One operation of the set search (search, continue, load best). Its engine tests candidates
// one at a time and asks its host to let the user act between them; it cannot hand control
// back to the event loop without being rewritten as a state machine, so the operation runs
// from the job's first step and LetUserAct is the one place where events are handled inside
// it. Its click handler still returns before the operation starts.
// stop() takes effect at the next LetUserAct, even when it came before the operation began
// (whose start clears the engine's stop request).
class TSetSearchJob : public TJob {
    Q_OBJECT

public:
    TSetSearchJob(codegen::TSetSearch& Search, QObject* Parent = nullptr);
    void start(std::function<void()> Operation);
    // Called by the host about every 15 ms of the operation: Break, edits of the lists and
    // parameter changes are handled here.
    void LetUserAct();

protected:
    void Step() override;
    void StopEngine() override;

private:
    codegen::TSetSearch& Search;
    std::function<void()> Operation;
};
