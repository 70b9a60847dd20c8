#include "block_panels/wave_refresh.h"

void RefreshWaveView(Bench& p, WaveView view) { p.Refresh(view); }
