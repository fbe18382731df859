// Shared pieces of the GUI tests: a TDialogs that records instead of blocking, a real
// mouse click on a grid cell, and a main() that runs a suite under the application object.
#pragma once

#include "ui/app/Application.h"
#include "ui/app/UserSettings.h"
#include "ui/widgets/Dialogs.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/widgets/StringGrid.h"
#include "ui/windows/MainUnit.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QRadioButton>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TRecordingDialogs : public TDialogs {
public:
    QStringList Calls;
    QStringList Errors;

    QString OpenFile(QWidget*, const TFileDialogSettings& Settings) override {
        Calls.append(QStringLiteral("OpenFile ") + Settings.Title);
        return {};
    }
    QString SaveFile(QWidget*, const TFileDialogSettings& Settings) override {
        Calls.append(QStringLiteral("SaveFile ") + Settings.Title);
        return {};
    }
    void Information(const QString& Text) override {
        Calls.append(QStringLiteral("Information ") + Text);
    }
    // No, unless a test sets another answer.
    bool ConfirmAnswer = false;
    bool Confirm(const QString& Text) override {
        Calls.append(QStringLiteral("Confirm ") + Text);
        return ConfirmAnswer;
    }
    void Error(const QString& Text) override {
        Calls.append(QStringLiteral("Error ") + Text);
        Errors.append(Text);
    }
    void Beep() override { Calls.append(QStringLiteral("Beep")); }
    // Cancel, unless a test sets another answer; answers queued in Choices come first, one a
    // question.
    int Choice = -1;
    QList<int> Choices;
    int Choose(const QString& Text, const QStringList& Offered) override {
        Calls.append(QStringLiteral("Choose ") + Text + u' ' + Offered.join(u'/'));
        return Choices.isEmpty() ? Choice : Choices.takeFirst();
    }
};

// File dialogs that answer with prepared paths, questions as TRecordingDialogs does.
class TPathDialogs : public TRecordingDialogs {
public:
    QString OpenPath;
    QString SavePath;
    QString OpenFile(QWidget* Parent, const TFileDialogSettings& Settings) override {
        TRecordingDialogs::OpenFile(Parent, Settings);
        return OpenPath;
    }
    QString SaveFile(QWidget* Parent, const TFileDialogSettings& Settings) override {
        TRecordingDialogs::SaveFile(Parent, Settings);
        return SavePath;
    }
};

// The main window of the windows a test opened last (the jobs' waits below watch it).
inline TMainForm* SessionMainForm = nullptr;

// What every window test starts from: the recording dialogs installed once, then for each
// test fresh windows with the main one shown and an empty record.
template <class TFake = TRecordingDialogs> class TWindowsSession {
protected:
    std::unique_ptr<TApplicationWindows> Windows;
    // The main window of the windows open now, as the application object gives it (static,
    // so that the suites' static helpers and lambdas reach it too).
    static inline TMainForm* MainForm = nullptr;
    TFake* Recorded = nullptr;

    void InstallDialogs() {
        auto Fake = std::make_unique<TFake>();
        Recorded = Fake.get();
        SetDialogs(std::move(Fake));
    }
    bool OpenWindows() {
        // Each test starts as a user new to the program: no dialog choices remembered.
        UserSettings().remove(QLatin1String(ChoicesGroup));
        Windows = std::make_unique<TApplicationWindows>();
        MainForm = SessionMainForm = Windows->Main();
        MainForm->show();
        Recorded->Calls.clear();
        Recorded->Errors.clear();
        return QTest::qWaitForWindowExposed(MainForm);
    }
    // The texts of the good-code list, in its order.
    static QStringList Cods() {
        QStringList Texts;
        for (int R = 1; R < MainForm->CodStringGrid->RowCount(); ++R)
            Texts << MainForm->CodStringGrid->Cells(1, R);
        return Texts;
    }
    // Runs Act once, when Signal of Sender first comes; the connection, for dropping it when
    // the signal never came.
    template <class TSender, class TSignal>
    static QMetaObject::Connection OnFirst(TSender* Sender, TSignal Signal,
                                           std::function<void()> Act) {
        return QObject::connect(Sender, Signal, MainForm, std::move(Act), Qt::SingleShotConnection);
    }
};

// Every binary code of L chips, in counting order: a long list for runs of many batches.
inline std::vector<std::string> EveryBinaryCod(int L) {
    std::vector<std::string> Cods;
    for (int V = 0; V < (1 << L); ++V) {
        std::string Text;
        for (int B = L - 1; B >= 0; --B)
            Text += (V >> B) & 1 ? '1' : '0';
        Cods.push_back(Text);
    }
    return Cods;
}

// The window's click handlers only start their jobs: this handles events until Done() holds or
// no job of the main window runs any more. The bound is a safety net far beyond any run of
// the tests (reaching it fails the test), never what ends the wait.
inline bool WaitForJob(const std::function<bool()>& Done = {}) {
    const QDeadlineTimer Safety(std::chrono::minutes(5));
    while (SessionMainForm->JobRunning() && !(Done && Done())) {
        if (Safety.hasExpired())
            return false;
        // A running job always has its timer pending, so this never waits long.
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Clicks the button and waits for the job it started to end.
#define CLICK_AND_WAIT(Button)                                                                     \
    do {                                                                                           \
        QTest::mouseClick(Button, Qt::LeftButton);                                                 \
        QVERIFY2(WaitForJob(), "the job did not end");                                             \
    } while (false)

// Waits until the label shows something else than it does now (the job's progress), or the
// job has ended.
inline bool WaitForChange(const QLabel* Label) {
    const QString Before = Label->text();
    return WaitForJob([&] { return Label->text() != Before; });
}

inline void ClickCell(TStringGrid* Grid, int ACol, int ARow,
                      Qt::KeyboardModifiers Modifiers = Qt::NoModifier,
                      Qt::MouseButton Button = Qt::LeftButton) {
    const QModelIndex Cell = Grid->model()->index(ARow, ACol);
    Grid->scrollTo(Cell);
    QTest::mouseClick(Grid->viewport(), Button, Modifiers, Grid->visualRect(Cell).center());
}

// On the item's mark: a radio button takes clicks on its mark and text only.
inline void ClickItem(TRadioGroup* Group, int Item) {
    QRadioButton* Button = Group->Button(Item);
    QTest::mouseClick(Button, Qt::LeftButton, Qt::NoModifier, QPoint(6, Button->height() / 2));
}

#define UI_TEST_MAIN(TestClass)                                                                    \
    int main(int Argc, char** Argv) {                                                              \
        qputenv("QT_QPA_PLATFORM", "offscreen");                                                   \
        TApplication App(Argc, Argv);                                                              \
        /* The user's settings (recent projects) go to a folder of the run's own. */               \
        QTemporaryDir SettingsDir;                                                                 \
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, SettingsDir.path());        \
        TestClass Test;                                                                            \
        return QTest::qExec(&Test, Argc, Argv);                                                    \
    }
