// The one place where the window words numbers of long work: counts and rates in plain
// Russian units ("230 млн кодов/с"), time left ("осталось 2 ч 15 мин"), and the status lines
// of the two code searches built from them.
#pragma once

#include <QString>

namespace codegen {
struct TSearchProgress;
class TCodCounts;
} // namespace codegen

// "950", "12.5 тыс.", "230 млн", "2.35 млрд", "41 трлн": three significant digits at most.
QString CountText(double Count);
// "230 млн кодов/с" for Rate 2.3e8 and Unit "кодов".
QString RateText(double Rate, const QString& Unit);
// "42 с", "5 мин 7 с", "2 ч 15 мин", "3 сут 4 ч", "12 лет"; empty beyond a human lifetime
// or while unknown (negative).
QString DurationText(double Seconds);
// "осталось 2 ч 15 мин"; "время оценивается" while unknown; "не закончится за время жизни"
// beyond a human lifetime.
QString TimeLeftText(double Seconds);
// The exhaustive search's status line: the fraction of the whole counting order examined,
// the rate and the time left; "прервано" instead of the time left once a run was broken off.
QString GoodSearchStatusText(const codegen::TSearchProgress& Progress, bool Broken);
// The counts of the window's count ("подсчёт"): the codes and classes so far, and of each PSL
// that has codes, "PSL 3: 3376 / 422".
QString CodCountsText(const codegen::TCodCounts& Counts);
