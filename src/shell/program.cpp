#include "shell/program.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "adc_analysis/analysis_window.h"
#include "adc_analysis/switch_channel_test.h"
#include "block_panels/adc_panel.h"
#include "block_panels/bodyfat_panel.h"
#include "block_panels/dac_panel.h"
#include "block_panels/opamp_panel.h"
#include "block_panels/wave_generator.h"
#include "block_panels/wave_viewer.h"
#include "impedance/bodyfat_test_window.h"
#include "impedance/iq_test_window.h"
#include "instruments/calibrator_grid.h"
#include "instruments/meter_panel.h"
#include "instruments/power_grid.h"
#include "instruments/temperature_test.h"
#include "link/mx_up.h"
#include "platform/dialogs.h"
#include "platform/usb_services.h"
#include "shell/hex_keypad.h"
#include "shell/main_panel.h"
#include "shell/memory_view.h"
#include "shell/placement_store.h"
#include "shell/register_view.h"
#include "shell/setup_dialog.h"

namespace {
QString WithSlash(QString dir) {
  dir = QDir::fromNativeSeparators(dir);
  if (!dir.endsWith('/')) dir += '/';
  return dir;
}
}  // namespace

Program::Program(const QString& programDir, const Platform& platform, const QString& exeName)
    : Plat(platform),
      ExeDir(WithSlash(programDir)),
      ExeName(exeName),
      Transport(*platform.usb, G),
      ChipDef(G, ExeDir) {
  G.IncludeDir = ExeDir;
  CreateWindows();
  RegisterPlacements();
}

Program::~Program() {
  // Nothing may escape a destructor: the close and the destroy handler show their
  // own errors.
  Close();
  Attempt([this] { main_->FormDestroy(); });
  up_->Timer1->stop();
}

void Program::CreateWindows() {
  // Each window's create handler runs as soon as it exists, in this order.
  main_ = std::make_unique<TMainPanel>(*this);
  MainPanel = main_.get();
  MainPanel->FormCreate();

  base_ = std::make_unique<TMx_BASE>(G);
  Mx_BASE = base_.get();
  Mx_BASE->FormCreate();

  up_ = std::make_unique<TMx_UP>(G, Transport, *Plat.clock);
  Mx_UP = up_.get();
  WireLink();
  Mx_UP->FormCreate();

  QWidget* host = MainPanel;
  auto create = [](auto* w) {
    w->FormCreate();
    return w;
  };
  Mx_RAM = create(new TMx_RAM(*this, host));
  Mx_Reg2 = create(new TMx_Reg2(*this, host));
  ADCForm = create(new TADCForm(*this, host));
  OPForm = create(new TOPForm(*this, host));
  DACForm = create(new TDACForm(*this, host));
  IQForm = create(new TIQForm(*this, host));
  MxPopSelHex = create(new TMxPopSelHex(*this, host));
  AnxADC = create(new TAnxADC(*this, host));
  WeightCAL = create(new TWeightCAL(*this, host));
  FLUKE = create(new TFLUKE(*this, host));
  FPower = create(new TFPower(*this, host));
  TMP = create(new TTMP(*this, host));
  bodyFatForm = create(new TbodyFatForm(*this, host));
  WaveGenForm = create(new TWaveGenForm(*this, host));
  Meter = create(new TMeter(*this, host));
  bodyfatGUIForm = create(new TbodyfatGUIForm(*this, host));
  ShowWaveForm = create(new TShowWaveForm(*this, host));
  // The Setup dialog parses the chip definition in its create handler: every window
  // listens by then.
  Option = new TOption(*this, host);
  ListenToChipDefinition();
  Option->FormCreate();
}

// Each window applies what concerns its own controls, in the order the windows exist.
void Program::ListenToChipDefinition() {
  ChipDef.Listeners = {MainPanel, Mx_RAM, Mx_Reg2, ADCForm, OPForm, DACForm, IQForm, AnxADC, Option};
}

// The link layer knows no window: its hooks and refresh chains are filled here.
void Program::WireLink() {
  Mx_UP->ShowStatus = [this](int panel, const QString& text) { MainPanel->StatusBar1->SetText(panel, text); };
  Mx_UP->USBClient = [this] { MainPanel->USBClient(); };
  Mx_UP->RefreshChain = {
      [this] { Mx_Reg2->DataUpdate(false); },  [this] { Mx_RAM->DataUpdate(false); },
      [this] { ADCForm->DataUpdate(); },       [this] { OPForm->DataUpdate(); },
      [this] { DACForm->DataUpdate(); },       [this] { WaveGenForm->DataUpdate(); },
      [this] { ShowWaveForm->DataUpdate(); },  [this] { bodyfatGUIForm->DataUpdate(); },
  };
  Mx_UP->RefreshChainADC = {
      [this] { Mx_RAM->DataUpdate(false); },
      [this] { ADCForm->DataUpdate(); },
  };
}

std::vector<Program::PanelEntry> Program::HideOrder() const {
  return {{OPForm, 4},         {ADCForm, 3},      {DACForm, 14},     {IQForm, 15},
          {WaveGenForm, 16},   {Mx_RAM, 1},       {Mx_Reg2, 2},      {Option, 6},
          {AnxADC, 7},         {WeightCAL, 13},   {FLUKE, 9},        {FPower, 11},
          {Meter, 10},         {TMP, 8},          {bodyFatForm, 17}, {bodyfatGUIForm, 18},
          {ShowWaveForm, 19}};
}

QWidget* Program::PanelOf(int index) const {
  for (const auto& e : HideOrder())
    if (e.index == index) return e.form;
  return nullptr;
}

// The windows the placement store remembers: the main window, the panels and the dialogs.
void Program::RegisterPlacements() {
  TRestoreWin* store = MainPanel->RestoreWin1;
  store->ScreenSize = [] {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->availableGeometry().size() : QSize(1024, 768);
  };
  TMainPanel* m = MainPanel;
  TRestoreWin::Window main;
  main.name = m->objectName();
  main.bounds = [m] { return m->isMaximized() ? m->normalGeometry() : m->geometry(); };
  main.setBounds = [m](const QRect& r, bool) { m->setGeometry(r); };
  main.state = [m]() -> uint8_t { return m->isMaximized() ? 2 : m->isMinimized() ? 1 : 0; };
  main.setState = [m](uint8_t s) {
    m->setWindowState(s == 2 ? Qt::WindowMaximized : s == 1 ? Qt::WindowMinimized : Qt::WindowNoState);
  };
  main.showing = [m] { return m->isVisible(); };
  main.show = [m] { m->show(); };
  store->Windows.append(main);

  std::vector<PanelEntry> panels = HideOrder();
  std::sort(panels.begin(), panels.end(), [](const PanelEntry& a, const PanelEntry& b) { return a.index < b.index; });
  for (const PanelEntry& e : panels) {
    TRestoreWin::Window w;
    w.name = e.form->objectName();
    QWidget* form = e.form;
    int index = e.index;
    if (auto* panel = qobject_cast<TPanelForm*>(form)) {
      w.bounds = [panel] { return panel->Frame() ? panel->Frame()->geometry() : panel->geometry(); };
      w.setBounds = [panel](const QRect& r, bool) {
        if (panel->Frame()) panel->Frame()->setGeometry(r);
      };
      w.showing = [panel] { return panel->Shown(); };
      w.show = [m, form, index] { m->OpenPanel(form, index); };
    } else {
      w.sizeable = false;
      w.bounds = [form] { return form->geometry(); };
      w.setBounds = [form](const QRect& r, bool) { form->move(r.topLeft()); };
      w.showing = [form] { return form->isVisible(); };
    }
    store->Windows.append(w);
  }
}

void Program::Start() { MainPanel->FormActivate(); }

void Program::Close() {
  if (closed_) return;
  closed_ = true;
  Attempt([this] { MainPanel->FormClose(); });
  Attempt([this] { MainPanel->RestoreWin1->FormCloseHook(); });
}

void Program::ShowError(const QString& text) const {
  Plat.dialogs->MessageBox(MainPanel, text, QCoreApplication::applicationName(), MB_OK);
}

bool Program::Attempt(const std::function<void()>& step) const {
  try {
    step();
    return true;
  } catch (const std::exception& e) {
    ShowError(QString::fromStdString(e.what()));
  } catch (...) {
    ShowError("Unknown error");
  }
  return false;
}
