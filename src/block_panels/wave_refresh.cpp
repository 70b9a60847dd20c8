#include "block_panels/wave_refresh.h"

#include "block_panels/adc_panel.h"
#include "block_panels/dac_panel.h"
#include "block_panels/opamp_panel.h"
#include "block_panels/wave_generator.h"
#include "block_panels/wave_viewer.h"
#include "shell/memory_view.h"
#include "shell/program.h"
#include "shell/register_view.h"

void RefreshWaveView(Program& p, WaveView view) {
  switch (view) {
    case WaveView::MemoryView:
      if (p.Mx_RAM) p.Mx_RAM->DataUpdate(false);
      break;
    case WaveView::RegisterView:
      if (p.Mx_Reg2) p.Mx_Reg2->DataUpdate(false);
      break;
    case WaveView::AdcPanel:
      if (p.ADCForm) p.ADCForm->DataUpdate();
      break;
    case WaveView::OpAmpPanel:
      if (p.OPForm) p.OPForm->DataUpdate();
      break;
    case WaveView::DacPanel:
      if (p.DACForm) p.DACForm->DataUpdate();
      break;
    case WaveView::WaveGenerator:
      if (p.WaveGenForm) p.WaveGenForm->DataUpdate();
      break;
    case WaveView::WaveViewer:
      if (p.ShowWaveForm) p.ShowWaveForm->DataUpdate();
      break;
  }
}
