#pragma once
// The register API and the link watchdog. One hidden object owns them: every
// register change goes through WriteReg (write, read back, store, refresh), and a
// 10 ms timer keeps the link verified and paces the live chart of a capture.
// The link layer knows no window: the shell fills the refresh chains and hooks.

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

#include "link/board_commands.h"

class QTimer;

class TMx_UP : public QObject, public BoardCommands {
  Q_OBJECT
public:
  TMx_UP(Globals& g, UsbTransport& t, Clock& clock, QObject* parent = nullptr);
  ~TMx_UP() override;

  QString Caption() const { return QStringLiteral("uP Center"); }
  void FormCreate();

  // Register API.
  uint8_t GetReg(int address, int channel) const;
  void SetRegShadow(int address, uint8_t value, int channel);
  // Writes one register and reads it back. Once the write's packet went out the
  // chip holds the value, so the shadow takes it and the windows refresh; a
  // read-back that arrives replaces it with what the chip returned. A packet that
  // did not go out changes nothing. True when the write and read-back both came
  // through.
  bool WriteReg(int address, uint8_t value, int channel);
  // Writes a RAM byte (80h..FFh bank 0, 180h..1FFh bank 1) with its own bank
  // selected in 7Fh, since only the low byte of an address travels, and puts 7Fh
  // back; other addresses are written as they are. With `readBack` the byte goes
  // through WriteReg, else through PutRegister. When the link goes before 7Fh is put
  // back, the shadow of 7Fh holds the bank the chip was left on.
  bool WriteInOwnBank(int address, uint8_t value, bool readBack);
  void UpdateReg(int address, uint8_t value, int channel);
  void UpdateRegADC(int address, uint8_t value, int channel);
  bool TriggerTS();

  // Runs every DataUpdate of the refresh chain (what UpdateReg does after storing).
  void RunRefreshChain();

  // Watchdog and connection.
  void Timer1Timer();
  bool CheckConnection();
  void USBConnect();
  void Disconnect();

  QTimer* Timer1 = nullptr;

  // Filled by the shell at start-up, in the order the windows refresh.
  std::vector<std::function<void()>> RefreshChain;     // after UpdateReg
  std::vector<std::function<void()>> RefreshChainADC;  // after UpdateRegADC
  std::function<void(int panel, const QString& text)> ShowStatus;
  std::function<void()> USBClient;   // after a successful user connect
  std::function<void()> LiveChart;   // redraw of the analysis chart during a capture

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
