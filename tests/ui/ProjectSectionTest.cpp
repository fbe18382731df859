// The main window's section that `codegen-cli search --project-out` writes is the section the
// window saves for the same parameters and list, key for key and byte for byte: both follow
// one table of the stored controls (project/MainFormTable).
#include "UiTestSupport.h"

#include "project/MainFormTable.h"
#include "project/ProjectFile.h"
#include "ui/app/SaveLoadPrjUnit.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/widgets/StringGrid.h"
#include "ui/windows/MainUnit.h"

#include <QCheckBox>

#include <string>
#include <vector>

class TProjectSectionTest : public QObject, public TWindowsSession<> {
    Q_OBJECT

    // The window's section as saved, without the window's place (Top, Left, Width, Height),
    // which codegen-cli has no window to take from.
    static std::string WindowSection() {
        codegen::TIniDocument Ini;
        SaveFormDataToFile(Ini, MainForm, MainForm);
        std::string Text;
        for (const std::string& Line : SplitCrLf(Ini.ToBytes()))
            if (Line.rfind("Top=", 0) != 0 && Line.rfind("Left=", 0) != 0 &&
                Line.rfind("Width=", 0) != 0 && Line.rfind("Height=", 0) != 0)
                Text += Line + "\r\n";
        return Text;
    }
    static std::string CommandLineSection(const codegen::TSearchParams& P,
                                          const std::vector<std::string>& Cods) {
        std::string Text;
        std::size_t Next = 0;
        codegen::WriteSearchProject(
            P, Cods.size(), [&] { return Cods[Next++]; },
            [&Text](std::string_view Bytes) { Text.append(Bytes); });
        return Text;
    }
    static std::vector<std::string> SplitCrLf(const std::string& Text) {
        std::vector<std::string> Lines;
        std::size_t Start = 0;
        for (std::size_t End; (End = Text.find("\r\n", Start)) != std::string::npos;
             Start = End + 2)
            Lines.push_back(Text.substr(Start, End - Start));
        return Lines;
    }
    // The window showing what a search with P found: Cods in the good-code grid.
    static void ShowSearch(const codegen::TSearchParams& P, const std::vector<std::string>& Cods) {
        MainForm->CodLengthPBSpinEdit->SetValue(P.L);
        ClickItem(MainForm->VariantRadioGroup, static_cast<int>(P.Type));
        MainForm->MaxCorrSidePBSpinEdit->SetValue(P.SideLobeLimit);
        MainForm->ZeroCountPBSpinEdit->SetValue(P.Z);
        ClickItem(MainForm->ZRadioGroup, static_cast<int>(P.Rule));
        QList<QStringList> Rows;
        for (std::size_t I = 0; I < Cods.size(); ++I)
            Rows.append({QString::number(I + 1), QString::fromStdString(Cods[I])});
        MainForm->CodStringGrid->AppendRows(Rows);
    }

private slots:
    void initTestCase() { InstallDialogs(); }
    void init() { QVERIFY(OpenWindows()); }
    void cleanup() { Windows.reset(); }

    void theCommandLinesSectionIsTheWindowsOwn() {
        const std::vector<std::string> Found{"0001101", "0100111", "1011000", "1110010"};
        const codegen::TSearchParams Binary{7, codegen::TCodType::Binary, 1,
                                            codegen::TZeroRule::AtMost, 2};
        ShowSearch(Binary, Found);
        const std::string Window = WindowSection();
        QCOMPARE(Window, CommandLineSection(Binary, Found));
        // Every control of the table is there, in its order.
        std::size_t At = 0;
        for (const codegen::TStoredControl& Control : codegen::MainFormControls) {
            const std::string Key =
                std::string(Control.Name) +
                (Control.Kind == codegen::TStoredControl::TKind::Grid ? "ColCount=" : "=");
            const std::size_t Found = Window.find("\r\n" + Key, At);
            QVERIFY2(Found != std::string::npos, Key.c_str());
            At = Found + 1;
        }
    }

    void everyParameterAndAnEmptyList() {
        const codegen::TSearchParams Ternary{5, codegen::TCodType::Ternary, 3,
                                             codegen::TZeroRule::Equal, 1};
        ShowSearch(Ternary, {"12010", "20110"});
        QCOMPARE(WindowSection(), CommandLineSection(Ternary, {"12010", "20110"}));
        MainForm->StartStringGridToLoad();
        QCOMPARE(WindowSection(), CommandLineSection(Ternary, {}));
    }

    // A new window shows the table's values, and saves them as such.
    void aNewWindowShowsTheTablesDefaults() {
        QCOMPARE(MainForm->CodLengthPBSpinEdit->Value(), 10);
        QCOMPARE(MainForm->SelCountPBSpinEdit->Value(), 1);
        QCOMPARE(MainForm->SelectStringGrid->RowCount(), 5);
        QCOMPARE(MainForm->PairCheckBox->isChecked(), false);
        codegen::TSearchParams Defaults;
        Defaults.L = codegen::StoredControl("CodLengthPBSpinEdit")->Default;
        Defaults.Type = codegen::TCodType::Binary;
        Defaults.SideLobeLimit = codegen::StoredControl("MaxCorrSidePBSpinEdit")->Default;
        Defaults.Z = codegen::StoredControl("ZeroCountPBSpinEdit")->Default;
        Defaults.Rule = codegen::TZeroRule::AtMost;
        QCOMPARE(WindowSection(), CommandLineSection(Defaults, {}));
    }
};

UI_TEST_MAIN(TProjectSectionTest)
#include "ProjectSectionTest.moc"
