// The texts the plots show: axis titles with the share of the trace, and the
// point marks' numbers.
#pragma once

#include <QString>

namespace talvex::drawing {

/// "Component N (P%)": P is eigenvalue * 100 / trace with two decimals.
QString ComponentAxisTitle(int component, double eigenvalue, double trace);

/// A point mark's number, read as the pattern "#,##0.###": thousands
/// grouped with ",", at most three decimals after ".", no trailing zeros.
QString MarkValueText(double value);

}  // namespace talvex::drawing
