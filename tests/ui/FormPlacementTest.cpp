// Where the windows open: wholly on the screen, whatever bounds a project from another
// monitor holds and wherever a window was when it was last hidden.
#include "UiTestSupport.h"

#include "ui/app/SaveLoadPrjUnit.h"
#include "ui/widgets/Form.h"
#include "ui/windows/CodToTextUnit.h"
#include "ui/windows/CrossCorrUnit.h"
#include "ui/windows/DrawAutoCorrelationUnit.h"
#include "ui/windows/MainUnit.h"

#include <QFile>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>

namespace {

QByteArray ReadAll(const QString& Path) {
    QFile File(Path);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

bool WriteAll(const QString& Path, const QByteArray& Bytes) {
    QFile File(Path);
    return File.open(QIODevice::WriteOnly) && File.write(Bytes) == Bytes.size();
}

// The project with Section's bounds and visibility replaced.
QByteArray WithBounds(QByteArray Project, const QByteArray& Section, const QRect& Bounds) {
    const qsizetype Start = Project.indexOf("[" + Section + "]\r\n");
    if (Start < 0)
        return {};
    qsizetype End = Project.indexOf("\r\n[", Start + 1);
    if (End < 0)
        End = Project.size();
    QList<QByteArray> Lines = Project.mid(Start, End - Start).split('\n');
    const auto Value = [&](const char* Key) -> QByteArray {
        const QByteArray K(Key);
        if (K == "Top")
            return QByteArray::number(Bounds.top());
        if (K == "Left")
            return QByteArray::number(Bounds.left());
        if (K == "Width")
            return QByteArray::number(Bounds.width());
        if (K == "Height")
            return QByteArray::number(Bounds.height());
        return "1";
    };
    for (QByteArray& Line : Lines)
        for (const char* Key : {"Top", "Left", "Width", "Height", "Wisible"})
            if (Line.startsWith(QByteArray(Key) + '='))
                Line = QByteArray(Key) + '=' + Value(Key) + '\r';
    Project.replace(Start, End - Start, Lines.join('\n'));
    return Project;
}

bool WhollyOnAScreen(const QWidget* W) {
    for (const QScreen* Screen : QGuiApplication::screens())
        if (Screen->availableGeometry().contains(W->frameGeometry()))
            return true;
    return false;
}

QString Where(const QWidget* W) {
    const QRect R = W->frameGeometry();
    return QStringLiteral("%1 at %2,%3 %4x%5")
        .arg(W->objectName())
        .arg(R.x())
        .arg(R.y())
        .arg(R.width())
        .arg(R.height());
}

} // namespace

class TFormPlacementTest : public QObject, public TWindowsSession<> {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> Dir;

    static TForm* Form(const QString& Name) {
        for (TForm* F : ApplicationForms())
            if (F->objectName() == Name)
                return F;
        return nullptr;
    }

private slots:
    void initTestCase() { InstallDialogs(); }
    void init() {
        QVERIFY(OpenWindows());
        Dir = std::make_unique<QTemporaryDir>();
        QVERIFY(Dir->isValid());
    }
    void cleanup() { Windows.reset(); }

    // A project saved on a larger monitor, or by hand: the window opens wholly on the screen
    // (shrunk where it is larger), and the project keeps the bounds it holds when saved again.
    void projectBoundsOffTheScreenOpenWhollyOnIt_data() {
        QTest::addColumn<QString>("Section");
        QTest::addColumn<QRect>("Bounds");
        const QList<std::pair<const char*, QRect>> Bounds = {
            {"far right below", QRect(5000, 4000, 475, 480)},
            {"far off and too large", QRect(5000, 4000, 3000, 2500)},
            {"above left", QRect(-3000, -2000, 400, 300)},
            {"across the corner", QRect(700, 700, 475, 480)},
            {"too large at the origin", QRect(0, 0, 2600, 1900)},
        };
        for (const char* Section : {"MainForm", "AutoCorrForm", "CrossCorrForm", "TextForm"})
            for (const auto& [Tag, B] : Bounds)
                QTest::newRow(QByteArray(Section) + ' ' + Tag) << QString::fromLatin1(Section) << B;
    }
    void projectBoundsOffTheScreenOpenWhollyOnIt() {
        QFETCH(QString, Section);
        QFETCH(QRect, Bounds);
        const QString Path = Dir->filePath(QStringLiteral("p.cod"));
        SaveAllFormDataToFile(MainForm->ProjectWindows(), Path);
        const QByteArray Project = WithBounds(ReadAll(Path), Section.toLatin1(), Bounds);
        QVERIFY(!Project.isEmpty());
        QVERIFY(WriteAll(Path, Project));

        QVERIFY(LoadAllFormDataFromFile(MainForm->ProjectWindows(), Path));
        TForm* W = Form(Section);
        QVERIFY(W && W->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(W));
        QVERIFY2(WhollyOnAScreen(W), qPrintable(Where(W)));
        // Never shrunk below what its controls need.
        QVERIFY(W->width() >= W->minimumWidth() && W->height() >= W->minimumHeight());

        // Saved again, the project holds its own bounds, not the screen's.
        QCOMPARE(W->OuterBounds(), Bounds);
        const QString Again = Dir->filePath(QStringLiteral("again.cod"));
        SaveAllFormDataToFile(MainForm->ProjectWindows(), Again);
        QCOMPARE(ReadAll(Again), Project);
    }

    // A window left off the screen (moved to a monitor since unplugged) or larger than it
    // comes back wholly on the screen when it is shown again.
    void windowsShownAgainComeBackOnTheScreen_data() {
        QTest::addColumn<QString>("Button");
        QTest::addColumn<QString>("Section");
        QTest::addColumn<QRect>("Left");
        QTest::newRow("auto far off") << "AutoCorrBitBtn"
                                      << "AutoCorrForm" << QRect(5000, 4000, 475, 480);
        QTest::newRow("cross too large") << "CrossCorrBitBtn"
                                         << "CrossCorrForm" << QRect(-200, -100, 3000, 2500);
        QTest::newRow("text above") << "TextBitBtn"
                                    << "TextForm" << QRect(100, -900, 400, 551);
    }
    void windowsShownAgainComeBackOnTheScreen() {
        QFETCH(QString, Button);
        QFETCH(QString, Section);
        QFETCH(QRect, Left);
        TForm* W = Form(Section);
        auto* Show = MainForm->findChild<QPushButton*>(Button);
        QVERIFY(W && Show);
        QTest::mouseClick(Show, Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowExposed(W));
        QVERIFY2(WhollyOnAScreen(W), qPrintable(Where(W)));

        W->setGeometry(Left);
        W->hide();
        QTest::mouseClick(Show, Qt::LeftButton);
        QVERIFY(W->isVisible());
        QVERIFY2(WhollyOnAScreen(W), qPrintable(Where(W)));
        // A window that was on the screen stays where it was.
        const QRect Screen = W->screen()->availableGeometry();
        const QRect Inside(Screen.topLeft() + QPoint(20, 10), W->minimumSize());
        W->setGeometry(Inside);
        W->hide();
        W->show();
        QCOMPARE(W->geometry(), Inside);
    }
};

UI_TEST_MAIN(TFormPlacementTest)
#include "FormPlacementTest.moc"
