#pragma once
// The serial ports of the simulated surroundings: the real termios services over the
// simulated instruments' pseudo-terminals. Every port starts unmapped (no device of
// the host machine is ever reached); adding an instrument maps its COM port to the
// instrument's pty.
//
// The instruments run in the program's thread. They are served from the points where
// the program touches a port: after each write the port's instrument takes the bytes
// written, and each look at the waiting count first lets every instrument catch up
// with the clock and send what is due. Because the program's waits poll the count
// and sleep on the clock between polls, an answer due at time t shows up at the first
// poll at or after t, deterministically, with a fake clock as with a real one.
//
// RTS and DTR cannot travel over a pty: the port's instrument records them instead.

#include <map>
#include <memory>
#include <set>
#include <vector>

#include "platform/serial_termios.h"
#include "sim/sim_instruments.h"

class Clock;

class SimSerial : public TermiosSerialServices {
public:
  explicit SimSerial(Clock& clock);

  // A new instrument on its own pty, reached as COMn. A port that already has an
  // instrument is refused (std::logic_error): the one there would be cut off unseen.
  template <class T>
  T& Add(int com) {
    auto instrument = std::make_unique<T>(clock_);
    T& ref = *instrument;
    Attach(com, std::move(instrument));
    return ref;
  }
  // The instrument behind an open handle, or nullptr.
  SimInstrument* InstrumentOf(int h) const;

  int Open(const QString& portName) override;
  bool Close(int h) override;
  bool ClearCommError(int h, uint32_t& errors, ComStat& stat) override;
  bool WriteFile(int h, const uint8_t* data, uint32_t count, uint32_t& written) override;
  bool EscapeCommFunction(int h, uint32_t function) override;

  // Lets every instrument catch up with the clock.
  void ServeAll();

private:
  void Attach(int com, std::unique_ptr<SimInstrument> instrument);

  Clock& clock_;
  std::vector<std::unique_ptr<SimInstrument>> instruments_;
  std::set<int> taken_;  // the COM ports with an instrument
  std::map<int, SimInstrument*> by_handle_;
};
