#include "adc_analysis/test_series.h"

#include "adc_analysis/analysis_state.h"
#include "common/errors.h"
#include "common/figure_text.h"
#include "common/text_encoding.h"

namespace {
constexpr int kMaxValues = 65536;

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }
}  // namespace

void LoadTestSeries(const QString& path, AnalysisState& st, int diffLength) {
  const QByteArray text = ReadFileBytes(path);
  const qsizetype size = text.size();
  qsizetype pos = 0;
  int count = 0;
  while (pos < size && count < kMaxValues) {
    while (pos < size && Blank(text[pos])) ++pos;
    double value = 0;  // nothing before the end of the file
    if (pos < size) {
      const qsizetype start = pos;
      while (pos < size && !Blank(text[pos]) && text[pos] != ',') ++pos;
      const auto v = ReadReal(QString::fromLatin1(text.mid(start, pos - start)));
      if (!v) throw EInOutError("Invalid numeric format");
      value = *v;
    }
    st.WorkSamples[count++] = value;
    while (pos < size && text[pos] != '\n') ++pos;
    if (pos < size) ++pos;
  }
  st.G.SampleCount = count;
  st.FormMovingDiffs(count, diffLength);
  st.LastCount = count;
  st.CaptureMs = TestSeriesMs;
}
