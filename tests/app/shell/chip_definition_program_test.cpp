// The chip definition parsed on a running program: the shipped MX7406 definition end
// to end, product switches, and the window effects of small definitions.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QTableWidget>
#include <QToolButton>
#include <algorithm>

#include "adc_analysis/analysis_window.h"
#include "block_panels/adc_panel.h"
#include "block_panels/dac_panel.h"
#include "block_panels/opamp_panel.h"
#include "impedance/iq_test_window.h"
#include "kit/plain_controls.h"
#include "link/field_table.h"
#include "link/mx_up.h"
#include "shell/main_panel.h"
#include "shell/memory_view.h"
#include "shell/register_view.h"
#include "shell/setup_dialog.h"
#include "app/support/program_fixture.h"

namespace {

QString Cell(QTableWidget* grid, int column, int row) {
  QTableWidgetItem* item = grid->item(row, column);
  return item ? item->text() : QString();
}

QStringList Items(QComboBox* combo) {
  QStringList v;
  for (int i = 0; i < combo->count(); ++i) v << combo->itemText(i);
  return v;
}

class ChipDefinitionProgram : public ProgramTest {
protected:
  bool Shown(QObject* owner, const char* name) { return !Find<QWidget>(owner, name)->isHidden(); }
  bool Enabled(QObject* owner, const char* name) { return Find<QWidget>(owner, name)->isEnabled(); }
  // Replaces the product list with one product "T.INC" and parses it again.
  bool ParseOwn(const QByteArray& definition) {
    WriteFile("MxSel.INC", "T.INC TEST 1K\r\n");
    WriteFile("Include/T.INC", definition);
    prog->G.Channels[0].ProductIndex = 0;
    return prog->Option->GetSELUP();
  }
  const TRegField& F(FieldId id) const { return prog->G.Fields[id]; }
};

// ---- the shipped definition ------------------------------------------------------

TEST_F(ChipDefinitionProgram, ShippedDefinitionOffersEveryMenuAndWindow) {
  StartProgram();
  EXPECT_EQ(prog->G.ProductName, "MX7406");
  EXPECT_EQ(prog->Option->ProductText(0), "MX7406  16K");
  for (const char* item : {"Memu_File", "SaveFluke1", "SaveReg1", "SavePower1", "DownLoadFluke1", "DownloadReg1",
                           "DownloadPower1", "SMenu_RAM", "SMenu_REG", "SMenu_ADC", "SMenu_OP", "SMenu_CMP",
                           "SMenu_Bodyfat", "SaveTable", "SaveREG", "LoadRAM", "LoadREG", "WaveGen", "IQTest1",
                           "Bodyfat", "LoadVI52R7718", "Menu_ReadAdc", "Regist", "Fluke1", "Power1", "BryMenShow1"})
    EXPECT_TRUE(Item(item)->isVisible()) << item;
  for (const char* never : {"Menu_ReadREG", "Menu_ReadRAM", "SLEEP1", "MCALW", "RestoreADC"})
    EXPECT_FALSE(Item(never)->isVisible()) << never;

  TOption* opt = prog->Option;
  for (const char* n : {"PanelENG", "Label13", "PowerCOM", "PowerSelect", "Label6", "ChamberCOM", "ChamberSelect"})
    EXPECT_TRUE(Shown(opt, n)) << n;
  EXPECT_TRUE(opt->Photo->isChecked());
  EXPECT_FALSE(opt->Photo->isEnabled());
  EXPECT_FALSE(opt->AutoLoad);
  EXPECT_EQ(prog->G.Channels[0].LinkKind, LinkKindUsb);

  for (const char* n : {"rbDCMode", "rbACDCMode", "rbDCACMode", "rbDCACMode2", "gbDCSet", "gbDCType"})
    EXPECT_TRUE(Shown(prog->IQForm, n)) << n;
  EXPECT_FALSE(Shown(prog->IQForm, "pnlACMode"));
  EXPECT_TRUE(Shown(prog->AnxADC, "cbEKG"));
  EXPECT_TRUE(Shown(prog->AnxADC, "ChangeADI"));
  EXPECT_FALSE(Shown(prog->AnxADC, "gbECG"));
  EXPECT_TRUE(prog->AnxADC->Series2InLegend);
}

TEST_F(ChipDefinitionProgram, ShippedRegisterMap) {
  StartProgram();
  const Globals& g = prog->G;
  const uint16_t pages[] = {6, 6, 7, 9, 4, 4};
  for (int p = 0; p < 6; ++p) {
    EXPECT_EQ(g.BitPageCount[p + 1], pages[p]) << p;
    EXPECT_FALSE(prog->Mx_Reg2->PPAGE[p]->isHidden()) << p;
  }
  EXPECT_EQ(g.RegBitList->Count(), 36);
  EXPECT_EQ(g.ByteRegCount, 30);
  EXPECT_EQ(g.RegByteList->Count(), 30);
  EXPECT_EQ(g.WordRegCount, 2);
  EXPECT_EQ(g.RegWordList->AddrKey(0), 0x1718);

  // A saved register file lists 01h, 02h, 0Ch-2Bh and 3Eh first (the automatic test's 35 lines).
  std::vector<int> bits;
  for (int a = 0; a < RegIsBitSize; ++a)
    if (g.RegIsBit[a]) bits.push_back(a);
  std::vector<int> expected = {0x01, 0x02};
  for (int a = 0x0C; a <= 0x2B; ++a) expected.push_back(a);
  expected.push_back(0x3E);
  expected.push_back(0x7F);
  EXPECT_EQ(bits, expected);

  // RAM banks 0 (80h-FFh) and 1 (180h-1FFh); 100h-17Fh have no mask.
  for (int a = 0x80; a <= 0xFF; ++a) ASSERT_EQ(g.RegMask[a], 0xFF) << a;
  for (int a = 0x180; a <= 0x1FF; ++a) ASSERT_EQ(g.RegMask[a], 0xFF) << a;
  for (int a = 0x100; a < 0x180; ++a) ASSERT_EQ(g.RegMask[a], 0) << a;
  EXPECT_GT(g.RamBankRanges[1].End, g.RamBankRanges[1].Start);  // Read Chip reads bank 1
  for (int n = 0; n < 5; ++n) {
    EXPECT_EQ(!prog->Mx_RAM->PBank[n]->isHidden(), n < 2) << n;
    EXPECT_EQ(prog->Mx_RAM->RAMBANK[n]->isVisible(), n < 2) << n;
  }
  EXPECT_EQ(g.RegMask[0x7F], 0x01);
  EXPECT_EQ(g.RegMask[0x0F], 0x04);
  EXPECT_EQ(g.RegMask[0x05], 0x07);

  // The views' grids carry the names.
  TMx_Reg2* reg = prog->Mx_Reg2;
  EXPECT_EQ(reg->windowTitle(), "MX7406Register");
  EXPECT_EQ(reg->SREG->rowCount(), 6);
  EXPECT_EQ(Cell(reg->SREG, 0, 0), "INTE");
  EXPECT_EQ(Cell(reg->SREG, 4, 0), "IRQEN");
  EXPECT_EQ(reg->SByteReg->rowCount(), 8);
  EXPECT_EQ(Cell(reg->SByteReg, 0, 0), "CHIPID");
  EXPECT_EQ(Cell(reg->SByteReg, 2, 6), "PT2CON1");
  EXPECT_EQ(reg->SWordReg->rowCount(), 2);
  EXPECT_EQ(Cell(reg->SWordReg, 1, 0), "DACODE2");
}

TEST_F(ChipDefinitionProgram, ShippedFieldsAgreeWithTheFixedAddresses) {
  StartProgram();
  const Globals& g = prog->G;
  for (int i = 0; i < static_cast<int>(FieldId::Count); ++i) {
    const FieldId id = static_cast<FieldId>(i);
    const TRegField& f = g.Fields[id];
    if (id == FieldId::ENACM) {
      EXPECT_EQ(f.Defined, 0);
      continue;
    }
    ASSERT_EQ(f.Defined, 1) << FieldName(id).toStdString();
    // Every field lies in implemented bits of a declared register.
    const uint8_t bits = f.Width == 0 ? 0xFF : static_cast<uint8_t>(f.Mask() << f.Shift);
    if (f.Width > 0) {
      EXPECT_EQ(g.RegMask[f.Address] & bits, bits) << FieldName(id).toStdString();
    } else {
      EXPECT_NE(g.RegMask[f.Address], 0) << FieldName(id).toStdString();
    }
    EXPECT_LE(f.Shift + f.Width, 8) << FieldName(id).toStdString();
  }
  struct Fixed {
    FieldId id;
    uint16_t address;
    int width, shift;  // -1: not fixed
  };
  const Fixed fixed[] = {
      {FieldId::DGCON1, 0x0D, 0, -1},  {FieldId::TS, 0x05, 1, 0},       {FieldId::AD1RST, 0x0C, 1, 0},
      {FieldId::IRQEN, 0x01, 1, 4},    {FieldId::DABITH, 0x17, 4, 0},   {FieldId::DABITL, 0x18, 8, 0},
      {FieldId::DABIT2H, 0x1A, 4, 0},  {FieldId::DABIT2L, 0x1B, 8, 0},  {FieldId::ADCIOH, 0x06, 0, -1},
      {FieldId::ADCIOL, 0x08, 0, -1},  {FieldId::ADCQOH, 0x09, 0, -1},  {FieldId::ADCQOL, 0x0B, 0, -1},
      {FieldId::ADC1OM, 0x42, 0, -1},  {FieldId::ADC1OL, 0x43, 0, -1},  {FieldId::ARCTANL, 0x48, 0, -1},
      {FieldId::IN1P, 0x13, 4, -1},    {FieldId::IN1N, 0x13, 4, -1},    {FieldId::VR1P, 0x14, 2, -1},
      {FieldId::AD1GN, 0x10, 3, -1},   {FieldId::VDDAX, 0x12, 3, -1},   {FieldId::OP1O, 0x1C, 6, -1},
      {FieldId::OP1P, 0x1D, 8, -1},    {FieldId::RFB, 0x1C, 2, -1},     {FieldId::RFB2, 0x20, 2, -1},
      {FieldId::OP2N89, 0x20, 2, -1},  {FieldId::ENOP_OP, 0x24, 3, -1}, {FieldId::ENOP_ADC, 0x0C, 1, -1},
      {FieldId::ZeroP3N, 0x22, 8, -1}, {FieldId::RAMBANK, 0x28, 7, 0},  {FieldId::DAOE, 0x16, 2, 6},
  };
  for (const Fixed& x : fixed) {
    const TRegField& f = g.Fields[x.id];
    EXPECT_EQ(f.Address, x.address) << FieldName(x.id).toStdString();
    EXPECT_EQ(f.Width, x.width) << FieldName(x.id).toStdString();
    if (x.shift >= 0) {
      EXPECT_EQ(f.Shift, x.shift) << FieldName(x.id).toStdString();
    }
  }
  // Consecutive read-outs.
  EXPECT_EQ(F(FieldId::ADC1OH).Address + 1, F(FieldId::ADC1OM).Address);
  EXPECT_EQ(F(FieldId::SQRTH).Address + 4, F(FieldId::ARCTANL).Address);
  EXPECT_EQ(F(FieldId::ADCIOM).Address, 0x07);
  EXPECT_EQ(F(FieldId::ADCQOM).Address, 0x0A);

  EXPECT_EQ(g.AD1GNCaptions[0], "X1/4");  // lines are upper-cased
  EXPECT_EQ(g.VDDAXCaptions[7], "5.0");
  const char* clocks[] = {"1900000", "2100000", "3800000", "4200000", "7600000", "8400000"};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(g.ClockTexts[k], clocks[k]);
  const int counts[] = {3, 3, 3, 2, 3, 3, 2};
  for (int l = 0; l < IQRegListCount; ++l) EXPECT_EQ(g.IQRegCounts[l], counts[l]) << l;
  // The calibration reads the reference through the leads (AI6), then directly (AI4).
  EXPECT_EQ(g.IQRegLists[IQ_AC0][2].Value, 0x04);
  EXPECT_EQ(g.IQRegLists[IQ_AC1][2].Value, 0x01);
  EXPECT_EQ(g.IQRegLists[IQ_CapAC][2].Value, 0x02);
  // Every DC list converts against VSS, whatever the shadow held for IN1N.
  for (int l : {IQ_DC, IQ_DC1, IQ_CapDC, IQ_CapDC1}) {
    const TRegField& last = g.IQRegLists[l][g.IQRegCounts[l] - 1];
    EXPECT_EQ(last.Address, 0x13) << l;
    EXPECT_EQ(last.Shift, 0) << l;
    EXPECT_EQ(last.Value, 0x0E) << l;
  }
  EXPECT_EQ(prog->ChipDef.Seen().OP1P8, true);
}

TEST_F(ChipDefinitionProgram, ShippedPanelsGetTheirPositionsAndCovers) {
  StartProgram();
  TADCForm* adc = prog->ADCForm;
  EXPECT_EQ(Items(adc->In1p.combo), PlainControls::Codes(4));
  EXPECT_FALSE(Enabled(adc, "IN1P1101on"));  // position 13 is "-"
  EXPECT_TRUE(Enabled(adc, "IN1P1111off"));
  EXPECT_EQ(Find<QLabel>(adc, "LINP15")->text(), "OPO2");
  EXPECT_EQ(Find<QLabel>(adc, "LINN08")->text(), "OPO");
  EXPECT_EQ(Items(adc->Vr1n.combo), (QStringList{"00", "01", "10"}));
  EXPECT_FALSE(Shown(adc, "LVR1N3"));
  for (const char* n : {"PENAD1", "TXAD1GN", "PVR1GN", "LDOM1_ComboBox", "TXVDDAX", "TXDC1S", "PAD1RST", "PENTPS",
                        "PTPSCH", "TXOSR1", "TXDADC1", "TXINX", "INX11", "PINIS", "PENOP", "TXPGA1GNS"})
    EXPECT_TRUE(Enabled(adc, n)) << n;

  TOPForm* op = prog->OPForm;
  EXPECT_FALSE(Shown(op, "pnlOp1os"));
  EXPECT_FALSE(Shown(op, "pnlOp1os_2"));
  EXPECT_EQ(Find<QLabel>(op, "lblOp1O0")->text(), "AI0");
  EXPECT_FALSE(Enabled(op, "btnOp1nOn7"));
  EXPECT_TRUE(Enabled(op, "btnOp2nOff9"));
  EXPECT_EQ(Find<QAbstractButton>(op, "pnlEnop3")->text(), "ENOP3");
  for (const char* cover : {"pnlCoverOp2net1", "pnlCoverRfb_2", "pnlCoverRfb2_4", "pnlCoverLpf_1", "pnlOp1ps"})
    EXPECT_FALSE(Shown(op, cover)) << cover;
  EXPECT_TRUE(Enabled(op, "cmbRfb"));

  TDACForm* dac = prog->DACForm;
  EXPECT_EQ(Items(dac->Daoe.combo), (QStringList{"00", "01", "10"}));
  EXPECT_FALSE(Shown(dac, "lblDaoe_3"));
  EXPECT_FALSE(Enabled(dac, "btnDaoeOn3"));
  for (const char* n : {"pnlEnda", "pnlEnda2", "pnlDadcs", "pnlDadcs2", "btnDalhoff", "btnDalh2Off"})
    EXPECT_TRUE(Shown(dac, n)) << n;
  EXPECT_FALSE(Shown(dac, "btnDalhOn"));
  EXPECT_FALSE(Shown(dac, "pnlCoverDAOE1_2"));
  EXPECT_TRUE(dac->Daoe2.combo->isEnabled());
}

TEST_F(ChipDefinitionProgram, SimulatedChipImplementsTheBitsTheShippedDefinitionDeclares) {
  StartProgram();
  // The bench's chip knows its own bits; the program parses them from the definition.
  for (int a = 0; a < 0x200; ++a) EXPECT_EQ(sim.board.chip.Mask(a), prog->G.RegMask[a]) << std::hex << a;
  Click("USBScan");
  prog->Mx_UP->WriteReg(0x0F, 0xFF, 0);
  prog->Mx_UP->WriteReg(0x7F, 0xFF, 0);
  EXPECT_EQ(prog->Mx_UP->GetReg(0x0F, 0), 0x04);
  EXPECT_EQ(prog->Mx_UP->GetReg(0x7F, 0), 0x01);
}

// ---- product switches and re-parses --------------------------------------------------

TEST_F(ChipDefinitionProgram, ProductSwitchParsesTheOtherDefinition) {
  WriteFile("MxSel.INC", "MX7406.INC MX7406 16K\r\nSMALL.INC MX7401 2K\r\n");
  WriteFile("Include/small.inc", "#PRODUCT\nMX7401\n#RAMBANK0\n80H 0FFH\n#REGBIT\n01H R1 A B C D E F G H\n");
  StartProgram();
  ASSERT_EQ(prog->Option->CbSeluP->count(), 2);
  prog->G.BitPage = 5;  // page 6 exists in the MX7406 definition only
  prog->G.RamBank = 1;
  emit prog->Option->CbSeluP->activated(1);
  EXPECT_EQ(prog->G.Channels[0].ProductIndex, 1);
  EXPECT_EQ(prog->G.ProductName, "MX7401");
  for (const char* item : {"SMenu_ADC", "SMenu_OP", "Memu_File", "WaveGen", "LoadRAM", "Menu_ReadAdc", "Power1"})
    EXPECT_FALSE(Item(item)->isVisible()) << item;
  EXPECT_EQ(prog->G.BitPage, 0);
  EXPECT_EQ(prog->G.RamBank, 0);
  EXPECT_TRUE(prog->Mx_RAM->PBank[1]->isHidden());
  EXPECT_FALSE(prog->Option->PanelENG->isVisibleTo(prog->Option));
  // What a parse does not reset: descriptors, the word list (its count is 0), the I/Q lists' entries.
  EXPECT_EQ(F(FieldId::TS).Address, 0x05);
  EXPECT_EQ(prog->G.WordRegCount, 0);
  EXPECT_EQ(prog->G.RegWordList->Count(), 2);
  EXPECT_EQ(prog->G.RegBitList->Count(), 1);
  EXPECT_EQ(prog->G.IQRegCounts[IQ_AC0], 0);
  EXPECT_EQ(prog->G.IQRegLists[IQ_AC0][2].Address, 0x1F);
  EXPECT_EQ(prog->Mx_Reg2->SWordReg->rowCount(), 2);
  EXPECT_EQ(prog->Mx_Reg2->SByteReg->rowCount(), 0);

  // And back: the connect hook parses the channel's product again.
  prog->G.Channels[0].ProductIndex = 0;
  Click("USBScan");
  EXPECT_EQ(prog->Option->CbSeluP->currentIndex(), 0);
  EXPECT_TRUE(Item("SMenu_ADC")->isVisible());
  EXPECT_EQ(prog->G.ProductName, "MX7406");
}

TEST_F(ChipDefinitionProgram, MissingFilesLeaveTheLaterResetsUndone) {
  StartProgram();
  QDir(dir.path()).remove("Include/MX7406.INC");
  EXPECT_FALSE(prog->Option->GetSELUP());
  EXPECT_FALSE(Item("Memu_File")->isVisible());   // hidden before the product list is read
  EXPECT_TRUE(Item("SMenu_ADC")->isVisible());    // hidden only once the include file is found
  EXPECT_EQ(prog->G.RegMask[0x80], 0);
  EXPECT_EQ(prog->G.BitPageCount[1], 6);

  QDir(dir.path()).remove("MxSel.INC");
  StopProgram();
  StartProgram();
  EXPECT_EQ(prog->Option->CbSeluP->count(), 64);
  EXPECT_EQ(prog->Option->CbSeluP->itemText(0), "40R27 (16k)");
}

// ---- window effects of small definitions --------------------------------------------

TEST_F(ChipDefinitionProgram, KeywordEdgeCases) {
  StartProgram();
  // "#EKG" with the box unchecked: shown, the ECG group stays hidden; checked: both shown.
  ASSERT_TRUE(ParseOwn("#EKG\n#ACCESS\nloadram\nLOADREG ;comment\n LOADRAM\nSAVEREG\n"));
  EXPECT_TRUE(Shown(prog->AnxADC, "cbEKG"));
  EXPECT_FALSE(Shown(prog->AnxADC, "gbECG"));
  EXPECT_FALSE(Item("LoadRAM")->isVisible());
  EXPECT_FALSE(Item("LoadREG")->isVisible());
  EXPECT_TRUE(Item("SaveREG")->isVisible());
  prog->AnxADC->cbEKG->setChecked(true);
  ASSERT_TRUE(ParseOwn("#EKG\n"));
  EXPECT_TRUE(Shown(prog->AnxADC, "gbECG"));
  // Without "#EKG" the box is hidden and unchecked; without "#DCMODE" "AC" is checked.
  Find<QRadioButton>(prog->IQForm, "rbDCACMode")->setChecked(true);
  ASSERT_TRUE(ParseOwn("#SIMPLEACMODE\n#AUTOLOAD\n#POWER\n"));
  EXPECT_FALSE(prog->AnxADC->cbEKG->isChecked());
  EXPECT_FALSE(prog->AnxADC->Series2InLegend);
  EXPECT_TRUE(prog->IQForm->rbACMode->isChecked());
  EXPECT_TRUE(Shown(prog->IQForm, "pnlACMode"));
  EXPECT_TRUE(prog->Option->AutoLoad);
  EXPECT_TRUE(Item("Power1")->isVisible());
  EXPECT_TRUE(Shown(prog->Option, "PowerCOM"));
  EXPECT_FALSE(prog->Option->PanelENG->isVisibleTo(prog->Option));
}

TEST_F(ChipDefinitionProgram, RegisterViewGridsAndBanks) {
  StartProgram();
  QByteArray def = "#RAMBANK1\n80H 80H\n#REGBYTE\n";
  for (int i = 0; i < 10; ++i) def += QByteArray::number(0x40 + i, 16) + "H B" + QByteArray::number(i) + " 0FFH\n";
  ASSERT_TRUE(ParseOwn(def));
  TMx_Reg2* reg = prog->Mx_Reg2;
  EXPECT_EQ(reg->SByteReg->rowCount(), 4);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(Cell(reg->SByteReg, i, 0), QString("B%1").arg(i));
  EXPECT_EQ(Cell(reg->SByteReg, 0, 2), "B9");
  EXPECT_EQ(Cell(reg->SByteReg, 1, 2), "");
  EXPECT_EQ(reg->SREG->rowCount(), 0);
  for (QToolButton* tab : reg->PPAGE) EXPECT_TRUE(tab->isHidden());
  EXPECT_TRUE(prog->Mx_RAM->PBank[1]->isHidden());
  EXPECT_EQ(reg->windowTitle(), "MX7406Register");  // no "#PRODUCT": the caption stays
}

TEST_F(ChipDefinitionProgram, FieldLineEdgeCases) {
  StartProgram();
  TADCForm* adc = prog->ADCForm;
  TOPForm* op = prog->OPForm;
  ASSERT_TRUE(ParseOwn("#ADC0S\n"
                       "13H IN1P 3 4 A0 A1 A2 A3 A4 A5 A6 A7\n"
                       "14H VR1P 2 6 R0 R1 - R3\n"
                       "#DAC0S\n"
                       "16H DAOE 2 6 OFF - AO OPI\n"
                       "#OP0S\n"
                       "1CH OP1O 5 0 X X X X X\n"
                       "1CH OP1O 3 0 L0 - L2\n"));
  EXPECT_EQ(Items(adc->In1p.combo), (QStringList{"000", "001", "010", "011", "100", "101", "110", "111"}));
  EXPECT_EQ(adc->In1p.combo->currentIndex(), 0);
  EXPECT_TRUE(Enabled(adc, "IN1P0111on"));
  EXPECT_FALSE(Enabled(adc, "IN1P1000on"));
  EXPECT_FALSE(Enabled(adc, "IN1P1111off"));
  EXPECT_EQ(Find<QLabel>(adc, "LINP08")->text(), "");
  EXPECT_EQ(Find<QLabel>(adc, "LINP07")->text(), "A7");
  EXPECT_FALSE(Enabled(adc, "VR1P10on"));
  EXPECT_FALSE(Enabled(adc, "VR1P10off"));
  EXPECT_FALSE(Shown(adc, "LVR1P2"));
  EXPECT_EQ(Find<QLabel>(adc, "LVR1P3")->text(), "R3");
  EXPECT_EQ(Items(prog->DACForm->Daoe.combo), (QStringList{"00", "10", "11"}));
  EXPECT_EQ(prog->DACForm->Daoe.combo->currentIndex(), 0);
  // No "DAOE2" line: its covers are shown and its combo disabled.
  EXPECT_TRUE(Shown(prog->DACForm, "pnlCoverDAOE2_1"));
  EXPECT_FALSE(prog->DACForm->Daoe2.combo->isEnabled());
  // OP1O of width 5 touched nothing; width 3 chose the small bank.
  EXPECT_EQ(Find<QLabel>(op, "lblOp1O0")->text(), "AI0");
  EXPECT_EQ(F(FieldId::OP1O).Width, 3);
  EXPECT_TRUE(Shown(op, "pnlOp1os"));
  EXPECT_TRUE(Shown(op, "pnlOp1os_2"));
  EXPECT_FALSE(Enabled(op, "btnOp1os2On1"));
  EXPECT_EQ(Find<QLabel>(op, "lblOp1os2_1")->text(), "");
  EXPECT_EQ(Find<QLabel>(op, "lblOp1os2_2")->text(), "L2");
  EXPECT_TRUE(Shown(op, "pnlOp1ps"));
  EXPECT_TRUE(Shown(op, "pnlCoverRfb_1"));
  EXPECT_FALSE(Enabled(op, "cmbRfb"));
}

TEST_F(ChipDefinitionProgram, MalformedDefinitionIsSurvived) {
  StartProgram();
  QByteArray def = "#ADC0S\n13H IN1P 40 0\n12H VDDAX 31 0\n12H INX0 9 0\n#OP0S\n24H ENOP 99 0 A B C D E\n"
                   "20H SW 200 0\n#DAC0S\n15H DANS 31 0 A B C D E F\n#CALCULATE\n10H AC0\n"
                   "#REGBIT\n9999H X\n#REGWORD\n3FFH W 400H\n#RAMBANK4\n0 0FFFFH\n";
  def += QByteArray(3000, ';') + "\n" + QByteArray(400, ' ') + "#FLUKE\n";
  ASSERT_TRUE(ParseOwn(def));
  EXPECT_EQ(prog->ADCForm->In1p.combo->count(), 16);
  EXPECT_EQ(prog->DACForm->Dans.combo->count(), 4);
  EXPECT_FALSE(Item("Fluke1")->isVisible());  // the line is cut to 160 characters first
  EXPECT_EQ(prog->G.WordRegCount, 0);
  EXPECT_FALSE(prog->Mx_RAM->PBank[4]->isHidden());
}

TEST_F(ChipDefinitionProgram, MainWindowKeepsItselfOnScreen) {
  StartProgram();
  const QSize screen = prog->MainPanel->screen()->geometry().size();
  EXPECT_LE(prog->MainPanel->width(), screen.width());
  EXPECT_LE(prog->MainPanel->height(), screen.height());
}

}  // namespace
