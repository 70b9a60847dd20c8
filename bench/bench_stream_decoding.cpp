// Decoding a stream capture of 131,072 samples: poll replies of 21 groups through
// the capture's decode, keep rules, sums and value grid, then its end.
#include <benchmark/benchmark.h>

#include <array>
#include <vector>

#include "adc_analysis/analysis_state.h"
#include "adc_analysis/stream_capture.h"

namespace {

void BM_DecodeStreamCapture(benchmark::State& state) {
  Globals g;
  g.NPoints = 131072;
  AnalysisState st(g);
  st.AdcCaptureFlag = true;
  // A few distinct replies of 21 24-bit groups, positive and negative words.
  std::vector<std::array<uint8_t, 64>> replies(16);
  for (size_t r = 0; r < replies.size(); ++r) {
    replies[r][0] = 21;
    for (int i = 0; i < 21; ++i) {
      uint32_t w = (0x7FF000u + 0x1357u * static_cast<uint32_t>(r * 21 + i)) & 0xFFFFFF;
      replies[r][1 + 3 * i] = (w >> 16) & 0xFF;
      replies[r][2 + 3 * i] = (w >> 8) & 0xFF;
      replies[r][3 + 3 * i] = w & 0xFF;
    }
  }
  AdcStreamCapture capture(st);
  for (auto _ : state) {
    capture.Begin({});
    for (size_t r = 0; capture.Wanted(); ++r) capture.OnReply(21, replies[r % replies.size()].data());
    benchmark::DoNotOptimize(capture.Finish(16));
  }
  state.SetItemsProcessed(state.iterations() * 131072);
}
BENCHMARK(BM_DecodeStreamCapture)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
