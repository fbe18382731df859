// What the parts of the main window (MainUnit, MainFormControls, MainFormSearch) share.
#pragma once

#include "search/sets/SetSearch.h"
#include "ui/windows/MainUnit.h"

#include "ui/widgets/Dialogs.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/widgets/StringGrid.h"
#include "ui/windows/CodCellText.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>

#include <string>
#include <string_view>

// The value a new window shows in a control a project stores (project/MainFormTable).
int StoredControlDefault(std::string_view Name);

// The set search's view of the window: the two grids, the parameter controls and the four
// labels. Labels are written and events processed about every 15 ms, not at every one of
// the search's many candidate tests; the parameters are read again after each such pause.
class TMainForm::TSetSearchHost : public codegen::TSetSearchHost {
public:
    explicit TSetSearchHost(TMainForm& Form) : Form(Form) {}

    // Reads the parameters at the start of an operation.
    void Begin() {
        Refresh();
        Clock.start();
    }
    // Shows the labels as they stand.
    void Flush() {
        QLabel* Labels[] = {nullptr, Form.Mess1Label, Form.Mess2Label, Form.Mess3Label,
                            Form.Mess4Label};
        for (int I = 1; I <= 4; ++I)
            if (Pending[I].Kind != codegen::TSetMessage::None) {
                Labels[I]->setText(QString::fromStdString(codegen::SetMessageText(Pending[I])));
                Pending[I] = {};
            }
    }

    int GoodCount() override { return Form.CodStringGrid->RowCount() - 1; }
    std::string GoodText(int Row) override {
        if (Row < 1 || Row > GoodCount())
            throw codegen::CodError("The good-code row " + std::to_string(Row) + " does not exist");
        return CodCellText(Form.CodStringGrid->Cells(1, Row));
    }
    uint64_t GoodVersion() override { return Form.CodStringGrid->Model()->Version(); }
    int SetCount() override { return Form.NoCorrCodsStringGrid->RowCount() - 1; }
    std::string SetText(int Member) override {
        return CodCellText(Form.NoCorrCodsStringGrid->Cells(1, Member));
    }
    uint64_t SetVersion() override { return Form.NoCorrCodsStringGrid->Model()->Version(); }
    void ClearSet() override { Form.StartNoCorrStringGridToLoad(); }
    void AddToSet(int GoodRow) override { Form.AddCodToNoCorrStringGrid(GoodRow); }
    int CodLength() override { return Length; }
    codegen::TCodType CodType() override { return Type; }
    int Limit() override { return MaxCorr; }
    bool StopOnCycle() override { return Form.PairCheckBox->isChecked(); }
    bool Poll() override {
        if (Clock.elapsed() < 15)
            return false;
        Flush();
        QCoreApplication::processEvents();
        Refresh();
        Clock.restart();
        return true;
    }
    void Message(int Label, const codegen::TSetMessage& M) override { Pending[Label] = M; }
    // Messages not shown yet belong to what the labels were emptied for.
    void Forget() {
        for (auto& M : Pending)
            M = {};
    }
    void Beep() override {
        Flush();
        Dialogs().Beep();
    }

private:
    void Refresh() {
        Length = Form.CodLength();
        Type = Form.CodType();
        MaxCorr = Form.MaxNoCorrPBSpinEdit->Value();
    }

    TMainForm& Form;
    QElapsedTimer Clock;
    int Length = 10;
    codegen::TCodType Type = codegen::TCodType::Binary;
    int MaxCorr = 2;
    codegen::TSetMessage Pending[5];
};
