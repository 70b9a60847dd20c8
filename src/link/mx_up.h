#pragma once
// The register API and the link watchdog. One hidden object owns them: every
// register change goes through WriteReg (write, read back, store, refresh), and a
// 10 ms timer keeps the link verified and paces the live chart of a capture.
// The link layer knows no window: the shell fills the refresh chains and hooks.

#include <QObject>
#include <QString>
#include <functional>
#include <initializer_list>

#include "common/handler_guard.h"
#include "link/board_commands.h"
#include "link/refresh_views.h"

class QTimer;

class TMx_UP : public QObject, public BoardCommands, public ErrorShow {
  Q_OBJECT
public:
  TMx_UP(Globals& g, UsbTransport& t, Clock& clock, QObject* parent = nullptr);
  ~TMx_UP() override;

  QString Caption() const { return QStringLiteral("uP Center"); }
  void FormCreate();

  // Register API.
  uint8_t GetReg(int address, int channel) const;
  void SetRegShadow(int address, uint8_t value, int channel);
  // Writes one byte into the cell its address names and reads it back there (the
  // rule of PutCell: a RAM byte with its own bank selected and 7Fh put back; an
  // address that names no chip cell in the shadow only). Once anything reached the
  // chip or the shadow, the windows refresh; a packet that did not go out changes
  // nothing. True when every packet came through (or the shadow alone took it).
  bool WriteReg(int address, uint8_t value, int channel);
  // WriteReg of an 8-bit chip address as the chip reads it (PutChipByte's rule): a RAM
  // byte goes to the bank 7Fh selects, without a bank switch.
  bool WriteChipReg(uint8_t address, uint8_t value, int channel);
  void UpdateReg(int address, uint8_t value, int channel);
  void UpdateRegADC(int address, uint8_t value, int channel);
  // Reads a run of result registers, the fields in address order from the first one's,
  // in one transfer. Only a reply with the status FAh is stored: each defined field's
  // byte by UpdateReg (a field the chip definition never named would put its byte into
  // register 0's shadow). Nothing is read when the first field is not defined.
  void ReadResultFields(std::initializer_list<const TRegField*> fields, int channel);
  bool TriggerTS();

  // Refreshes every register-driven window, the refresh chain UpdateReg runs after
  // storing.
  void RunRefreshChain();

  // Watchdog and connection.
  void Timer1Timer();
  bool CheckConnection();
  void USBConnect();
  void Disconnect();

  QTimer* Timer1 = nullptr;

  // Filled by the program at start-up: refreshes the named windows from the shadow,
  // in the refresh chain's order (RefreshChainViews after UpdateReg, AdcChainViews
  // after UpdateRegADC).
  std::function<void(RefreshViews views)> RefreshWindows;
  std::function<void(int panel, const QString& text)> ShowStatus;
  std::function<void()> USBClient;   // after a successful user connect
  std::function<void()> LiveChart;   // redraw of the analysis chart during a capture
  // Shows an error the watchdog's tick raised (the connect hook, the live chart).
  std::function<void(const QString& text)> ErrorBox;
  void ShowError(const QString& text) const override;

  static constexpr uint32_t IdleCheckTicks = 1000;
  static constexpr uint32_t ChartRedrawTicks = 25;

private:
  void Status(const QString& text);
};

// The hidden window that creates the register lists at start-up.
class TMx_BASE : public QObject {
  Q_OBJECT
public:
  explicit TMx_BASE(Globals& g, QObject* parent = nullptr) : QObject(parent), g_(g) {}
  void FormCreate();

private:
  Globals& g_;
};
