// Axis titles and point-mark numbers of the plots.
#include "drawing/plot_text.h"

#include <cmath>

namespace talvex::drawing {

QString ComponentAxisTitle(int component, double eigenvalue, double trace) {
  const QString percent = QString::asprintf("%5.2f", eigenvalue * 100 / trace).trimmed();
  return QStringLiteral("Component %1 (%2%)").arg(component).arg(percent);
}

QString MarkValueText(double value) {
  if (!std::isfinite(value)) return QString::number(value);
  QString text = QString::number(std::fabs(value), 'f', 3);
  while (text.endsWith(QLatin1Char('0'))) text.chop(1);
  if (text.endsWith(QLatin1Char('.'))) text.chop(1);
  const qsizetype point = text.indexOf(QLatin1Char('.'));
  for (qsizetype i = (point < 0 ? text.size() : point) - 3; i > 0; i -= 3)
    text.insert(i, QLatin1Char(','));
  // A value that rounds to zero shows no sign.
  if (value < 0 && text != QLatin1String("0")) text.prepend(QLatin1Char('-'));
  return text;
}

}  // namespace talvex::drawing
