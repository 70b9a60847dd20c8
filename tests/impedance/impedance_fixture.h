#pragma once
// The register API over the simulated board, opened, without the windows: the
// refresh chains count their runs. The board sits behind a pass-through that can make
// each packet cost time on the fake clock or fail one chosen packet.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <vector>

#include "common/errors.h"
#include "link/mx_up.h"
#include "sim/sim_platform.h"

using Bytes = std::vector<uint8_t>;
// Register writes (address, value).
using Writes = std::vector<std::pair<int, int>>;

class PacedUsb : public UsbServices {
public:
  PacedUsb(UsbServices& inner, FakeClock& clock) : inner_(inner), clock_(clock) {}

  int64_t usPerTransfer = 0;  // fake time each bulk or report transfer takes
  int failSend = 0;           // the n-th packet to the board from now on fails (0: none)
  // Sees each packet to the board (driver bulk writes) before it goes.
  std::function<void(const uint8_t* packet, size_t len)> beforeWrite;
  // Sees each packet the board took (driver bulk writes), after the board ran it.
  std::function<void(const uint8_t* packet, size_t len)> afterWrite;

  Handle OpenDriverDevice(const std::string& name) override { return inner_.OpenDriverDevice(name); }
  bool DeviceIoControl(Handle h, uint32_t code, const uint8_t* in, size_t inLen, uint8_t* out, size_t outLen,
                       uint32_t* returned) override {
    if (code == IOCTL_BULK_WRITE || code == IOCTL_BULK_READ) {
      clock_.AdvanceUs(usPerTransfer);
      if (code == IOCTL_BULK_WRITE && beforeWrite) beforeWrite(out, outLen);
      if (code == IOCTL_BULK_WRITE && failSend > 0 && --failSend == 0) return false;
    }
    const bool ok = inner_.DeviceIoControl(h, code, in, inLen, out, outLen, returned);
    if (ok && code == IOCTL_BULK_WRITE && afterWrite) afterWrite(out, outLen);
    return ok;
  }
  Handle Hid_GetDeviceH(uint8_t& found, uint32_t index) override { return inner_.Hid_GetDeviceH(found, index); }
  bool Hid_Get_att(Handle h, uint16_t& inputLen, uint16_t& outputLen, uint16_t attributes[3],
                   uint8_t buffer[256]) override {
    return inner_.Hid_Get_att(h, inputLen, outputLen, attributes, buffer);
  }
  bool WriteFile(Handle h, const uint8_t* data, size_t len) override { return inner_.WriteFile(h, data, len); }
  bool ReadFile(Handle h, uint8_t* data, size_t len, size_t& read) override {
    return inner_.ReadFile(h, data, len, read);
  }
  bool CloseHandle(Handle h) override { return inner_.CloseHandle(h); }
  uint32_t GetLastError() override { return inner_.GetLastError(); }

private:
  UsbServices& inner_;
  FakeClock& clock_;
};

class ImpedanceLink : public ::testing::Test {
protected:
  void SetUp() override {
    // A plain chip: every bit kept, readings only from the tests' own sources.
    sim.board.chip.ImplementEveryBit();
    sim.board.analog.reset();
    g.Channels[0].LinkKind = LinkKindUsb;
    ASSERT_TRUE(transport.OpenDevice(g.Channels[0].Devc));
    sim.board.ClearLog();
    up.RefreshWindows = [this](RefreshViews views) { ++(views == AdcChainViews ? adcRefreshes : fullRefreshes); };
  }

  // Host -> board packets, each cut to its first n bytes.
  std::vector<Bytes> SentHeads(size_t n = 5) const {
    std::vector<Bytes> out;
    for (Bytes p : sim.board.Sent()) {
      p.resize(std::min(p.size(), n));
      out.push_back(p);
    }
    return out;
  }
  int CountSent(const Bytes& prefix) const {
    int k = 0;
    for (const Bytes& p : sim.board.Sent())
      if (p.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), p.begin())) ++k;
    return k;
  }
  // Register writes (address, value) in the order sent.
  Writes RegisterWrites() const {
    Writes w;
    for (const Bytes& p : sim.board.Sent())
      if (p.size() >= 8 && p[0] == 0xC4 && p[1] == 0x00 && p[2] == 0xA0) w.emplace_back(p[3], p[7]);
    return w;
  }

  SimPlatform sim;
  PacedUsb usb{sim.board, sim.clock};
  Globals g;
  UsbTransport transport{usb, g};
  TMx_UP up{g, transport, sim.clock};
  int fullRefreshes = 0;
  int adcRefreshes = 0;
};

// A raw 24-bit I/Q word that decodes to v (v a multiple of 0.5).
inline uint32_t IqWord(double v) { return static_cast<uint32_t>(static_cast<int32_t>(2 * v)) & 0xFFFFFF; }

inline const Bytes kIqPoll = {0xC4, 0x01, 0xA0, 0x0F, 0x01};
inline const Bytes kIqStart = {0xC4, 0x00, 0xA0, 0x0F, 0x01};

// f raises MxError (or a kind of it) with this text.
inline void ExpectError(const std::function<void()>& f, const QString& text) {
  try {
    f();
    ADD_FAILURE() << "no error, expected " << text.toStdString();
  } catch (const MxError& e) {
    EXPECT_EQ(e.Text(), text);
  }
}

// f raises EMathError with this text.
inline void ExpectMathError(const std::function<void()>& f, const char* text) {
  try {
    f();
    ADD_FAILURE() << "no error, expected " << text;
  } catch (const EMathError& e) {
    EXPECT_EQ(e.Text(), text);
  }
}

// A program folder for written files and a fake clock at 2026-01-02 03:04:05 local.
struct FileFixture : ::testing::Test {
  QTemporaryDir dir;
  FakeClock clock;

  QByteArray Read(const QString& path) const {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
};
