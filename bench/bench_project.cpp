// Saving and loading a project that holds a long good-code list, through the real windows
// (offscreen). Quote how the time grows from 100,000 to 1,000,000 codes, and how a project
// loads that holds many sections of other programs besides those of the windows.
#include "ui/app/Application.h"
#include "ui/app/SaveLoadPrjUnit.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/widgets/StringGrid.h"
#include "ui/windows/MainUnit.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

// The main window of the windows the benchmarks run in.
TMainForm* Main = nullptr;

// Codes of 24 chips: the row number in binary, so every text differs.
void FillCods(int Count) {
    std::vector<std::string> Cods;
    Cods.reserve(static_cast<std::size_t>(Count));
    for (int I = 0; I < Count; ++I) {
        std::string Text(24, '0');
        for (int B = 0; B < 24; ++B)
            Text[static_cast<std::size_t>(23 - B)] = (I >> B) & 1 ? '1' : '0';
        Cods.push_back(std::move(Text));
    }
    // Under their own length: a project whose rows are no codes of its length is refused.
    Main->CodLengthPBSpinEdit->SetValue(24);
    Main->StartStringGridToLoad();
    Main->AddCodsToStringGrid(Cods);
}

void SaveProject(benchmark::State& State) {
    QTemporaryDir Dir;
    FillCods(static_cast<int>(State.range(0)));
    for (auto _ : State)
        SaveAllFormDataToFile(Main->ProjectWindows(), Dir.filePath("p.cod"));
}

void LoadProject(benchmark::State& State) {
    QTemporaryDir Dir;
    FillCods(static_cast<int>(State.range(0)));
    SaveAllFormDataToFile(Main->ProjectWindows(), Dir.filePath("p.cod"));
    for (auto _ : State) {
        LoadAllFormDataFromFile(Main->ProjectWindows(), Dir.filePath("p.cod"));
        if (Main->CodStringGrid->RowCount() != State.range(0) + 1)
            State.SkipWithError("the list did not come back");
    }
}

// A project of 10,000 codes after SECTIONS sections the windows do not know: every read of a
// key, a grid cell's included, looks its section up among them all.
void LoadProjectAmongSections(benchmark::State& State) {
    QTemporaryDir Dir;
    const QString Path = Dir.filePath("p.cod");
    FillCods(10000);
    SaveAllFormDataToFile(Main->ProjectWindows(), Path);
    QByteArray Bytes;
    for (int I = 0; I < State.range(0); ++I)
        Bytes += "[Other" + QByteArray::number(I) + "]\r\nKey=1\r\n";
    QFile File(Path);
    File.open(QIODevice::ReadOnly);
    Bytes += File.readAll();
    File.close();
    File.open(QIODevice::WriteOnly | QIODevice::Truncate);
    File.write(Bytes);
    File.close();
    for (auto _ : State) {
        LoadAllFormDataFromFile(Main->ProjectWindows(), Path);
        if (Main->CodStringGrid->RowCount() != 10001)
            State.SkipWithError("the list did not come back");
    }
}

BENCHMARK(SaveProject)
    ->ArgName("codes")
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK(LoadProject)
    ->ArgName("codes")
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK(LoadProjectAmongSections)
    ->ArgName("sections")
    ->Arg(10000)
    ->Arg(50000)
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

int main(int Argc, char** Argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication App(Argc, Argv);
    TApplicationWindows Windows;
    Main = Windows.Main();
    Main->show();
    benchmark::Initialize(&Argc, Argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
