// The auto-correlation window: the chart of the good code selected last, built on the chart
// window it shares with the cross-correlation window.
#pragma once

#include "ui/windows/CorrelationChartForm.h"

#include <QString>

#include <optional>
#include <string>

class TAutoCorrForm : public TCorrelationChartForm {
    Q_OBJECT

public:
    explicit TAutoCorrForm(TCodSource& Source);
    ~TAutoCorrForm() override;

    // Redraws for the good-code row selected (AutoCorrNumCod), shown or not; clears the
    // chart when it names no code row.
    void LoadGraphics();
    void CalculateAnDDrawBitBtnClick();
    // Draws a code of another list (the selection's), labelled with its number.
    void DrawCod(const QString& Text, const QString& Number);
    void DrawCod(const std::string& Text, const QString& Number);

protected:
    void Follow() override;

private:
    void ShowNamed(bool Always);
    TSource RowSource(const std::string& Text, const QString& Number) const;
    // The good-code row named now, when it is one.
    std::optional<TSource> NamedSource() const;
    // The chart shows a row of the good-code list (not a code of the selection).
    bool FromList = false;
};

extern TAutoCorrForm* AutoCorrForm;
