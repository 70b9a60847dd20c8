// The body-fat test window in the program: settings file, register table input,
// calibration, impedance runs, the automatic test, stop requests and errors.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QImage>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <array>
#include <functional>
#include <set>

#include "common/errors.h"
#include "common/number_text.h"
#include "impedance/bodyfat_test_window.h"
#include "impedance/impedance_fixture.h"
#include "link/mx_up.h"
#include "shell/main_panel.h"
#include "app/support/program_fixture.h"
#include "bodyfat_readings.h"

namespace {

// Header of the channel logs as it stands on disk (Big5).
const QByteArray kLogHeader =
    "\xB5\xA7\xBC\xC6,\xAE\xC9\xB6\xA1,Rref(OHM),Frequency(Hz),ADC1_0,ADC2_0,ADC3_0,ADC4_0,I0,Q0,Y0,Theta0,ADC1_1,"
    "ADC2_1,ADC3_1,ADC4_1,I1,Q1,Y1,Theta1,Gain,DUT\xA3\x4B,IMP";

// The register of the table's column 0.
constexpr int kColumn0 = 0x20;

class BodyFatWindow : public ProgramTest {
protected:
  void Open() {
    sim.board.chip.ImplementEveryBit();  // the table's values stand as written
    StartProgram();
    Click("USBScan");
    form = prog->bodyFatForm;
    ASSERT_NE(form, nullptr);
  }
  // The readings of the jobs from now, in the order the program takes them
  // (bodyfat_readings.h); `onConversion` runs as each conversion ends.
  void Script(JobReadings job) {
    ScriptReadings(sim.board, [this, job = std::move(job)](uint64_t n) {
      if (onConversion) onConversion();
      return job(n);
    });
  }
  // "Calculate" clicked, its reading the reference's.
  void Calculate() {
    Script(CalculateReadings());
    Find<QPushButton>(form, "btnCalculate")->click();
  }

  BodyFatState& S() const { return prog->G.Impedance.BodyFat; }
  QLineEdit* Edit(const QString& name) const { return Find<QLineEdit>(form, name); }
  QComboBox* Combo(const QString& name) const { return Find<QComboBox>(form, name); }
  QString Text(const QString& name) const { return Edit(name)->text(); }
  void Type(const QString& name, const QString& text) const { Edit(name)->setText(text); }
  void Leave(QWidget* w) const {
    QFocusEvent e(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(w, &e);
  }
  void Choose(const QString& combo, int index) const {
    QComboBox* c = Combo(combo);
    c->setCurrentIndex(index);
    emit c->activated(index);
  }
  // The table: column k at register 20h + k; row j's value of column k is j * 10h + k + 1
  // (the "Calculate" row 01h .. 06h, channel 1's 11h .. 16h).
  void FillTable() const {
    for (int k = 0; k < 6; ++k) {
      Type("edtAddr" + QString::number(k), IntToHexW(kColumn0 + k, 2));
      Leave(Edit("edtAddr" + QString::number(k)));
      for (int j = 0; j <= 12; ++j) Type(ValueEditName(k, j), IntToHexW(j * 0x10 + k + 1, 2));
    }
  }
  // Runs in time mode: 1 s a channel at 250 ms, four samples each.
  void FourSamplesAChannel(int channels) const {
    Find<QRadioButton>(form, "rbTime")->setChecked(true);
    Choose("cbTime", 0);
    Choose("scanTimer", 1);
    Choose("cbChannels", channels - 1);
  }

  // Register writes (address on the wire, value) in the order sent, without the
  // demodulator's start writes (0Fh with bit 2).
  std::vector<std::pair<int, int>> Writes() const {
    std::vector<std::pair<int, int>> w;
    for (const Bytes& p : Sent())
      if (p.size() >= 8 && p[0] == 0xC4 && p[1] == 0x00 && p[2] == 0xA0 && !(p[3] == 0x0F && (p[7] & 0x04)))
        w.emplace_back(p[3], p[7]);
    return w;
  }
  // What column 0's register was last written with before each conversion started: the
  // table row each reading was taken on.
  std::vector<int> RowsConverted() const {
    std::vector<int> rows;
    int column0 = -1;
    for (const Bytes& p : Sent()) {
      if (p.size() < 8 || p[0] != 0xC4 || p[1] != 0x00 || p[2] != 0xA0) continue;
      if (p[3] == kColumn0) column0 = p[7];
      if (p[3] == 0x0F && (p[7] & 0x04)) rows.push_back(column0);
    }
    return rows;
  }
  // The row time of a moment on the fake clock, UTC + 8 hours.
  static QString RowTime(const QDateTime& utc) {
    return utc.toUTC().addSecs(8 * 3600).toString("yyyy-MM-dd HH:mm:ss:zzz");
  }
  QString Stamp() { return sim.clock.LocalNow().toString("yyyyMMddHHmmss"); }
  QStringList Files(const QString& pattern) const {
    return QDir(dir.path()).entryList({pattern}, QDir::Files, QDir::Name);
  }
  std::vector<ScriptedDialogs::Shown> Messages() const {
    return {sim.dialogs.messages.begin(), sim.dialogs.messages.end()};
  }
  // The controls a run locks are free again; "Impedance Test" is offered once there is
  // a calibration to measure with.
  bool RunControlsEnabled() const {
    for (const char* n : {"rbTime", "rbAmount", "cbTime", "cbAmount", "scanTimer", "cbChannels", "btnCalculate",
                          "btnAutoTest", "edtFile", "edtAddr3", "edtAddr5_12", "labRref"})
      if (!form->findChild<QWidget*>(n)->isEnabled()) return false;
    return form->findChild<QWidget*>("btnImpedanceTest")->isEnabled() == S().Calibrated;
  }

  TbodyFatForm* form = nullptr;
  std::function<void()> onConversion;
};

// ---- settings file -------------------------------------------------------------------

TEST_F(BodyFatWindow, SettingsStartAsDefaultsAndSurviveARestart) {
  Open();
  EXPECT_EQ(form->windowTitle(), "Body fat GUI Form");
  EXPECT_TRUE(Find<QRadioButton>(form, "rbAmount")->isChecked());
  EXPECT_EQ(Combo("cbTime")->currentText(), "1 s");
  EXPECT_EQ(Combo("cbAmount")->currentText(), "100");
  EXPECT_EQ(Combo("scanTimer")->currentText(), "250 ms");
  EXPECT_EQ(Combo("cbChannels")->currentText(), "1");
  EXPECT_EQ(Text("edtAddr0"), "00");
  EXPECT_EQ(Text("edtAddr5_12"), "00");
  EXPECT_EQ(S().ScanInterval, 250);
  // The start-up step's close wrote the file: 89 lines, the default mode first.
  QList<QByteArray> lines = ReadFile("bodyFatFormSet.txt").split('\n');
  ASSERT_EQ(lines.size(), 90);
  EXPECT_EQ(lines[0], "1\r");
  EXPECT_EQ(lines[89], "");

  Find<QRadioButton>(form, "rbTime")->setChecked(true);
  Choose("cbTime", 3);
  Choose("cbAmount", 4);
  Choose("scanTimer", 0);
  Choose("cbChannels", 4);
  FillTable();
  Type("edtAddr2", "0e");
  Type("edtAddr3_4", "b7");
  StopProgram();

  lines = ReadFile("bodyFatFormSet.txt").split('\n');
  ASSERT_EQ(lines.size(), 90);
  EXPECT_EQ(lines.mid(0, 5), (QList<QByteArray>{"0\r", "3\r", "4\r", "0\r", "4\r"}));
  EXPECT_EQ(lines[7], "0e\r");                  // edtAddr2
  EXPECT_EQ(lines[11 + 6 * 4 + 3], "b7\r");     // column 3, row 4
  EXPECT_EQ(lines[11 + 6 * 12 + 5], "C6\r");    // the last value edit

  StartProgram();
  form = prog->bodyFatForm;
  EXPECT_TRUE(Find<QRadioButton>(form, "rbTime")->isChecked());
  EXPECT_EQ(Combo("cbTime")->currentIndex(), 3);
  EXPECT_EQ(Combo("cbAmount")->currentIndex(), 4);
  EXPECT_EQ(Combo("scanTimer")->currentIndex(), 0);
  EXPECT_EQ(S().ScanInterval, 100);
  EXPECT_EQ(Combo("cbChannels")->currentIndex(), 4);
  EXPECT_EQ(S().ChannelIndex, 4);
  EXPECT_EQ(Text("edtAddr2"), "0e");
  EXPECT_EQ(S().ColumnAddr[2], 0x0E);
  EXPECT_EQ(S().ColumnAddr[5], 0x25);
  EXPECT_EQ(Text("edtAddr3_4"), "b7");
  EXPECT_EQ(Text("edtAddr0_0"), "01");
  // Rows 1..5 shown, the rest hidden.
  EXPECT_FALSE(Edit("edtAddr0_5")->isHidden());
  EXPECT_FALSE(Find<QLabel>(form, "L_Rp5")->isHidden());
  EXPECT_TRUE(Edit("edtAddr0_6")->isHidden());
  EXPECT_TRUE(Edit("edtIMP_6")->isHidden());
  EXPECT_TRUE(sim.dialogs.messages.isEmpty());
}

TEST_F(BodyFatWindow, SettingsFileReadingRules) {
  struct Case {
    const char* name;
    QByteArray file;
    bool time;
    int timeIndex, amountIndex, scanIndex, channels;
    int interval;
    QString addr0, value0, lastValue;
    QString message;
  };
  const QString shortFile = "bodyFatFormSet.txt ends after line %1: the settings of lines %2 to 89 keep their defaults.";
  const Case cases[] = {
      // Another mode changes nothing; an index outside a list leaves no selection;
      // empty texts read as "00", and the lines past the end keep their defaults.
      {"unknown mode, short file", "7\r\n12\n0\r\n5\r\n0\r\n\r\n1F\r\n", false, -1, 0, -1, 0, 250, "00", "00", "00",
       shortFile.arg(7).arg(8)},
      {"time mode, LF endings", "0\n9\n9\n4\n11\nA1\n\n\n\n\n\n77\n", true, 9, 9, 4, 11, 2000, "A1", "77", "00",
       shortFile.arg(12).arg(13)},
      // A malformed number keeps its default; the lines before and after it are read.
      {"malformed index", "0\r\n2\r\nx\r\n4\r\n3\r\nA1\r\n", true, 2, 0, 4, 3, 2000, "A1", "00", "00",
       "Invalid numeric format in line 3 of bodyFatFormSet.txt.\n"
       "That setting keeps its default; the other lines are read.\n" +
           shortFile.arg(6).arg(7)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile("bodyFatFormSet.txt", c.file);
    sim.dialogs.messages.clear();
    StartProgram(false);
    form = prog->bodyFatForm;
    EXPECT_EQ(Find<QRadioButton>(form, "rbTime")->isChecked(), c.time);
    EXPECT_EQ(Find<QRadioButton>(form, "rbAmount")->isChecked(), !c.time);
    EXPECT_EQ(Combo("cbTime")->currentIndex(), c.timeIndex);
    EXPECT_EQ(Combo("cbAmount")->currentIndex(), c.amountIndex);
    EXPECT_EQ(Combo("scanTimer")->currentIndex(), c.scanIndex);
    EXPECT_EQ(Combo("cbChannels")->currentIndex(), c.channels);
    EXPECT_EQ(S().ScanInterval, c.interval);
    EXPECT_EQ(Text("edtAddr0"), c.addr0);
    EXPECT_EQ(Text("edtAddr0_0"), c.value0);
    EXPECT_EQ(Text("edtAddr5_12"), c.lastValue);
    EXPECT_EQ(S().ColumnAddr[0], c.addr0.toInt(nullptr, 16));
    ASSERT_EQ(sim.dialogs.messages.size(), 1);
    EXPECT_EQ(sim.dialogs.messages[0].text, c.message);
    StopProgram();
  }
}

// ---- table input ---------------------------------------------------------------------

TEST_F(BodyFatWindow, TableTakesHexadecimalKeysAndChannelRowsFollowTheCount) {
  Open();
  QLineEdit* value = Edit("edtAddr1_3");
  value->clear();
  auto key = [&](Qt::Key code, const QString& text, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent e(QEvent::KeyPress, code, mods, text);
    QCoreApplication::sendEvent(value, &e);
  };
  key(Qt::Key_G, "g");
  key(Qt::Key_Minus, "-");
  key(Qt::Key_Space, " ");
  key(Qt::Key_B, "b");
  key(Qt::Key_3, "3");
  EXPECT_EQ(value->text(), "b3");
  key(Qt::Key_Backspace, "\b");
  EXPECT_EQ(value->text(), "b");
  value->selectAll();
  key(Qt::Key_X, "\x18", Qt::ControlModifier);  // cut is not among the keys kept
  EXPECT_EQ(value->text(), "b");
  key(Qt::Key_Backspace, "\b");
  Leave(value);
  EXPECT_EQ(value->text(), "00");

  // An address left empty becomes "00" and keeps the column's address.
  QLineEdit* addr = Edit("edtAddr4");
  addr->setText("3c");
  Leave(addr);
  EXPECT_EQ(S().ColumnAddr[4], 0x3C);
  addr->clear();
  Leave(addr);
  EXPECT_EQ(addr->text(), "00");
  EXPECT_EQ(S().ColumnAddr[4], 0x3C);

  Choose("cbChannels", 4);
  for (int n = 1; n <= 12; ++n) {
    EXPECT_EQ(Edit(ValueEditName(0, n))->isHidden(), n > 5) << n;
    EXPECT_EQ(Find<QLabel>(form, "labDUT" + QString::number(n))->isHidden(), n > 5) << n;
  }
  Choose("cbChannels", 2);
  EXPECT_TRUE(Edit("edtAddr5_4")->isHidden());
  EXPECT_TRUE(Find<QLabel>(form, "lab_5")->isHidden());
  EXPECT_FALSE(Edit("edtDUT_3")->isHidden());
  Choose("cbChannels", 4);
  EXPECT_FALSE(Find<QLabel>(form, "lab4")->isHidden());
  EXPECT_FALSE(Edit("edtIMP_5")->isHidden());
  EXPECT_TRUE(Edit("edtIMP_6")->isHidden());
}

// ---- calibration and impedance runs --------------------------------------------------

TEST_F(BodyFatWindow, CalibrationAndChannelRunsWriteTheirLogsByteExact) {
  Open();
  FillTable();
  EXPECT_FALSE(Find<QPushButton>(form, "btnImpedanceTest")->isEnabled());
  sim.board.ClearLog();
  Calculate();
  EXPECT_TRUE(Find<QPushButton>(form, "btnImpedanceTest")->isEnabled());
  EXPECT_EQ(Text("edtIDATA0"), "300.00");
  EXPECT_EQ(Text("edtQDATA0"), "400.00");
  EXPECT_EQ(Text("edtYDATA0"), "500.00");
  EXPECT_EQ(Text("edtTheta0"), "0.927295");
  EXPECT_EQ(Text("edtGain"), "2.00");
  EXPECT_DOUBLE_EQ(S().Gain, 2.0);
  using W = std::vector<std::pair<int, int>>;
  EXPECT_EQ(Writes(), (W{{0x20, 0x01}, {0x21, 0x02}, {0x22, 0x03}, {0x23, 0x04}, {0x24, 0x05}, {0x25, 0x06}}));
  EXPECT_EQ(RowsConverted(), std::vector<int>{0x01});
  // The table's writes are in the shadow, as in the chip.
  EXPECT_EQ(prog->Mx_UP->GetReg(0x21, 0), 0x02);
  EXPECT_EQ(sim.board.chip.Peek(0x21), 0x02);

  FourSamplesAChannel(2);
  sim.board.ClearLog();
  const QDateTime utc0 = sim.clock.UtcNow();
  const QString stamp1 = Stamp();
  const uint64_t before = sim.board.iqConversions;
  Script(RunReadings(4));
  Find<QPushButton>(form, "btnImpedanceTest")->click();
  EXPECT_EQ(sim.board.iqConversions - before, 8u);
  EXPECT_EQ(Writes(), (W{{0x20, 0x11}, {0x21, 0x12}, {0x22, 0x13}, {0x23, 0x14}, {0x24, 0x15}, {0x25, 0x16},
                         {0x20, 0x21}, {0x21, 0x22}, {0x22, 0x23}, {0x23, 0x24}, {0x24, 0x25}, {0x25, 0x26}}));
  // Each channel's samples are taken on its own row.
  EXPECT_EQ(RowsConverted(), (std::vector<int>{0x11, 0x11, 0x11, 0x11, 0x21, 0x21, 0x21, 0x21}));
  EXPECT_TRUE(S().TestIdle);
  EXPECT_TRUE(RunControlsEnabled());
  EXPECT_EQ(Find<QLabel>(form, "Label13")->text(), "2 file 4 Data");

  // The frequency column is the text of edtFreq, which the waveform generator keeps.
  const QByteArray freq = Text("edtFreq").toLatin1();
  EXPECT_EQ(freq, QByteArray::number(1'000'000));
  QByteArray expected = kLogHeader + "\r\n";
  for (int k = 0; k < 4; ++k)
    expected += QString::number(k + 1).toLatin1() + ',' + RowTime(utc0.addMSecs(250 * k)).toLatin1() + ",1000," +
                freq + ",000000,000000,000000,000000,300.00,400.00,500.00,0.927295,"
                "000000,000000,000000,000000,600.00,800.00,1000.00,0.927295,2.00,0,2000\r\n";
  EXPECT_EQ(ReadFile("ACReg1-" + stamp1 + ".CSV"), expected);
  // Channel 2 starts a second later, on its own stamp.
  const QString stamp2 = utc0.toLocalTime().addSecs(1).toString("yyyyMMddHHmmss");
  const QList<QByteArray> rows = ReadFile("ACReg2-" + stamp2 + ".CSV").split('\n');
  ASSERT_EQ(rows.size(), 6);
  EXPECT_EQ(rows[1], "1," + RowTime(utc0.addSecs(1)).toLatin1() + ",1000," + freq +
                         ",000000,000000,000000,000000,300.00,400.00,500.00,0.927295,"
                         "000000,000000,000000,000000,-300.00,400.00,500.00,-0.927295,2.00,-1.85459043600322,1000\r");
  EXPECT_EQ(Text("edtIMP_1"), "2000.000");
  EXPECT_EQ(Text("edtDUT_1"), "0.000");
  EXPECT_EQ(Text("edtIMP_2"), "1000.000");
  EXPECT_EQ(Text("edtDUT_2"), "-1.855");
  EXPECT_EQ(Text("edtTheta1"), "-0.927295");
  EXPECT_EQ(Files("ACReg*").size(), 2);
}

TEST_F(BodyFatWindow, AmountRunsPaceTheirSamplesOnTheSteadyClock) {
  Open();
  FillTable();
  Type("edtRref", "1");  // a gain of 0.002, shown as "0.00"
  Calculate();
  Choose("scanTimer", 0);  // 100 ms
  const int64_t t0 = sim.clock.SteadyUs();
  Script(RunReadings(100));
  Find<QPushButton>(form, "btnImpedanceTest")->click();
  // 100 samples of channel 1, the last one 9.9 s after the first, then the pace of the last.
  EXPECT_EQ(sim.clock.SteadyUs() - t0, 10'000'000);
  const QStringList logs = Files("ACReg1-*.CSV");
  ASSERT_EQ(logs.size(), 1);
  const QList<QByteArray> rows = ReadFile(logs[0]).split('\n');
  ASSERT_EQ(rows.size(), 102);
  EXPECT_TRUE(rows[100].startsWith("100," + RowTime(sim.clock.UtcNow().addMSecs(-100)).toLatin1() + ",1,"))
      << rows[100].toStdString();
  // The impedance comes from the full gain, not from its text.
  EXPECT_TRUE(rows[100].endsWith(",0.00,0,2\r")) << rows[100].toStdString();
}

// A left click on the label "Rref(OHM)=".
void ClickRrefLabel(TbodyFatForm* f) {
  QLabel* l = f->findChild<QLabel*>("labRref");
  QMouseEvent e(QEvent::MouseButtonRelease, QPointF(2, 2), l->mapToGlobal(QPointF(2, 2)), Qt::LeftButton, Qt::NoButton,
                Qt::NoModifier);
  QCoreApplication::sendEvent(l, &e);
}

TEST_F(BodyFatWindow, StopRequestsEndTheRunAfterTheCurrentSample) {
  struct Case {
    const char* name;
    std::function<void(TbodyFatForm*)> stop;
  };
  const Case cases[] = {
      {"second click", [](TbodyFatForm* f) { f->findChild<QPushButton*>("btnImpedanceTest")->click(); }},
      {"click on Rref(OHM)=", ClickRrefLabel},
      {"program exit", [this](TbodyFatForm*) { prog->MainPanel->close(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Open();
    FillTable();
    Calculate();
    Choose("cbChannels", 2);  // 3 channels of 100 samples
    Script(RunReadings(100));
    int conversions = 0;
    onConversion = [&] {
      if (++conversions == 5)
        QMetaObject::invokeMethod(form, [f = form, stop = c.stop] { stop(f); }, Qt::QueuedConnection);
    };
    Find<QPushButton>(form, "btnImpedanceTest")->click();
    onConversion = nullptr;
    EXPECT_EQ(conversions, 5);
    const QStringList logs = Files("ACReg*.CSV");
    ASSERT_EQ(logs.size(), 1);
    EXPECT_TRUE(logs[0].startsWith("ACReg1-"));
    EXPECT_EQ(ReadFile(logs[0]).count('\n'), 6);
    EXPECT_TRUE(S().TestIdle);
    EXPECT_TRUE(RunControlsEnabled());
    QFile::remove(Path(logs[0]));
    StopProgram();
  }
}

TEST_F(BodyFatWindow, HidingTheWindowLeavesTheRunGoing) {
  Open();
  FillTable();
  Calculate();
  Choose("cbChannels", 1);  // 2 channels of 100 samples
  Script(RunReadings(100));
  int conversions = 0;
  bool goesOn = false;
  onConversion = [&] {
    if (++conversions == 5)
      QMetaObject::invokeMethod(
          form,
          [&] {
            prog->MainPanel->ShowPanel(form, 17, false);  // the close box: its close handler runs
            goesOn = !S().TestIdle;
          },
          Qt::QueuedConnection);
  };
  Find<QPushButton>(form, "btnImpedanceTest")->click();
  onConversion = nullptr;
  EXPECT_TRUE(goesOn);
  EXPECT_EQ(conversions, 2 * 100);  // both channels whole
  const QStringList logs = Files("ACReg*.CSV");
  ASSERT_EQ(logs.size(), 2);
  for (const QString& log : logs) EXPECT_EQ(ReadFile(log).count('\n'), 101);
  EXPECT_TRUE(S().TestIdle);
  EXPECT_TRUE(RunControlsEnabled());
}

TEST_F(BodyFatWindow, TheRrefLabelRunsNothingBeforeACalibration) {
  Open();
  FillTable();
  ASSERT_FALSE(Find<QPushButton>(form, "btnImpedanceTest")->isEnabled());
  sim.board.ClearLog();
  ClickRrefLabel(form);
  EXPECT_EQ(sim.board.iqConversions, 0u);
  EXPECT_TRUE(Writes().empty());
  EXPECT_TRUE(Files("ACReg*.CSV").isEmpty());
  EXPECT_TRUE(S().TestIdle);
  // After the calibration the label starts a run as the button does.
  Calculate();
  Script(RunReadings(100));
  ClickRrefLabel(form);
  EXPECT_EQ(Files("ACReg*.CSV").size(), 1);
}

TEST_F(BodyFatWindow, ErrorsAndFailedConversionsKeepTheRowsAndFreeTheControls) {
  Open();
  FillTable();
  Calculate();
  Choose("cbChannels", 1);

  // I = 0 in the third sample: the arithmetic error reaches the caller.
  Script(RunReadings(100, [](int channel, int sample) {
    return sample >= 2 ? IQ{0, 5} : UsualReading(channel, sample);
  }));
  ExpectMathError([&] { form->btnImpedanceTestClick(); }, kFloatDivByZero);
  EXPECT_TRUE(S().TestIdle);
  EXPECT_TRUE(RunControlsEnabled());
  QStringList logs = Files("ACReg*.CSV");
  ASSERT_EQ(logs.size(), 1);
  EXPECT_EQ(ReadFile(logs[0]).count('\n'), 3);
  QFile::remove(Path(logs[0]));

  // A demodulator that never finishes: a warning, the rows taken so far, no further channel.
  Script(RunReadings(100));
  int conversions = 0;
  onConversion = [&] {
    if (++conversions == 2) sim.board.Arm(FirmwareFault::IqBusy, FaultSpan::StuckFromNow());
  };
  form->btnImpedanceTestClick();
  onConversion = nullptr;
  ASSERT_EQ(sim.dialogs.messages.size(), 1);
  EXPECT_EQ(sim.dialogs.messages[0].text, "Read Error !!!!!");
  EXPECT_EQ(sim.dialogs.messages[0].caption, "warning");
  logs = Files("ACReg*.CSV");
  ASSERT_EQ(logs.size(), 1);
  EXPECT_EQ(ReadFile(logs[0]).count('\n'), 3);
  EXPECT_TRUE(S().TestIdle);
  EXPECT_TRUE(RunControlsEnabled());

  // A failed calibration changes nothing.
  const double gain = S().Gain;
  Calculate();
  EXPECT_EQ(sim.dialogs.messages.size(), 2);
  EXPECT_EQ(S().Gain, gain);
  EXPECT_EQ(Text("edtGain"), "2.00");

  // A value that is no number raises the conversion error when the run reads it.
  sim.board.ClearFaults();
  Type("edtAddr2_2", "x!");
  Script(RunReadings(100));
  try {
    form->btnImpedanceTestClick();
    ADD_FAILURE() << "no conversion error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Text(), "'0xx!' is not a valid integer value");
  }
  EXPECT_TRUE(S().TestIdle);
  EXPECT_TRUE(RunControlsEnabled());
}

// ---- automatic test ------------------------------------------------------------------

// Bank bytes and register values of test pair p.
uint8_t Bank0Byte(int p, int i) { return static_cast<uint8_t>(i + p); }
uint8_t Bank1Byte(int p, int i) { return static_cast<uint8_t>(0xFF - i - p); }
uint8_t RegValue(int p, int line) {
  if (line == 2) return 0xA5;  // the line "07FH 0A5H": its address word is not used
  if (line == 5) return 0x00;  // register 0Fh: no conversion started by the file
  return static_cast<uint8_t>(0x10 * p + line);
}

class BodyFatAutoTest : public BodyFatWindow {
protected:
  // A C-array export of both banks and a register list as the shell writes them.
  void WritePair(const QString& prefix, int p, bool ram = true, bool reg = true) const {
    if (ram) {
      QByteArray text;
      for (int b = 0; b < 2; ++b) {
        text += "unsigned char Bank" + QByteArray::number(b) + "_Array[128]={\r\n";
        for (int line = 0; line < 8; ++line) {
          for (int i = 0; i < 16; ++i) {
            const int at = 16 * line + i;
            text += "0x" + IntToHexW(b == 0 ? Bank0Byte(p, at) : Bank1Byte(p, at), 2).toLatin1();
            if (at < 127) text += ',';
          }
          text += "\r\n";
        }
        text += "};\r\n\r\n";
      }
      WriteFile(prefix + QString::number(p) + ".ram", text);
    }
    if (reg) {
      QByteArray text;
      for (int line = 0; line < 35; ++line) {
        const int address = line == 2 ? 0x7F : AutoTestRegisters[line];
        text += IntToHexW(address, 3).toLatin1() + "H " + IntToHexW(RegValue(p, line), 3).toLatin1() + "H\r\n";
      }
      WriteFile(prefix + QString::number(p) + ".reg", text);
    }
  }
  void Search(const QString& prefix) const {
    QLineEdit* e = Edit("edtFile");
    e->setText(prefix);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QCoreApplication::sendEvent(e, &enter);
  }
  // The table with column 2 at register 0Eh.
  void FillTableWith0E() const {
    FillTable();
    Type("edtAddr2", "0E");
    Leave(Edit("edtAddr2"));
  }

  // A way to the board that can act before a packet goes, for a test that puts it
  // into the platform before the program starts.
  PacedUsb usb{sim.board, sim.clock};
};

TEST_F(BodyFatAutoTest, RunsEveryPairAndWritesTheAveragesFile) {
  for (int p : {1, 2, 4}) WritePair("BF", p);
  WritePair("BF", 3, true, false);
  Open();
  FillTableWith0E();
  FourSamplesAChannel(2);
  Search("BF");
  EXPECT_EQ(Find<QLabel>(form, "labFile")->text(), "3 Ram Files");
  ASSERT_EQ(S().PairCount, 3);
  EXPECT_EQ(S().RamFiles[2], "BF4.ram");
  EXPECT_EQ(S().RegFiles[1], "BF2.reg");

  prog->Mx_UP->SetRegShadow(0x7F, 0x41, 0);
  sim.board.ClearLog();
  const QDateTime t0 = sim.clock.LocalNow();
  Script(AutoTestReadings(4, 2));
  Find<QPushButton>(form, "btnAutoTest")->click();
  EXPECT_TRUE(sim.dialogs.messages.isEmpty());
  EXPECT_TRUE(S().AutoIdle);
  EXPECT_FALSE(S().AutoMode);
  EXPECT_TRUE(RunControlsEnabled());

  // Pair 1 and its first sample on the wire.
  std::vector<std::pair<int, int>> w = {{0x0D, 0x00}, {0x7F, 0x40}};
  for (int i = 0; i < 128; ++i) w.emplace_back(0x80 + i, Bank0Byte(1, i));
  w.emplace_back(0x7F, 0x41);
  for (int i = 0; i < 128; ++i) w.emplace_back(0x80 + i, Bank1Byte(1, i));
  w.emplace_back(0x7F, 0x40);
  for (int line = 0; line < 35; ++line) w.emplace_back(AutoTestRegisters[line], RegValue(1, line));
  const int r0E = RegValue(1, 4);
  w.emplace_back(0x0E, r0E | 0x80);
  for (int k : {0, 1, 3, 4, 5}) w.emplace_back(0x20 + k, k + 1);  // the "Calculate" row but 0Eh
  w.emplace_back(0x0E, r0E);
  for (int k : {0, 1, 3, 4, 5}) w.emplace_back(0x20 + k, 0x10 + k + 1);  // channel 1 but 0Eh
  const std::vector<std::pair<int, int>> sent = Writes();
  ASSERT_GT(sent.size(), w.size());
  for (size_t i = 0; i < w.size(); ++i)
    if (sent[i] != w[i]) {
      ADD_FAILURE() << "write " << i << ": " << sent[i].first << " := " << sent[i].second << ", expected "
                    << w[i].first << " := " << w[i].second;
      break;
    }
  // Register 0Eh takes only its bit 7 around each calibration: 3 pairs x 2 channels x 4 samples.
  const std::set<int> fileValues = {RegValue(1, 4), RegValue(2, 4), RegValue(4, 4)};
  int flagWrites = 0;
  for (const auto& [a, v] : sent)
    if (a == 0x0E) {
      EXPECT_TRUE(fileValues.count(v & 0x7F)) << "0Eh := " << v;
      ++flagWrites;
    }
  EXPECT_EQ(flagWrites, 3 + 3 * 2 * 4 * 2);
  // Each sample's calibration is taken on the "Calculate" row, its reading on the channel's.
  std::vector<int> converted;
  for (int pair = 0; pair < 3; ++pair)
    for (int row : {0x11, 0x21})
      for (int sample = 0; sample < 4; ++sample) converted.insert(converted.end(), {0x01, row});
  EXPECT_EQ(RowsConverted(), converted);

  // The shadow holds the last pair; the bank bit is 0.
  for (int i : {0, 77, 127}) {
    EXPECT_EQ(prog->Mx_UP->GetReg(0x80 + i, 0), Bank0Byte(4, i));
    EXPECT_EQ(prog->Mx_UP->GetReg(0x180 + i, 0), Bank1Byte(4, i));
  }
  EXPECT_EQ(prog->Mx_UP->GetReg(0x7F, 0), 0x40);
  EXPECT_EQ(prog->Mx_UP->GetReg(0x0C, 0), 0xA5);
  EXPECT_EQ(prog->Mx_UP->GetReg(0x3E, 0), RegValue(4, 34));
  // The automatic test writes the table's registers into the shadow too.
  EXPECT_EQ(prog->Mx_UP->GetReg(0x25, 0), 0x26);

  // Six channel logs, each with its averages line, then the averages file.
  const QStringList logs = Files("ACReg*.CSV");
  ASSERT_EQ(logs.size(), 6);
  const QByteArray first = ReadFile("ACReg1-" + t0.toString("yyyyMMddHHmmss") + ".CSV");
  const QList<QByteArray> rows = first.split('\n');
  ASSERT_EQ(rows.size(), 7);
  EXPECT_EQ(rows[0], kLogHeader + "\r");
  // The frequency column holds what the waveform generator computed from the pair's registers.
  const QByteArray freq = rows[4].split(',').value(3);
  EXPECT_GT(freq.toInt(), 0);
  EXPECT_EQ(rows[4].toStdString(), ("4," + RowTime(t0.toUTC().addMSecs(750)).toLatin1() + ",1000," + freq +
                                    ",000000,000000,000000,000000,300.00,400.00,500.00,0.927295,"
                                    "000000,000000,000000,000000,600.00,800.00,1000.00,0.927295,2.00,0,2000\r")
                                       .toStdString());
  EXPECT_EQ(rows[5], "Average,,,,,,,,300.00,400.00,,,,,,,600.00,800.00\r");
  const QByteArray second = ReadFile("ACReg2-" + t0.addSecs(5).toString("yyyyMMddHHmmss") + ".CSV");
  EXPECT_TRUE(second.endsWith("\r\nAverage,,,,,,,,300.00,400.00,,,,,,,-300.00,400.00\r\n")) << second.toStdString();

  const QStringList averages = Files("MxAverage*.CSV");
  ASSERT_EQ(averages.size(), 1);
  EXPECT_EQ(averages[0], "MxAverage" + Stamp() + ".CSV");
  QByteArray expected = "Item,Cal_I,Cal_Q,Test_I,Test_Q\r\n";
  for (int item = 1; item <= 6; ++item)
    expected += QByteArray::number(item) + (item % 2 ? ",300.00,400.00,600.00,800.00\r\n" : ",300.00,400.00,-300.00,400.00\r\n");
  EXPECT_EQ(ReadFile(averages[0]), expected);
}

TEST_F(BodyFatAutoTest, EndsWithoutPairsOnAStopAndAtAMissingFile) {
  Open();
  FillTableWith0E();
  // No pair: a message and nothing sent.
  sim.board.ClearLog();
  Find<QPushButton>(form, "btnAutoTest")->click();
  ASSERT_EQ(sim.dialogs.messages.size(), 1);
  EXPECT_EQ(sim.dialogs.messages[0].text, "Error,Ram file 0");
  EXPECT_EQ(sim.dialogs.messages[0].caption, "warnning");
  EXPECT_TRUE(Sent().empty());
  EXPECT_TRUE(RunControlsEnabled());
  // No calibration was made: no impedance run is offered.
  EXPECT_FALSE(S().Calibrated);
  EXPECT_FALSE(Find<QPushButton>(form, "btnImpedanceTest")->isEnabled());

  // A stop click during the fifth sample of 100: that channel's log and the averages file.
  WritePair("BF", 1);
  WritePair("BF", 2);
  Search("BF");
  Script(AutoTestReadings(100, 1));
  int conversions = 0;
  onConversion = [&] {
    if (++conversions == 10) QMetaObject::invokeMethod(Find<QPushButton>(form, "btnAutoTest"), "click", Qt::QueuedConnection);
  };
  Find<QPushButton>(form, "btnAutoTest")->click();
  onConversion = nullptr;
  QStringList logs = Files("ACReg*.CSV");
  ASSERT_EQ(logs.size(), 1);
  EXPECT_EQ(ReadFile(logs[0]).count('\n'), 7);
  QStringList averages = Files("MxAverage*.CSV");
  ASSERT_EQ(averages.size(), 1);
  EXPECT_EQ(ReadFile(averages[0]), "Item,Cal_I,Cal_Q,Test_I,Test_Q\r\n1,300.00,400.00,600.00,800.00\r\n");
  EXPECT_TRUE(S().AutoIdle);
  EXPECT_TRUE(RunControlsEnabled());
  for (const QString& f : logs + averages) QFile::remove(Path(f));

  // A file of pair 2 deleted after the search: pair 1 measured, then a message and the
  // averages file of pair 1.
  FourSamplesAChannel(1);
  QFile::remove(Path("BF2.reg"));
  Script(AutoTestReadings(4, 1));
  Find<QPushButton>(form, "btnAutoTest")->click();
  ASSERT_EQ(sim.dialogs.messages.size(), 2);
  EXPECT_EQ(sim.dialogs.messages[1].text, "Error,BF2.reg not found");
  EXPECT_EQ(Files("ACReg*.CSV").size(), 1);
  averages = Files("MxAverage*.CSV");
  ASSERT_EQ(averages.size(), 1);
  EXPECT_EQ(ReadFile(averages[0]), "Item,Cal_I,Cal_Q,Test_I,Test_Q\r\n1,300.00,400.00,600.00,800.00\r\n");
  EXPECT_TRUE(RunControlsEnabled());
}

// A pair's file removed while the test runs (after the search): the test ends at that
// file with the message naming it, and the averages file holds every channel of the
// pairs measured before it. Each channel's four samples read differently, so the
// averages are those of the rows: calibration I0 300, 302, 304, 307 -> 303.25 and Q0
// 400, 398, 396, 393 -> 396.75; channel 1 I1 600, 610, 620, 631 -> 615.25 and Q1 800,
// 790, 781, 770 -> 785.25; channel 2 I1 -300, -302, -304, -305 -> -302.75 and Q1 400,
// 404, 408, 410 -> 405.50.
TEST_F(BodyFatAutoTest, APairFileGoneDuringTheTestKeepsTheAveragesOfThePairsDone) {
  // The samples' readings of the reference, channel 1 and channel 2.
  const std::array<std::array<IQ, 4>, 3> series = {{{{{300, 400}, {302, 398}, {304, 396}, {307, 393}}},
                                                    {{{600, 800}, {610, 790}, {620, 781}, {631, 770}}},
                                                    {{{-300, 400}, {-302, 404}, {-304, 408}, {-305, 410}}}}};
  const QByteArray channel1 = ",303.25,396.75,615.25,785.25\r\n", channel2 = ",303.25,396.75,-302.75,405.50\r\n";
  Open();
  FillTableWith0E();
  FourSamplesAChannel(2);  // 2 channels x 4 samples x 2 conversions: 16 conversions a pair

  struct Case {
    const char* what;
    int pairs;
    QString removed;
    int atConversion;  // removed at this conversion; 0: before the test starts
    int pairsDone;
  } cases[] = {
      {"memory file of pair 2, while pair 1 runs", 2, "BF2.ram", 1, 1},
      {"register file of pair 3, while pair 2 runs", 3, "BF3.reg", 17, 2},
      {"register file of pair 1, before the start", 2, "BF1.reg", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (int p = 1; p <= c.pairs; ++p) WritePair("BF", p);
    Search("BF");
    ASSERT_EQ(S().PairCount, c.pairs);
    sim.dialogs.messages.clear();
    Script(AutoTestReadings(4, 2, [&series](int channel, int sample) { return series[channel][sample]; }));
    int conversions = 0;
    if (c.atConversion == 0) QFile::remove(Path(c.removed));
    onConversion = [&] {
      if (++conversions == c.atConversion) QFile::remove(Path(c.removed));
    };
    Find<QPushButton>(form, "btnAutoTest")->click();
    onConversion = nullptr;

    EXPECT_EQ(conversions, 16 * c.pairsDone);
    ASSERT_EQ(sim.dialogs.messages.size(), 1);
    EXPECT_EQ(sim.dialogs.messages[0].text, "Error," + c.removed + " not found");
    EXPECT_EQ(sim.dialogs.messages[0].caption, "warning");
    EXPECT_TRUE(S().AutoIdle);
    EXPECT_TRUE(RunControlsEnabled());
    const QStringList logs = Files("ACReg*.CSV");
    EXPECT_EQ(logs.size(), 2 * c.pairsDone);
    for (const QString& log : logs) {
      const QByteArray text = ReadFile(log);
      const QByteArray& line = log.startsWith("ACReg1-") ? channel1 : channel2;
      // The averages line carries the same figures under I0, Q0, I1 and Q1.
      const QList<QByteArray> a = line.trimmed().split(',');
      EXPECT_TRUE(text.endsWith("Average,,,,,,,," + a[1] + ',' + a[2] + ",,,,,,," + a[3] + ',' + a[4] + "\r\n"))
          << log.toStdString() << ": " << text.toStdString();
    }
    const QStringList averages = Files("MxAverage*.CSV");
    if (c.pairsDone == 0) {
      EXPECT_TRUE(averages.isEmpty());
    } else {
      ASSERT_EQ(averages.size(), 1);
      QByteArray expected = "Item,Cal_I,Cal_Q,Test_I,Test_Q\r\n";
      for (int item = 1; item <= 2 * c.pairsDone; ++item)
        expected += QByteArray::number(item) + (item % 2 ? channel1 : channel2);
      EXPECT_EQ(ReadFile(averages[0]), expected);
    }
    for (const QString& f : logs + averages + Files("BF*")) QFile::remove(Path(f));
  }
}

// Runs within one second, each stopped after its first sample: an impedance run and two
// automatic tests all log channel 1 in the same second, and the two tests write their
// averages files in it too. Each keeps a file of its own, the later ones named with
// "_2", "_3" before ".CSV".
TEST_F(BodyFatAutoTest, RunsWithinOneSecondKeepEveryLogAndAveragesFile) {
  WritePair("BF", 1);
  Open();
  FillTableWith0E();
  Calculate();
  Search("BF");
  Choose("scanTimer", 0);  // 100 ms a sample
  // To the start of a second: the three runs take 300 ms.
  sim.clock.AdvanceUs((1000 - sim.clock.LocalNow().time().msec()) * 1000);
  const QDateTime utc0 = sim.clock.UtcNow();
  const QString stamp = Stamp();

  const struct {
    const char* button;
    double i1, q1;  // channel 1's reading in this run
  } runs[] = {{"btnImpedanceTest", 600, 800}, {"btnAutoTest", 610, 790}, {"btnAutoTest", 620, 780}};
  for (const auto& r : runs) {
    const ChannelReadings reading = [&r](int channel, int sample) {
      return channel == 1 ? IQ{r.i1, r.q1} : UsualReading(channel, sample);
    };
    Script(QString(r.button) == "btnAutoTest" ? AutoTestReadings(100, 1, reading) : RunReadings(100, reading));
    QPushButton* button = Find<QPushButton>(form, r.button);
    int conversions = 0;
    onConversion = [&] {
      if (++conversions == 1) QMetaObject::invokeMethod(button, "click", Qt::QueuedConnection);
    };
    button->click();
    onConversion = nullptr;
  }
  EXPECT_TRUE(sim.dialogs.messages.isEmpty());
  EXPECT_EQ(Stamp(), stamp);

  EXPECT_EQ(Files("ACReg*.CSV"), (QStringList{"ACReg1-" + stamp + ".CSV", "ACReg1-" + stamp + "_2.CSV",
                                               "ACReg1-" + stamp + "_3.CSV"}));
  const char* suffixes[] = {"", "_2", "_3"};
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    const QList<QByteArray> rows = ReadFile("ACReg1-" + stamp + suffixes[k] + ".CSV").split('\n');
    ASSERT_EQ(rows.size(), k == 0 ? 3 : 4);  // the header, one row, the averages line of a test
    EXPECT_EQ(rows[0], kLogHeader + "\r");
    const QList<QByteArray> f = rows[1].split(',');
    ASSERT_EQ(f.size(), 23);
    EXPECT_EQ(f[0], "1");
    EXPECT_EQ(f[1], RowTime(utc0.addMSecs(100 * k)).toLatin1());
    EXPECT_EQ(f[16] + ',' + f[17], QByteArray::number(runs[k].i1) + ".00," + QByteArray::number(runs[k].q1) + ".00");
  }
  EXPECT_EQ(Files("MxAverage*.CSV"), (QStringList{"MxAverage" + stamp + ".CSV", "MxAverage" + stamp + "_2.CSV"}));
  EXPECT_EQ(ReadFile("MxAverage" + stamp + ".CSV"), "Item,Cal_I,Cal_Q,Test_I,Test_Q\r\n1,300.00,400.00,610.00,790.00\r\n");
  EXPECT_EQ(ReadFile("MxAverage" + stamp + "_2.CSV"),
            "Item,Cal_I,Cal_Q,Test_I,Test_Q\r\n1,300.00,400.00,620.00,780.00\r\n");
}

// A transfer that fails, or a reply of 0 bytes (the board dropped the command),
// part-way through the automatic test: the test ends there with the warning of a
// failed conversion and the link shown gone, the channels measured before are
// written with their averages, and each register the test stores holds in the shadow
// what the chip holds. (The calibration writes the table's columns 20h, 21h, 23h..25h
// without storing them, by design: they are left out of the comparison.)
TEST_F(BodyFatAutoTest, AFailedWriteEndsTheTestWithTheShadowAsTheChip) {
  WritePair("BF", 1);
  WritePair("BF", 2);
  sim.platform.usb = &usb;
  Open();
  FillTableWith0E();
  FourSamplesAChannel(2);
  Search("BF");
  ASSERT_EQ(S().PairCount, 2);

  std::vector<int> stored = {0x0D, 0x0E, 0x7F};
  for (int a : AutoTestRegisters)
    if (a < 0x20 || a > 0x25) stored.push_back(a);
  for (int i = 0; i < 128; ++i) stored.insert(stored.end(), {0x80 + i, 0x180 + i});

  const QByteArray item1 = "1,300.00,400.00,600.00,800.00\r\n";
  struct Case {
    const char* what;
    int wire, value, occurrence;  // the register write that fails: its n-th time
    bool emptyReply;
    std::vector<int> logRows;  // rows of each channel log written
    QByteArray averages;       // the averages file's items; none at all when empty
  } cases[] = {
      {"pair 1, bank 0 byte 40", 0xA8, Bank0Byte(1, 40), 1, true, {}, ""},
      {"pair 1, register list line 20", 0x1D, RegValue(1, 19), 1, false, {}, ""},
      {"pair 1, flag before the third calibration", 0x0E, RegValue(1, 4) | 0x80, 3, false, {2}, item1},
      {"pair 1, flag after the first calibration", 0x0E, RegValue(1, 4), 2, true, {}, ""},
      {"pair 2, bank 1 selected", 0x7F, 0x41, 2, true, {4, 4}, item1 + "2,300.00,400.00,-300.00,400.00\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (int a : stored) {
      sim.board.chip.Poke(a, 0xEE);
      prog->Mx_UP->SetRegShadow(a, 0xEE, 0);
    }
    sim.board.chip.Poke(0x7F, 0x40);
    prog->Mx_UP->SetRegShadow(0x7F, 0x40, 0);
    sim.dialogs.messages.clear();
    int seen = 0;
    usb.beforeWrite = [&](const uint8_t* p, size_t n) {
      if (n >= 8 && p[0] == 0xC4 && p[1] == 0x00 && p[2] == 0xA0 && p[3] == c.wire && p[7] == c.value &&
          ++seen == c.occurrence) {
        if (c.emptyReply)
          sim.board.Arm(BoardFault::EmptyReply);
        else
          sim.board.Arm(BoardFault::FailedTransfer);
      }
    };
    const QDateTime t0 = sim.clock.LocalNow();
    Script(AutoTestReadings(4, 2));
    Find<QPushButton>(form, "btnAutoTest")->click();
    usb.beforeWrite = nullptr;

    EXPECT_EQ(seen, c.occurrence);
    ASSERT_EQ(sim.dialogs.messages.size(), 1);
    EXPECT_EQ(sim.dialogs.messages[0].text, "Read Error !!!!!");
    EXPECT_EQ(sim.dialogs.messages[0].caption, "warning");
    EXPECT_EQ(prog->MainPanel->StatusBar1->Text(0), "USB not Connect !!!");
    EXPECT_TRUE(S().AutoIdle);
    EXPECT_TRUE(RunControlsEnabled());
    for (int a : stored) EXPECT_EQ(prog->Mx_UP->GetReg(a, 0), sim.board.chip.Peek(a)) << std::hex << a;

    const QStringList logs = Files("ACReg*.CSV");
    ASSERT_EQ(logs.size(), static_cast<int>(c.logRows.size()));
    for (size_t ch = 0; ch < c.logRows.size(); ++ch) {
      const QString name = "ACReg" + QString::number(ch + 1) + "-" + t0.addSecs(ch).toString("yyyyMMddHHmmss") + ".CSV";
      const QList<QByteArray> rows = ReadFile(name).split('\n');
      ASSERT_EQ(rows.size(), c.logRows[ch] + 3) << name.toStdString();  // the header, the rows, the averages
      EXPECT_TRUE(rows[rows.size() - 2].startsWith("Average,"));
    }
    const QStringList averages = Files("MxAverage*.CSV");
    if (c.averages.isEmpty()) {
      EXPECT_TRUE(averages.isEmpty());
    } else {
      ASSERT_EQ(averages.size(), 1);
      EXPECT_EQ(ReadFile(averages[0]), "Item,Cal_I,Cal_Q,Test_I,Test_Q\r\n" + c.averages);
    }
    for (const QString& f : logs + averages) QFile::remove(Path(f));
    Click("USBScan");
  }
}

// ---- look ----------------------------------------------------------------------------

TEST_F(BodyFatWindow, EveryControlFitsTheWindowWithAllTwelveRows) {
  Open();
  FillTable();
  Calculate();
  Choose("cbChannels", 11);
  FourSamplesAChannel(12);
  Script(RunReadings(4));
  Find<QPushButton>(form, "btnImpedanceTest")->click();
  form->resize(form->sizeHint());
  const QImage shot = form->grab().toImage();
  ASSERT_FALSE(shot.isNull());
  if (qEnvironmentVariableIsSet("MX_SHOT")) shot.save(qEnvironmentVariable("MX_SHOT"));

  const QRect window = form->rect();
  for (QWidget* w : form->findChildren<QWidget*>()) {
    if (w->isHidden() || w->objectName().startsWith("qt_")) continue;
    const QRect r(w->mapTo(form, QPoint(0, 0)), w->size());
    EXPECT_TRUE(window.contains(r)) << w->objectName().toStdString();
    // Texts are shown whole.
    int needed = 0;
    if (auto* l = qobject_cast<QLabel*>(w)) needed = l->sizeHint().width();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) needed = b->sizeHint().width();
    if (auto* e = qobject_cast<QLineEdit*>(w)) needed = e->fontMetrics().horizontalAdvance(e->text()) + 8;
    EXPECT_GE(w->width(), needed) << w->objectName().toStdString();
  }
  // The results of row 12 line up with those of row 1.
  EXPECT_EQ(Edit("edtIMP_1")->x(), Edit("edtIMP_12")->x());
  EXPECT_EQ(Edit("edtAddr5_12")->x(), Edit("edtAddr5")->x());
}

}  // namespace
