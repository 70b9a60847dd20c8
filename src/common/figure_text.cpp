#include "common/figure_text.h"

#include <cmath>

#include "common/channel_figures.h"
#include "common/errors.h"

QString FormatFixed(double value, int decimals) {
  if (value == 0) value = 0;  // no "-0.00" for a negative zero
  return QString::number(value, 'f', decimals);
}

QString FormatF(double value) { return FormatFixed(value, 2); }

QString FigureText(double value) { return IsFigure(value) ? FormatF(value) : QString(); }

QString FormatGeneral(double value) {
  if (value == 0) return QStringLiteral("0");
  QString s = QString::number(value, 'g', 15);
  // "7.62939453125e-06" -> "7.62939453125E-6", "1e+15" -> "1E15".
  int e = s.indexOf('e');
  if (e < 0) return s;
  QString mantissa = s.left(e);
  QString exponent = s.mid(e + 1);
  bool negative = exponent.startsWith('-');
  if (exponent.startsWith('+') || negative) exponent.remove(0, 1);
  while (exponent.size() > 1 && exponent.startsWith('0')) exponent.remove(0, 1);
  return mantissa + 'E' + (negative ? QStringLiteral("-") : QString()) + exponent;
}

std::optional<double> ReadReal(const QString& text) {
  bool ok = false;
  double v = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::optional<int> ReadInteger(const QString& text) {
  bool ok = false;
  int v = text.trimmed().toInt(&ok, 10);
  if (!ok) return std::nullopt;
  return v;
}

double RealOrRaise(const QString& text) {
  if (auto v = ReadReal(text)) return *v;
  throw EConvertError("'" + text + "' is not a valid floating point value");
}

int IntegerOrRaise(const QString& text) {
  if (auto v = ReadInteger(text)) return *v;
  throw EConvertError("'" + text + "' is not a valid integer value");
}
