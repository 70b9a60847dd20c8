#pragma once
// The command set of the board firmware: register transfers with the chip (bus
// address A0h), the stream commands, the auxiliary chip (90h), the board status
// and name. Builders set only the leading bytes they name; the rest of PacketBuf
// keeps what it held.

#include <QString>
#include <cstdint>

#include "common/globals.h"
#include "link/usb_transport.h"

class Clock;

class BoardCommands {
public:
  BoardCommands(Globals& g, UsbTransport& t, Clock& clock) : g_(g), t_(t), clock_(clock) {}

  bool WriteRegs(int address, int count, int channel);
  bool ReadRegs(int address, int count, int channel);
  bool ReadTS();
  bool StartStream(uint8_t mode);
  int ReadStream(int channel);
  bool StopStream();
  bool WriteAuxMem(int address, int count, int channel);
  bool ReadAuxMem(int address, int channel);
  bool ProbeAux(int channel);
  bool UnlockAux(int channel);
  bool ReadBoardName(Devc& d, QString& name);
  bool ReadBoardStatus(Devc& d, uint8_t& s1, uint8_t& s2, uint8_t& s3);

  // Largest counts that fit one 64-byte packet.
  static constexpr int MaxWriteCount = PacketSize - 7;
  static constexpr int MaxReadCount = PacketSize - 1;

  Globals& G() { return g_; }
  UsbTransport& Transport() { return t_; }
  Clock& ClockSource() { return clock_; }

protected:
  bool LinkUp(int channel) const;
  // One command out, its reply in; a reply shorter than `need` bytes has failed.
  bool Exchange(Devc& d, int sendLen, int readLen, int need = 1);
  bool Status() const { return g_.PacketBuf[0] == 0xFA; }
  Devc& Dev0() { return g_.Channels[0].Devc; }

  Globals& g_;
  UsbTransport& t_;
  Clock& clock_;
};
