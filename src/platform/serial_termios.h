#pragma once
// Serial ports on termios devices. A port is opened with open + flock, so a second
// open of the same device fails; it is put into raw mode at once (no echo, no line
// editing, no character translation), as the instruments' binary frames need.

#include <map>

#include "platform/serial_port_map.h"
#include "platform/serial_services.h"

struct termios;

// The termios form of line settings: raw mode with the given baud, data bits, parity
// and stop bits. False, with `t` untouched, for settings that are not accepted.
bool ApplyLineSettings(termios& t, const LineSettings& settings);
// Line settings as a termios record holds them (baud 0 for a rate outside the list).
LineSettings ReadLineSettings(const termios& t);

class TermiosSerialServices : public SerialServices {
public:
  explicit TermiosSerialServices(ComPortMap map = ComPortMap());
  ~TermiosSerialServices() override;
  TermiosSerialServices(const TermiosSerialServices&) = delete;
  TermiosSerialServices& operator=(const TermiosSerialServices&) = delete;

  ComPortMap& PortMap() { return map_; }
  const ComPortMap& PortMap() const { return map_; }

  int Open(const QString& portName) override;
  bool Close(int h) override;
  bool GetCommState(int h, LineSettings& settings) override;
  bool SetCommState(int h, const LineSettings& settings) override;
  bool ClearCommError(int h, uint32_t& errors, ComStat& stat) override;
  bool ReadFile(int h, uint8_t* data, uint32_t count, uint32_t& read) override;
  bool WriteFile(int h, const uint8_t* data, uint32_t count, uint32_t& written) override;
  bool EscapeCommFunction(int h, uint32_t function) override;

  // How long a write waits for room in a full output queue before it fails.
  static constexpr int WriteTimeoutMs = 2000;

private:
  int Fd(int h) const;  // -1 for a handle that is not open

  ComPortMap map_;
  std::map<int, int> fds_;  // handle -> file descriptor
  int next_ = 0x100;
};
