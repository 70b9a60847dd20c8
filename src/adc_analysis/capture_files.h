#pragma once
// The result files of a capture: "MxADC.CSV" with the ADC samples and the seven
// figures, "MxADIQ.CSV" with the I/Q pairs as the grid shows them and the figures of
// both I/Q channels. Comma-separated, no quoting, CR LF line ends, "." decimals.

#include <QString>
#include <QStringList>

struct AnalysisState;

// Both cases of the extension: a case-sensitive file system would hide the other.
inline const QString kCsvFilter = QStringLiteral("*.CSV|*.CSV;*.csv");
// The name the save dialog proposes.
QString CaptureCsvName(bool iqMode);

// The lines of the file for the current mode.
QStringList CaptureCsvLines(const AnalysisState& st, bool iqMode);
// Creates or replaces the file; raises EInOutError when it cannot be written, and
// then leaves any previous file as it was.
void SAVECOM(const QString& fileName, const AnalysisState& st, bool iqMode);
