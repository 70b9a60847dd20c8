#pragma once
// What a capture tells the user at its end: the analysis window's captures and the
// body-fat test's conversions show the same texts.

#include <QString>

inline const QString kReadComplete = QStringLiteral("Read Compelete");
inline const QString kReadError = QStringLiteral("Read Error !!!!!");
inline const QString kDgconError = QStringLiteral("DGCON1 Setting error");
