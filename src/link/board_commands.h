#pragma once
// The command set of the board firmware: register transfers with the chip (bus
// address A0h), the stream commands, the auxiliary chip (90h), the board status
// and name. Builders set only the leading bytes they name; the rest of PacketBuf
// keeps what it held.

#include <QString>
#include <cstdint>
#include <functional>

#include "common/globals.h"
#include "link/usb_transport.h"

class Clock;

class BoardCommands {
public:
  BoardCommands(Globals& g, UsbTransport& t, Clock& clock) : g_(g), t_(t), clock_(clock) {}

  // The chip's cells by shadow address: registers 0..7Fh, RAM bank 0 at 80h..FFh and
  // bank 1 at 180h..1FFh. Only an address's low byte travels, and register 7Fh bit 0
  // picks the bank the chip's 80h..FFh reach. 100h..17Fh and 200h up name no cell.
  enum class Cell { Register, Bank0, Bank1, None };
  static Cell CellAt(int address);

  // How a write into the chip's cells ended.
  enum class CellWrite {
    Done,         // every packet came through (or no cell: the shadow alone took it)
    NotSent,      // the byte did not reach the chip: its packet, or the bank switch before it, did not go out
    Unconfirmed,  // the byte's packet went out, but its reply or its read-back was lost
    NotPutBack,   // the byte was written, but 7Fh was not put back
  };

  // Writes one byte into the cell its address names. A RAM byte of the bank the
  // shadow of 7Fh does not select goes with its own bank selected for it (and for its
  // read-back) and 7Fh put back; a register, 7Fh itself included, is written as it
  // is. Once the byte's packet went out the chip holds it, so `channel`'s shadow takes
  // it; with `readBack` a read-back that arrives replaces it with what the chip
  // returned, and one that is lost leaves the value written, less the bits the chip
  // definition declares not implemented. The shadow of 7Fh ends with the bank the
  // chip was left on. An address that names no cell is stored in the shadow only.
  // Nothing without a link (link kind 5) or outside the shadow. No refresh.
  CellWrite PutCell(int address, uint8_t value, int channel, bool readBack);
  // The cell an 8-bit chip address reaches as the chip reads it now: a RAM byte
  // (80h..FFh) lands in the bank the shadow of 7Fh selects (100h + address for bank 1);
  // registers 00h..7Fh are the same in both banks.
  int ChipCellOf(uint8_t address) const;
  // PutCell into the cell ChipCellOf names: the byte goes as the chip reads it, one
  // packet of the 8-bit address, no bank switch. For writers that name a RAM byte by
  // its low byte alone, so that 7Fh written before decides its bank.
  CellWrite PutChipByte(uint8_t address, uint8_t value, int channel, bool readBack);
  // Sends `count` bytes of XferBuf from `address` into the cells they name, by the
  // rule of PutCell without read-back; the bytes of a packet that went out enter the
  // shadow of channel 0. Each run of one kind of cell is one packet (a range inside
  // the registers, as every caller's, is one). True when every exchange came through.
  bool WriteRegs(int address, int count, int channel);
  // One packet of `count` bytes of XferBuf from `address`, raw: the low byte of the
  // address, no bank switch, the shadow untouched. For command bits the chip clears by
  // itself (conversion starts) and the bank switch itself.
  bool SendRegs(int address, int count, int channel);
  bool ReadRegs(int address, int count, int channel);
  // The switched channel test's transfers to the board's own memory (channel 0): the
  // register transfers addressed to bus BoardBus, which no other command uses, with
  // packet byte 5 the high byte of the board address. The chip never sees them.
  bool WriteBoardMem(int address, int count);
  bool ReadBoardMem(int address, int count);
  bool ReadTS();
  bool StartStream(uint8_t mode);
  // One poll of the stream: its sample count. `whilePausing`, when given, takes the
  // count as soon as the reply is in (its samples in PacketBuf) and runs inside the
  // poll's pause, so work between polls does not lengthen them. A failed transfer
  // returns 0 at once without calling it.
  int ReadStream(int channel, const std::function<void(int)>& whilePausing = {});
  bool StopStream();
  bool WriteAuxMem(int address, int count, int channel);
  bool ReadAuxMem(int address, int channel);
  bool ProbeAux(int channel);
  bool UnlockAux(int channel);
  // F9 05: the board's firmware name, its eight reply bytes as characters (zero bytes
  // included). ReadBoardName sends the eight-byte packet, the bytes after the command
  // cleared; ReadFirmwareName the two command bytes alone, as the main window's
  // "Waveform Generator" and Setup's "Control Board Firmware" read it.
  bool ReadBoardName(Devc& d, QString& name);
  bool ReadFirmwareName(Devc& d, QString& name);
  bool ReadBoardStatus(Devc& d, uint8_t& s1, uint8_t& s2, uint8_t& s3);

  // Largest counts that fit one 64-byte packet.
  static constexpr int MaxWriteCount = PacketSize - 7;
  static constexpr int MaxReadCount = PacketSize - 1;
  // Bus addresses: the chip under test, the auxiliary chip, the board itself.
  static constexpr uint8_t ChipBus = 0xA0;
  static constexpr uint8_t AuxBus = 0x90;
  static constexpr uint8_t BoardBus = 0xB0;

  Globals& G() { return g_; }
  UsbTransport& Transport() { return t_; }
  Clock& ClockSource() { return clock_; }

protected:
  bool LinkUp(int channel) const;
  // One command out, its reply in; a reply shorter than `need` bytes has failed.
  bool Exchange(Devc& d, int sendLen, int readLen, int need = 1);
  // The register transfers to a bus, bytes 5 and 6 as the buffer holds them.
  bool WriteTo(uint8_t bus, int address, int count);
  bool BoardNameExchange(Devc& d, int sendLen, QString& name);
  bool ReadFrom(uint8_t bus, int address, int count);
  bool Status() const { return g_.PacketBuf[0] == 0xFA; }
  Devc& Dev0() { return g_.Channels[0].Devc; }
  // `count` bytes of XferBuf from `address`, all of one kind of cell, into their cells
  // (PutCell's rule), the shadow of `channel` taking them.
  CellWrite WriteCells(int address, int count, int channel, bool readBack);

  Globals& g_;
  UsbTransport& t_;
  Clock& clock_;
  bool sent_ = false;
};
