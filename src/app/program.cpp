#include "app/program.h"

#include <QAction>
#include <QPointer>
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
#include "common/handler_guard.h"
#include "impedance/bodyfat_test_window.h"
#include "impedance/iq_test_window.h"
#include "instruments/calibrator_grid.h"
#include "instruments/meter_panel.h"
#include "instruments/power_grid.h"
#include "instruments/temperature_test.h"
#include "link/mx_up.h"
#include "shell/hex_keypad.h"
#include "shell/memory_view.h"
#include "shell/placement_store.h"
#include "shell/register_view.h"
#include "shell/setup_dialog.h"

Program::Program(const QString& programDir, const Platform& platform, const QString& exeName)
    : Bench(programDir, platform, exeName) {
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

// Each window's create handler runs as soon as it exists, in this order. A window's
// hooks are filled before its create handler runs; a hook that reaches a window
// created later is set once that window exists.
void Program::CreateWindows() {
  ListRegisterWindows();
  main_ = std::make_unique<ProgramWindow>(*this);
  MainPanel = main_.get();
  MainWindow = MainPanel;
  WireMainWindow();
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
  Mx_RAM->HexKeypad = MxPopSelHex;
  Mx_Reg2->HexKeypad = MxPopSelHex;

  auto* anx = new TAnxADC(*this, host);
  anx->ResetAdcReadTool = [this] { ADCForm->ResetReadTool(); };
  AnxADC = create(anx);

  auto* weight = new TWeightCAL(*this, host);
  weight->Analysis = AnxADC;
  WeightCAL = create(weight);
  AnxADC->SwitchTest = WeightCAL;

  FLUKE = create(new TFLUKE(*this, host));
  FPower = create(new TFPower(*this, host));

  auto* tmp = new TTMP(*this, host);
  tmp->FlukeForm = FLUKE;
  tmp->PowerForm = FPower;
  TTMP::AnalysisRequests& a = tmp->Analysis;
  a.EnableCapture = [this](bool enabled) { AnxADC->EnableTemperatureCapture(enabled); };
  a.Clear = [this] { AnxADC->ClrTMP(); };
  a.WaitTrigger = [this](int seconds) { AnxADC->WaitTRIGER(seconds); };
  a.SetReferenceText = [this](const QString& text) { AnxADC->SetReferenceText(text); };
  a.Capture = [this](const QString& refText, uint8_t mode, bool temperature) {
    return AnxADC->RequestedCapture(refText, mode, temperature);
  };
  a.FastRead = [this] { return AnxADC->FastReadChecked(); };
  a.GridTexts = [this](int count) { return AnxADC->GridTexts(count); };
  TMP = create(tmp);
  FLUKE->Temperature = TMP;
  FPower->Temperature = TMP;

  bodyFatForm = create(new TbodyFatForm(*this, host));

  // The generator's frequency text goes to the body-fat test, then the I/Q test.
  auto* gen = new TWaveGenForm(*this, host);
  QObject::connect(gen, &TWaveGenForm::FrequencyShown, bodyFatForm, GuardedSlot(*this, bodyFatForm, &TbodyFatForm::SetFrequencyText));
  QObject::connect(gen, &TWaveGenForm::FrequencyShown, IQForm, GuardedSlot(*this, IQForm, &TIQForm::SetFrequencyText));
  WaveGenForm = create(gen);

  Meter = create(new TMeter(*this, host));
  TMP->MeterForm = Meter;
  bodyfatGUIForm = create(new TbodyfatGUIForm(*this, host));
  ShowWaveForm = create(new TShowWaveForm(*this, host));
  // The Setup dialog parses the chip definition in its create handler: every window
  // listens by then.
  Option = new TOption(*this, host);
  Option->FirmwareName = [this] { return MainPanel->FirmwareName(); };
  Option->ApplyFirmwareName = [this](const QString& name) { MainPanel->ApplyFirmwareName(name); };
  Option->ShowMeterChannel = [this](int channel) { Meter->ShowChannel(channel); };
  ListenToChipDefinition();
  Option->FormCreate();
}

// Each window applies what concerns its own controls, in the order the windows exist.
void Program::ListenToChipDefinition() {
  ChipDef.Listeners = {MainPanel, Mx_RAM, Mx_Reg2, ADCForm, OPForm, DACForm, IQForm, AnxADC, Option};
}

// What every window reaches the main window and the register-driven windows through.
void Program::WireMainWindow() {
  ShowStatus = [this](int panel, const QString& text) { MainPanel->StatusBar1->SetText(panel, text); };
  ShowGauge = [this](int percent) {
    MainPanel->Gauge1->setValue(percent);
    MainPanel->Gauge1->show();
  };
  SetGauge = [this](int percent) { MainPanel->Gauge1->setValue(percent); };
  HideGauge = [this] {
    if (!MainPanel->Gauge1->isHidden()) MainPanel->Gauge1->hide();
  };
  EnableMenuItem = [this](const QString& name, bool enabled) {
    if (QAction* a = MainPanel->MenuItem(name)) a->setEnabled(enabled);
  };
  RefreshWindows = [this](RefreshViews views) { RefreshRegisterWindows(views, true); };
  PhotoMode = [this] { return Option && Option->PhotoChecked(); };
}

// The link layer knows no window: its hooks are filled here, its refreshes run from
// the list of register-driven windows.
void Program::WireLink() {
  Mx_UP->ShowStatus = [this](int panel, const QString& text) { MainPanel->StatusBar1->SetText(panel, text); };
  Mx_UP->USBClient = [this] { MainPanel->USBClient(); };
  Mx_UP->ErrorBox = [this](const QString& text) { ShowError(text); };
  Mx_UP->RefreshWindows = [this](RefreshViews views) { RefreshRegisterWindows(views, false); };
}

// A window created later than a refresh is skipped until it exists.
void Program::ListRegisterWindows() {
  RegisterWindows = {
      {RefreshView::RegisterView, [this] { if (Mx_Reg2) Mx_Reg2->DataUpdate(false); }},
      {RefreshView::MemoryView, [this] { if (Mx_RAM) Mx_RAM->DataUpdate(false); }},
      {RefreshView::AdcPanel, [this] { if (ADCForm) ADCForm->DataUpdate(); }},
      {RefreshView::OpAmpPanel, [this] { if (OPForm) OPForm->DataUpdate(); }},
      {RefreshView::DacPanel, [this] { if (DACForm) DACForm->DataUpdate(); }},
      {RefreshView::WaveGenerator, [this] { if (WaveGenForm) WaveGenForm->DataUpdate(); }},
      {RefreshView::WaveViewer, [this] { if (ShowWaveForm) ShowWaveForm->DataUpdate(); }},
      {RefreshView::BodyfatPanel, [this] { if (bodyfatGUIForm) bodyfatGUIForm->DataUpdate(); }},
  };
}

void Program::RefreshRegisterWindows(RefreshViews views, bool memoryViewFirst) const {
  if (memoryViewFirst && views.Has(RefreshView::MemoryView)) {
    for (const RegisterWindow& w : RegisterWindows)
      if (w.view == RefreshView::MemoryView) w.dataUpdate();
    views = views.Without(RefreshView::MemoryView);
  }
  for (const RegisterWindow& w : RegisterWindows)
    if (views.Has(w.view)) w.dataUpdate();
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

namespace {

// Notes whether a window came on screen.
class ShowWatch : public QObject {
public:
  explicit ShowWatch(QWidget* window) : QObject(window) { window->installEventFilter(this); }
  bool shown = false;

protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Show) shown = true;
    return false;
  }
};

std::function<bool()> ShownInSession(QWidget* window) {
  QPointer<ShowWatch> watch = new ShowWatch(window);
  return [watch] { return watch && watch->shown; };
}

// The store's WindowState: 0 normal, 1 minimized, 2 maximized.
uint8_t StoredState(Qt::WindowStates s) { return s & Qt::WindowMaximized ? 2 : s & Qt::WindowMinimized ? 1 : 0; }
Qt::WindowStates WindowStateOf(uint8_t s) {
  return s == 2 ? Qt::WindowMaximized : s == 1 ? Qt::WindowMinimized : Qt::WindowNoState;
}

}  // namespace

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
  main.state = [m] { return StoredState(m->windowState()); };
  main.setState = [m](uint8_t s) { m->setWindowState(WindowStateOf(s)); };
  main.showing = [m] { return m->isVisible(); };
  main.show = [m] { m->show(); };
  main.shownInSession = ShownInSession(m);
  store->Windows.append(main);

  std::vector<PanelEntry> panels = HideOrder();
  std::sort(panels.begin(), panels.end(), [](const PanelEntry& a, const PanelEntry& b) { return a.index < b.index; });
  for (const PanelEntry& e : panels) {
    TRestoreWin::Window w;
    w.name = e.form->objectName();
    QWidget* form = e.form;
    int index = e.index;
    if (auto* panel = qobject_cast<TPanelForm*>(form)) {
      // A panel's state is its frame's; a maximized panel records the bounds it goes back to.
      w.bounds = [panel] { return panel->Frame() ? panel->Frame()->NormalGeometry() : panel->geometry(); };
      w.setBounds = [panel](const QRect& r, bool) {
        if (panel->Frame()) panel->Frame()->setGeometry(r);
      };
      w.state = [panel] { return panel->Frame() ? StoredState(panel->Frame()->State()) : uint8_t{0}; };
      w.setState = [panel](uint8_t s) {
        if (panel->Frame()) panel->Frame()->SetState(WindowStateOf(s));
      };
      w.showing = [panel] { return panel->Shown(); };
      w.show = [m, form, index] { m->OpenPanel(form, index); };
    } else {
      w.sizeable = false;
      w.bounds = [form] { return form->geometry(); };
      w.setBounds = [form](const QRect& r, bool) { form->move(r.topLeft()); };
      w.showing = [form] { return form->isVisible(); };
    }
    w.shownInSession = ShownInSession(form);
    store->Windows.append(w);
  }
}

void Program::Start() { MainPanel->FormActivate(); }

void Program::Close() {
  if (closing_) return;
  closing_ = true;
  Attempt([this] { MainPanel->FormClose(); });
  Attempt([this] { MainPanel->RestoreWin1->FormCloseHook(); });
}
