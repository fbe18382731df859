#include "ui/windows/CodToTextUnit.h"

#include "export/CodFiles.h"
#include "ui/app/ErrorGuard.h"
#include "ui/app/FileSaving.h"
#include "ui/widgets/Dialogs.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/widgets/StringGrid.h"
#include "ui/windows/CodCellText.h"
#include "ui/windows/CodGridEditor.h"
#include "ui/windows/CodSource.h"

#include <QDateTime>
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <ctime>

TTextForm* TextForm = nullptr;

TTextForm::TTextForm(TCodSource& Source) : TForm(QStringLiteral("TextForm")), Codes(Source) {
    TextForm = this;
    setWindowTitle(QStringLiteral("Преобразование кодов в текст"));
    // Closing hides the window; only the main window ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    SetOuterBounds(341, 85, 400, 551);

    Panel1 = AddPanel(QStringLiteral("Panel1"), 41, TAlign::Top);
    Panel2 = AddPanel(QStringLiteral("Panel2"), 153, TAlign::Bottom);

    Memo = Register(new QPlainTextEdit(this), QStringLiteral("Memo"));
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo->setTabChangesFocus(false);
    // Empty until the first export: a sample text would pass for one.
    SetAlign(Memo, TAlign::Client);

    ConvertRadioGroup =
        Register(new TRadioGroup(QStringLiteral("Что делать ?"),
                                 {QStringLiteral("Простой текст"),
                                  QStringLiteral("2 шт. ROM128X1 (8 кодов по 16 бит)"),
                                  QStringLiteral("2 шт. ROM256X1 (16 кодов по 16 бит)"),
                                  QStringLiteral("2шт. ROM256X1  (8 кодов по 32 бита)"),
                                  QStringLiteral("4шт. ROM256X1 (16 кодов по 32 бита)"),
                                  QStringLiteral("каждый 1 код в 2 param по 128 бит ")},
                                 Panel2),
                 QStringLiteral("ConvertRadioGroup"));
    auto* Fill = new QVBoxLayout(Panel2);
    Fill->setContentsMargins(0, 0, 0, 0);
    Fill->addWidget(ConvertRadioGroup);
    ConvertRadioGroup->SetItemIndex(0);

    // Over the right-hand side of the radio group, outside the layout.
    ConvertBitBtn = Register(new QPushButton(QStringLiteral("Преобразовать"), Panel2),
                             QStringLiteral("ConvertBitBtn"));
    ConvertBitBtn->setGeometry(280, 72, 97, 25);
    ConvertBitBtn->raise();
    // Smaller than the design, yet with the button, every format and a few lines of text.
    constexpr int MinMemoHeight = 60;
    setMinimumSize(std::min(width(), std::max(ConvertBitBtn->geometry().right() + 9,
                                              ConvertRadioGroup->sizeHint().width())),
                   std::min(height(), Panel1->height() + Panel2->height() + MinMemoHeight));

    connect(ConvertBitBtn, &QPushButton::clicked, this,
            Guarded(this, &TTextForm::ConvertBitBtnClick));

    // The top bar was empty in the design.
    SaveToFileButton = new QPushButton(QStringLiteral("Сохранить в файл…"), Panel1);
    SaveToFileButton->setObjectName(QStringLiteral("SaveToFileButton"));
    SaveToFileButton->setGeometry(8, 8, 137, 25);
    SaveTextDialog = new TFileDialogSettings(this);
    SaveTextDialog->Title = QStringLiteral("Сохранить текст в файл");
    SaveTextDialog->DefaultExt = QStringLiteral("*.txt");
    SaveTextDialog->FileName = QStringLiteral("codes.txt");
    SaveTextDialog->Filter =
        QStringLiteral("Текст (*.txt)|*.txt|Память Xilinx, комплект кодов (*.coe)|*.coe|"
                       "Память $readmemb, комплект кодов (*.mem)|*.mem");
    connect(SaveToFileButton, &QPushButton::clicked, this,
            Guarded(this, &TTextForm::SaveToFileButtonClick));

    CutWarningLabel = new QLabel(Panel1);
    CutWarningLabel->setObjectName(QStringLiteral("CutWarningLabel"));
    CutWarningLabel->setTextFormat(Qt::PlainText);
    CutWarningLabel->setWordWrap(true);
    CutWarningLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QPalette Warning = CutWarningLabel->palette();
    Warning.setColor(QPalette::WindowText, QColor(190, 0, 0));
    CutWarningLabel->setPalette(Warning);
    connect(ConvertRadioGroup, &TRadioGroup::Clicked, this, [this] { ShowCutWarning(); });
    connect(&Codes, &TCodSource::ShapeChanged, this, [this] { ShowCutWarning(); });
}

void TTextForm::ShowCutWarning() {
    const QString Text = QString::fromStdString(
        codegen::ChipsCutText(ConvertRadioGroup->ItemIndex(), Codes.CodLength()));
    CutWarningLabel->setText(Text);
    CutWarningLabel->setToolTip(Text);
}

void TTextForm::resizeEvent(QResizeEvent* Event) {
    TForm::resizeEvent(Event);
    const int Left = SaveToFileButton->geometry().right() + 8;
    CutWarningLabel->setGeometry(Left, 2, std::max(0, Panel1->width() - Left - 4),
                                 Panel1->height() - 4);
}

void TTextForm::showEvent(QShowEvent* Event) {
    ShowCutWarning();
    TForm::showEvent(Event);
}

TTextForm::~TTextForm() {
    if (TextForm == this)
        TextForm = nullptr;
}

void TTextForm::ConvertBitBtnClick() {
    codegen::TTextLines Lines;
    try {
        codegen::ConvertToText(ConvertRadioGroup->ItemIndex(), CodSet(), HeaderParams(), Lines);
    } catch (...) {
        ShowLines(Lines);
        throw;
    }
    ShowLines(Lines);
}

void TTextForm::SaveToFileButtonClick() {
    const QString Path = AskSavePath(this, *SaveTextDialog);
    if (!Path.isEmpty())
        SaveToFile(Path);
}

void TTextForm::SaveToFile(const QString& Path) {
    const auto Is = [&Path](const char* Suffix) {
        return Path.endsWith(QLatin1String(Suffix), Qt::CaseInsensitive);
    };
    if (!Is(".coe") && !Is(".mem")) {
        QString Text = Memo->toPlainText();
        if (!Text.isEmpty() && !Text.endsWith(u'\n'))
            Text += u'\n';
        WriteFileAtomically(Path, Text.toStdString());
        return;
    }
    // The memory file is written from the set itself; its codes are checked first, so that
    // the window can say in Russian which one is wrong.
    const codegen::TCodSet Set = CodSet();
    if (Set.Cods.empty())
        throw std::runtime_error(
            QStringLiteral("В комплекте нет кодов: файл памяти не записан.").toStdString());
    for (std::size_t Row = 0; Row < Set.Cods.size(); ++Row)
        if (const auto Fault = codegen::CodTextFault(Set.Cods[Row], Set.L, Set.Type))
            throw std::runtime_error(
                QStringLiteral("Код в строке %1 комплекта («%2») не годится для файла памяти: "
                               "%3. Файл не записан.")
                    .arg(Row + 1)
                    .arg(QString::fromStdString(Set.Cods[Row]))
                    .arg(CodTextFaultMessage(*Fault, Set.L, Set.Type))
                    .toStdString());
    codegen::TTextLines Lines;
    codegen::ConvertToMemoryFile(
        Is(".coe") ? codegen::TMemoryFormat::Coe : codegen::TMemoryFormat::Mem, Set, Lines);
    WriteFileAtomically(Path, codegen::FileText(Lines));
}

codegen::TCodSet TTextForm::CodSet() const {
    codegen::TCodSet Set;
    Set.L = Codes.CodLength();
    Set.Type = Codes.CodType();
    const TStringGridModel& List = Codes.SetList();
    Set.Cods.reserve(static_cast<std::size_t>(List.RowCount() - 1));
    for (int Row = 1; Row < List.RowCount(); ++Row)
        Set.Cods.push_back(CodCellText(List.Cells(TStringGrid::CodColumn, Row)));
    return Set;
}

codegen::THeaderParams TTextForm::HeaderParams() const {
    codegen::THeaderParams Header = Codes.HeaderParams();
    Header.DateTime = DateTimeText(QDateTime::currentDateTime()).toStdString();
    return Header;
}

QString TTextForm::DateTimeText(const QDateTime& When) {
    // The export's own format, so the window and codegen-cli date a header alike whatever
    // the system's locale.
    const QDate Day = When.date();
    const QTime Time = When.time();
    std::tm Local{};
    Local.tm_year = Day.year() - 1900;
    Local.tm_mon = Day.month() - 1;
    Local.tm_mday = Day.day();
    Local.tm_hour = Time.hour();
    Local.tm_min = Time.minute();
    Local.tm_sec = Time.second();
    Local.tm_wday = Day.dayOfWeek() % 7;
    Local.tm_yday = Day.dayOfYear() - 1;
    Local.tm_isdst = -1;
    return QString::fromStdString(codegen::DateTimeText(Local));
}

void TTextForm::ShowLines(const codegen::TTextLines& Lines) {
    std::string Text;
    for (std::size_t I = 0; I < Lines.size(); ++I) {
        if (I > 0)
            Text += '\n';
        Text += Lines[I];
    }
    Memo->setPlainText(QString::fromUtf8(Text.data(), static_cast<qsizetype>(Text.size())));
}
