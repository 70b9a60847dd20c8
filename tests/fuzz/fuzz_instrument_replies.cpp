// The bench instruments' replies, as the running program takes them: the Setup
// dialog's probe of each instrument, then the readings the meter panel and the
// temperature test make of it. The first input byte chooses the instrument; the rest
// is what the instrument sends, in pieces "length byte, bytes": each write of the
// program to a port makes the next piece wait on that port.
#include <QByteArray>
#include <QComboBox>
#include <deque>
#include <map>

#include "fuzz_host.h"
#include "instruments/meter_panel.h"
#include "instruments/meter_reading.h"
#include "instruments/temperature_measure.h"
#include "instruments/temperature_test.h"
#include "platform/serial_port_map.h"
#include "platform/serial_services.h"
#include "shell/setup_dialog.h"

namespace {

// Serial ports COM1..COM16 whose instrument sends the input's pieces.
class ScriptedSerial : public SerialServices {
public:
  void Script(const QByteArray& replies) {
    pieces_.clear();
    for (qsizetype at = 0; at < replies.size();) {
      const int length = static_cast<uint8_t>(replies[at++]);
      pieces_.push_back(replies.mid(at, length));
      at += length;
    }
    waiting_.clear();
  }

  int Open(const QString& portName) override {
    const int n = ComPortNumber(portName);
    if (n == 0 || waiting_.count(n)) return InvalidSerialHandle;
    waiting_[n];
    return n;
  }
  bool Close(int h) override { return waiting_.erase(h) > 0; }
  bool GetCommState(int h, LineSettings& s) override {
    s = line_[h];
    return waiting_.count(h) > 0;
  }
  bool SetCommState(int h, const LineSettings& s) override {
    line_[h] = s;
    return waiting_.count(h) > 0;
  }
  bool ClearCommError(int h, uint32_t& errors, ComStat& stat) override {
    errors = 0;
    stat = ComStat{};
    auto it = waiting_.find(h);
    if (it == waiting_.end()) return false;
    stat.InQue = static_cast<uint32_t>(it->second.size());
    return true;
  }
  bool ReadFile(int h, uint8_t* data, uint32_t count, uint32_t& read) override {
    read = 0;
    auto it = waiting_.find(h);
    if (it == waiting_.end()) return false;
    QByteArray& q = it->second;
    read = std::min<uint32_t>(count, static_cast<uint32_t>(q.size()));
    std::copy(q.constBegin(), q.constBegin() + read, data);
    q.remove(0, read);
    return true;
  }
  bool WriteFile(int h, const uint8_t*, uint32_t count, uint32_t& written) override {
    written = 0;
    auto it = waiting_.find(h);
    if (it == waiting_.end()) return false;
    written = count;
    if (!pieces_.empty()) {
      it->second += pieces_.front();
      pieces_.pop_front();
    }
    return true;
  }
  bool EscapeCommFunction(int h, uint32_t) override { return waiting_.count(h) > 0; }

private:
  std::deque<QByteArray> pieces_;
  std::map<int, QByteArray> waiting_;
  std::map<int, LineSettings> line_;
};

enum Instrument { Chamber, Meter, PowerSupply, Calibrator, InstrumentCount };

ScriptedSerial& Serial() {
  static ScriptedSerial serial;
  return serial;
}

}  // namespace

// The program starts before the first input, outside its time limit.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzProgram::Shared(&Serial());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ScriptedSerial& serial = Serial();
  FuzzProgram& host = FuzzProgram::Shared();
  if (size < 1) return 0;
  Program& p = host.P();
  TOption* opt = p.Option;
  opt->CloseSerialPorts();
  serial.Script(InputBytes(data + 1, size - 1));
  Quietly([&] {
    switch (data[0] % InstrumentCount) {
      case Chamber: {
        opt->ChamberCOM->setCurrentIndex(0);
        opt->ChamberSelectClick();
        uint16_t temperature = 0, humidity = 0;
        p.TMP->ReadTemp(temperature, humidity);
        p.TMP->LoadTemp();
        p.Serial.ChamberRun();
        p.Serial.ChamberStop();
        break;
      }
      case Meter: {
        opt->BryMemChannel->setCurrentIndex(0);
        opt->BryMemCom->setCurrentIndex(1);
        opt->BryMemButtomClick();
        for (int tick = 0; tick < 3; ++tick) p.Meter->Timer1Timer();
        break;
      }
      case PowerSupply: {
        opt->PowerCOM->setCurrentIndex(2);
        opt->PowerSelectClick();
        QByteArray reply;
        p.Serial.ComQuery(p.G.Instruments.PowerPort, "MEAS:VOLT?", reply);
        break;
      }
      case Calibrator: {
        opt->FlukeCOM->setCurrentIndex(3);
        opt->FlukeSelectClick();
        CalibratorCommand(p.Serial, p.G.Instruments, p.clock(), "OUT 1V");
        CalibratorCommand(p.Serial, p.G.Instruments, p.clock(), "OPER");
        break;
      }
    }
  });
  host.Tidy();
  return 0;
}
