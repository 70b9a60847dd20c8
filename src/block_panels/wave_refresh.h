#pragma once
// The windows the waveform loaders refresh after their bulk writes, each loader its
// own set; the generator and the viewer send every refresh through one hook so that
// the sets can be followed.

#include <functional>

#include "kit/bench.h"

using WaveView = RefreshView;

// Runs the window's DataUpdate (the memory and register views with change marking).
void RefreshWaveView(Bench& p, WaveView view);

using WaveRefreshHook = std::function<void(WaveView)>;
