#pragma once
// A program on the simulated board with the waveform generator and the wave viewer,
// the register-driven windows' refreshes recorded, and helpers to read the packets they send.

#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <vector>

#include "block_panels/wave_chart.h"
#include "block_panels/wave_generator.h"
#include "block_panels/wave_viewer.h"
#include "link/mx_up.h"
#include "app/support/program_fixture.h"

class WaveTest : public ProgramTest {
protected:
  void StartWave() {
    StartProgram();
    gen = prog->WaveGenForm;
    viewer = prog->ShowWaveForm;
    WatchRefreshes([this](RefreshView v) { refreshed.push_back(v); });
  }
  // Connected, the log and the refresh record cleared.
  void Connect() {
    Click("USBScan");
    sim.board.ClearLog();
    refreshed.clear();
  }
  TMx_UP& Up() { return *prog->Mx_UP; }
  uint8_t Shadow(int a) { return Up().GetReg(a, 0); }
  // A register value in the shadow and on the simulated chip.
  void SetRegister(int a, uint8_t v) {
    Up().SetRegShadow(a, v, 0);
    sim.board.chip.Poke(a, v);
  }
  // The DAC supply code as the ADC panel caches it, in the shadow too.
  void SetVddax(int code) {
    TRegField& f = prog->G.Fields.VDDAX;
    SetRegister(f.Address, f.Into(Shadow(f.Address), static_cast<uint8_t>(code)));
    f.Value = static_cast<uint8_t>(code);
  }

  template <typename T>
  T* GenControl(const char* name) const { return Find<T>(gen, name); }

  // Typing into an edit: the text, then Enter (as a key press the filter sees).
  static void Type(QLineEdit* e, const QString& text) {
    e->setText(text);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QCoreApplication::sendEvent(e, &enter);
  }
  // Leaving an edit for another control of the window.
  static void Leave(QLineEdit* e, const QString& text) {
    e->setText(text);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(e, &out);
  }
  static void Choose(QComboBox* c, int index) {
    c->setCurrentIndex(index);
    emit c->activated(index);
  }

  QStringList Messages() const {
    QStringList m;
    for (const auto& s : sim.dialogs.messages) m << s.text;
    return m;
  }

  // A single-register write as the board receives it: C4 00 A0 address 01 .. value.
  static bool IsPut(const Bytes& b, int wireAddress, int value) {
    return b.size() == 8 && b[0] == 0xC4 && b[1] == 0x00 && b[2] == 0xA0 && b[3] == wireAddress && b[4] == 1 &&
           b[7] == value;
  }
  // Writes only (reads of WriteReg's read-back left out), as (address, value) pairs.
  std::vector<std::pair<int, int>> Writes() const {
    std::vector<std::pair<int, int>> w;
    for (const Bytes& b : Sent())
      if (b.size() == 8 && b[0] == 0xC4 && b[1] == 0x00 && b[2] == 0xA0 && b[4] == 1) w.emplace_back(b[3], b[7]);
    return w;
  }

  TWaveGenForm* gen = nullptr;
  TShowWaveForm* viewer = nullptr;
  std::vector<RefreshView> refreshed;
};

// The C-array export of two banks, as "Save RAM" writes it: words 0..63 in bank 0,
// 64..127 in bank 1, high byte first.
inline QByteArray RamArrayText(const WaveTable& words) {
  QByteArray out;
  for (int b = 0; b < 2; ++b) {
    out += "unsigned char Bank" + QByteArray::number(b) + "_Array[128]={\r\n";
    for (int line = 0; line < 8; ++line) {
      for (int i = 0; i < 16; ++i) {
        const int k = 64 * b + 8 * line + i / 2;
        const int byte = i % 2 == 0 ? words[k] >> 8 : words[k] & 0xFF;
        out += "0x" + QByteArray::number(byte, 16).toUpper().rightJustified(2, '0');
        if (!(line == 7 && i == 15)) out += ',';
      }
      out += "\r\n";
    }
    out += "};\r\n\r\n";
  }
  return out;
}
