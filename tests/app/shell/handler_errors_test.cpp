// Errors raised in the handlers the program connects to the window toolkit, through
// the real controls (a key in an edit, a click, a menu item): each ends at its handler
// with the message the application's handler would show, the controls the handler
// locked come back, and nothing reaches the event dispatch.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <functional>

#include "adc_analysis/analysis_window.h"
#include "app/impedance/bodyfat_readings.h"
#include "app/support/program_fixture.h"
#include "block_panels/wave_generator.h"
#include "impedance/bodyfat_test_window.h"
#include "instruments/temperature_test.h"
#include "shell/main_panel.h"
#include "shell/memory_view.h"
#include "support/last_guard.h"

namespace {

class HandlerErrors : public ProgramTest {
protected:
  void SetUp() override {
    ProgramTest::SetUp();
    StartProgram();
    Click("USBScan");
  }
  static void Enter(QLineEdit* e, const QString& text) {
    e->setText(text);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QCoreApplication::sendEvent(e, &enter);
  }
  // Which of the controls are enabled, the main window's menus first.
  std::vector<bool> Enabled(QObject* owner, std::initializer_list<const char*> names) const {
    std::vector<bool> e;
    for (const char* m : {"Memu_File", "Menu_Option", "Menu_ReadRAM", "Menu_ReadAdc"})
      e.push_back(prog->MainPanel->MenuItem(m)->isEnabled());
    for (const char* n : names) e.push_back(Find<QWidget>(owner, n)->isEnabled());
    return e;
  }
};

TEST_F(HandlerErrors, EndAtTheirHandlerWithTheMessageAndTheControlsBack) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
    std::function<void()> raise;  // through the control
    QString message;
    std::function<std::vector<bool>()> controls;  // the handler locks them while it runs
    std::function<bool()> idle = [] { return true; };
  };
  TWaveGenForm* gen = prog->WaveGenForm;
  TbodyFatForm* fat = prog->bodyFatForm;
  TAnxADC* anx = prog->AnxADC;
  TTMP* tmp = prog->TMP;
  const Case cases[] = {
      {"generator frequency 0 and Enter", [] {}, [&] { Enter(Find<QLineEdit>(gen, "T_FREQ"), "0"); },
       "Floating point division by zero", [&] { return Enabled(gen, {"T_FREQ", "Button1"}); }},
      {"body-fat Impedance Test with I = 0",
       [&] {
         ScriptReadings(sim.board, CalculateReadings());
         Find<QPushButton>(fat, "btnCalculate")->click();
         ScriptReadings(sim.board, RunReadings(4, [](int, int) { return IQ{0, 5}; }));
       },
       [&] { Find<QPushButton>(fat, "btnImpedanceTest")->click(); }, "Floating point division by zero",
       [&] {
         return Enabled(fat, {"btnImpedanceTest", "btnCalculate", "btnAutoTest", "cbChannels", "scanTimer", "rbTime",
                              "edtAddr0"});
       },
       [&] { return prog->G.Impedance.BodyFat.TestIdle; }},
      {"analysis capture with a rate that is no number",
       [&] {
         anx->cbEKG->setChecked(true);
         anx->edtFactor->setText("fast");
       },
       [&] { anx->CatchADC->click(); }, "'fast' is not a valid integer value",
       [&] { return Enabled(anx, {"SaveData", "ShowChart", "ChangeADI", "cbEKG", "NPointIndex", "TXScale", "CatchADC"}); },
       [&] { return anx->st.CaptureIdle && !prog->G.LiveChartFlag; }},
      {"oscillator trim without a clock range",
       [&] {
         Click("WaveGen");  // the firmware name enables the trim
         for (QString& t : prog->G.ClockTexts) t.clear();
       },
       [&] { Find<QPushButton>(gen, "VodCorrection")->click(); }, "'' is not a valid integer value",
       [&] { return Enabled(gen, {"VodCorrection", "edtActualClk"}); }},
      {"temperature steps from a start that is no number",
       [&] {
         tmp->ETempCount->setText("3");
         tmp->ETMPBG->setText("cold");
       },
       [&] { tmp->TMPCNTSET->click(); }, "'cold' is not a valid floating point value",
       [&] { return Enabled(tmp, {"TMPCNTSET", "ETMPBG", "TBg", "TTest"}); }},
      {"memory view Load RAM of a file that cannot be read",
       [&] { sim.dialogs.openAnswers << Path("missing.ram"); },
       [&] { prog->Mx_RAM->findChild<QAction*>("LoadRam")->trigger(); }, "Cannot open file \"" + Path("missing.ram") + "\". No such file or directory",
       [&] { return Enabled(prog->Mx_RAM, {"SGD"}); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.arrange();
    sim.dialogs.messages.clear();
    const int atLastGuard = ErrorsAtLastGuard();
    const std::vector<bool> before = c.controls();
    c.raise();
    ASSERT_EQ(sim.dialogs.messages.size(), 1);
    EXPECT_EQ(sim.dialogs.messages[0].text, c.message);
    EXPECT_EQ(sim.dialogs.messages[0].caption, QCoreApplication::applicationName());
    EXPECT_EQ(sim.dialogs.messages[0].buttons, MB_OK);
    EXPECT_EQ(c.controls(), before);
    EXPECT_TRUE(c.idle());
    EXPECT_EQ(ErrorsAtLastGuard(), atLastGuard);
  }
}

}  // namespace
