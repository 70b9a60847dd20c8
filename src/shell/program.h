#pragma once
// The program object: it owns the shared state, the board link and the 21 windows,
// created in a fixed order, each running its create handler at once. main() passes
// the executable's folder and the real platform; tests pass a temporary folder and
// the simulated one.

#include <QString>
#include <functional>
#include <memory>

#include "common/globals.h"
#include "link/chip_definition.h"
#include "link/clock_trim.h"
#include "link/serial_protocols.h"
#include "link/usb_transport.h"
#include "platform/platform.h"

class TMainPanel;
class TMx_BASE;
class TMx_UP;
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
class Clock;
class Dialogs;

class Program {
public:
  Program(const QString& programDir, const Platform& platform, const QString& exeName = "mx-enob");
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // The one-time start-up step after the last window exists.
  void Start();
  // The main window's close (configuration written, panels hidden, placements
  // written); runs once. Each file is written on its own: a failure is shown and the
  // close goes on, so nothing escapes it.
  void Close();
  // True from the start of that close: the windows' close handlers run for the exit.
  bool Closing() const { return closed_; }

  // Shows an error as the application's top-level handler does.
  void ShowError(const QString& text) const;
  // Runs one step; an error it raises is shown and the caller goes on. False when
  // the step failed.
  bool Attempt(const std::function<void()>& step) const;

  Globals G;
  Platform Plat;
  Clock& clock() const { return *Plat.clock; }
  Dialogs& dialogs() const { return *Plat.dialogs; }
  // The program folder, with a trailing "/".
  QString ExeDir;
  // The executable's file name without extension (names the placement file).
  QString ExeName;

  UsbTransport Transport;
  // The chip-definition parser; the windows listen to it.
  ChipDefinition ChipDef;
  // The board's clock counter and the oscillator trim's measurement state.
  ClockTrim Trim{G, Transport};
  // The bench instruments' exchanges on the shared port records of G.Instruments.
  SerialProtocols Serial{G.Instruments, *Plat.serial, *Plat.clock};

  TMainPanel* MainPanel = nullptr;
  TMx_BASE* Mx_BASE = nullptr;
  TMx_UP* Mx_UP = nullptr;
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
  void ListenToChipDefinition();
  void RegisterPlacements();
  std::unique_ptr<TMainPanel> main_;
  std::unique_ptr<TMx_BASE> base_;
  std::unique_ptr<TMx_UP> up_;
  bool closed_ = false;
};
