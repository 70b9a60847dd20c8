#include "sim/sim_serial.h"

#include <stdexcept>
#include <string>

SimSerial::SimSerial(Clock& clock) : clock_(clock) { PortMap().Clear(); }

void SimSerial::Attach(int com, std::unique_ptr<SimInstrument> instrument) {
  if (!taken_.insert(com).second)
    throw std::logic_error("COM" + std::to_string(com) + " already has an instrument");
  PortMap().Set(com, instrument->SlavePath());
  instruments_.push_back(std::move(instrument));
}

SimInstrument* SimSerial::InstrumentOf(int h) const {
  auto it = by_handle_.find(h);
  return it == by_handle_.end() ? nullptr : it->second;
}

int SimSerial::Open(const QString& portName) {
  const int h = TermiosSerialServices::Open(portName);
  if (!SerialHandleValid(h)) return h;
  const QString path = PortMap().Path(portName);
  for (const auto& i : instruments_)
    if (i->SlavePath() == path) by_handle_[h] = i.get();
  return h;
}

bool SimSerial::Close(int h) {
  by_handle_.erase(h);
  return TermiosSerialServices::Close(h);
}

bool SimSerial::ClearCommError(int h, uint32_t& errors, ComStat& stat) {
  ServeAll();
  return TermiosSerialServices::ClearCommError(h, errors, stat);
}

bool SimSerial::WriteFile(int h, const uint8_t* data, uint32_t count, uint32_t& written) {
  const bool ok = TermiosSerialServices::WriteFile(h, data, count, written);
  if (SimInstrument* i = InstrumentOf(h); i && written > 0) i->HostWrote(static_cast<int>(written));
  return ok;
}

bool SimSerial::EscapeCommFunction(int h, uint32_t function) {
  SimInstrument* i = InstrumentOf(h);
  if (!i) return TermiosSerialServices::EscapeCommFunction(h, function);
  if (function < SETRTS || function > CLRDTR) return false;
  i->LineFunction(function);
  return true;
}

void SimSerial::ServeAll() {
  for (const auto& i : instruments_) i->Serve();
}
