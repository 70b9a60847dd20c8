#pragma once
// A Program with the simulated board connected and the analysis window at hand, the
// ADC gain at 1 (the AD1GN field at 2 in the register shadow, as the ADC panel
// caches it) and the packet log empty.

#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdint>

#include "adc_analysis/analysis_window.h"
#include "link/mx_up.h"
#include "shell/main_panel.h"
#include "app/support/program_fixture.h"

class AnalysisProgramTest : public ProgramTest {
protected:
  void SetUp() override {
    ProgramTest::SetUp();
    StartProgram();
    w = prog->AnxADC;
    Click("USBScan");
    ASSERT_EQ(prog->MainPanel->StatusBar1->Text(0), "USB On Line");
    TRegField& gain = prog->G.Fields.AD1GN;
    uint8_t& reg = prog->G.Channels[0].RegShadow[gain.Address];
    reg = gain.Into(reg, 2);
    prog->Mx_UP->RunRefreshChain();
    ASSERT_EQ(gain.Value, 2);
    sim.board.ClearLog();
  }

  // Host -> board packets whose first bytes are these.
  int CountSent(const Bytes& prefix) const {
    int n = 0;
    for (const Bytes& p : Sent())
      if (p.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), p.begin())) ++n;
    return n;
  }

  // Clicks the button, and again, as the stop request, once `us` of fake time passed
  // (a capture that polls a lost board until stopped); true when that second click came.
  bool ClickAndStopAfter(QPushButton* button, int64_t us) {
    const int64_t start = sim.clock.SteadyUs();
    bool stopped = false;
    QTimer poller;
    QObject::connect(&poller, &QTimer::timeout, [&] {
      if (!stopped && sim.clock.SteadyUs() - start > us) {
        stopped = true;
        button->click();
      }
    });
    poller.start(0);
    button->click();
    return stopped;
  }

  TAnxADC* w = nullptr;
};
