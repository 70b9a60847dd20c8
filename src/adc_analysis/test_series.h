#pragma once
// The test series of the analysis window's hidden loader: "blood.csv" in the program
// folder, one number a line (its first field), read into the working values with
// their differences and moving sums, so that a chart redraw shows it.

#include <QString>

struct AnalysisState;

// The time span a loaded series is drawn over: thirty seconds.
constexpr double TestSeriesMs = 30'000;

// Reads the file into WorkSamples (at most 65,536 values; blank lines are passed
// over, a number missing at the end reads as 0), then sets SampleCount, the moving
// differences of diffLength (at least 1), LastCount and CaptureMs. A line whose
// first field is no number raises EInOutError; the values read before it stay in
// WorkSamples and SampleCount is not changed.
void LoadTestSeries(const QString& path, AnalysisState& st, int diffLength);
