#include "adc_analysis/capture_files.h"

#include <algorithm>

#include "adc_analysis/analysis_state.h"
#include "common/channel_figures.h"
#include "common/figure_text.h"
#include "common/text_encoding.h"

namespace {

// The header names the figures in their order; the file's columns are fixed at seven.
const QString kFigureHeader =
    QStringLiteral("Average,VPP(nV),RMS Noise(nV),Enob,VPP(Count),RMS Noise(Count),Noise Free");
static_assert(FigureCount == 7, "the header above names seven figures");

QString Figures(const STND& channel) {
  QStringList f;
  for (double r : channel.ChannelResults) f << FigureText(r);  // empty where none came
  return f.join(',');
}

QStringList AdcLines(const AnalysisState& st) {
  QStringList lines{"ADC DATA," + kFigureHeader};
  const int count = std::clamp(st.G.SampleCount, 0, SampleStoreSize);
  for (int i = 0; i < count; ++i) {
    QString line = FormatF(st.CaptureSamples[i]);
    if (i == 0) line += ',' + Figures(st.G.Channels[0]);
    lines << line;
  }
  return lines;
}

QStringList IqLines(const AnalysisState& st) {
  const ValueGrid& grid = st.MemoryF;
  const int m = (grid.RowCount() - 1) / 2;
  const int positions = 16 * m;
  QStringList lines;
  for (int p = 0; p < positions; ++p) {
    const QString i = grid.Text(p);
    const QString q = grid.Text(p + positions);
    if (p == 0)
      lines << "ADI DATA," + i + ",ADQ DATA," + q + ",,," + kFigureHeader;
    else if (p == 1)
      lines << "," + i + ",," + q + ",,ADI," + Figures(st.G.Channels[1]);
    else if (p == 2)
      lines << "," + i + ",," + q + ",,ADQ," + Figures(st.G.Channels[2]);
    else
      lines << "," + i + ",," + q;
  }
  return lines;
}

}  // namespace

QString CaptureCsvName(bool iqMode) { return iqMode ? QStringLiteral("MxADIQ.CSV") : QStringLiteral("MxADC.CSV"); }

QStringList CaptureCsvLines(const AnalysisState& st, bool iqMode) { return iqMode ? IqLines(st) : AdcLines(st); }

void SAVECOM(const QString& fileName, const AnalysisState& st, bool iqMode) {
  WriteTextLines(fileName, CaptureCsvLines(st, iqMode));
}
