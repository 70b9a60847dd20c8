// The impedance windows' jobs that end by an error part-way (a text that no longer
// converts, an arithmetic error), after register writes the windows were not
// refreshed for: the register and memory views show the shadow all the same.
#include <gtest/gtest.h>

#include <functional>

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/support/views_show_shadow.h"
#include "common/errors.h"
#include "common/number_text.h"
#include "impedance/bodyfat_runs.h"
#include "impedance/bodyfat_test_window.h"
#include "iq_window_fixture.h"

namespace {

const std::vector<std::string> kNone;

using IQViewsAfterErrors = IQWindowTest;

// DC mode: "Calculate" writes the measuring codes and lists DC and DC1, then meets
// a first average of 0; CAP TEST writes the step codes and list DC, then meets a DC
// gain that no longer converts at its first row.
TEST_F(IQViewsAfterErrors, CalculateAndCapTestEndedByAnErrorLeaveTheViewsShowingTheShadow) {
  Start();
  int32_t ai4 = 0;
  ScriptStreams({[&ai4](uint64_t) { return ai4; }, [](uint64_t) { return 2000; }});
  w->rbDCMode->setChecked(true);
  w->Pcalculate->click();
  EXPECT_EQ(Messages(), QStringList{QCoreApplication::applicationName() + ": " + kFloatDivByZero});
  EXPECT_EQ(ViewsAgainstShadow(*prog), kNone);

  ai4 = 1000;
  w->Pcalculate->click();
  ASSERT_TRUE(Messages().isEmpty());
  Edit("edtReantionTime")->setText("0");
  ScriptStreams({[this](uint64_t) {
                   Edit("edtDCGain")->setText("");
                   return 1000;
                 },
                 [](uint64_t) { return 2000; }});
  w->PCAPTEST->click();
  EXPECT_EQ(Messages(), QStringList{"warning: Setting error"});
  EXPECT_EQ(ViewsAgainstShadow(*prog), kNone);
}

class BodyFatViewsAfterErrors : public ProgramTest {
protected:
  // Connected; the table's column k at register 20h + k, row j's value j x 10h + k + 1;
  // two channels of one sample each; every conversion reads 300, 400.
  void Open() {
    StartProgram();
    Click("USBScan");
    form = prog->bodyFatForm;
    sim.board.iqSource = [](uint64_t) { return std::pair<uint32_t, uint32_t>{IqWord(300), IqWord(400)}; };
    for (int k = 0; k < 6; ++k) {
      QLineEdit* address = Find<QLineEdit>(form, "edtAddr" + QString::number(k));
      address->setText(IntToHexW(0x20 + k, 2));
      QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
      QCoreApplication::sendEvent(address, &leave);
      for (int j = 0; j <= 12; ++j) Value(k, j)->setText(IntToHexW(j * 0x10 + k + 1, 2));
    }
    form->rbTime->setChecked(true);
    Choose(form->scanTimer, 3);  // 1 s: one sample in a channel of 1 s
    Choose(form->cbChannels, 1);
  }
  static void Choose(QComboBox* list, int index) {
    list->setCurrentIndex(index);
    emit list->activated(index);
  }
  QLineEdit* Value(int k, int j) const { return Find<QLineEdit>(form, ValueEditName(k, j)); }

  TbodyFatForm* form = nullptr;
};

// Each job meets a table value that is no number in column 2 of its row, after it
// wrote columns 0 and 1 of that row.
TEST_F(BodyFatViewsAfterErrors, JobsEndedByAnErrorLeaveTheViewsShowingTheShadow) {
  struct Case {
    const char* job;
    std::function<void(TbodyFatForm&)> run;
    int row;  // of the value that is no number
    bool calibrated, pair;
  };
  const Case cases[] = {
      {"Calculate", [](TbodyFatForm& f) { f.btnCalculateClick(); }, 0, false, false},
      {"Impedance Test, channel 2", [](TbodyFatForm& f) { f.btnImpedanceTestClick(); }, 2, true, false},
      {"Auto Test, channel 1", [](TbodyFatForm& f) { f.btnAutoTestClick(); }, 1, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.job);
    StopProgram();
    QFile::remove(Path("bodyFatFormSet.txt"));
    Open();
    if (c.calibrated) form->btnCalculate->click();
    if (c.pair) {
      // An empty pair: the memory file gives zeros, the register file no register.
      WriteFile("BF1.ram", "");
      WriteFile("BF1.reg", "");
      Find<QLineEdit>(form, "edtFile")->setText("BF");
      form->edtFileExit();
    }
    Value(2, c.row)->setText("x!");
    EXPECT_THROW(c.run(*form), EConvertError);
    const uint8_t* shadow = prog->G.Channels[0].RegShadow;
    EXPECT_EQ(shadow[0x20], c.row * 0x10 + 1);
    EXPECT_EQ(shadow[0x21], c.row * 0x10 + 2);
    EXPECT_EQ(ViewsAgainstShadow(*prog), kNone);
  }
}

}  // namespace
