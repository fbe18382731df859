// The figures of the filter window, each with its definition as a tooltip: PSL, ISL and loss
// of the filter, of its integer taps and of the matched filter in aligned columns, then the
// Doppler tolerance and the worst the filter does under Doppler.
#pragma once

#include "engine/RussianPlural.h"
#include "receiver/ReceiverAnalysis.h"

#include <QString>
#include <QWidget>

#include <vector>

class QLabel;

// "39 отводов", "21 отвод", "2 бита": a count and its noun in the form Russian wants after it.
inline QString CountText(qint64 Count, const char* One, const char* Few, const char* Many) {
    return QString::number(Count) + u' ' +
           QString::fromStdString(codegen::RussianPlural(Count, One, Few, Many));
}
inline QString TapsText(qint64 Count) {
    return CountText(Count, "отвод", "отвода", "отводов");
}

class TReceiverFigures : public QWidget {
    Q_OBJECT

public:
    explicit TReceiverFigures(QWidget* Parent = nullptr);

    // The figures of A, which names its filter by Caption.
    void Show(const codegen::TReceiverAnalysis& A, const QString& Caption);
    void Clear();
    // A figure or its caption no longer matches the controls: greyed until shown anew.
    void SetStale(bool Stale);

    // The figures as text, a line per row: "<caption> <figure>, <figure>, ...".
    QString Text() const;
    // Each row's caption and figures, as shown (empty labels are hidden).
    std::vector<std::vector<QLabel*>> Rows;

private:
    void SetRow(int Row, const QStringList& Texts);
};
