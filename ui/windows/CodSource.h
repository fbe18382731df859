// What the chart, text and matrix windows show, as the window that owns the code lists gives
// it to them: the two lists (the grids' models), the code length and type, the two
// correlation limits, the rows selected last and the text header. The windows read it when
// they draw and follow its signals; none of them knows the main window.
#pragma once

#include "engine/Cod.h"
#include "export/TextExport.h"

#include <QObject>

class TStringGridModel;

class TCodSource : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // The good-code list and the set, row 0 the title row.
    virtual const TStringGridModel& GoodList() const = 0;
    virtual const TStringGridModel& SetList() const = 0;
    // The shape every code of both lists is read under.
    virtual int CodLength() const = 0;
    virtual codegen::TCodType CodType() const = 0;
    // The side-lobe limit of the good codes and the cross-correlation limit of the set.
    virtual int SideLobeLimit() const = 0;
    virtual int CrossLimit() const = 0;
    // The good-code row selected last, and the set rows selected last (A) and before (B);
    // 0 for none, and possibly a row that no longer exists.
    virtual int GoodRow() const = 0;
    virtual int SetRowA() const = 0;
    virtual int SetRowB() const = 0;
    // Makes A and B the set rows selected, as two clicks on the set would.
    virtual void SelectSetRows(int A, int B) = 0;
    // The text export's header as it stands now, without its date.
    virtual codegen::THeaderParams HeaderParams() const = 0;

signals:
    // The length or the type changed.
    void ShapeChanged();
    void LimitsChanged();
    // A row was selected (the same row again too): its chart is drawn anew.
    void GoodRowSelected();
    void SetRowsSelected();
};
