#include "link/mx_up.h"

#include <QTimer>
#include <algorithm>

#include "common/handler_guard.h"
#include "common/waits.h"
#include "link/register_files.h"

namespace {
const QString kOnLine = QStringLiteral("USB On Line");
const QString kNotConnected = QStringLiteral("USB not Connect !!!");
}  // namespace

TMx_UP::TMx_UP(Globals& g, UsbTransport& t, Clock& clock, QObject* parent)
    : QObject(parent), BoardCommands(g, t, clock) {
  setObjectName("Mx_UP");
  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(10);
  connect(Timer1, &QTimer::timeout, this, GuardedSlot(*this, this, &TMx_UP::Timer1Timer));
  // A failed transfer has closed the board: status panel 0 says so at once, not only
  // at the watchdog's next check.
  t_.LinkLost = [this] { Status(kNotConnected); };
}

TMx_UP::~TMx_UP() { t_.LinkLost = nullptr; }

void TMx_UP::FormCreate() { Timer1->start(); }

void TMx_UP::ShowError(const QString& text) const {
  if (ErrorBox) ErrorBox(text);
  else qWarning("%s", qUtf8Printable(text));
}

void TMx_UP::Status(const QString& text) {
  if (ShowStatus) ShowStatus(0, text);
}

uint8_t TMx_UP::GetReg(int address, int channel) const {
  if (channel < 0 || channel > 2 || address < 0 || address >= RegShadowSize) return 0;
  return g_.Channels[channel].RegShadow[address];
}

void TMx_UP::SetRegShadow(int address, uint8_t value, int channel) {
  if (channel < 0 || channel > 2 || address < 0 || address >= RegShadowSize) return;
  g_.Channels[channel].RegShadow[address] = value;
}

bool TMx_UP::WriteReg(int address, uint8_t value, int channel) {
  const uint8_t bank = GetReg(BankRegister, 0);
  const CellWrite w = PutCell(address, value, channel, true);
  if (w != CellWrite::NotSent || GetReg(BankRegister, 0) != bank) RunRefreshChain();
  return w == CellWrite::Done;
}

bool TMx_UP::WriteChipReg(uint8_t address, uint8_t value, int channel) {
  return WriteReg(ChipCellOf(address), value, channel);
}

void TMx_UP::RunRefreshChain() {
  if (RefreshWindows) RefreshWindows(RefreshChainViews);
}

void TMx_UP::UpdateReg(int address, uint8_t value, int channel) {
  SetRegShadow(address, value, channel);
  RunRefreshChain();
}

void TMx_UP::UpdateRegADC(int address, uint8_t value, int channel) {
  SetRegShadow(address, value, channel);
  if (RefreshWindows) RefreshWindows(AdcChainViews);
}

void TMx_UP::ReadResultFields(std::initializer_list<const TRegField*> fields, int channel) {
  const TRegField* first = *fields.begin();
  const int n = static_cast<int>(fields.size());
  if (!first->Defined || !ReadRegs(first->Address, n, channel) || !BoardCommands::Status()) return;
  uint8_t reply[8] = {};
  std::copy(g_.PacketBuf + 1, g_.PacketBuf + 1 + std::min(n, 8), reply);
  int k = 0;
  for (const TRegField* f : fields) {
    if (f->Defined && k < 8) UpdateReg(f->Address, reply[k], channel);
    ++k;
  }
}

bool TMx_UP::TriggerTS() {
  uint16_t a = g_.Fields.TS.Address;
  if (a >= XferBufSize) return false;
  g_.XferBuf[a] = GetReg(a, 0) | 0x01;
  if (!SendRegs(a, 1, 0)) return false;
  // More than 50 ms.
  Delay(clock_, 50.0 / 86'400'000.0);
  return true;
}

void TMx_UP::Timer1Timer() {
  g_.IdleTicks += 1;
  if (g_.IdleTicks >= IdleCheckTicks) {
    if (g_.Channels[0].LinkKind == LinkKindUsb) CheckConnection();
    g_.IdleTicks = 0;
  }
  g_.ChartTicks += 1;
  if (g_.ChartTicks > ChartRedrawTicks) {
    if (g_.LiveChartFlag && LiveChart) LiveChart();
    g_.ChartTicks = 0;
  }
}

bool TMx_UP::CheckConnection() {
  Devc& d = g_.Channels[0].Devc;
  if (t_.OpenDevice(d)) {
    Status(kOnLine);
    return true;
  }
  t_.CloseDevice(d);
  Status(kNotConnected);
  return false;
}

void TMx_UP::USBConnect() {
  Devc& d = g_.Channels[0].Devc;
  if (!t_.OpenDevice(d)) {
    Status(kNotConnected);
    return;
  }
  if (t_.CheckFirmwareId(d)) {
    Status(kOnLine);
    if (USBClient) USBClient();
  } else {
    Status(kNotConnected);
  }
}

void TMx_UP::Disconnect() {
  Devc& d = g_.Channels[0].Devc;
  if (HandleValid(d.Handle) && d.Opened == 1) {
    uint16_t w = 0xFFFF;
    t_.FirmwareWord(d, 0x01, w);
    t_.CloseDevice(d);
  }
}

void TMx_BASE::FormCreate() {
  g_.RegBitList = std::make_unique<TCRREGBitPtr>();
  g_.RegByteList = std::make_unique<TCRREGBytePtr>();
  g_.RegWordList = std::make_unique<TCRREGWordPtr>();
}
