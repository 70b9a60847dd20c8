// The main configuration file between the live windows and "MxADC.cfg": what each
// block is written from and where each value lands when it is read.

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <qcustomplot.h>

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

void Select(QComboBox* box, int index) {
  if (box) box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

int IndexOf(const QComboBox* box) { return box ? box->currentIndex() : -1; }

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
  c.NPointIndex = IndexOf(anx->NPointIndex);
  c.TXScale = IndexOf(anx->TXScale);
  c.MovingDiffMode = anx->st.MovingDiffMode;
  c.CFunADC = IndexOf(anx->CFunADC);
  c.CLPT = IndexOf(P.Option->CLPT);
  c.DmmCalValue = anx->DmmCalValue;
  c.DmmCalReading = anx->DmmCalReading;
  std::copy(std::begin(anx->AdcPresetScale), std::end(anx->AdcPresetScale), c.AdcPresetScale);
  std::copy(std::begin(anx->AdcPresetDmm), std::end(anx->AdcPresetDmm), c.AdcPresetDmm);
  c.ComFun = IndexOf(anx->ComFun);
  c.ADShift = IndexOf(P.WeightCAL->ADShift);
  c.Photo = P.Option->Photo->isChecked() ? 1 : 0;
  c.EREFV = anx->EREFV->text();
  c.CMAVR = IndexOf(anx->CMAVR);
  c.CHFULL = P.TMP->CHFULL->isChecked() ? 1 : 0;
  c.EGv = TextAsInt(anx->EGv->text());
  c.ChTemper = anx->ChTemper->isChecked() ? 1 : 0;
  c.ChangeADI = anx->ChangeADI->isChecked();
  c.cbEKG = anx->cbEKG->isChecked();
  c.updateChart = anx->updateChart->isChecked();
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
        Select(opt->TXBaud, 5);
        Select(opt->TXCOM, 15);
        Select(opt->TXParity, 0);
        break;
      case 1: std::copy(std::begin(c.ConfigFlags), std::end(c.ConfigFlags), ConfigFlags); break;
      case 2:
        P.G.BitPage = static_cast<uint8_t>(c.BitPage);
        P.G.RamBank = static_cast<uint8_t>(c.RamBank);
        break;
      case 3:
        P.ADCForm->OutMode = static_cast<uint8_t>(c.OutMode);
        P.ADCForm->OutBits = static_cast<uint8_t>(c.OutBits);
        Select(P.ADCForm->TXADCOMD, P.ADCForm->OutMode);
        Select(P.ADCForm->TXADCObit, P.ADCForm->OutBits);
        P.ADCForm->TXADCObitChange();
        break;
      case 4:
        Select(anx->NPointIndex, c.NPointIndex);
        anx->NPointIndexChange();
        anx->Chart1->hide();
        anx->MemoryF->show();
        anx->ShowChart->setText("Chang to Chart");
        anx->st.CaptureIdle = true;
        Select(anx->TXScale, c.TXScale);
        Select(P.WeightCAL->TXScale, c.TXScale);
        anx->TXScaleChange();
        anx->st.MovingDiffMode = false;
        break;
      case 5: Select(anx->CFunADC, c.CFunADC); break;
      case 6: Select(opt->CLPT, c.CLPT); break;
      case 7:
        anx->DmmCalValue = c.DmmCalValue;
        anx->DmmCalReading = c.DmmCalReading;
        break;
      case 8:
        std::copy(std::begin(c.AdcPresetScale), std::end(c.AdcPresetScale), anx->AdcPresetScale);
        std::copy(std::begin(c.AdcPresetDmm), std::end(c.AdcPresetDmm), anx->AdcPresetDmm);
        break;
      case 9:
        Select(anx->ComFun, c.ComFun);
        Select(P.WeightCAL->ADShift, c.ADShift);
        break;
      case 10: opt->Photo->setChecked(true); break;
      case 11: anx->EREFV->setText(c.EREFV); break;
      case 12: Select(anx->CMAVR, c.CMAVR); break;
      case 13: P.TMP->CHFULL->setChecked(c.CHFULL != 0); break;
      case 14:
        anx->EGv->setText(QString::number(c.EGv));
        anx->ChTemper->setChecked(c.ChTemper == 1);
        break;
      case 15:
        // Checking the mode boxes runs their handlers when the state changes.
        anx->ChangeADI->setChecked(c.ChangeADI);
        anx->cbEKG->setChecked(c.cbEKG);
        anx->updateChart->setChecked(c.updateChart);
        break;
    }
  };
  if (!ReadMainConfig(fileName, P.G.AppCaption, c, apply)) return false;
  opt->GetSELUP();
  for (QComboBox* box : {opt->TXBaud, opt->TXCOM, opt->TXParity, opt->CLPT})
    if (box) box->setEnabled(false);
  return true;
}
