#pragma once
// The I/Q test window on a running program with the shipped chip definition and the
// simulated board, connected. The demodulator's results follow the chip's register
// 1Fh (reference resistor or device) and the stream's samples register 13h (AI4 or
// AI5), so the calibrations and runs see readings a test chooses.

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

  // The demodulator gives (I, Q) by what register 1Fh selects: 01h the reference
  // resistor, anything else the device.
  void Readings(std::pair<double, double> reference, std::function<std::pair<double, double>(uint64_t)> device) {
    sim.board.iqSource = [this, reference, device](uint64_t n) {
      const auto [i, q] = sim.board.chip.Peek(0x1F) == 0x01 ? reference : device(n);
      return std::pair<uint32_t, uint32_t>{IqWord(i), IqWord(q)};
    };
  }
  // Stream samples by input: list DC selects AI4 (register 13h bits 7-4 = 4), list DC1 AI5.
  void Samples(std::function<int32_t(uint64_t)> ai4, std::function<int32_t(uint64_t)> ai5) {
    sim.board.streamSource = [this, ai4, ai5](uint64_t n) {
      return DcWord(((sim.board.chip.Peek(0x13) >> 4) & 0x0F) == 5 ? ai5(n) : ai4(n));
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
