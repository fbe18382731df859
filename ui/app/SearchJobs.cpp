#include "ui/app/SearchJobs.h"

#include "engine/Cod.h"
#include "ui/app/ErrorGuard.h"

#include <QCoreApplication>

#include <chrono>
#include <exception>
#include <utility>

using namespace std::chrono_literals;

TJob::TJob(QObject* Parent) : QObject(Parent) {
    connect(&Timer, &QTimer::timeout, this, &TJob::Tick);
}

void TJob::stop() {
    if (!IsRunning)
        return;
    Stopping = true;
    StopEngine();
}

void TJob::Begin(int Interval) {
    IsRunning = true;
    Stopping = false;
    Timer.start(Interval);
}

void TJob::End() {
    Timer.stop();
    if (!std::exchange(IsRunning, false))
        return;
    emit finished();
}

void TJob::Tick() {
    try {
        Step();
    } catch (...) {
        // No run goes on behind an error shown to the user, and the buttons come back first,
        // as when the error left a click handler.
        const std::exception_ptr Error = std::current_exception();
        StopEngine();
        End();
        RunGuarded([&] { std::rethrow_exception(Error); });
    }
}

// ---- good codes, count ---------------------------------------------------------------

TGoodCodJob::TGoodCodJob(codegen::TGoodCodSearch& Search, QObject* Parent)
    : TJob(Parent), Search(Search) {}

void TGoodCodJob::start(const codegen::TSearchParams& P) {
    Restart.reset();
    Search.Start(P);
    Begin();
}

void TGoodCodJob::ParamsChanged(codegen::TSearchParams P) {
    if (!Running() || StopAsked())
        return;
    P.L = Search.Params().L;
    P.Type = Search.Params().Type;
    if (P == (Restart ? *Restart : Search.Params()))
        return;
    try {
        codegen::CheckSearchParams(P);
    } catch (const codegen::CodError&) {
        // A value still being typed (a limit of -1, say).
        return;
    }
    Restart = P;
    Search.Stop();
}

void TGoodCodJob::Step() {
    // A bounded batch keeps the window answering (Break above all) when codes come faster
    // than the grid takes them.
    const codegen::TSearchBatch Batch = Search.Collect(15ms, 20000);
    emit codesFound(Batch.Cods);
    if (Batch.Finished && !Batch.Completed && StopAsked()) {
        // Broken off: it says so instead of a time left that no longer runs down.
        emit progress(true);
        End();
        return;
    }
    emit progress(false);
    if (!Batch.Finished)
        return;
    if (Restart && !StopAsked()) {
        Search.Start(*std::exchange(Restart, std::nullopt));
        return;
    }
    End();
}

void TGoodCodJob::StopEngine() {
    Search.Stop();
}

// ---- best codes ----------------------------------------------------------------------

TBestCodJob::TBestCodJob(codegen::TBestCodSearch& Search, QObject* Parent)
    : TJob(Parent), Search(Search) {}

void TBestCodJob::start(const codegen::TBestSearchParams& P) {
    Found.clear();
    Best.reset();
    Ended = codegen::TBestSearchEnd::Running;
    Search.Start(P);
    SinceShown.start();
    Begin();
}

void TBestCodJob::Show(codegen::TBestSearchEnd End) {
    const std::vector<std::string> Cods = std::exchange(Found, {});
    emit progress(Cods, Best ? QString::fromStdString(Best->Text) : QString(), End);
}

void TBestCodJob::Step() {
    const codegen::TBestSearchBatch Batch = Search.Collect(15ms);
    for (const auto& Cod : Batch.Cods)
        Found.push_back(Cod.Text);
    for (const auto& Cod : Batch.NewBests)
        if (!Best || Cod.BetterThan(*Best))
            Best = Cod;
    if (Batch.Finished) {
        Ended = Batch.End;
        Show(Ended);
        End();
        return;
    }
    // The window is redrawn between batches, never per code.
    if (SinceShown.elapsed() >= 15) {
        Show(codegen::TBestSearchEnd::Running);
        SinceShown.restart();
    }
}

void TBestCodJob::StopEngine() {
    Search.Stop();
}

// ---- set search ----------------------------------------------------------------------

TSetSearchJob::TSetSearchJob(codegen::TSetSearch& Search, QObject* Parent)
    : TJob(Parent), Search(Search) {}

void TSetSearchJob::start(std::function<void()> Work) {
    Operation = std::move(Work);
    Begin();
}

void TSetSearchJob::LetUserAct() {
    QCoreApplication::processEvents();
    if (StopAsked())
        Search.Break();
}

void TSetSearchJob::Step() {
    // Once: the operation runs to its end (or its Break) inside this step, and no step may
    // start inside it while it lets the user act.
    StopTimer();
    const std::function<void()> Work = std::exchange(Operation, {});
    if (Work)
        Work();
    End();
}

void TSetSearchJob::StopEngine() {
    Search.Break();
}
