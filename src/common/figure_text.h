#pragma once
// Number texts of the analysis: "%f" (two decimals), the general form of the value
// grid, and the reading of typed numbers. The decimal separator is always ".".

#include <QString>
#include <optional>

// Fixed point with two decimals ("1234.00", "-0.50").
QString FormatF(double value);
// A figure as FormatF; an empty text for one that no value gave (NoFigure, or a
// reading that did not come).
QString FigureText(double value);
// Fixed point with the given number of decimals.
QString FormatFixed(double value, int decimals);
// The shortest decimal form with up to 15 significant digits ("12.5", "-0.5", "100",
// "7.62939453125E-6"): exponent form below 1E-4 and from 1E15 on.
QString FormatGeneral(double value);

// A typed real number ("2.4", " -1e3"); nothing when the text is not a finite number.
std::optional<double> ReadReal(const QString& text);
// A typed decimal integer; nothing when the text is not one.
std::optional<int> ReadInteger(const QString& text);
// The same, raising EConvertError with the standard conversion message.
double RealOrRaise(const QString& text);
int IntegerOrRaise(const QString& text);
