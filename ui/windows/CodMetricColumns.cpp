#include "ui/windows/CodMetricColumns.h"

#include "engine/CodMetrics.h"
#include "engine/TextLines.h"
#include "ui/windows/CodCellText.h"

#include <QStringList>

#include <cmath>
#include <limits>
#include <map>
#include <string>

namespace {

constexpr double None = std::numeric_limits<double>::quiet_NaN();

const QString SortHint =
    QStringLiteral("\nЩелчок по заголовку — сортировка, повторный — исходный порядок.");

} // namespace

TCodMetricColumns::TCodMetricColumns(const TStringGridModel& Grid, TKind Kind,
                                     std::function<codegen::TCodType()> Type)
    : Grid(Grid), Kind(Kind), Type(std::move(Type)), MeasuredType(this->Type()) {}

int TCodMetricColumns::Count() const {
    return Kind == TKind::Set ? WorstPeak + 1 : Zeros + 1;
}

QString TCodMetricColumns::Title(int Col) const {
    static const QStringList Titles{QStringLiteral("PSL"),   QStringLiteral("ISL"),
                                    QStringLiteral("F"),     QStringLiteral("PSR, дБ"),
                                    QStringLiteral("нулей"), QStringLiteral("худший пик")};
    return Titles.value(Col);
}

QString TCodMetricColumns::ToolTip(int Col) const {
    static const QStringList Tips{
        QStringLiteral("PSL — пиковый боковой лепесток: наибольший |C(k)| апериодической "
                       "автокорреляции при k ≠ 0. Чем меньше, тем лучше."),
        QStringLiteral("ISL — интегральный уровень боковых лепестков: сумма C(k)² "
                       "по одной стороне, k = 1…L−1 (половина суммы по всем k ≠ 0). Чем "
                       "меньше, тем лучше."),
        QStringLiteral("F — фактор качества: E² / (2·ISL), где E — энергия кода (число "
                       "ненулевых элементов). Чем больше, тем лучше."),
        QStringLiteral("PSR — отношение главного пика к наибольшему боковому, "
                       "20·lg(E / PSL), дБ; ∞ — боковых лепестков нет. Чем больше, тем лучше."),
        QStringLiteral("Число нулевых элементов кода."),
        QStringLiteral("Наибольший пик взаимной корреляции кода с другими кодами комплекта "
                       "той же длины. Чем меньше, тем лучше.")};
    return Tips.value(Col) + SortHint;
}

QString TCodMetricColumns::Widest(int Col) const {
    static const QStringList Texts{QStringLiteral("000"),   QStringLiteral("0000000"),
                                   QStringLiteral("00.00"), QStringLiteral("00.0"),
                                   QStringLiteral("000"),   QStringLiteral("000")};
    return Texts.value(Col);
}

bool TCodMetricColumns::LargerFirst(int Col) const {
    return Col == MeritFactor || Col == PsrDb;
}

void TCodMetricColumns::CheckType() const {
    const codegen::TCodType Now = Type();
    if (Now == MeasuredType)
        return;
    MeasuredType = Now;
    for (TRow& Row : Rows)
        Row.State = TState::Unknown;
    WorstKnown = false;
}

void TCodMetricColumns::Measure(int First, int Last) const {
    std::vector<codegen::TPackedCod> Cods;
    std::vector<int> Which;
    for (int Row = std::max(First, 0); Row <= Last && Row < static_cast<int>(Rows.size()); ++Row) {
        TRow& R = Rows[static_cast<std::size_t>(Row)];
        if (R.State != TState::Unknown)
            continue;
        R = {};
        R.State = TState::NoCod;
        // Row 0 holds the titles.
        if (Row == 0)
            continue;
        const std::string Text = CodCellText(Grid.Cells(TStringGrid::CodColumn, Row));
        const int L =
            static_cast<int>(std::min<std::size_t>(Text.size(), codegen::MaxCodLength + 1));
        if (L < codegen::MinCodLength || L > codegen::MaxCodLength ||
            codegen::CodTextFault(Text, L, MeasuredType) || codegen::FirstNonAscii(Text))
            continue;
        Cods.push_back(codegen::PackCodText(Text, L, MeasuredType));
        Which.push_back(Row);
    }
    const std::vector<codegen::TCodMetrics> Metrics = codegen::MeasureCods(Cods);
    for (std::size_t I = 0; I < Which.size(); ++I) {
        TRow& R = Rows[static_cast<std::size_t>(Which[I])];
        R.Isl = Metrics[I].Isl;
        R.Psl = static_cast<int16_t>(Metrics[I].Psl);
        R.Energy = static_cast<int16_t>(Metrics[I].Energy);
        R.Zeros = static_cast<int16_t>(Metrics[I].Zeros);
        R.State = TState::Cod;
    }
}

const TCodMetricColumns::TRow& TCodMetricColumns::Measured(int Row) const {
    static const TRow NoRow{0, 0, 0, 0, TState::NoCod};
    CheckType();
    if (Row < 0 || Row >= static_cast<int>(Rows.size()))
        return NoRow;
    if (Rows[static_cast<std::size_t>(Row)].State == TState::Unknown)
        Measure(Row, Row);
    return Rows[static_cast<std::size_t>(Row)];
}

void TCodMetricColumns::FindWorstPeaks() const {
    CheckType();
    if (WorstKnown && Worst.size() == Rows.size())
        return;
    Worst.assign(Rows.size(), -1);
    // Members meet the members of their own length.
    std::map<std::size_t, std::vector<int>> ByLength;
    for (int Row = 1; Row < static_cast<int>(Rows.size()); ++Row)
        if (Measured(Row).State == TState::Cod)
            ByLength[static_cast<std::size_t>(Grid.Cells(TStringGrid::CodColumn, Row).size())]
                .push_back(Row);
    for (const auto& [L, Members] : ByLength) {
        if (Members.size() < 2)
            continue;
        std::vector<codegen::TPackedCod> Cods;
        Cods.reserve(Members.size());
        for (int Row : Members)
            Cods.push_back(
                codegen::PackCodText(CodCellText(Grid.Cells(TStringGrid::CodColumn, Row)),
                                     static_cast<int>(L), MeasuredType));
        const std::vector<int> Peaks = codegen::WorstPartnerPeaks(Cods);
        for (std::size_t I = 0; I < Members.size(); ++I)
            Worst[static_cast<std::size_t>(Members[I])] = Peaks[I];
    }
    WorstKnown = true;
}

double TCodMetricColumns::Value(int Col, int Row) const {
    const TRow& R = Measured(Row);
    if (R.State != TState::Cod)
        return None;
    codegen::TCodMetrics M;
    M.Psl = R.Psl;
    M.Isl = R.Isl;
    M.Energy = R.Energy;
    M.Zeros = R.Zeros;
    switch (Col) {
    case Psl:
        return M.Psl;
    case Isl:
        return static_cast<double>(M.Isl);
    case MeritFactor:
        // A code with chips and no side lobes at all is as good as a code gets.
        if (M.Energy == 0)
            return None;
        return M.Isl > 0 ? M.MeritFactor() : std::numeric_limits<double>::infinity();
    case PsrDb:
        return M.Energy > 0 ? M.PsrDb() : None;
    case Zeros:
        return M.Zeros;
    case WorstPeak:
        if (Kind != TKind::Set)
            return None;
        FindWorstPeaks();
        return Worst[static_cast<std::size_t>(Row)] < 0 ? None
                                                        : Worst[static_cast<std::size_t>(Row)];
    default:
        return None;
    }
}

QString TCodMetricColumns::Text(int Col, int Row) const {
    const double V = Value(Col, Row);
    if (std::isnan(V))
        return {};
    if (std::isinf(V))
        return QStringLiteral("∞");
    if (Col == MeritFactor)
        return QString::number(V, 'f', 2);
    if (Col == PsrDb)
        return QString::number(V, 'f', 1);
    return QString::number(static_cast<qint64>(V));
}

double TCodMetricColumns::SortKey(int Col, int Row) const {
    return Value(Col, Row);
}

void TCodMetricColumns::PrepareSort(int Col) {
    CheckType();
    Measure(0, static_cast<int>(Rows.size()) - 1);
    if (Col == WorstPeak)
        FindWorstPeaks();
}

void TCodMetricColumns::TextsChanged(int First, int Last, int NewRows) {
    CheckType();
    Rows.resize(static_cast<std::size_t>(std::max(NewRows, 0)));
    // Measured when first shown or sorted by: a search handing over a million codes spends
    // nothing on them meanwhile.
    for (int Row = std::max(First, 0); Row <= Last && Row < NewRows; ++Row)
        Rows[static_cast<std::size_t>(Row)].State = TState::Unknown;
    WorstKnown = false;
}
