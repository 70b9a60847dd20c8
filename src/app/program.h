#pragma once
// The program object: it owns the shared state, the board link and the 21 windows,
// created in a fixed order, each running its create handler at once, and wires them
// together: the link's refresh chains and hooks, the hooks every window reaches the
// main window through, and each call of one window on another. main() passes the
// executable's folder and the real platform; tests pass a temporary folder and the
// simulated one.

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "app/program_window.h"
#include "kit/bench.h"

class TMx_BASE;
class TMx_RAM;
class TMx_Reg2;
class TADCForm;
class TOPForm;
class TDACForm;
class TIQForm;
class TMxPopSelHex;
class TAnxADC;
class TWeightCAL;
class TFLUKE;
class TFPower;
class TTMP;
class TbodyFatForm;
class TWaveGenForm;
class TMeter;
class TbodyfatGUIForm;
class TShowWaveForm;
class TOption;
class QWidget;

class Program : public Bench {
public:
  Program(const QString& programDir, const Platform& platform, const QString& exeName = "mx-enob");
  ~Program();

  // The one-time start-up step after the last window exists.
  void Start();
  // The main window's close (configuration written, panels hidden, placements
  // written); runs once. Each file is written on its own: a failure is shown and the
  // close goes on, so nothing escapes it.
  void Close();

  ProgramWindow* MainPanel = nullptr;
  TMx_BASE* Mx_BASE = nullptr;
  TMx_RAM* Mx_RAM = nullptr;
  TMx_Reg2* Mx_Reg2 = nullptr;
  TADCForm* ADCForm = nullptr;
  TOPForm* OPForm = nullptr;
  TDACForm* DACForm = nullptr;
  TIQForm* IQForm = nullptr;
  TMxPopSelHex* MxPopSelHex = nullptr;
  TAnxADC* AnxADC = nullptr;
  TWeightCAL* WeightCAL = nullptr;
  TFLUKE* FLUKE = nullptr;
  TFPower* FPower = nullptr;
  TTMP* TMP = nullptr;
  TbodyFatForm* bodyFatForm = nullptr;
  TWaveGenForm* WaveGenForm = nullptr;
  TMeter* Meter = nullptr;
  TbodyfatGUIForm* bodyfatGUIForm = nullptr;
  TShowWaveForm* ShowWaveForm = nullptr;
  TOption* Option = nullptr;

  // The register-driven windows in the refresh chain's order. Every refresh of them
  // runs from this list: the chain after a register write (all of them), the one
  // after UpdateRegADC (the memory view and the ADC panel), and each bulk job's (its
  // windows, the memory view first).
  struct RegisterWindow {
    RefreshView view;
    std::function<void()> dataUpdate;  // the views with change marking
  };
  std::vector<RegisterWindow> RegisterWindows;

  // The 17 panels in the order the start-up step and the close hide them.
  struct PanelEntry {
    QWidget* form;
    int index;
  };
  std::vector<PanelEntry> HideOrder() const;
  // The panel window of a panel index, or null.
  QWidget* PanelOf(int index) const;

private:
  void CreateWindows();
  void WireLink();
  void ListRegisterWindows();
  // Runs the named windows of the list in its order, the memory view first when asked.
  void RefreshRegisterWindows(RefreshViews views, bool memoryViewFirst) const;
  void WireMainWindow();
  void ListenToChipDefinition();
  void RegisterPlacements();
  std::unique_ptr<ProgramWindow> main_;
  std::unique_ptr<TMx_BASE> base_;
  std::unique_ptr<TMx_UP> up_;
};
