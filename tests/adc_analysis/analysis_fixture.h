#pragma once
// Helpers of the analysis tests: poll replies built from raw sample words, and a
// register API on the simulated board without the windows.

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <vector>

#include "adc_analysis/analysis_state.h"
#include "adc_analysis/capture_loop.h"
#include "link/mx_up.h"
#include "sim/sim_platform.h"

// A poll reply: count byte, then three bytes per raw word (mode 2: 16 bits, third byte 0).
inline std::array<uint8_t, 64> Reply(const std::vector<uint32_t>& raw, uint8_t mode = 3) {
  std::array<uint8_t, 64> r{};
  r[0] = static_cast<uint8_t>(raw.size());
  for (size_t i = 0; i < raw.size() && i < 21; ++i) {
    uint8_t* g = r.data() + 1 + 3 * i;
    if (mode == 2) {
      g[0] = (raw[i] >> 8) & 0xFF;
      g[1] = raw[i] & 0xFF;
    } else {
      g[0] = (raw[i] >> 16) & 0xFF;
      g[1] = (raw[i] >> 8) & 0xFF;
      g[2] = raw[i] & 0xFF;
    }
  }
  return r;
}

// The raw word an ADC capture decodes to v (positive words are halved).
inline uint32_t AdcWord(int v) { return static_cast<uint32_t>(2 * v) & 0xFFFFFF; }

// The register API over the simulated board, opened, with the analysis state and
// hooks that record what the window would show. Each round of messages advances the
// fake clock by a millisecond and runs onPump.
class LinkFixture : public ::testing::Test {
protected:
  void SetUp() override {
    g.Channels[0].LinkKind = LinkKindUsb;
    ASSERT_TRUE(transport.OpenDevice(g.Channels[0].Devc));
    sim.board.ClearLog();
    g.NPoints = 64;
    hooks.ProcessMessages = [this] {
      ++pumps;
      sim.clock.AdvanceUs(1000);
      if (onPump) onPump();
    };
    hooks.ShowGauge = [this](int p) { gauge.push_back(p); };
    hooks.HideGauge = [this] { gauge.push_back(-1); };
    hooks.Status = [this](const QString& t) { status.push_back(t); };
    hooks.Warning = [this](const QString& t) { warnings.push_back(t); };
  }

  // Host -> board packets whose first bytes are these.
  int CountSent(std::vector<uint8_t> prefix) const {
    int n = 0;
    for (const auto& p : sim.board.Sent())
      if (p.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), p.begin())) ++n;
    return n;
  }

  SimPlatform sim;
  Globals g;
  UsbTransport transport{sim.board, g};
  TMx_UP up{g, transport, sim.clock};
  AnalysisState st{g};
  CaptureHooks hooks;
  std::function<void()> onPump;
  int pumps = 0;
  std::vector<int> gauge;
  std::vector<QString> status;
  std::vector<QString> warnings;
};
