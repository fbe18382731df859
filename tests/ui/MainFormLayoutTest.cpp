// The main window's controls where its design puts them: name, class, parent, bounds, caption,
// first value and tool tip of every control, the order of its components and its tab order,
// against a list taken from the window as designed. A control moved, renamed, reparented or
// lost in the layout table shows here by name.
#include "UiTestSupport.h"

#include "project/MainFormTable.h"
#include "ui/widgets/FittedLabel.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/widgets/TextBuffer.h"
#include "ui/windows/MainFormLayout.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>

namespace {

// One line a control: name | class | parent | x y w h | caption | value | tool tip, in creation
// order. A bound that follows the installed font is "*": a label sized to its text keeps only
// its top, a fitted label and the search mode panel their design's other bounds.
constexpr const char* Golden = R"(Panel1 | QFrame | MainForm | 0 0 762 33 |  |  | 
OpenFileSpeedButton | QToolButton | Panel1 | 16 6 23 22 |  |  | Загрузить проект
SaveFileSpeedButton | QToolButton | Panel1 | 48 6 23 22 |  |  | Сохранить проект
ExitSpeedButton | QToolButton | Panel1 | 96 6 65 22 | Выход |  | 
LoadFromTxtBitBtn | QPushButton | Panel1 | 320 8 161 25 | Загрузить из *.txt файла |  | 
BitBtn1 | QPushButton | Panel1 | 560 8 161 25 | Загрузить из *.txt файла |  | 
FamiliesBitBtn | QPushButton | Panel1 | 484 8 73 25 | Семейства |  | Семейства кодов: М-последовательности, коды Голда, Касами, Лежандра, Баркера
BestSearchPanel | TBestSearchPanel | Panel1 | 166 6 * 22 |  |  | 
WindowsButton | QToolButton | Panel1 | 73 6 21 22 | ▤ |  | Окна: вывести открытое окно на передний план
GroupBox1 | QGroupBox | MainForm | 0 33 233 72 | Основные параметры кода |  | 
Label1 | QLabel | GroupBox1 | * 24 * * | Длина кода (бит) |  | 
CodLengthPBSpinEdit | TPBSpinEdit | GroupBox1 | 136 40 81 22 |  | 2..500 = 10 | 
VariantRadioGroup | TRadioGroup | GroupBox1 | 8 16 113 49 | Тип кода: +1, -1       (1,0) / +1, 0, -1   (1,0,2) | 0 | 
GroupBox2 | QGroupBox | MainForm | 0 104 233 161 | Поиск хороших кодов |  | 
Label3 | QLabel | GroupBox2 | * 16 * * | Боковые выбросы не более |  | 
MaxCorrSidePBSpinEdit | TPBSpinEdit | GroupBox2 | 160 16 57 22 |  | 0..500 = 2 | 
ZeroCountPBSpinEdit | TPBSpinEdit | GroupBox2 | 152 48 65 22 |  | 0..500 = 2 | 
ZRadioGroup | TRadioGroup | GroupBox2 | 8 32 129 57 | Количество нулей: не более / равно | 0 | 
SerchCodsBitBtn | QPushButton | GroupBox2 | 16 96 113 25 | Искать коды |  | 
BreakSerchBitBtn | QPushButton | GroupBox2 | 144 96 75 25 | Прервать |  | 
ContinueBitBtn | QPushButton | GroupBox2 | 144 128 75 25 | Продолжить |  | 
CodLabel | TFittedLabel | GroupBox2 | 8 128 134 * | Строка текущего кода |  | 
Label5 | TFittedLabel | GroupBox2 | 8 144 134 * | Найдено |  | 
DistinctCheckBox | QCheckBox | GroupBox2 | 136 71 95 25 | только\nразличные | 0 | Из кодов, получаемых друг из друга инверсией, обращением или инверсией каждого второго элемента, искать только первый по порядку перебора
RecordCheckBox | QCheckBox | GroupBox2 | 144 0 85 16 | рекорд: 2 | 1 | Наименьший известный боковой выброс двоичного кода из 10 символов (меньшего не бывает). Отмечено: поиск лучших ищет коды до рекорда; без отметки — до предела выбросов
GroupBox3 | QGroupBox | MainForm | 232 33 265 672 | Хорошие коды |  | 
CodStringGrid | TStringGrid | GroupBox3 | 16 16 233 617 |  | 2 x 1 | 
AutoCorrBitBtn | QPushButton | GroupBox3 | 16 640 233 25 | Показать авто-корр. характеристику |  | 
TxtMemo | TTextBuffer | GroupBox3 | 32 192 841 89 | TxtMemo | hidden | 
GroupBox4 | QGroupBox | MainForm | 0 400 233 305 | Поиск комплекта не корр-щих кодов |  | 
Label2 | QLabel | GroupBox4 | 16 18 130 28 | выбросы взаимной корр. х-ки не более | wrapped | 
MaxNoCorrPBSpinEdit | TPBSpinEdit | GroupBox4 | 152 20 65 22 |  | 0..500 = 2 | Верхняя граница пиков взаимной корреляции: в комплект входят коды, у которых пик |R(k)| с каждым другим кодом комплекта при любом сдвиге k не больше этого числа
PairCheckBox | QCheckBox | GroupBox4 | 8 285 97 17 | Стоп по циклу | 0 | Остановить поиск после первого прохода, который собрал комплект больше чем из одного кода
RadioGroup1 | TRadioGroup | GroupBox4 | 8 44 217 118 | способ: по всем / от последнего / цикл с послед. / цикл 2 назад / полный поиск / наибольший комплект | 0 | 
SerchNoCorrCodsBitBtn | QPushButton | GroupBox4 | 16 164 113 25 | Искать |  | 
BreakNoCorrCodsBitBtn | QPushButton | GroupBox4 | 144 164 75 25 | Прервать |  | 
ContinueNoCorrCodsBitBtn | QPushButton | GroupBox4 | 144 192 75 25 | Продолжить |  | 
Mess1Label | TFittedLabel | GroupBox4 | 8 192 134 13 |  |  | Start:= — строка списка хороших кодов, с которой начат текущий проход
Mess2Label | TFittedLabel | GroupBox4 | 8 208 134 13 |  |  | Deal:= — строка списка хороших кодов, которая проверяется сейчас
Mess3Label | TFittedLabel | GroupBox4 | 8 224 217 13 |  |  | Сколько кодов собрал последний проход
Mess4Label | TFittedLabel | GroupBox4 | 8 240 217 13 |  |  | Наибольший комплект поисков и строка, с которой он начат; «Загрузить наилучший комплект кодов» восстанавливает его в списке комплекта
LoadBestResultBitBtn | QPushButton | GroupBox4 | 8 258 217 25 | Загрузить наилучший  комплект кодов |  | 
GroupBox5 | QGroupBox | MainForm | 496 33 265 672 | Комплект не коррелирующих кодов |  | 
NoCorrCodsStringGrid | TStringGrid | GroupBox5 | 8 16 249 585 |  | 2 x 1 | 
TextBitBtn | QPushButton | GroupBox5 | 8 608 137 25 | Преобразовать в тект |  | 
CrossCorrBitBtn | QPushButton | GroupBox5 | 8 640 249 25 | Показать взаимную корр. характеристику |  | 
ClearSetButton | QPushButton | GroupBox5 | 152 608 105 25 | Очистить |  | Удалить из комплекта все коды
GroupBox6 | QGroupBox | MainForm | 0 264 233 137 | Селекция кодов |  | 
Label4 | QLabel | GroupBox6 | * 16 * * | Корреляция не менее  |  | 
SelectPBSpinEdit | TPBSpinEdit | GroupBox6 | 136 8 81 22 |  | 0..500 = 2 | 
Label8 | QLabel | GroupBox6 | * 40 * * | Кол-во не менее |  | 
SelectBitBtn | QPushButton | GroupBox6 | 8 56 89 25 | Селектировать |  | 
SelectLabel | TFittedLabel | GroupBox6 | 8 80 126 * |  |  | 
SelectStringGrid | TStringGrid | GroupBox6 | 136 64 97 65 |  | 2 x 5 | 
SelCountPBSpinEdit | TPBSpinEdit | GroupBox6 | 136 32 81 22 |  | 0..500 = 1 | 
LoadSelectionsBitBtn | QPushButton | GroupBox6 | 8 96 73 25 | Загрузить |  | 
CodPopupMenu | QMenu | MainForm | * * * * |  | hidden | 
StatusLabel | QLabel | MainForm | 0 709 762 20 |  |  | )";

// The controls of the window and of its top bar and group boxes, in creation order.
QList<QWidget*> Controls(QWidget* Form) {
    QList<QWidget*> Found;
    for (auto* Child : Form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (Child->isWindow() && !qobject_cast<QMenu*>(Child))
            continue;
        Found << Child;
        if (Child->metaObject() == &QFrame::staticMetaObject ||
            Child->metaObject() == &QGroupBox::staticMetaObject)
            Found << Child->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    }
    return Found;
}

QString Caption(QWidget* Control) {
    QString Text;
    if (auto* Radio = qobject_cast<TRadioGroup*>(Control))
        Text = Radio->title() + QStringLiteral(": ") + Radio->Items().join(QStringLiteral(" / "));
    else if (auto* Group = qobject_cast<QGroupBox*>(Control))
        Text = Group->title();
    else if (auto* Label = qobject_cast<QLabel*>(Control))
        Text = Label->text();
    else if (auto* Button = qobject_cast<QAbstractButton*>(Control))
        Text = Button->text();
    else if (auto* Buffer = qobject_cast<TTextBuffer*>(Control))
        Text = Buffer->toPlainText();
    return Text.replace(u'\n', QStringLiteral("\\n"));
}

// What a new window shows in it, and how it is shown when that is not plain.
QString Value(QWidget* Control) {
    if (Control->isHidden())
        return QStringLiteral("hidden");
    if (auto* Spin = qobject_cast<TPBSpinEdit*>(Control))
        return QStringLiteral("%1..%2 = %3")
            .arg(Spin->MinValue())
            .arg(Spin->MaxValue())
            .arg(Spin->Value());
    if (auto* Radio = qobject_cast<TRadioGroup*>(Control))
        return QString::number(Radio->ItemIndex());
    if (auto* Check = qobject_cast<QCheckBox*>(Control))
        return QString::number(Check->isChecked());
    if (auto* Grid = qobject_cast<TStringGrid*>(Control))
        return QStringLiteral("%1 x %2").arg(Grid->ColCount()).arg(Grid->RowCount());
    if (auto* Label = qobject_cast<QLabel*>(Control); Label && Label->wordWrap())
        return QStringLiteral("wrapped");
    return {};
}

QString Line(QWidget* Control) {
    const QRect R = Control->geometry();
    return QStringList{
        Control->objectName(),
        QString::fromLatin1(Control->metaObject()->className()),
        Control->parentWidget()->objectName(),
        QStringLiteral("%1 %2 %3 %4").arg(R.x()).arg(R.y()).arg(R.width()).arg(R.height()),
        Caption(Control),
        Value(Control),
        Control->toolTip()}
        .join(QStringLiteral(" | "));
}

// Line matches Expected, where a "*" of its bounds matches any number.
bool Matches(const QString& Line, const QString& Expected) {
    const QStringList Got = Line.split(QStringLiteral(" | "));
    const QStringList Want = Expected.split(QStringLiteral(" | "));
    if (Got.size() != Want.size())
        return false;
    for (qsizetype F = 0; F < Want.size(); ++F) {
        if (F != 3) {
            if (Got[F] != Want[F])
                return false;
            continue;
        }
        const QStringList GotBounds = Got[F].split(u' ');
        const QStringList WantBounds = Want[F].split(u' ');
        for (qsizetype B = 0; B < WantBounds.size(); ++B)
            if (WantBounds[B] != QStringLiteral("*") && WantBounds[B] != GotBounds.value(B))
                return false;
    }
    return true;
}

} // namespace

class TMainFormLayoutTest : public QObject, public TWindowsSession<> {
    Q_OBJECT

private slots:
    void initTestCase() { InstallDialogs(); }
    void init() { QVERIFY(OpenWindows()); }
    void cleanup() { Windows.reset(); }

    // A control lost, added, renamed, moved or recaptioned shows as the first line that differs.
    void controlsAreWhereTheDesignPutsThem() {
        const QStringList Expected = QString::fromUtf8(Golden).split(u'\n');
        QStringList Got;
        for (QWidget* Control : Controls(MainForm))
            Got << Line(Control);
        for (qsizetype I = 0; I < std::max(Got.size(), Expected.size()); ++I)
            if (!Matches(Got.value(I), Expected.value(I)))
                QFAIL(qPrintable(QStringLiteral("control %1:\n got      %2\n expected %3")
                                     .arg(I)
                                     .arg(Got.value(I), Expected.value(I))));
    }

    // A label sized to its text, however wide the font makes it, stays within its box, as
    // does every control shown.
    void shownControlsStayInsideTheirBoxes() {
        for (QWidget* Control : Controls(MainForm))
            if (!Control->isHidden() && !Control->isWindow())
                QVERIFY2(
                    QRect(QPoint(), Control->parentWidget()->size()).contains(Control->geometry()),
                    qPrintable(Control->objectName()));
    }

    // The project file stores the components in this order after its own table's controls.
    void componentsKeepTheirOrder() {
        QStringList Names;
        for (QObject* Component : MainForm->Components())
            Names << Component->objectName();
        QCOMPARE(Names,
                 QStringLiteral(
                     "Panel1 OpenFileSpeedButton SaveFileSpeedButton ExitSpeedButton "
                     "LoadFromTxtBitBtn BitBtn1 GroupBox1 Label1 CodLengthPBSpinEdit "
                     "VariantRadioGroup GroupBox2 Label3 MaxCorrSidePBSpinEdit ZeroCountPBSpinEdit "
                     "ZRadioGroup SerchCodsBitBtn BreakSerchBitBtn ContinueBitBtn CodLabel Label5 "
                     "GroupBox3 CodStringGrid AutoCorrBitBtn TxtMemo GroupBox4 Label2 "
                     "MaxNoCorrPBSpinEdit PairCheckBox RadioGroup1 SerchNoCorrCodsBitBtn "
                     "BreakNoCorrCodsBitBtn ContinueNoCorrCodsBitBtn Mess1Label Mess2Label "
                     "Mess3Label Mess4Label LoadBestResultBitBtn GroupBox5 NoCorrCodsStringGrid "
                     "TextBitBtn CrossCorrBitBtn GroupBox6 Label4 SelectPBSpinEdit Label8 "
                     "SelectBitBtn SelectLabel SelectStringGrid SelCountPBSpinEdit "
                     "LoadSelectionsBitBtn OpenDialog SaveDialog TxtOpenDialog CodPopupMenu N1 N2 "
                     "StatusLabel")
                     .split(u' '));
    }

    void dialogSettingsAreTheDesigns() {
        QStringList Got;
        for (const QString Name : {"OpenDialog", "SaveDialog", "TxtOpenDialog"}) {
            const auto* Settings =
                qobject_cast<TFileDialogSettings*>(MainForm->FindComponent(Name));
            QVERIFY2(Settings, qPrintable(Name));
            Got << QStringList{Name, Settings->Title, Settings->DefaultExt, Settings->FileName,
                               Settings->Filter}
                       .join(QStringLiteral(" | "));
        }
        QCOMPARE(Got,
                 (QStringList{"OpenDialog | Загрузить проект из файла | *.cod | NoName.cod | "
                              "*.cod|*.cod|*.*|*.*",
                              "SaveDialog | Сохранить проект в файл | *.cod | NoName.cod | "
                              "*.cod|*.cod|*.*|*.*",
                              "TxtOpenDialog | Загрузить проект из файла | *.txt | NoName.txt | "
                              "*.txt|*.txt|*.*|*.*"}));
    }

    // Tab goes through the controls in creation order, not in the order of the boxes.
    void tabOrderIsTheDesigns() {
        QStringList Chain;
        QWidget* Widget = MainForm;
        do {
            if ((Widget->focusPolicy() & Qt::TabFocus) && !Widget->objectName().isEmpty() &&
                !Widget->objectName().startsWith(QStringLiteral("qt_")))
                Chain << Widget->objectName();
            Widget = Widget->nextInFocusChain();
        } while (Widget && Widget != MainForm);
        QCOMPARE(Chain,
                 QStringLiteral(
                     "OpenFileSpeedButton SaveFileSpeedButton WindowsButton ExitSpeedButton "
                     "LoadFromTxtBitBtn BitBtn1 FamiliesBitBtn ModeComboBox SecondsSpinBox "
                     "CodLengthPBSpinEdit "
                     "MaxCorrSidePBSpinEdit ZeroCountPBSpinEdit SerchCodsBitBtn BreakSerchBitBtn "
                     "ContinueBitBtn DistinctCheckBox RecordCheckBox CodStringGrid AutoCorrBitBtn "
                     "MaxNoCorrPBSpinEdit PairCheckBox SerchNoCorrCodsBitBtn "
                     "BreakNoCorrCodsBitBtn ContinueNoCorrCodsBitBtn LoadBestResultBitBtn "
                     "NoCorrCodsStringGrid TextBitBtn CrossCorrBitBtn SelectPBSpinEdit "
                     "SelectBitBtn SelectStringGrid SelCountPBSpinEdit LoadSelectionsBitBtn "
                     "ClearSetButton")
                     .split(u' '));
    }

    // The layout's stored controls are the project table's, in its order, and each row that
    // takes a value from it finds its row there.
    void layoutHoldsTheProjectTablesControls() {
        using K = TMainFormControl::TKind;
        QStringList Stored;
        for (const TMainFormControl& Row : MainFormLayout()) {
            const bool Valued = Row.Kind == K::SpinEdit || Row.Kind == K::RadioGroup ||
                                Row.Kind == K::Grid || Row.Kind == K::CheckBox;
            if (Valued && Row.Component)
                Stored << QString::fromLatin1(Row.Name);
            if (Valued && Row.Kind != K::CheckBox)
                QVERIFY2(codegen::StoredControl(Row.Name), Row.Name);
        }
        QStringList Table;
        for (const codegen::TStoredControl& Control : codegen::MainFormControls)
            Table << QString::fromLatin1(Control.Name.data(), Control.Name.size());
        QCOMPARE(Stored, Table);
    }
};

UI_TEST_MAIN(TMainFormLayoutTest)
#include "MainFormLayoutTest.moc"
