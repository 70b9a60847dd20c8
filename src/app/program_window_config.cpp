// The main configuration file between the live windows and "MxADC.cfg": what each
// block is written from and where each value lands when it is read.

#include <QFile>

#include "adc_analysis/analysis_window.h"
#include "adc_analysis/switch_channel_test.h"
#include "app/program.h"
#include "app/program_window.h"
#include "block_panels/adc_panel.h"
#include "common/text_encoding.h"
#include "instruments/temperature_test.h"
#include "shell/main_config.h"
#include "shell/setup_dialog.h"

namespace {

// A text written as an integer; a text that is not one is written as 0, so the
// closing write never fails on what an edit holds.
int TextAsInt(const QString& text) {
  bool ok = false;
  int v = text.trimmed().toInt(&ok);
  return ok ? v : 0;
}

}  // namespace

void ProgramWindow::SaveConfig(const QString& fileName) {
  const STND& ch = P.G.Channels[0];
  TAnxADC* anx = P.AnxADC;
  const TAnxADC::ConfigValues a = anx->ConfigShown();
  MainConfig c;
  c.ProductIndex = ch.ProductIndex;
  c.LinkKind = ch.LinkKind;
  c.UartComIndex = static_cast<int>(ch.UartComIndex);
  c.UartBaudIndex = static_cast<int>(ch.UartBaudIndex);
  c.UartParityIndex = static_cast<int>(ch.UartParityIndex);
  std::copy(std::begin(ConfigFlags), std::end(ConfigFlags), c.ConfigFlags);
  c.BitPage = P.G.BitPage;
  c.RamBank = P.G.RamBank;
  c.OutMode = P.ADCForm->OutMode;
  c.OutBits = P.ADCForm->OutBits;
  c.NPointIndex = a.NPointIndex;
  c.TXScale = a.TXScale;
  c.MovingDiffMode = anx->st.MovingDiffMode;
  c.CFunADC = a.CFunADC;
  c.CLPT = P.Option->ParallelPortIndex();
  c.DmmCalValue = anx->DmmCalValue;
  c.DmmCalReading = anx->DmmCalReading;
  std::copy(std::begin(anx->AdcPresetScale), std::end(anx->AdcPresetScale), c.AdcPresetScale);
  std::copy(std::begin(anx->AdcPresetDmm), std::end(anx->AdcPresetDmm), c.AdcPresetDmm);
  c.ComFun = a.ComFun;
  c.ADShift = P.WeightCAL->ShiftIndex();
  c.Photo = P.Option->PhotoChecked() ? 1 : 0;
  c.EREFV = a.EREFV;
  c.CMAVR = a.CMAVR;
  c.CHFULL = P.TMP->FullChannels() ? 1 : 0;
  c.EGv = TextAsInt(a.EGv);
  c.ChTemper = a.ChTemper ? 1 : 0;
  c.ChangeADI = a.ChangeADI;
  c.cbEKG = a.cbEKG;
  c.updateChart = a.updateChart;
  WriteTextLines(fileName, FormatMainConfig(P.G.AppCaption, c));
}

bool ProgramWindow::LoadConfig(const QString& fileName) {
  if (!QFile::exists(fileName)) SaveConfig(fileName);
  STND& ch = P.G.Channels[0];
  TAnxADC* anx = P.AnxADC;
  TOption* opt = P.Option;
  MainConfig c;
  auto apply = [&](int block) {
    switch (block) {
      case 0:
        ch.ProductIndex = static_cast<uint16_t>(c.ProductIndex);
        ch.LinkKind = static_cast<uint16_t>(c.LinkKind);
        // The board UART always starts at 9600 baud on COM16 without parity.
        ch.UartBaudIndex = 5;
        ch.UartComIndex = 15;
        ch.UartParityIndex = 0;
        opt->ShowBoardUart(5, 15, 0);
        break;
      case 1: std::copy(std::begin(c.ConfigFlags), std::end(c.ConfigFlags), ConfigFlags); break;
      case 2:
        P.G.BitPage = static_cast<uint8_t>(c.BitPage);
        P.G.RamBank = static_cast<uint8_t>(c.RamBank);
        break;
      case 3: P.ADCForm->RestoreOutFormat(static_cast<uint8_t>(c.OutMode), static_cast<uint8_t>(c.OutBits)); break;
      case 4: anx->RestorePointsAndScale(c.NPointIndex, c.TXScale); break;
      case 5: anx->RestoreFunction(c.CFunADC); break;
      case 6: opt->SelectParallelPort(c.CLPT); break;
      case 7:
        anx->DmmCalValue = c.DmmCalValue;
        anx->DmmCalReading = c.DmmCalReading;
        break;
      case 8:
        std::copy(std::begin(c.AdcPresetScale), std::end(c.AdcPresetScale), anx->AdcPresetScale);
        std::copy(std::begin(c.AdcPresetDmm), std::end(c.AdcPresetDmm), anx->AdcPresetDmm);
        break;
      case 9:
        anx->RestorePresetChoice(c.ComFun);
        P.WeightCAL->SelectShift(c.ADShift);
        break;
      case 10: opt->SetPhoto(true); break;
      case 11: anx->SetReferenceText(c.EREFV); break;
      case 12: anx->RestoreAveraging(c.CMAVR); break;
      case 13: P.TMP->SetFullChannels(c.CHFULL != 0); break;
      case 14: anx->RestoreGain(c.EGv, c.ChTemper == 1); break;
      case 15: anx->RestoreModes(c.ChangeADI, c.cbEKG, c.updateChart); break;
    }
  };
  if (!ReadMainConfig(fileName, P.G.AppCaption, c, apply)) return false;
  opt->GetSELUP();
  opt->LockPortSelectors();
  return true;
}
