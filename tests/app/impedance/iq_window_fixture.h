#pragma once
// The I/Q test window on a running program with the shipped chip definition and the
// simulated bench, connected. Its readings come from the bench's fixture unless a test
// scripts them.

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <functional>
#include <memory>
#include <optional>

#include "common/text_encoding.h"
#include "impedance/impedance_fixture.h"
#include "impedance/iq_test_window.h"
#include "link/mx_up.h"
#include "app/support/program_fixture.h"

// The stream word that a DC run decodes to s.
inline int32_t DcWord(int32_t s) { return 2 * s; }

class IQWindowTest : public ProgramTest {
protected:
  // The program started and connected.
  void Start() {
    StartProgram();
    Click("USBScan");
    w = prog->IQForm;
    sim.board.ClearLog();
  }

  IQTestState& S() const { return prog->G.Impedance.IQTest; }
  QLineEdit* Edit(const QString& name) const { return Find<QLineEdit>(w, name); }
  QString Text(const QString& name) const { return Edit(name)->text(); }
  QComboBox* List(const QString& name) const { return Find<QComboBox>(w, name); }
  QRadioButton* Radio(const QString& name) const { return Find<QRadioButton>(w, name); }
  QCheckBox* Check(const QString& name) const { return Find<QCheckBox>(w, name); }
  QPushButton* Button(const QString& name) const { return Find<QPushButton>(w, name); }

  // The bench's fixture (the readings' default): the device under test, and readings
  // without noise.
  void SetDevice(double ohms, double farads) {
    sim.bench.iq.deviceOhms = ohms;
    sim.bench.iq.deviceFarads = farads;
  }
  void QuietReadings() {
    sim.bench.frontEnd.iqNoise = 0;
    sim.bench.frontEnd.adcNoise = 0;
  }

  // Scripted readings, whatever the chip is set to, for the tests of the program's own
  // arithmetic and texts (the bench's network is the default; see bench_jobs_test.cpp).
  // The demodulator gives `first` until a reading of it with I != 0 was taken (the AC
  // calibration's first reading and its retries), then `then(n)`, n counted from there.
  void ScriptReadings(std::pair<double, double> first, std::function<std::pair<double, double>(uint64_t)> then) {
    auto from = std::make_shared<std::optional<uint64_t>>();
    sim.board.iqSource = [first, then, from](uint64_t n) {
      std::pair<double, double> r = first;
      if (*from) r = then(n - **from);
      else if (first.first != 0) *from = n + 1;
      return std::pair<uint32_t, uint32_t>{IqWord(r.first), IqWord(r.second)};
    };
  }
  // Every reading from now from `then(n)`, n counted from now.
  void ScriptReadings(std::function<std::pair<double, double>(uint64_t)> then) {
    const uint64_t from = sim.board.iqConversions;
    sim.board.iqSource = [then, from](uint64_t n) {
      const auto [i, q] = then(n - from);
      return std::pair<uint32_t, uint32_t>{IqWord(i), IqWord(q)};
    };
  }
  // The stream's samples (as a DC run decodes them) by the stream they belong to:
  // `streams[k]` for the k-th stream started from now (the DC calibration's lists DC and
  // DC1, or a run's DC and DC+AC(ADC) phases), the last one for every later stream.
  void ScriptStreams(std::vector<std::function<int32_t(uint64_t)>> streams) {
    const uint64_t from = sim.board.streamStarts;
    sim.board.streamSource = [this, streams, from](uint64_t n) {
      const size_t k = std::clamp<size_t>(sim.board.streamStarts - from, 1, streams.size());
      return DcWord(streams[k - 1](n));
    };
  }


  // Message boxes shown since the last look, as "caption: text".
  QStringList Messages() {
    QStringList out;
    for (const auto& m : sim.dialogs.messages) out << m.caption + ": " + m.text;
    sim.dialogs.messages.clear();
    return out;
  }

  // A typed character, as the keyboard sends it.
  static void Type(QWidget* target, const QString& keys) {
    for (QChar c : keys) {
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
      QCoreApplication::sendEvent(target, &press);
    }
  }
  // Focus moving from an edit to another control.
  static void Leave(QWidget* edit) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(edit, &out);
  }

  // Register writes (address, value) sent since the log was cleared.
  std::vector<std::pair<int, int>> RegisterWrites() const {
    std::vector<std::pair<int, int>> out;
    for (const Bytes& p : Sent())
      if (p.size() >= 8 && p[0] == 0xC4 && p[1] == 0x00 && p[2] == 0xA0) out.emplace_back(p[3], p[7]);
    return out;
  }
  int CountSent(const Bytes& prefix) const {
    int k = 0;
    for (const Bytes& p : Sent())
      if (p.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), p.begin())) ++k;
    return k;
  }

  // The run logs in the folder "log", by name.
  QStringList Logs() const;
  QStringList LogLines(const QString& name) const { return SplitLines(DecodeBig5(ReadFile("log/" + name))); }

  TIQForm* w = nullptr;
};

inline QStringList IQWindowTest::Logs() const {
  QDir d(Path("log"));
  return d.entryList(QDir::Files, QDir::Name);
}
