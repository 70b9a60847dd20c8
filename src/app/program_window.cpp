#include "app/program_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

#include "adc_analysis/analysis_window.h"
#include "adc_analysis/switch_channel_test.h"
#include "app/program.h"
#include "block_panels/adc_panel.h"
#include "block_panels/opamp_panel.h"
#include "block_panels/wave_generator.h"
#include "block_panels/wave_viewer.h"
#include "common/handler_guard.h"
#include "common/settings_reader.h"
#include "common/text_encoding.h"
#include "instruments/calibrator_grid.h"
#include "instruments/power_grid.h"
#include "instruments/temperature_test.h"
#include "link/mx_up.h"
#include "shell/memory_view.h"
#include "shell/register_view.h"
#include "shell/setup_dialog.h"

ProgramWindow::ProgramWindow(Program& program) : TMainPanel(program), P(program) { BuildMenus(); }

void ProgramWindow::BuildMenus() {
  auto on = [this](QAction* a, auto handler) {
    connect(a, &QAction::triggered, this, GuardedSlot(P, this, handler));
  };
  auto open = [this](QAction* a, auto getForm, int index) {
    connect(a, &QAction::triggered, this, GuardedSlot(P, [this, getForm, index] { OpenPanel(getForm(), index); }));
  };

  // Items a keyword of the chip definition shows start hidden; the parse shows them.
  QMenu* file = AddMenu("Memu_File", "File", false);
  for (auto [name, caption, visible] :
       {std::tuple{"SaveFluke1", "Save Fluke", false}, {"SaveReg1", "Save Reg", true},
        {"SavePower1", "Save Power", true}, {"DownLoadFluke1", "DownLoad Fluke", false},
        {"DownloadReg1", "Download Reg", false}, {"DownloadPower1", "Download Power", true}}) {
    QAction* a = AddItem(file, name, caption, visible);
    QString item = name;
    connect(a, &QAction::triggered, this, GuardedSlot(P, [this, item] { FileItemClick(item); }));
  }

  QMenu* option = AddMenu("Menu_Option", "Option", true);
  on(AddItem(option, "SMenu_Option", "Setup", true), &ProgramWindow::SMenu_OptionClick);
  open(AddItem(option, "SMenu_RAM", "RAM Panel", false), [this] { return (QWidget*)P.Mx_RAM; }, 1);
  open(AddItem(option, "SMenu_REG", "REG Panel", true), [this] { return (QWidget*)P.Mx_Reg2; }, 2);
  open(AddItem(option, "SMenu_ADC", "ADC Panel", false), [this] { return (QWidget*)P.ADCForm; }, 3);
  open(AddItem(option, "SMenu_OP", "OP Panel", false), [this] { return (QWidget*)P.OPForm; }, 4);
  open(AddItem(option, "SMenu_CMP", "DAC Panel", false), [this] { return (QWidget*)P.DACForm; }, 14);
  open(AddItem(option, "SMenu_Bodyfat", "Body fat Panel", false),
       [this] { return (QWidget*)P.bodyfatGUIForm; }, 18);
  option->addSeparator()->setObjectName("N1");
  on(AddItem(option, "SaveTable", "Save RAM", false), &ProgramWindow::SaveTableClick);
  on(AddItem(option, "SaveREG", "Save REG", false), &ProgramWindow::SaveREGClick);
  on(AddItem(option, "LoadRAM", "Load RAM", false), &ProgramWindow::LoadRAMClick);
  on(AddItem(option, "LoadREG", "Load REG", false), &ProgramWindow::LoadREGClick);
  option->addSeparator()->setObjectName("N2");
  on(AddItem(option, "WaveGen", "Waveform Generator", false), &ProgramWindow::WaveGenClick);
  open(AddItem(option, "IQTest1", "I/Q Test", false), [this] { return (QWidget*)P.IQForm; }, 15);
  open(AddItem(option, "Bodyfat", "Body fat GUI", false), [this] { return (QWidget*)P.bodyFatForm; }, 17);
  on(AddItem(option, "LoadVI52R7718", "Load Data(VI52R7718)", false), &ProgramWindow::LoadVI52R7718Click);

  on(AddItem(MainMenu1, "USBScan", "USB Scan", true), &ProgramWindow::USBScanClick);

  // "Read Chip" runs the read when chosen; its two sub-items exist and stay hidden.
  QAction* readChip = AddItem(MainMenu1, "Menu_ReadChip", "Read Chip", true);
  on(readChip, &ProgramWindow::Menu_ReadChipClick);
  on(AddItem(this, "Menu_ReadREG", "Read REG Only", false), &ProgramWindow::Menu_ReadREGClick);
  on(AddItem(this, "Menu_ReadRAM", "Read RAM && REG", false), &ProgramWindow::Menu_ReadChipClick);

  open(AddItem(MainMenu1, "Menu_ReadAdc", "ENOB Test", false), [this] { return (QWidget*)P.AnxADC; }, 7);
  on(AddItem(MainMenu1, "SLEEP1", "SLEEP", false), &ProgramWindow::SLEEP1Click);
  open(AddItem(MainMenu1, "MCALW", "Switch Test", false), [this] { return (QWidget*)P.WeightCAL; }, 13);
  on(AddItem(MainMenu1, "RestoreADC", "Restore ADC", false), &ProgramWindow::RestoreADCClick);
  on(AddItem(MainMenu1, "Regist", QString::fromUtf8("連續讀取"), false), &ProgramWindow::RegistClick);
  open(AddItem(MainMenu1, "Fluke1", "Fluke", false), [this] { return (QWidget*)P.FLUKE; }, 9);
  open(AddItem(MainMenu1, "Power1", "Power", false), [this] { return (QWidget*)P.FPower; }, 11);
  open(AddItem(MainMenu1, "BryMenShow1", "BryMen Show", false), [this] { return (QWidget*)P.Meter; }, 10);
}

void ProgramWindow::FormActivate() {
  P.G.AppDir = P.ExeDir;
  // Without the codec the files' Chinese texts cannot be read or written: said once.
  if (!(P.Plat.hasBig5Codec ? P.Plat.hasBig5Codec() : Big5CodecPresent()))
    P.ShowError(QString::fromUtf8("This build of Qt has no Big5 codec: files are read and written as Latin-1, "
                                  "and every Chinese text and the signs ℃, ℉ and Ω are written as \"?\"."));
  for (const auto& e : P.HideOrder()) P.Attempt([&] { ShowPanel(e.form, e.index, false); });
  // A settings file that cannot be read is reported and the start-up goes on with
  // what was read before the fault and the defaults for the rest. The file is left
  // as it is at close, so what this run did not understand is not replaced.
  auto unread = [this](const QString& path, const std::exception& e) {
    const bool exists = QFileInfo::exists(path);
    P.ShowError(QString::fromStdString(e.what()) + (exists ? "\n" + KeptUnreadText(QFileInfo(path).fileName()) : ""));
    return exists;
  };
  const QString config = P.G.AppDir + "MxADC.cfg";
  try {
    // Without the user's caption the file's caption line cannot match: it is ignored
    // this time and kept.
    if (!LoadConfig(config) && CaptionUnread()) {
      keepConfig_ = true;
      P.ShowError("MxADC.cfg is not applied, as the caption file could not be read.\n"
                  "MxADC.cfg is kept as it is: it is not written at close.");
    }
  } catch (const std::exception& e) {
    keepConfig_ = unread(config, e);
    P.Option->GetSELUP();
  }
  const QString steps = P.G.AppDir + "StepADC.txt";
  try {
    P.WeightCAL->LoadConfig(steps);
  } catch (const std::exception& e) {
    keepSteps_ = unread(steps, e);
  }
  if (P.G.NPoints < 32 || P.G.NPoints > 262144) {
    P.G.NPoints = 256;
    // The selector shows what the capture will use, so a later change keeps 256.
    P.AnxADC->ShowPointCount(256);
  }
}

void ProgramWindow::FormClose() {
  P.G.AppDir = P.ExeDir;
  // Each file is written on its own: a failure is shown, naming the file, and the
  // others are still written. The panels' close handlers write their own files.
  if (!keepConfig_) P.Attempt([this] { SaveConfig(P.G.AppDir + "MxADC.cfg"); });
  if (!keepSteps_) P.Attempt([this] { P.WeightCAL->SaveConfig(P.G.AppDir + "StepADC.txt"); });
  // The register lists live until here.
  P.G.RegBitList.reset();
  P.G.RegByteList.reset();
  P.G.RegWordList.reset();
  for (const auto& e : P.HideOrder()) P.Attempt([&] { ShowPanel(e.form, e.index, false); });
}

void ProgramWindow::FormDestroy() {
  // The board UART and the instrument ports Setup opened stay open until here.
  P.Option->CloseSerialPorts();
  Devc& d = P.G.Channels[0].Devc;
  if (HandleValid(d.Handle) && d.Opened) {
    uint16_t w = 0xFFFF;
    P.Transport.FirmwareWord(d, 0x01, w);
    P.Transport.CloseDevice(d);
  }
}

void ProgramWindow::closeEvent(QCloseEvent* e) {
  GuardedEvent(P, [&] {
    P.Close();
    e->accept();
  });
}

void ProgramWindow::USBScanClick() {
  if (P.G.Channels[0].LinkKind == LinkKindUsb) P.Mx_UP->USBConnect();
  if (P.Option->AutoLoad) P.WaveGenForm->AutoLoad();
}

void ProgramWindow::USBClient() {
  P.Option->ChennalComChange();
  QString chip = P.Option->ProductText(P.G.Channels[0].ProductIndex);
  P.Mx_RAM->SetCaption(QString::fromUtf8("記憶體 - ") + chip);
  P.Mx_Reg2->SetCaption("REG - " + chip);
  P.ADCForm->SetCaption("ADC - " + chip);
  P.OPForm->SetCaption("OP - " + chip);
  P.AnxADC->SetCaption("Analyse ADC - " + chip);
  setWindowTitle(P.G.AppCaption + " ---- Now Chip is  " + chip);
  P.Refresh(ReadChipViews);
}

void ProgramWindow::ApplyFirmwareName(const QString& name) {
  if (name == "E7403V01") P.WaveGenForm->SetTrimEnabled(false);
  else if (name == "E7403V02") P.WaveGenForm->SetTrimEnabled(true);
}

void ProgramWindow::SMenu_OptionClick() { P.Option->ShowSetup(x() + 40, y() + 40); }

void ProgramWindow::LoadRAMClick() {
  if (P.ShowWaveForm->LoadAsDac()) OpenPanel(P.ShowWaveForm, 19);
}

void ProgramWindow::WaveGenClick() {
  OpenPanel(P.WaveGenForm, 16);
  if (const std::optional<QString> name = FirmwareName()) ApplyFirmwareName(*name);
}

void ProgramWindow::RestoreADCClick() { P.AnxADC->ComFunChange(); }

void ProgramWindow::RegistClick() {
  P.TMP->EnableRepaintTimer();
  OpenPanel(P.TMP, 8);
}

// The File menu's step-table commands of the temperature test.
void ProgramWindow::FileItemClick(const QString& item) {
  if (item == "SaveFluke1") P.FLUKE->SaveFluke();
  else if (item == "SavePower1") P.FPower->SavePower();
  else if (item == "SaveReg1") P.TMP->SaveReg();
  else if (item == "DownLoadFluke1") P.FLUKE->DownLoadFluke();
  else if (item == "DownloadPower1") P.FPower->DownloadPower();
  else if (item == "DownloadReg1") P.TMP->DownloadReg();
}
