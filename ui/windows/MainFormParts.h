// What the parts of the main window (MainUnit, MainFormControls, MainFormSearch) share.
#pragma once

#include "search/sets/SetSearch.h"
#include "ui/windows/MainUnit.h"

#include "ui/widgets/Dialogs.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/widgets/StringGrid.h"
#include "ui/windows/CodCellText.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>

#include <memory>
#include <string>
#include <string_view>

// The value a new window shows in a control a project stores (project/MainFormTable).
int StoredControlDefault(std::string_view Name);

// The set search's view of the window: a snapshot of the good-code list, the set grid, the
// parameters and the four labels. Labels are written and the user let act about every 15 ms,
// not at every one of the search's many candidate tests; a list edited meanwhile is taken
// anew, and the parameters come through the window's one path for changed controls.
class TMainForm::TSetSearchHost : public codegen::TSetSearchHost {
public:
    explicit TSetSearchHost(TMainForm& Form) : Form(Form) {}

    // Reads the parameters and the list at the start of an operation.
    void Begin() {
        ParamsChanged();
        List = Form.GoodCodSnapshot();
        Clock.start();
    }
    void ParamsChanged() {
        Length = Form.CodLength();
        Type = Form.CodType();
        MaxCorr = Form.MaxNoCorrPBSpinEdit->Value();
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

    int GoodCount() override { return static_cast<int>(List->Texts.size()); }
    std::string GoodText(int Row) override {
        if (Row < 1 || Row > GoodCount())
            throw codegen::CodError("The good-code row " + std::to_string(Row) + " does not exist");
        return List->Texts[static_cast<std::size_t>(Row - 1)];
    }
    uint64_t GoodVersion() override { return List->Version; }
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
        Form.SetSearchJob->LetUserAct();
        // The version tells the search to decode the list again.
        List = Form.GoodCodSnapshot();
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
    TMainForm& Form;
    std::shared_ptr<const TCodListSnapshot> List = std::make_shared<TCodListSnapshot>();
    QElapsedTimer Clock;
    int Length = 10;
    codegen::TCodType Type = codegen::TCodType::Binary;
    int MaxCorr = 2;
    codegen::TSetMessage Pending[5];
};
