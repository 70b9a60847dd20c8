#include "sim/sim_instruments.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "common/number_text.h"
#include "platform/clock.h"
#include "platform/serial_services.h"

namespace {
constexpr char kStx = 0x02;
constexpr char kEtx = 0x03;
constexpr char kDle = 0x10;
constexpr qsizetype kMaxPending = 4096;  // input without a command end is dropped beyond this

bool ParseHex4(const QByteArray& text, uint16_t& value) {
  if (text.size() != 4) return false;
  bool ok = false;
  const uint v = text.toUInt(&ok, 16);
  value = static_cast<uint16_t>(v);
  return ok;
}

QByteArray Hex4(uint16_t v) { return IntToHexW(v, 4).toLatin1(); }

// Length of the first line ended by `end` (included), 0 when it has not come whole.
qsizetype LineLength(const QByteArray& pending, char end) {
  const qsizetype i = pending.indexOf(end);
  return i < 0 ? 0 : i + 1;
}

// A command text without its line end and surrounding blanks.
QByteArray LineText(const QByteArray& command) { return command.trimmed(); }

// A calibrator quantity: a number and its unit, a prefix of u, m or k (in either case)
// allowed; the unit's text as given.
struct Quantity {
  double value;
  QString unit;
};
std::optional<Quantity> QuantityOf(const QByteArray& text) {
  static const QRegularExpression quantity(
      R"(^\s*([-+]?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?)\s*([umkUMK]?)([A-Za-z]+)\s*$)");
  const QRegularExpressionMatch m = quantity.match(QString::fromLatin1(text));
  if (!m.hasMatch()) return std::nullopt;
  const QChar prefix = m.captured(2).isEmpty() ? QChar() : m.captured(2).at(0).toLower();
  const double scale = prefix == 'u' ? 1e-6 : prefix == 'm' ? 1e-3 : prefix == 'k' ? 1e3 : 1;
  return Quantity{m.captured(1).toDouble() * scale, m.captured(3)};
}
bool UnitIs(const Quantity& q, const char* unit) { return q.unit.compare(unit, Qt::CaseInsensitive) == 0; }

// An OUT argument the calibrator takes: a voltage, current or resistance, and for a
// voltage or current at most a frequency after a comma.
bool ValidOutput(const QByteArray& argument) {
  const QList<QByteArray> parts = argument.split(',');
  if (parts.size() > 2) return false;
  const auto first = QuantityOf(parts.first());
  if (!first || !(UnitIs(*first, "V") || UnitIs(*first, "A") || UnitIs(*first, "OHM"))) return false;
  if (parts.size() == 1) return true;
  const auto hz = QuantityOf(parts[1]);
  return hz && UnitIs(*hz, "Hz") && !UnitIs(*first, "OHM");
}
}  // namespace

// ---- common ----

SimInstrument::SimInstrument(Clock& clock) : clock_(clock) {}

void SimInstrument::HostWrote(int count) {
  const QByteArray bytes = pty_.Read(count);
  received += bytes;
  Take(bytes);
  Serve();
}

void SimInstrument::Take(const QByteArray& bytes) {
  pending_ += bytes;
  for (;;) {
    const qsizetype n = CommandLength(pending_);
    if (n <= 0) break;
    const QByteArray command = pending_.left(n);
    pending_.remove(0, n);
    commands.append(command);
    Handle(command);
  }
  if (pending_.size() > kMaxPending) pending_.remove(0, pending_.size() - kMaxPending);
}

void SimInstrument::Serve() {
  const int64_t now = clock_.SteadyUs();
  Advance(now);
  // Bytes written around the serial services (none expected) are handled too.
  const QByteArray stray = pty_.ReadAvailable();
  if (!stray.isEmpty()) {
    received += stray;
    Take(stray);
  }
  while (!out_.empty() && out_.front().dueUs <= now) {
    const QByteArray bytes = out_.front().bytes;
    out_.pop_front();
    pty_.Write(bytes);
    answered += bytes;
  }
}

void SimInstrument::LineFunction(uint32_t function) {
  lineChanges.append({clock_.SteadyUs(), function});
  if (function == SETRTS || function == CLRRTS) rts = function == SETRTS;
  if (function == SETDTR || function == CLRDTR) dtr = function == SETDTR;
}

void SimInstrument::Arm(InstrumentFault fault, FaultSpan span) { faults_.Arm(fault, span); }

void SimInstrument::Script(QList<QByteArray> answers, int after) {
  faults_.Arm(InstrumentFault::Scripted, {.after = after, .count = static_cast<int>(answers.size())});
  script_ = std::move(answers);
}

void SimInstrument::ClearFaults() {
  faults_.Clear();
  script_.clear();
}

bool SimInstrument::Wrong() { return faults_.Hit(InstrumentFault::Wrong) != nullptr; }

// Each fault counts the answers that reach it: one kept back is not scripted, cut or split.
void SimInstrument::Answer(QByteArray reply) {
  if (faults_.Hit(InstrumentFault::Silent) || faults_.Hit(InstrumentFault::Ignore)) return;
  if (faults_.Hit(InstrumentFault::Scripted) && !script_.isEmpty()) reply = script_.takeFirst();
  if (const FaultSpan* cut = faults_.Hit(InstrumentFault::Short))
    reply = reply.left(static_cast<qsizetype>(cut->bytes));
  if (reply.isEmpty()) return;
  int64_t due = clock_.SteadyUs() + static_cast<int64_t>(delayMs) * 1000;
  const FaultSpan* split = faults_.Hit(InstrumentFault::Split);
  const qsizetype at = split ? static_cast<qsizetype>(split->bytes) : 0;
  if (at > 0 && at < reply.size()) {
    out_.push_back({due, reply.left(at)});
    reply.remove(0, at);
    due += static_cast<int64_t>(split->gapMs) * 1000;
  }
  out_.push_back({due, reply});
}

// ---- chamber ----

SimChamber::SimChamber(Clock& clock) : SimInstrument(clock) {
  registers[0x0010] = 0x0001;  // identification word
}

uint16_t SimChamber::Register(uint16_t address) const {
  if (address == 0x0001) return static_cast<uint16_t>(static_cast<int>(std::lround(temperature * 10)) & 0xFFFF);
  if (address == 0x0002) return static_cast<uint16_t>(static_cast<int>(std::lround(humidity * 10)) & 0xFFFF);
  auto it = registers.find(address);
  return it == registers.end() ? 0 : it->second;
}

qsizetype SimChamber::CommandLength(const QByteArray& pending) const { return LineLength(pending, '\n'); }

void SimChamber::Advance(int64_t nowUs) {
  const double minutes = last_us_ == 0 ? 0.0 : (nowUs - last_us_) / 60e6;
  last_us_ = nowUs;
  if (!running || minutes <= 0) return;
  auto follow = [&](double& value, uint16_t setPointReg, uint16_t slopeReg) {
    const double target = static_cast<int16_t>(Register(setPointReg)) / 10.0;
    const uint16_t slope = Register(slopeReg);
    const double step = (slope ? slope / 10.0 : defaultSlopePerMin) * minutes;
    value = value < target ? std::min(target, value + step) : std::max(target, value - step);
  };
  follow(temperature, 0x0102, 0x0106);
  follow(humidity, 0x0103, 0x0107);
}

void SimChamber::Handle(const QByteArray& command) {
  Advance(clock_.SteadyUs());
  const qsizetype stx = command.indexOf(kStx);
  if (stx < 0) return;  // no frame start: line noise
  QByteArray body = command.mid(stx + 1);
  while (body.endsWith('\n') || body.endsWith('\r')) body.chop(1);
  if (!body.startsWith("01")) return;  // another controller's address
  const bool wrong = Wrong();
  const QByteArray verb = body.mid(2, 3);
  const QList<QByteArray> fields = body.split(',');
  auto refuse = [&] { Answer(QByteArray(1, kStx) + "01" + verb + ",NG\r\n"); };

  bool countOk = false;
  const int count = fields.size() >= 2 && fields[1].size() == 2 ? fields[1].toInt(&countOk) : 0;
  uint16_t address = 0;
  if (fields.size() < 3 || fields[0] != "01" + verb || !countOk || count < 1 ||
      !ParseHex4(fields[2], address)) {
    refuse();
    return;
  }
  const QByteArray ok = wrong ? "NG" : "OK";
  if (verb == "WSD") {
    if (fields.size() != 3 + count) {
      refuse();
      return;
    }
    std::vector<uint16_t> values(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
      if (!ParseHex4(fields[3 + i], values[static_cast<size_t>(i)])) {
        refuse();
        return;
      }
    if (!wrong) {
      for (int i = 0; i < count; ++i) {
        const uint16_t reg = static_cast<uint16_t>(address + i);
        registers[reg] = values[static_cast<size_t>(i)];
        if (reg == 0x0101 && values[static_cast<size_t>(i)] == 1) running = true;
        if (reg == 0x0101 && values[static_cast<size_t>(i)] == 4) running = false;
      }
    }
    Answer(QByteArray(1, kStx) + "01WSD," + ok + "\r\n");
  } else if (verb == "RSD") {
    if (fields.size() != 3) {
      refuse();
      return;
    }
    QByteArray reply = QByteArray(1, kStx) + "01RSD," + ok;
    for (int i = 0; i < count; ++i) reply += "," + Hex4(Register(static_cast<uint16_t>(address + i)));
    Answer(reply + "\r\n");
  } else {
    refuse();
  }
}

// ---- calibrator ----

SimCalibrator::SimCalibrator(Clock& clock) : SimInstrument(clock) {}

qsizetype SimCalibrator::CommandLength(const QByteArray& pending) const { return LineLength(pending, '\r'); }

void SimCalibrator::Handle(const QByteArray& command) {
  const QByteArray text = LineText(command);
  if (text.isEmpty()) return;
  const bool wrong = Wrong();
  const QByteArray word = text.split(' ').first().toUpper();
  QByteArray reply = "OK";
  if (word == "*OPT") {
    reply = options;
  } else if (word == "STBY") {
    operating = false;
  } else if (word == "OPER") {
    operating = true;
  } else if (text.toUpper() == "RANGELCK ON" || text.toUpper() == "RANGELCK OFF") {
    rangeLocked = text.toUpper().endsWith("ON");
  } else if (word == "OUT" && ValidOutput(text.mid(4))) {
    output = text.mid(4).trimmed();
  } else {  // an unknown command, or an OUT whose argument is no output: nothing changes
    reply = "ERR";
  }
  Answer((wrong ? QByteArray("ERR") : reply) + "\r");
}

double SimCalibrator::TerminalVolts() const {
  if (!operating || output.isEmpty()) return 0;
  const QList<QByteArray> parts = output.split(',');
  const auto volts = QuantityOf(parts.first());
  if (!volts || !UnitIs(*volts, "V")) return 0;
  for (qsizetype k = 1; k < parts.size(); ++k) {
    const auto hz = QuantityOf(parts[k]);
    if (!hz || !UnitIs(*hz, "Hz") || hz->value != 0) return 0;
  }
  return volts->value;
}

// ---- power supply ----

SimPowerSupply::SimPowerSupply(Clock& clock) : SimInstrument(clock) {}

qsizetype SimPowerSupply::CommandLength(const QByteArray& pending) const { return LineLength(pending, '\n'); }

void SimPowerSupply::Handle(const QByteArray& command) {
  const QByteArray text = LineText(command);
  if (text.isEmpty()) return;
  const bool wrong = Wrong();
  const qsizetype blank = text.indexOf(' ');
  const QByteArray header = (blank < 0 ? text : text.left(blank)).toUpper();
  const QByteArray arg = blank < 0 ? QByteArray() : text.mid(blank + 1).trimmed().toUpper();
  auto reply = [&](const QByteArray& r) { Answer((wrong ? QByteArray("-100,\"Command error\"") : r) + "\r\n"); };
  bool ok = true;
  auto number = [&](double& into) {
    const double v = arg.toDouble(&ok);
    if (ok) into = v;
  };
  if (header == "*IDN?") reply(identity);
  else if (header == "SYST:REM") remote = true;
  else if (header == "VOLT" && !arg.isEmpty()) number(volts);
  else if (header == "CURR" && !arg.isEmpty()) number(amps);
  else if (header == "OUTP" && (arg == "ON" || arg == "1")) outputOn = true;
  else if (header == "OUTP" && (arg == "OFF" || arg == "0")) outputOn = false;
  else if (header == "VOLT?") reply(QByteArray::number(volts, 'f', 3));
  else if (header == "CURR?") reply(QByteArray::number(amps, 'f', 3));
  else if (header == "OUTP?") reply(outputOn ? "1" : "0");
  else ok = false;
  if (!ok) ++errors;
}

// ---- meter ----

SimMeter::SimMeter(Clock& clock) : SimInstrument(clock) {}

QByteArray SimMeter::Frame(const MeterReading& r) {
  QByteArray f;
  f.append(kDle).append(kStx).append('\0').append('\0');
  f.append(static_cast<char>(r.flags1)).append(static_cast<char>(r.flags2)).append('\0').append('\0');
  f.append(r.sign).append(r.text.leftJustified(7, ' ', true));
  f.append(' ').append(r.exponentSign).append(r.exponent);
  char check = 0;
  for (qsizetype i = 2; i < f.size(); ++i) check = static_cast<char>(check ^ f[i]);
  f.append(check).append(kDle).append(kEtx);
  return f;
}

qsizetype SimMeter::CommandLength(const QByteArray& pending) const {
  for (qsizetype i = 0; i + 1 < pending.size(); ++i)
    if (pending[i] == kDle && pending[i + 1] == kEtx) return i + 2;
  return 0;
}

void SimMeter::Handle(const QByteArray& command) {
  const qsizetype start = command.indexOf(QByteArray(1, kDle) + kStx);
  const QByteArray request = start < 0 ? QByteArray() : command.mid(start);
  if (request.size() != 8 || request[5] != static_cast<char>(request[2] ^ request[3] ^ request[4]))
    return;  // not a request: no answer
  ++requests;
  const bool wrong = Wrong();
  if (!readings.isEmpty()) reading = readings.takeFirst();
  else if (follow) reading = follow();
  QByteArray frame = Frame(reading);
  if (wrong) frame.remove(0, 2);
  Answer(frame);
}
