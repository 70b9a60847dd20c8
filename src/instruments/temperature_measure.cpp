#include "instruments/temperature_measure.h"

#include <algorithm>
#include <cstring>

#include "common/figure_text.h"
#include "common/number_text.h"
#include "common/text_encoding.h"
#include "common/waits.h"
#include "instruments/meter_reading.h"
#include "instruments/step_tables.h"
#include "link/serial_protocols.h"

CalibratorReply CalibratorCommand(SerialProtocols& serial, InstrumentPorts& ports, Clock& clock,
                                  const QString& command) {
  serial.ComSendText(ports.FlukePort, EncodeBig5(command));
  serial.ComSendText(ports.FlukePort, "\r");
  DelayMs(clock, CalibratorReplyPauseMs);
  std::memset(ports.ComTxBuf, 0, sizeof ports.ComTxBuf);
  CalibratorReply r;
  r.Length = serial.ComReadLine(ports.FlukePort);
  r.Line = QString::fromLatin1(reinterpret_cast<const char*>(ports.ComTxBuf), r.Length);
  return r;
}

bool TurnsOutputOff(const QString& command) { return command.left(8).toUpper() == "OUTP OFF"; }

bool IsStandbyCommand(const QString& command) { return command.left(4).toUpper() == "STBY"; }

int PowerDelayMs(const QString& text) {
  return std::max(ReadInteger(text).value_or(PowerDelayDefaultMs), 0);
}

double MedianOf(std::vector<double> v) {
  if (v.empty()) return NoReading;
  std::sort(v.begin(), v.end());
  const size_t mid = v.size() / 2;
  return v.size() % 2 ? v[mid] : (v[mid - 1] + v[mid]) / 2;
}

StepMeasurement::StepMeasurement(MeasureHost& host, SerialProtocols& serial, InstrumentPorts& ports, Clock& clock)
    : host_(host), serial_(serial), ports_(ports), clock_(clock) {}

void StepMeasurement::Measure(const StepInputs& in, const MeasureOptions& opt, TemperatureRecord& rec, int& stepNo) {
  connected_ = host_.RefreshLink();
  for (int m = 1; m <= in.ModeCount && host_.IsRunning(); ++m) {
    bool done = false;
    int failures = 0;
    while (!done && host_.IsRunning()) {
      const bool success = Pass(in, opt, rec, stepNo, m);
      // A stop ends the mode here; the modes after it are not measured.
      if (!host_.IsRunning()) break;
      if (success) {
        if (opt.FullCapture) host_.SaveRawCapture();
        done = true;
      } else if (++failures >= MaxPassesPerMode) {
        done = true;
      }
    }
  }
  ++stepNo;
}

bool StepMeasurement::Pass(const StepInputs& in, const MeasureOptions& opt, TemperatureRecord& rec, int s, int m) {
  const bool stepSlot = s >= 0 && s < ResultStepSlots;
  if (connected_) {
    const double t = RealOrRaise(in.Steps->Cell(1, s));
    const double h = RealOrRaise(in.Steps->Cell(2, s));
    if (stepSlot) {
      rec.StepTemp[s] = t;
      rec.StepHumb[s] = h;
    }
    host_.Status(1, "Channel - 0 , Step - " + QString::number(m));
  }
  PowerCommand(in, opt, m);
  const bool operate = CalibratorCommandOf(in, opt, m);
  if (connected_)
    for (int c = 1; c <= in.RegColCount; ++c)
      host_.ChangeRegStep(static_cast<uint8_t>(HexStrToInt(in.Registers->Cell(c, 0)) & 0xFF),
                          static_cast<uint8_t>(HexStrToInt(in.Registers->Cell(c, m)) & 0xFF));
  if (operate && !FlukeOPER()) FlukeOPER();
  if (ports_.FlukePort.Connected || ports_.PowerPort.Connected) DelayMs(clock_, SettlingMs);

  host_.PrepareCapture();
  // A long "Delay" goes a minute at a time; each piece shows its seconds as one wait would.
  const int delay = DelaySecondsOf(in.Registers->Cell(DelayColumn, m));
  auto trigger = [this](int seconds) { host_.WaitTrigger(seconds); };
  WaitInSlices(delay, DelayChunkSeconds, trigger);
  if (host_.IsRunning()) WaitInSlices(delay, DelayChunkSeconds, trigger);

  bool success = false;
  if (CapturesAdc(opt.Choice)) {
    for (int r = 0; r <= 4; ++r) host_.ReadRegister(r);
    const QString acm = in.Registers->Cell(AcmColumn, m);
    host_.SetReferenceText(acm);
    if (connected_) {
      const uint8_t mode = opt.TemperatureCapture ? 2 : (opt.FastRead ? 3 : 1);
      success = host_.Capture(acm, mode, opt.TemperatureCapture);
      // A capture that failed gave no figures: its pass is stored and written as none.
      FigureValues f;
      if (success)
        std::ranges::copy(host_.ChannelResults(), f.begin());
      else
        f.fill(NoReading);
      rec.ResultMat.SetFigures(s, m, f);
      host_.RepaintResults();
      rec.FileB.WriteLine(FigureRow(m, f, host_.FilterLimit()));
    }
  }
  if (ReadsMeters(opt.Choice)) ReadMeters(rec, s, m);
  host_.PassEnded(s, m, opt.Choice != MeasureMeters);
  return success;
}

void StepMeasurement::PowerCommand(const StepInputs& in, const MeasureOptions& opt, int m) {
  const QString enable = in.Power->Cell(1, m);
  const QString command = in.Power->Cell(2, m);
  if (HexStrToInt(enable) == 0 || !ports_.PowerPort.Connected) return;
  QByteArray reply;
  auto query = [&](const QByteArray& text) {
    if (!serial_.ComQuery(ports_.PowerPort, text, reply)) serial_.ComQuery(ports_.PowerPort, text, reply);
  };
  query(EncodeBig5(command));
  if (!TurnsOutputOff(command)) query("OUTP ON");
  // The wait typed, however long; up to a slice it is one busy wait, a longer one
  // looks at "Stop" and the window's close between its slices.
  WaitInSlices(PowerDelayMs(opt.PowerDelayText), PowerDelaySliceMs, [this](int ms) { DelayMs(clock_, ms); });
  host_.Status(0, enable + " - " + command);
}

bool StepMeasurement::CalibratorCommandOf(const StepInputs& in, const MeasureOptions& opt, int m) {
  const QString command = in.Calibrator->Cell(2, m);
  if (HexStrToInt(in.Calibrator->Cell(1, m)) == 0 || !ports_.FlukePort.Connected) return false;
  CalibratorReply reply;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!opt.KeepCalibratorOn) {
      serial_.ComSendText(ports_.FlukePort, "STBY");
      serial_.ComSendText(ports_.FlukePort, "\r");
    }
    reply = CalibratorCommand(serial_, ports_, clock_, command);
    if (reply.Length > 0) break;
  }
  host_.Status(2, reply.Line);
  return !IsStandbyCommand(command);
}

bool StepMeasurement::FlukeOPER() {
  const CalibratorReply r = CalibratorCommand(serial_, ports_, clock_, "OPER");
  host_.Status(2, r.Line);
  return r.Length > 0;
}

void StepMeasurement::WaitInSlices(int total, int slice, const std::function<void(int)>& piece) {
  for (int left = total;;) {
    const int part = std::min(left, slice);
    piece(part);
    left -= part;
    if (left <= 0 || StopAsked()) return;
  }
}

bool StepMeasurement::StopAsked() {
  if (!host_.IsRunning()) return true;
  host_.ProcessMessages();
  return !host_.IsRunning();
}

void StepMeasurement::ReadMeters(TemperatureRecord& rec, int s, int m) {
  for (int ch = 0; ch < BryMenChannelCount; ++ch) {
    if (!ports_.BryMenPorts[ch].Connected) continue;
    // Readings still invalid after their retries (a lost frame, an overload) stay out
    // of the median; none at all is a reading that did not come. A pass that got this
    // far reads its meters whole whatever "Stop" says, so its row is complete; the
    // window's messages are handled before every frame, so a Stop clicked meanwhile
    // ends the run after this pass.
    std::vector<double> values;
    bool flagsRead = false;
    uint8_t flags1 = 0, flags2 = 0;
    auto frame = [&](BryMenReading& r) {
      host_.ProcessMessages();
      return host_.ReadMeter(ch, r);
    };
    for (int k = 0; k < MeterReadsPerMode; ++k) {
      BryMenReading r;
      double v = frame(r);
      for (int retry = 0; r.Invalid && retry < MeterInvalidRetries; ++retry) {
        DelayMs(clock_, MeterRetryPauseMs);
        v = frame(r);
      }
      if (r.Decoded) {
        flagsRead = true;
        flags1 = r.Flags1;
        flags2 = r.Flags2;
      }
      if (!r.Invalid) values.push_back(v);
    }
    MeterMatrix& matrix = host_.Meter(ch);
    matrix.SetReading(s, m, MedianOf(values));
    // The unit of this meter's last frame; none when no frame of it came.
    matrix.SetUnitText(s, m, flagsRead ? MeterUnitText(flags1, flags2) : QString());
  }
  rec.FileBryMen.WriteLine(MeterRow(host_.FileInputs(), s, m));
}
