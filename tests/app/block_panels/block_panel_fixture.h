#pragma once
// A running program with the simulated board and the shipped chip definition, connected,
// as the op-amp, DAC and body-fat panel tests drive it: controls found by name in their
// panel, the register writes that reached the board, and small chip definitions of a test
// parsed in place of the shipped one.

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <utility>
#include <vector>

#include "block_panels/panel_kit.h"
#include "link/mx_up.h"
#include "shell/setup_dialog.h"
#include "app/support/program_fixture.h"

class BlockPanelTest : public ProgramTest {
protected:
  void SetUp() override {
    ProgramTest::SetUp();
    // The panels' tests write field values of their own: a chip that keeps every bit.
    sim.board.chip.ImplementEveryBit();
    StartProgram();
    Click("USBScan");
    sim.board.ClearLog();
  }

  TMx_UP& Up() { return *prog->Mx_UP; }
  uint8_t Shadow(int a) { return Up().GetReg(a, 0); }
  TRegField& Field(FieldId id) { return prog->G.Fields[id]; }

  // The register writes (address, value) that went to the board since the log was cleared.
  std::vector<std::pair<int, int>> Writes() const {
    std::vector<std::pair<int, int>> w;
    for (const Bytes& p : Sent())
      if (p.size() >= 8 && p[0] == 0xC4 && p[1] == 0x00 && p[2] == 0xA0) w.emplace_back(p[3], p[7]);
    return w;
  }

  QAbstractButton* Button(QObject* panel, const QString& name) { return Find<QAbstractButton>(panel, name); }
  QLabel* Label(QObject* panel, const QString& name) { return Find<QLabel>(panel, name); }
  // The closed glyph of a switch is the visible one (and its open glyph hidden).
  bool Closed(QObject* panel, const QString& closedName, const QString& openName) {
    const bool closed = !Button(panel, closedName)->isHidden();
    EXPECT_NE(closed, !Button(panel, openName)->isHidden()) << "exactly one glyph of " << closedName.toStdString();
    return closed;
  }
  bool Lit(QObject* panel, const QString& name) { return LookOf(Label(panel, name)) == Look::Inverted; }

  // A user's pick in a combo box (a paint selects without this signal).
  static void Choose(QComboBox* combo, const QString& text) {
    const int i = combo->findText(text);
    ASSERT_GE(i, 0) << "no item " << text.toStdString();
    combo->setCurrentIndex(i);
    emit combo->activated(i);
  }

  // Replaces the product list with one product "T.INC" holding `definition` and parses it
  // (descriptors the definition does not name keep what the shipped one gave them).
  void ParseOwn(const QByteArray& definition) {
    WriteFile("MxSel.INC", "T.INC TEST 1K\r\n");
    WriteFile("Include/T.INC", definition);
    prog->G.Channels[0].ProductIndex = 0;
    ASSERT_TRUE(prog->Option->GetSELUP());
  }
  // The shipped product list and definition, parsed again.
  void ParseShipped() {
    QFile::remove(Path("MxSel.INC"));
    CopyShippedData(dir.path());
    prog->G.Channels[0].ProductIndex = 0;
    ASSERT_TRUE(prog->Option->GetSELUP());
  }
};
