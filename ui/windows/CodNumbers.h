// How the windows name a listed code: by the number its list shows for it (the "Номер"
// column), so that the grids, the matrix and the charts call one code by one number.
#pragma once

#include "ui/widgets/StringGrid.h"

#include <QString>

// The number Row of List shows, or "(Row)" when it shows none (a code pasted into the set
// that the good list does not hold).
inline QString ListedCodName(const TStringGridModel& List, int Row) {
    const QString Number = List.Cells(0, Row).trimmed();
    return Number.isEmpty() ? QStringLiteral("(%1)").arg(Row) : Number;
}

// "Код 3: text", with the row where the number is another ("Код 3 (строка 1): text"): the
// chart labels name rows, the titles the codes.
inline QString ListedCodLine(const TStringGridModel& List, int Row, const QString& Text) {
    const QString Name = ListedCodName(List, Row);
    const bool OtherRow = Name != QString::number(Row) && !Name.startsWith(u'(');
    return QStringLiteral("Код %1%2: %3")
        .arg(Name, OtherRow ? QStringLiteral(" (строка %1)").arg(Row) : QString(), Text);
}
