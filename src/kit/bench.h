#pragma once
// What every window holds: the shared state, the platform services, the board link,
// the chip definition, the oscillator trim and the instruments' exchanges, and the
// hooks through which a window reaches the main window and the other windows. A
// window knows no other subsystem's window: the program object (app/) derives from
// this, creates the windows and fills the hooks.

#include <QString>
#include <functional>

#include "common/globals.h"
#include "common/handler_guard.h"
#include "link/chip_definition.h"
#include "link/clock_trim.h"
#include "link/refresh_views.h"
#include "link/serial_protocols.h"
#include "link/usb_transport.h"
#include "platform/platform.h"

class Clock;
class Dialogs;
class TMx_UP;
class QWidget;

class Bench : public ErrorShow {
public:
  Bench(const QString& programDir, const Platform& platform, const QString& exeName);
  Bench(const Bench&) = delete;
  Bench& operator=(const Bench&) = delete;

  virtual ~Bench() = default;

  // Shows an error as the application's top-level handler does: over the active
  // window (the main window when none is), captioned with the application's name.
  void ShowError(const QString& text) const override;
  // Runs one step; an error it raises is shown and the caller goes on. False when
  // the step failed.
  bool Attempt(const std::function<void()>& step) const { return RunGuarded(*this, step); }

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
  // The register API and watchdog; exists from the third window on.
  TMx_UP* Mx_UP = nullptr;
  // The main window: the parent of the error boxes.
  QWidget* MainWindow = nullptr;

  // ---- hooks the program object fills ----
  // The main window's status bar (panels 0..2).
  std::function<void(int panel, const QString& text)> ShowStatus;
  // The main window's progress gauge: shown at a progress, moved, hidden.
  std::function<void(int percent)> ShowGauge;
  std::function<void(int percent)> SetGauge;
  std::function<void()> HideGauge;
  // Enables or disables a main-window menu item by component name.
  std::function<void(const QString& name, bool enabled)> EnableMenuItem;
  // Refreshes register-driven windows from the shadow after a bulk job (below).
  std::function<void(RefreshViews views)> RefreshWindows;
  // The Setup dialog's "Photo" switch is checked.
  std::function<bool()> PhotoMode;

  // True from the start of the program's close: the windows' close handlers run for
  // the exit.
  bool Closing() const { return closing_; }

  void Status(int panel, const QString& text) const {
    if (ShowStatus) ShowStatus(panel, text);
  }
  // The refresh after a bulk job (a whole-chip read, a register file, a wave load, a
  // preset): the memory view first, then the other windows named in the refresh
  // chain's order; the views with change marking.
  void Refresh(RefreshViews views) const {
    if (RefreshWindows) RefreshWindows(views);
  }

protected:
  bool closing_ = false;
};
