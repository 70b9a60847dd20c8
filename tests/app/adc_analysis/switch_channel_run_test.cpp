// The switched ADC channel test's run on a Program with the simulated board: the
// channel snapshots, the scan table, the completion wait, the fetch into the records,
// the scale and the result files.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <memory>

#include "adc_analysis/analysis_window.h"
#include "adc_analysis/switch_channel_test.h"
#include "common/errors.h"
#include "link/mx_up.h"
#include "shell/main_panel.h"
#include "shell/setup_dialog.h"
#include "app/support/program_fixture.h"
#include "support/file_faults.h"

namespace {

constexpr int32_t kUnset = -7;

class SwitchRun : public ProgramTest {
protected:
  void SetUp() override {
    ProgramTest::SetUp();
    StartProgram();
    w = prog->WeightCAL;
    Click("USBScan");
    Click("MCALW");
    ASSERT_TRUE(w->Shown());
    for (int k = 0; k < 8; ++k) {
      for (int i = 0; i < 11; ++i) w->SwitchChannels[k].RegValue[i] = static_cast<uint8_t>(0x10 * k + i);
      std::fill(w->SwitchChannels[k].Results.begin(), w->SwitchChannels[k].Results.end(), kUnset);
    }
    sim.board.ClearLog();
  }

  void Check(std::initializer_list<int> channels) {
    for (int c : channels) {
      w->SwitCh[c - 1]->setChecked(true);
      w->SwitChClick(c - 1);
    }
  }
  void Rounds(int index) {
    w->LoopStep->setCurrentIndex(index);
    w->LoopStepChange();
  }
  void StepLength(int index) {
    w->EvStepLen->setCurrentIndex(index);
    w->EvStepLenChange();
  }
  static void Release(QWidget* panel) {
    QMouseEvent e(QEvent::MouseButtonRelease, QPointF(3, 3), panel->mapToGlobal(QPointF(3, 3)), Qt::LeftButton,
                  Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(panel, &e);
  }
  QString Status(int panel) const { return prog->MainPanel->StatusBar1->Text(panel); }
  int32_t Result(int record, int index) const { return w->SwitchChannels[record].Results[index]; }

  // The exchanges as short words: "name", "status", "W" or "R" with the board
  // address (transfers to the board's bus B0h; packet byte 5 is the address's high
  // byte), "chip W" or "chip R" with the register of a transfer to the chip.
  QStringList Trace() const {
    QStringList t;
    for (const Bytes& p : Sent()) {
      if (p.size() >= 2 && p[0] == 0xF9 && p[1] == 0x05) t << "name";
      if (p.size() >= 2 && p[0] == 0xB5 && p[1] == 0x07) t << "status";
      if (p.size() >= 6 && p[0] == 0xC4 && p[2] == 0xB0 && p[1] <= 1)
        t << (p[1] == 0 ? "W" : "R") + QString::number(p[5] * 256 + p[3], 16).toUpper();
      if (p.size() >= 5 && p[0] == 0xC4 && p[2] == 0xA0 && p[1] <= 1)
        t << (p[1] == 0 ? "chip W" : "chip R") + QString::number(p[3], 16).toUpper();
    }
    return t;
  }
  // The data bytes of every write to a board address.
  std::vector<Bytes> WritesTo(int address) const {
    std::vector<Bytes> out;
    for (const Bytes& p : Sent())
      if (p.size() >= 7 && p[0] == 0xC4 && p[1] == 0 && p[2] == 0xB0 && p[3] == (address & 0xFF) &&
          p[5] == (address >> 8))
        out.emplace_back(p.begin() + 7, p.begin() + 7 + p[4]);
    return out;
  }
  // Clicks "STOP" from the event loop once the board has answered `polls` status
  // requests of the completion wait.
  void StopAfterStatusPolls(int polls) {
    auto seen = std::make_shared<int>(0);
    sim.board.afterCommand = [this, polls, seen](const std::vector<uint8_t>& c) {
      if (c[0] == 0xB5 && ++*seen == polls + 1)  // the run's first request is no poll
        QMetaObject::invokeMethod(w, [this] { Release(w->PSTP); }, Qt::QueuedConnection);
    };
  }
  int CountOf(const QStringList& trace, const QString& word) const { return static_cast<int>(trace.count(word)); }

  TWeightCAL* w = nullptr;
};

TEST_F(SwitchRun, ThreeChannelsFourSamplesTwoRounds) {
  Check({1, 2, 3});
  Rounds(1);
  std::vector<bool> beginEnabled;
  sim.board.afterCommand = [&](const std::vector<uint8_t>& c) {
    if (c[0] == 0xB5) beginEnabled.push_back(w->TestBegin->isEnabled());
  };
  w->TestBegin->click();

  const QStringList fetch = {"W170", "W173", "RA4", "WA4", "RA4", "RA4", "R100"};
  EXPECT_EQ(Trace(), QStringList({"name", "status", "R75", "W75", "R74", "W74", "RD2", "WD2", "RD2", "RD2",
                                  "W128", "R128", "W130", "W150", "W120", "W122", "W124", "W170", "RD2", "WD2",
                                  "RA4", "WA4", "status", "status"}) +
                         fetch + fetch);
  // The table: record 0's addresses, values 1..8 of each record, 4 samples, 2 rounds, 3 channels.
  EXPECT_EQ(WritesTo(0x128)[0], Bytes({49, 50, 55, 60, 61, 62, 63, 64}));
  const Bytes values0 = WritesTo(0x130)[0];
  ASSERT_EQ(values0.size(), 32u);
  EXPECT_EQ(values0[0], 0x00);
  EXPECT_EQ(values0[7], 0x07);
  EXPECT_EQ(values0[8], 0x10);
  EXPECT_EQ(values0[31], 0x37);
  EXPECT_EQ(WritesTo(0x150)[0][0], 0x40);
  EXPECT_EQ(WritesTo(0x120)[0], Bytes{4});
  EXPECT_EQ(WritesTo(0x122)[0], Bytes({2, 0}));
  EXPECT_EQ(WritesTo(0x124)[0], Bytes{3});
  // 24 samples fetched as 16 and 8, each from its byte offset.
  EXPECT_EQ(WritesTo(0x173), std::vector<Bytes>({{48, 0, 0}, {24, 0, 0}}));
  EXPECT_EQ(WritesTo(0x170), std::vector<Bytes>({{0, 0, 0}, {0, 0, 0}, {48, 0, 0}}));
  EXPECT_EQ(sim.board.boardRegA4 & 0x60, 0);

  // Block j of every round lands in record j: sample 5 at record 1 index 1, sample 12
  // at record 0 index 4 (round 1, sample 0).
  EXPECT_EQ(Result(1, 1), 2 * 0x10000 + 1);
  EXPECT_EQ(Result(0, 4), 0x10000 + 0x100);
  EXPECT_EQ(Result(2, 7), 3 * 0x10000 + 0x100 + 3);
  EXPECT_EQ(Result(3, 0), kUnset);  // records beyond the count keep their results
  EXPECT_EQ(Result(0, 8), kUnset);
  EXPECT_EQ(w->SGDS->item(2, 1)->text(), QString::number(0x10000 + 0x100));
  EXPECT_EQ(Status(2), "Test OK");
  EXPECT_EQ(Status(1), "2");
  EXPECT_TRUE(prog->MainPanel->Gauge1->isHidden());
  EXPECT_EQ(beginEnabled, std::vector<bool>({true, false, false}));
  EXPECT_TRUE(w->TestBegin->isEnabled());
}

TEST_F(SwitchRun, CompletionBitFollowsPhotoAndTheBoardName) {
  struct Case {
    const char* name;
    bool photo;
    uint8_t doneBits;
    bool ok;
  };
  for (const Case& c : {Case{"ENOB0001", true, 0x10, true}, Case{"ENOB0001", true, 0x20, false},
                        Case{"E7403V01", true, 0x20, true}, Case{"E7403V01", true, 0x10, false},
                        Case{"ENOB0001", false, 0x20, true}}) {
    SCOPED_TRACE(std::string(c.name) + (c.photo ? " photo" : ""));
    Check({1});
    prog->Option->Photo->setChecked(c.photo);
    sim.board.boardName = c.name;
    sim.board.scanDoneBits = c.doneBits;
    sim.board.boardStatus[0] = 0;
    std::fill(w->SwitchChannels[0].Results.begin(), w->SwitchChannels[0].Results.end(), kUnset);
    sim.board.ClearLog();
    // A board that never reports the bit is waited for until the user stops the run.
    StopAfterStatusPolls(400);
    const int64_t start = sim.clock.SteadyUs();
    w->TestBeginClick();
    EXPECT_EQ(Status(2), c.ok ? "Test OK" : "Test Fail");
    if (!c.ok) {
      const int64_t waited = sim.clock.SteadyUs() - start;
      EXPECT_GE(waited, 400'000'000);
      EXPECT_LT(waited, 402'000'000);
      EXPECT_EQ(Result(0, 0), kUnset);
    } else {
      EXPECT_EQ(Result(0, 3), 0x10000 + 3);
    }
  }
}

// 2,048 samples on a board that needs 300 s: the wait goes on while the Stop panel
// is live, and the results are fetched.
TEST_F(SwitchRun, SlowBoardIsWaitedForAndFetched) {
  Check({1, 2, 3, 4, 5, 6, 7, 8});
  StepLength(2);  // 4 samples a step
  Rounds(6);      // 64 rounds: 8 x 4 x 64 = 2,048 samples
  sim.board.Arm(FirmwareFault::SlowScan, FaultSpan::FromNowOn({.reads = 300}));
  const int64_t start = sim.clock.SteadyUs();
  w->TestBeginClick();
  EXPECT_GE(sim.clock.SteadyUs() - start, 301'000'000);
  EXPECT_EQ(Status(1), "301");
  EXPECT_EQ(Status(2), "Test OK");
  EXPECT_EQ(CountOf(Trace(), "R100"), 2048 / 16);
  EXPECT_EQ(Result(0, 0), 0x10000);
  EXPECT_EQ(Result(7, 63 * 4 + 3), 8 * 0x10000 + 63 * 0x100 + 3);  // the last sample
}

// The run's transfers go to the board's bus and ordinary register writes to the chip,
// whatever byte 5 of the packet buffer holds: before, during and after a run, a write
// of 31h, of A4h or of D2h (chip RAM) reaches the chip and leaves the board alone.
TEST_F(SwitchRun, RegisterWritesReachTheChipBeforeDuringAndAfterARun) {
  TMx_UP& up = *prog->Mx_UP;
  auto writeChip = [&](uint8_t value) {
    prog->G.PacketBuf[5] = 0x01;  // as a page byte would be, or a step's value
    for (int a : {0x31, 0xA4, 0xD2}) EXPECT_TRUE(up.WriteReg(a, static_cast<uint8_t>(value + a), 0)) << a;
  };
  auto chipHolds = [&](uint8_t value) {
    for (int a : {0x31, 0xA4, 0xD2}) {
      EXPECT_EQ(sim.board.chip.Peek(a), static_cast<uint8_t>(value + a)) << a;
      EXPECT_EQ(up.GetReg(a, 0), static_cast<uint8_t>(value + a)) << a;
    }
  };
  Check({1});
  writeChip(0x10);
  chipHolds(0x10);
  int polls = 0;
  sim.board.Arm(FirmwareFault::SlowScan, FaultSpan::FromNowOn({.reads = 3}));
  sim.board.afterCommand = [&](const std::vector<uint8_t>& c) {
    if (c[0] == 0xB5 && ++polls == 2) QMetaObject::invokeMethod(w, [&] { writeChip(0x20); }, Qt::QueuedConnection);
  };
  w->TestBeginClick();
  EXPECT_EQ(Status(2), "Test OK");
  chipHolds(0x20);
  EXPECT_EQ(Result(0, 3), 0x10000 + 3);
  sim.board.afterCommand = nullptr;
  const uint8_t table31 = sim.board.scanTable[0x31];
  const uint8_t boardA4 = sim.board.boardRegA4;
  writeChip(0x30);
  chipHolds(0x30);
  EXPECT_EQ(sim.board.scanTable[0x31], table31);
  EXPECT_EQ(sim.board.boardRegA4, boardA4);
  EXPECT_EQ(sim.board.boardRegs[0x31], 0);
  // The run itself never touched the chip: its 74h and 75h are the board's.
  EXPECT_EQ(sim.board.chip.Peek(0x75), 0);
  EXPECT_EQ(sim.board.boardRegs[0x75] & 0x08, 0x08);
}

TEST_F(SwitchRun, ResultsAreSignedAndScaled) {
  Check({1});
  const int32_t raw[4] = {0xFFFFFF, 0x800000, 0x000001, 0x7FFFFF};
  sim.board.scanSource = [&](int, int, int i) { return raw[i]; };
  w->TestBeginClick();
  EXPECT_EQ(Result(0, 0), -1);
  EXPECT_EQ(Result(0, 1), -8388608);
  EXPECT_EQ(Result(0, 2), 1);
  EXPECT_EQ(Result(0, 3), 8388607);

  // "22" on this window's scale gives divisor 2; truncation toward zero.
  w->TXScale->setCurrentIndex(14);
  w->TXScaleChange();
  w->TestBeginClick();
  EXPECT_EQ(Result(0, 0), 0);
  EXPECT_EQ(Result(0, 1), -4194304);
  EXPECT_EQ(Result(0, 2), 0);
  EXPECT_EQ(Result(0, 3), 4194303);
}

TEST_F(SwitchRun, ScaleIsTheAnalysisScale) {
  TAnxADC* anx = prog->AnxADC;
  w->TXScale->setCurrentIndex(4);  // "12"
  w->TXScaleChange();
  EXPECT_EQ(prog->G.ScaleDivisor, 2048);
  EXPECT_EQ(anx->st.ScaleBits, 12);
  EXPECT_EQ(anx->TXScale->currentText(), "12");

  w->TXScale->setCurrentIndex(16);  // "24" changes neither
  w->TXScaleChange();
  EXPECT_EQ(prog->G.ScaleDivisor, 2048);
  EXPECT_EQ(anx->st.ScaleBits, 12);
  EXPECT_EQ(anx->TXScale->currentIndex(), -1);

  // And the analysis window's choice shows here.
  anx->TXScale->setCurrentIndex(8);
  anx->TXScaleChange();
  EXPECT_EQ(w->TXScale->currentText(), "16");
}

TEST_F(SwitchRun, UncheckedFirstChannelFillsTheFirstRecords) {
  Check({2, 5});
  w->TestBeginClick();
  EXPECT_EQ(WritesTo(0x124)[0], Bytes{2});
  EXPECT_EQ(Result(0, 0), 0x10000);
  EXPECT_EQ(Result(1, 0), 2 * 0x10000);
  EXPECT_EQ(Result(4, 0), kUnset);
  w->PStepClick(1);  // channel 1 is unchecked: record 0 is shown
  EXPECT_EQ(w->CurrentStep, 1);
  EXPECT_EQ(w->SGDS->item(1, 1)->text(), QString::number(0x10000));
}

TEST_F(SwitchRun, StopInTheWaitFailsAndInTheFetchKeepsWhatCame) {
  Check({1, 2, 3});
  Rounds(1);
  // Stop during the completion wait: the board never completes.
  sim.board.Arm(FirmwareFault::SlowScan, FaultSpan::StuckFromNow());
  int polls = 0;
  sim.board.afterCommand = [&](const std::vector<uint8_t>& c) {
    if (c[0] == 0xB5 && ++polls == 3) QMetaObject::invokeMethod(w, [this] { Release(w->PSTP); }, Qt::QueuedConnection);
  };
  w->TestBeginClick();
  EXPECT_EQ(Status(2), "Test Fail");
  EXPECT_EQ(polls, 4);  // the round that saw the stop still asked the board
  EXPECT_EQ(Result(0, 0), kUnset);

  // Stop during the fetch: the first 16 samples are kept and shown.
  sim.board.ClearFaults();
  sim.board.afterCommand = [&](const std::vector<uint8_t>& c) {
    if (c[0] == 0xC4 && c[1] == 0x01 && c[3] == 0x00 && c[5] == 0x01)
      QMetaObject::invokeMethod(w, [this] { w->PSTPClick(); }, Qt::QueuedConnection);
  };
  sim.board.ClearLog();
  w->TestBeginClick();
  EXPECT_EQ(CountOf(Trace(), "R100"), 1);
  EXPECT_EQ(Status(2), "Test OK");
  EXPECT_EQ(Result(0, 3), 0x10000 + 3);          // sample 3
  EXPECT_EQ(Result(0, 4), 0x10000 + 0x100);      // sample 12
  EXPECT_EQ(Result(1, 4), kUnset);               // sample 16, not fetched
  EXPECT_EQ(Result(1, 3), 2 * 0x10000 + 3);      // sample 7
  EXPECT_EQ(Result(0, 0), 0x10000);
  EXPECT_EQ(w->SGDS->item(1, 1)->text(), QString::number(0x10000));
  EXPECT_TRUE(prog->MainPanel->Gauge1->isHidden());
}

TEST_F(SwitchRun, EveryWaitEnds) {
  Check({1, 2, 3});
  Rounds(1);
  // A board that goes silent once the scan runs: the first completion poll fails.
  sim.board.afterCommand = [&](const std::vector<uint8_t>& c) {
    if (c[0] == 0xC4 && c[1] == 0x00 && c[3] == 0xA4 && (c[7] & 0x10)) sim.board.Arm(BoardFault::Silent, {.count = FaultSpan::UntilCleared});
  };
  int64_t start = sim.clock.SteadyUs();
  w->TestBeginClick();
  EXPECT_EQ(Status(2), "Test Fail");
  EXPECT_LE(sim.clock.SteadyUs() - start, 1'100'000);
  sim.board.ClearFaults();
  sim.board.afterCommand = nullptr;

  // D2h bit 7 that never clears: no table is sent.
  Click("USBScan");
  sim.board.ClearLog();
  sim.board.Arm(FirmwareFault::D2Busy, FaultSpan::StuckFromNow());
  w->TestBeginClick();
  EXPECT_EQ(Status(2), "Test Fail");
  EXPECT_EQ(CountOf(Trace(), "W128"), 0);
  EXPECT_EQ(CountOf(Trace(), "RD2"), 1 + SwitchScanLink::MaxBitPolls);
  sim.board.ClearFaults();

  // A fetch whose bit never clears, or whose transfer fails after the first chunk:
  // what came before stays, nothing stale is taken, and the run reports the failure.
  for (bool stuck : {true, false}) {
    SCOPED_TRACE(stuck ? "stuck fetch bit" : "failed transfer");
    Click("USBScan");
    for (auto& ch : w->SwitchChannels) std::fill(ch.Results.begin(), ch.Results.end(), kUnset);
    int reads = 0;
    sim.board.afterCommand = [&](const std::vector<uint8_t>& c) {
      if (c[0] == 0xC4 && c[1] == 0x01 && c[3] == 0x00 && c[5] == 0x01 && ++reads == 1) {
        if (stuck) {
          sim.board.Arm(FirmwareFault::FetchBusy, FaultSpan::StuckFromNow());
        } else {
          sim.board.Arm(BoardFault::FailedTransfer, {.after = 1});  // this reply still comes
        }
      }
    };
    w->TestBeginClick();
    EXPECT_EQ(Status(2), "Test Fail");
    EXPECT_EQ(Result(0, 3), 0x10000 + 3);
    EXPECT_EQ(Result(2, 0), 3 * 0x10000);  // sample 8 came with the first 16
    EXPECT_EQ(Result(1, 4), kUnset);       // sample 16 did not
    EXPECT_EQ(Result(2, 7), kUnset);
    EXPECT_EQ(w->SGDS->item(1, 4)->text(), QString::number(0x10000 + 3));
    EXPECT_TRUE(prog->MainPanel->Gauge1->isHidden());
    sim.board.ClearFaults();
    sim.board.afterCommand = nullptr;
  }
}

TEST_F(SwitchRun, NoBoardNameNoRun) {
  sim.board.Arm(BoardFault::FailedTransfer);
  prog->MainPanel->StatusBar1->SetText(2, "before");
  w->TestBeginClick();
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(Status(2), "before");
}

TEST_F(SwitchRun, SendWritesTheTable) {
  Check({4});
  w->SendTO40Q26->click();
  EXPECT_EQ(Trace(), QStringList({"status", "W128", "R128", "W130", "W150", "W120", "W122", "W124"}));
  EXPECT_EQ(Status(2), "Data Send OK");
  EXPECT_EQ(sim.board.scanTable[0x24], 1);
  EXPECT_EQ(sim.board.scanTable[0x30 + 24], 0x30);  // record 3, position 1
  EXPECT_TRUE(sim.dialogs.messages.isEmpty());

  // The address write fails: the box, then the status text.
  sim.board.Arm(BoardFault::FailedTransfer, {.after = 2});  // the status request goes through
  w->SendTO40Q26->click();
  ASSERT_EQ(sim.dialogs.messages.size(), 1);
  EXPECT_EQ(sim.dialogs.messages[0].text, "Data Send Fail!!");
  EXPECT_EQ(Status(2), "Data Send Fail");
}

TEST_F(SwitchRun, SetTakesTheShadowAndReviewWritesTheChip) {
  Check({3});
  for (size_t j = 0; j < SwitchRegList.size(); ++j) prog->Mx_UP->SetRegShadow(SwitchRegList[j], 0xA0 + j, 0);
  const int64_t start = sim.clock.SteadyUs();
  Release(w->PSet[2]);
  EXPECT_GE(sim.clock.SteadyUs() - start, 2'000'000);
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(w->SwitchChannels[2].RegValue[0], 0xA0);
  EXPECT_EQ(w->SwitchChannels[2].RegValue[10], 0xAA);
  EXPECT_EQ(w->SwitchChannels[1].RegValue[0], 0x10);
  EXPECT_EQ(w->PSet[2]->frameShadow(), QFrame::Raised);

  // Review writes the eleven registers in list order, each read back.
  sim.board.chip.SetMask(0x30, 0x0F);
  w->SwitchChannels[2].RegValue[8] = 0xFF;  // register 30h
  Release(w->PReview[2]);
  std::vector<std::pair<uint8_t, uint8_t>> expected, sent;  // command, register
  for (uint8_t a : SwitchRegList) expected.insert(expected.end(), {{0x00, a}, {0x01, a}});
  for (const Bytes& p : Sent()) sent.emplace_back(p[1], p[3]);
  EXPECT_EQ(sent, expected);
  EXPECT_EQ(sim.board.chip.Peek(49), 0xA0);
  EXPECT_EQ(prog->Mx_UP->GetReg(0x30, 0), 0x0F);  // what the chip returned

  // Panels of an unchecked channel do nothing.
  sim.board.ClearLog();
  Release(w->PReview[0]);
  EXPECT_TRUE(Sent().empty());
}

TEST_F(SwitchRun, ResultFiles) {
  Check({1, 2});
  Rounds(1);
  w->TestBeginClick();
  w->SaveExcel->click();
  auto lines = [this](int k) { return ReadFile(QStringLiteral("MxADCSW%1.CSV").arg(k)).split('\n'); };
  QList<QByteArray> file0 = lines(0);
  EXPECT_EQ(file0[0], "  , Data 0, Data 1, Data 2, Data 3\r");
  EXPECT_EQ(file0[1], "1, 65536, 65537, 65538, 65539\r");
  EXPECT_EQ(file0[2], "2, 65792, 65793, 65794, 65795\r");
  EXPECT_EQ(file0.size(), 4);
  EXPECT_EQ(lines(1)[2], "2, 131328, 131329, 131330, 131331\r");
  EXPECT_EQ(lines(7)[1], "1, -7, -7, -7, -7\r");  // every file, whatever is checked

  // One sample a step: the round and one value a line.
  StepLength(0);
  w->SaveExcel->click();
  EXPECT_EQ(lines(0)[0], "  , Data 0\r");
  EXPECT_EQ(lines(0)[1], "1, 65536\r");

  // A file that cannot be created: it is named, and no file is changed or created.
  ASSERT_TRUE(QFile::remove(Path("MxADCSW3.CSV")));
  ASSERT_TRUE(QDir(dir.path()).mkdir("MxADCSW3.CSV"));
  ASSERT_TRUE(QFile::remove(Path("MxADCSW1.CSV")));
  const QByteArray before = ReadFile("MxADCSW0.CSV");
  StepLength(2);
  w->SaveExcel->click();
  ASSERT_EQ(sim.dialogs.messages.size(), 1);
  EXPECT_EQ(sim.dialogs.messages[0].text, "Please Close MxADCSW3.CSV !!!!");
  EXPECT_EQ(ReadFile("MxADCSW0.CSV"), before);
  EXPECT_FALSE(QFile::exists(Path("MxADCSW1.CSV")));
  EXPECT_EQ(ReadFile("MxADCSW5.CSV").split('\n')[0], "  , Data 0\r");
}

TEST_F(SwitchRun, ResultFilesAreReplacedOnlyAsAWholeSet) {
  // 64 samples of 64 rounds: zeros give files of about 12 KB, record 3's wide values
  // one of about 41 KB, which the 20 KB limit stops part-way.
  TSwitchChannel (&records)[8] = w->SwitchChannels;
  records[0].StepLen = 64;
  records[0].LoopCount = 64;
  for (auto& r : records) std::fill(r.Results.begin(), r.Results.end(), 0);
  w->SaveToExcel();
  QByteArray previous[8];
  for (int k = 0; k < 8; ++k) {
    previous[k] = ReadFile(QStringLiteral("MxADCSW%1.CSV").arg(k));
    ASSERT_LT(previous[k].size(), 20000);
  }

  for (int k = 0; k < 8; ++k) std::fill(records[k].Results.begin(), records[k].Results.end(), k == 3 ? -8388608 : k);
  {
    FileSizeLimit limit(20000);
    try {
      w->SaveToExcel();
      ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
      EXPECT_TRUE(e.Text().contains("MxADCSW3.CSV")) << e.Text().toStdString();
    }
  }
  for (int k = 0; k < 8; ++k) EXPECT_EQ(ReadFile(QStringLiteral("MxADCSW%1.CSV").arg(k)), previous[k]) << k;
  // No temporary file is left behind.
  EXPECT_EQ(QDir(dir.path()).entryList({"MxADCSW*"}, QDir::Files | QDir::Hidden).size(), 8);

  // Without the limit the new set replaces the old one whole.
  w->SaveToExcel();
  EXPECT_TRUE(ReadFile("MxADCSW3.CSV").contains("\r\n1, -8388608, -8388608,"));
  EXPECT_TRUE(ReadFile("MxADCSW7.CSV").contains("\r\n64, 7, 7,"));
}

TEST_F(SwitchRun, WindowLayout) {
  w->resize(300, 200);
  EXPECT_GE(w->width(), 400);
  EXPECT_GE(w->height(), 300);
  w->resize(800, 500);
  w->FormResize();
  EXPECT_EQ(w->SGDS->geometry(), QRect(10, 91, 780, 340));
  EXPECT_EQ(w->ADShift->itemText(15), "shift 15");
  EXPECT_TRUE(w->ADShift->isHidden());
  EXPECT_FALSE(w->ADShift->isEnabled());
}

}  // namespace
