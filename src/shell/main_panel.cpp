#include "shell/main_panel.h"

#include <algorithm>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QCloseEvent>
#include <QShowEvent>
#include <QStyle>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

#include "adc_analysis/analysis_window.h"
#include "adc_analysis/switch_channel_test.h"
#include "block_panels/adc_panel.h"
#include "block_panels/bodyfat_panel.h"
#include "block_panels/dac_panel.h"
#include "block_panels/opamp_panel.h"
#include "block_panels/wave_generator.h"
#include "block_panels/wave_viewer.h"
#include "common/errors.h"
#include "common/text_encoding.h"
#include "common/waits.h"
#include "impedance/bodyfat_test_window.h"
#include "impedance/iq_test_window.h"
#include "instruments/calibrator_grid.h"
#include "instruments/meter_panel.h"
#include "instruments/power_grid.h"
#include "instruments/temperature_test.h"
#include "link/mx_up.h"
#include "link/register_files.h"
#include "platform/dialogs.h"
#include "shell/aux_download.h"
#include "shell/memory_view.h"
#include "shell/placement_store.h"
#include "shell/program.h"
#include "shell/read_chip.h"
#include "shell/register_view.h"
#include "shell/screen_fit_widget.h"
#include "shell/setup_dialog.h"

namespace {
const char* kDefaultCaption = "MX-ENOB TEST V1.4 for MX7406";
}

// ---- status bar ----

TStatusBar::TStatusBar(QWidget* parent) : QStatusBar(parent) {
  setObjectName("StatusBar1");
  setSizeGripEnabled(false);
  for (int i = 0; i < 3; ++i) {
    panels_[i] = new QLabel(this);
    panels_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    panels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panels_[i]->setMargin(1);
    panels_[i]->setIndent(3);
    addWidget(panels_[i]);
  }
  FitPanels();
}

void TStatusBar::SetText(int panel, const QString& text) {
  if (panel < 0 || panel >= 3) return;
  panels_[panel]->setText(text);
  if (panel == 2) FitPanels();
}

QString TStatusBar::Text(int panel) const {
  return panel >= 0 && panel < 3 ? panels_[panel]->text() : QString();
}

int TStatusBar::PanelWidth(int panel) const {
  return panel >= 0 && panel < 3 ? panels_[panel]->minimumWidth() : 0;
}

void TStatusBar::FitPanels() {
  int w = width() / 3;
  panels_[0]->setFixedWidth(w);
  panels_[1]->setFixedWidth(w);
  // A message longer than the design width is shown whole rather than cut.
  const QLabel* p = panels_[2];
  const int chrome = 2 * p->frameWidth() + 2 * p->margin() + std::max(p->indent(), 0);
  panels_[2]->setFixedWidth(std::max(Panel2Width, p->fontMetrics().horizontalAdvance(p->text()) + chrome));
}

void TStatusBar::resizeEvent(QResizeEvent* e) {
  QStatusBar::resizeEvent(e);
  FitPanels();
}

// ---- main window ----

TMainPanel::TMainPanel(Program& program) : P(program) {
  setObjectName("MainPanel");
  resize(1024, 720);
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  MdiArea = new QMdiArea(central);
  MdiArea->setObjectName("MdiArea");
  MdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  MdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  layout->addWidget(MdiArea, 1);
  Gauge1 = new QProgressBar(central);
  Gauge1->setObjectName("Gauge1");
  Gauge1->setFixedHeight(12);
  Gauge1->setTextVisible(false);
  Gauge1->setRange(0, 100);
  layout->addWidget(Gauge1);
  setCentralWidget(central);
  StatusBar1 = new TStatusBar(this);
  setStatusBar(StatusBar1);
  MainMenu1 = menuBar();
  MainMenu1->setObjectName("MainMenu1");
  BuildMenus();
  restore_ = std::make_unique<TRestoreWin>(P.ExeDir + P.ExeName);
  RestoreWin1 = restore_.get();
}

TMainPanel::~TMainPanel() = default;

void TMainPanel::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (!e->spontaneous()) RestoreWin1->FormShowHook();
}

QAction* TMainPanel::AddItem(QWidget* menu, const QString& name, const QString& caption, bool visible) {
  auto* a = new QAction(caption, menu);
  a->setObjectName(name);
  a->setVisible(visible);
  menu->addAction(a);
  return a;
}

QMenu* TMainPanel::AddMenu(const QString& name, const QString& caption, bool visible) {
  QMenu* m = MainMenu1->addMenu(caption);
  m->setObjectName(name + "Menu");
  m->menuAction()->setObjectName(name);
  m->menuAction()->setVisible(visible);
  return m;
}

void TMainPanel::BuildMenus() {
  auto on = [this](QAction* a, void (TMainPanel::*handler)()) {
    connect(a, &QAction::triggered, this, handler);
  };
  auto open = [this](QAction* a, auto getForm, int index) {
    connect(a, &QAction::triggered, this, [this, getForm, index] { OpenPanel(getForm(), index); });
  };

  // Items a keyword of the chip definition shows start hidden; the parse shows them.
  QMenu* file = AddMenu("Memu_File", "File", false);
  for (auto [name, caption, visible] :
       {std::tuple{"SaveFluke1", "Save Fluke", false}, {"SaveReg1", "Save Reg", true},
        {"SavePower1", "Save Power", true}, {"DownLoadFluke1", "DownLoad Fluke", false},
        {"DownloadReg1", "Download Reg", false}, {"DownloadPower1", "Download Power", true}}) {
    QAction* a = AddItem(file, name, caption, visible);
    QString item = name;
    connect(a, &QAction::triggered, this, [this, item] { FileItemClick(item); });
  }

  QMenu* option = AddMenu("Menu_Option", "Option", true);
  on(AddItem(option, "SMenu_Option", "Setup", true), &TMainPanel::SMenu_OptionClick);
  open(AddItem(option, "SMenu_RAM", "RAM Panel", false), [this] { return (QWidget*)P.Mx_RAM; }, 1);
  open(AddItem(option, "SMenu_REG", "REG Panel", true), [this] { return (QWidget*)P.Mx_Reg2; }, 2);
  open(AddItem(option, "SMenu_ADC", "ADC Panel", false), [this] { return (QWidget*)P.ADCForm; }, 3);
  open(AddItem(option, "SMenu_OP", "OP Panel", false), [this] { return (QWidget*)P.OPForm; }, 4);
  open(AddItem(option, "SMenu_CMP", "DAC Panel", false), [this] { return (QWidget*)P.DACForm; }, 14);
  open(AddItem(option, "SMenu_Bodyfat", "Body fat Panel", false),
       [this] { return (QWidget*)P.bodyfatGUIForm; }, 18);
  option->addSeparator()->setObjectName("N1");
  on(AddItem(option, "SaveTable", "Save RAM", false), &TMainPanel::SaveTableClick);
  on(AddItem(option, "SaveREG", "Save REG", false), &TMainPanel::SaveREGClick);
  on(AddItem(option, "LoadRAM", "Load RAM", false), &TMainPanel::LoadRAMClick);
  on(AddItem(option, "LoadREG", "Load REG", false), &TMainPanel::LoadREGClick);
  option->addSeparator()->setObjectName("N2");
  on(AddItem(option, "WaveGen", "Waveform Generator", false), &TMainPanel::WaveGenClick);
  open(AddItem(option, "IQTest1", "I/Q Test", false), [this] { return (QWidget*)P.IQForm; }, 15);
  open(AddItem(option, "Bodyfat", "Body fat GUI", false), [this] { return (QWidget*)P.bodyFatForm; }, 17);
  on(AddItem(option, "LoadVI52R7718", "Load Data(VI52R7718)", false), &TMainPanel::LoadVI52R7718Click);

  on(AddItem(MainMenu1, "USBScan", "USB Scan", true), &TMainPanel::USBScanClick);

  // "Read Chip" runs the read when chosen; its two sub-items exist and stay hidden.
  QAction* readChip = AddItem(MainMenu1, "Menu_ReadChip", "Read Chip", true);
  on(readChip, &TMainPanel::Menu_ReadChipClick);
  on(AddItem(this, "Menu_ReadREG", "Read REG Only", false), &TMainPanel::Menu_ReadREGClick);
  on(AddItem(this, "Menu_ReadRAM", "Read RAM && REG", false), &TMainPanel::Menu_ReadChipClick);

  open(AddItem(MainMenu1, "Menu_ReadAdc", "ENOB Test", false), [this] { return (QWidget*)P.AnxADC; }, 7);
  on(AddItem(MainMenu1, "SLEEP1", "SLEEP", false), &TMainPanel::SLEEP1Click);
  open(AddItem(MainMenu1, "MCALW", "Switch Test", false), [this] { return (QWidget*)P.WeightCAL; }, 13);
  on(AddItem(MainMenu1, "RestoreADC", "Restore ADC", false), &TMainPanel::RestoreADCClick);
  on(AddItem(MainMenu1, "Regist", QString::fromUtf8("連續讀取"), false), &TMainPanel::RegistClick);
  open(AddItem(MainMenu1, "Fluke1", "Fluke", false), [this] { return (QWidget*)P.FLUKE; }, 9);
  open(AddItem(MainMenu1, "Power1", "Power", false), [this] { return (QWidget*)P.FPower; }, 11);
  open(AddItem(MainMenu1, "BryMenShow1", "BryMen Show", false), [this] { return (QWidget*)P.Meter; }, 10);
}

QAction* TMainPanel::MenuItem(const QString& name) const { return findChild<QAction*>(name); }

void TMainPanel::FormCreate() {
  for (auto& r : PanelRecords) r.Placed = false;
  KeepOnScreen(*this);
  Gauge1->hide();
  StatusBar1->FitPanels();
  STND& ch = P.G.Channels[0];
  ch.UartPort.Handle = -1;
  ch.UartPort.Connected = 0;
  ch.Devc.Opened = 0;
  ch.Devc.Handle = InvalidHandle;

  // A caption file that cannot be read is reported; the built-in caption is used.
  P.G.AppCaption = kDefaultCaption;
  const QString captionFile = P.ExeDir + "MxAppName.cfg";
  if (QFile::exists(captionFile)) {
    try {
      const QByteArray text = ReadFileBytes(captionFile);
      QByteArray line = text.left(text.contains('\n') ? text.indexOf('\n') : text.size());
      while (line.endsWith('\r')) line.chop(1);
      P.G.AppCaption = DecodeBig5(line);
    } catch (const EInOutError& e) {
      captionUnread_ = true;
      P.ShowError(e.Text() + "\nThe built-in caption is used.");
    }
  }
  setWindowTitle(P.G.AppCaption);
  P.G.IdleTicks = 0;
}

void TMainPanel::FormActivate() {
  P.G.AppDir = P.ExeDir;
  for (const auto& e : P.HideOrder()) P.Attempt([&] { ShowPanel(e.form, e.index, false); });
  // A settings file that cannot be read is reported and the start-up goes on with
  // what was read before the fault and the defaults for the rest. The file is left
  // as it is at close, so what this run did not understand is not replaced.
  auto unread = [this](const QString& path, const std::exception& e) {
    const bool exists = QFileInfo::exists(path);
    P.ShowError(QString::fromStdString(e.what()) +
                (exists ? "\n" + QFileInfo(path).fileName() + " is kept as it is: it is not written at close." : ""));
    return exists;
  };
  const QString config = P.G.AppDir + "MxADC.cfg";
  try {
    // Without the user's caption the file's caption line cannot match: it is ignored
    // this time and kept.
    if (!LoadConfig(config) && captionUnread_) {
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
    P.AnxADC->NPointIndex->setCurrentIndex(P.AnxADC->NPointIndex->findText("256"));
  }
}

void TMainPanel::FormClose() {
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

void TMainPanel::FormDestroy() {
  // The board UART and the instrument ports Setup opened stay open until here.
  P.Option->CloseSerialPorts();
  Devc& d = P.G.Channels[0].Devc;
  if (HandleValid(d.Handle) && d.Opened) {
    uint16_t w = 0xFFFF;
    P.Transport.FirmwareWord(d, 0x01, w);
    P.Transport.CloseDevice(d);
  }
}

void TMainPanel::closeEvent(QCloseEvent* e) {
  P.Close();
  e->accept();
}

void TMainPanel::ShowPanel(QWidget* form, int index, bool show) {
  if (!form || index < 0 || index >= 20) return;
  auto* panel = qobject_cast<TPanelForm*>(form);
  if (!panel) {
    // A dialog window: only hidden by the start-up and close steps.
    if (!show) {
      form->hide();
      if (auto* h = dynamic_cast<FormHandlers*>(form)) h->RunFormClose();
    }
    return;
  }
  QMdiSubWindow* frame = panel->Frame();
  if (!frame) {
    // The frame takes the panel's design size plus its own title bar and border.
    QSize design = panel->size().expandedTo(panel->sizeHint());
    frame = new PanelFrame(panel);
    MdiArea->addSubWindow(frame);
    frame->ensurePolished();
    QMargins m = frame->contentsMargins();
    frame->resize(design + QSize(m.left() + m.right(), m.top() + m.bottom()));
    frame->hide();
  }
  if (show) {
    _FFM& r = PanelRecords[index];
    r.Left = frame->x();
    r.Top = frame->y();
    r.Width = frame->width();
    r.Height = frame->height();
    frame->setGeometry(r.Left, r.Top, r.Width, r.Height);
    frame->show();
    panel->show();
    MdiArea->setActiveSubWindow(frame);
    frame->raise();
  } else {
    frame->hide();
    panel->RunFormClose();
  }
}

void TMainPanel::OpenPanel(QWidget* form, int index) {
  if (!form || index < 0 || index >= 20) return;
  if (!PanelRecords[index].Placed) {
    if (auto* panel = qobject_cast<TPanelForm*>(form)) {
      if (!panel->Frame()) ShowPanel(form, index, false);
      panel->Frame()->move(0, 0);
    }
    PanelRecords[index].Placed = true;
  }
  ShowPanel(form, index, true);
}

void TMainPanel::USBScanClick() {
  if (P.G.Channels[0].LinkKind == LinkKindUsb) P.Mx_UP->USBConnect();
  if (P.Option->AutoLoad) {
    P.WaveGenForm->LoadRegFile();
    P.WaveGenForm->LoadDACRam();
  }
}

namespace {

// The refresh after a bulk read or load: the memory view first, then the register
// view and the register-driven panels; the wave viewer only where asked.
void RefreshAfterBulk(Program& P, bool waveViewer) {
  P.Mx_RAM->DataUpdate(false);
  P.Mx_Reg2->DataUpdate(false);
  P.ADCForm->DataUpdate();
  P.OPForm->DataUpdate();
  P.DACForm->DataUpdate();
  P.WaveGenForm->DataUpdate();
  if (waveViewer) P.ShowWaveForm->DataUpdate();
  P.bodyfatGUIForm->DataUpdate();
}

}  // namespace

void TMainPanel::USBClient() {
  P.Option->ChennalComChange();
  QString chip = P.Option->ProductText(P.G.Channels[0].ProductIndex);
  P.Mx_RAM->SetCaption(QString::fromUtf8("記憶體 - ") + chip);
  P.Mx_Reg2->SetCaption("REG - " + chip);
  P.ADCForm->SetCaption("ADC - " + chip);
  P.OPForm->SetCaption("OP - " + chip);
  P.AnxADC->SetCaption("Analyse ADC - " + chip);
  setWindowTitle(P.G.AppCaption + " ---- Now Chip is  " + chip);
  RefreshAfterBulk(P, false);
}

QString TMainPanel::FirmwareName() {
  Devc& d = P.G.Channels[0].Devc;
  P.G.PacketBuf[0] = 0xF9;
  P.G.PacketBuf[1] = 0x05;
  if (!P.Transport.SendPacket(d, 2) || !P.Transport.ReceivePacket(d, 8, 8)) return QString();
  QString name;
  for (int i = 0; i < 8; ++i) name.append(QChar(P.G.PacketBuf[i]));
  return name;
}

void TMainPanel::ApplyFirmwareName(const QString& name) {
  if (name == "E7403V01") P.WaveGenForm->SetTrimEnabled(false);
  else if (name == "E7403V02") P.WaveGenForm->SetTrimEnabled(true);
}

void TMainPanel::SMenu_OptionClick() { P.Option->ShowSetup(x() + 40, y() + 40); }

// ---- Read Chip and the register files ----

namespace {
const QString kWarningCaption = QStringLiteral("warning");
const QString kReadChipFail = QStringLiteral("Read Chip Fail: the board stopped answering; the views show what was read");
const QString kReadRegFail = QStringLiteral("Read REG Fail: the board stopped answering; the views show what was read");
}  // namespace


void TMainPanel::Menu_ReadChipClick() { Menu_ReadRAMClick(); }

// A read that ends part-way keeps what it read: the windows show it, and the user
// is told the read did not complete.
void TMainPanel::Menu_ReadRAMClick() {
  const bool complete = ReadChipIntoShadow(*P.Mx_UP);
  if (complete) P.G.ReadDone = true;
  RefreshAfterBulk(P, false);
  if (!complete) P.dialogs().MessageBox(this, kReadChipFail, kWarningCaption, MB_OK);
}

void TMainPanel::Menu_ReadREGClick() {
  const bool complete = ReadRegistersIntoShadow(*P.Mx_UP);
  RefreshAfterBulk(P, true);
  if (!complete) P.dialogs().MessageBox(this, kReadRegFail, kWarningCaption, MB_OK);
}

void TMainPanel::SaveTableClick() {
  QString path = P.dialogs().SaveFileName(this, FileDialogRequest::ForExtension("ram"));
  if (!path.isEmpty()) WriteTextLines(path, RamArrayFileLines(P.G));
}

void TMainPanel::SaveREGClick() {
  QString path = P.dialogs().SaveFileName(this, FileDialogRequest::ForExtension("reg"));
  if (!path.isEmpty()) WriteTextLines(path, RegisterFileLines(P.G));
}

void TMainPanel::LoadREGClick() {
  QString path = P.dialogs().OpenFileName(this, FileDialogRequest::ForExtension("reg"));
  if (path.isEmpty() || !QFileInfo::exists(path)) return;
  const QStringList lines = ReadTextLines(path);
  const std::optional<int> failed = LoadRegisterLines(*P.Mx_UP, lines);
  RefreshAfterBulk(P, true);
  if (failed) P.dialogs().MessageBox(this, RegisterLoadFailText(*failed, lines), kWarningCaption, MB_OK);
}

void TMainPanel::LoadRAMClick() {
  if (P.ShowWaveForm->LoadAsDac()) OpenPanel(P.ShowWaveForm, 19);
}

void TMainPanel::WaveGenClick() {
  OpenPanel(P.WaveGenForm, 16);
  ApplyFirmwareName(FirmwareName());
}

void TMainPanel::LoadVI52R7718Click() {
  Clock& clock = P.clock();
  auto shortWait = [&] { Delay(clock, 0.01 / 86400.0); };
  auto longWait = [&] { Delay(clock, 0.1 / 86400.0); };
  auto pump = [] { QCoreApplication::processEvents(); };
  TMx_UP& up = *P.Mx_UP;
  uint8_t* xfer = P.G.XferBuf;

  P.G.ReadDone = false;
  Menu_ReadRAMClick();
  if (!P.G.ReadDone) return;
  const auto image = AuxRamImage(up, P.G);
  const auto list = AuxRegisterPairs(up);
  StatusBar1->SetText(0, "Read Finish !!!");
  pump();

  if (!up.UnlockAux(0) || !up.ProbeAux(0)) return;
  longWait();
  StatusBar1->SetText(0, "Erase Finish !!!");
  pump();
  if (!up.UnlockAux(0)) return;

  for (int n = 0; n < 8; ++n) {
    std::copy(image.begin() + 32 * n, image.begin() + 32 * n + 32, xfer);
    if (!up.WriteAuxMem(32 * n, 32, 0)) return;
    shortWait();
  }
  for (int i = 0; i < 72; ++i) {
    xfer[i % 32] = list[i];
    if (i % 32 == 31) {
      if (!up.WriteAuxMem(0x100 + 32 * (i / 32), 32, 0)) return;
      shortWait();
    }
  }
  if (!up.WriteAuxMem(0x140, 8, 0)) return;
  StatusBar1->SetText(0, "Download Finish !!!");
  pump();
  longWait();

  auto readTwice = [&](int address) {
    for (int k = 0; k < 2; ++k) {
      if (!up.ReadAuxMem(address, 0)) return false;
      shortWait();
    }
    return true;
  };
  for (int n = 0; n < 8; ++n) {
    if (!readTwice(32 * n)) return;
    for (int i = 0; i < 32; ++i)
      if (xfer[32 * n + i] != image[32 * n + i]) {
        P.dialogs().MessageBox(this, "Verifty Ram Fail", "warning", MB_OK);
        return;
      }
  }
  for (int n = 0; n < 4; ++n) {
    if (!readTwice(0x100 + 32 * n)) return;
    for (int i = 0; i < 32; ++i) {
      int k = 32 * n + i;
      if (xfer[0x100 + k] != list[k]) {
        P.dialogs().MessageBox(this, "Verifty Reg Fail", "warning", MB_OK);
        return;
      }
      if (k == 71) {
        StatusBar1->SetText(0, "Verifty OK !!!");
        return;
      }
    }
  }
}

void TMainPanel::SLEEP1Click() {
  P.G.PacketBuf[5] = 0xA5;
  P.Mx_UP->WriteRegs(0xFD, 1, 0);
}

void TMainPanel::RestoreADCClick() { P.AnxADC->ComFunChange(); }

void TMainPanel::RegistClick() {
  P.TMP->EnableRepaintTimer();
  OpenPanel(P.TMP, 8);
}

// The File menu's step-table commands of the temperature test.
void TMainPanel::FileItemClick(const QString& item) {
  if (item == "SaveFluke1") P.FLUKE->SaveFluke();
  else if (item == "SavePower1") P.FPower->SavePower();
  else if (item == "SaveReg1") P.TMP->SaveReg();
  else if (item == "DownLoadFluke1") P.FLUKE->DownLoadFluke();
  else if (item == "DownloadPower1") P.FPower->DownloadPower();
  else if (item == "DownloadReg1") P.TMP->DownloadReg();
}
