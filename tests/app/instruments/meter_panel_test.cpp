// The meter panel on a Program with simulated meters on their serial ports and the
// fake clock; timer ticks are driven by calling the tick handler.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "instruments/meter_panel.h"
#include "kit/segment_display.h"
#include "app/support/program_fixture.h"

namespace {

MeterReading Reading(char sign, const char* field, char expSign, char exp, uint8_t flags1 = 0x06) {
  MeterReading r;
  r.sign = sign;
  r.text = field;
  r.exponentSign = expSign;
  r.exponent = exp;
  r.flags1 = flags1;
  return r;
}

class MeterPanel : public ProgramTest {
protected:
  void SetUp() override {
    ProgramTest::SetUp();
    StartProgram();
    meter = prog->Meter;
  }
  // What the Setup dialog does when a meter answers its probe on COMn.
  void Connect(int channel, int com) {
    DevcRS232& port = prog->G.Instruments.BryMenPorts[channel];
    port.Handle = sim.serial.Open("COM" + QString::number(com));
    ASSERT_TRUE(SerialHandleValid(port.Handle));
    port.Connected = 1;
    meter->ShowChannel(channel);
  }
  void ChooseInterval(int channel, int index) {
    QComboBox* box = Find<QComboBox>(meter, "ComboBox" + QString::number(channel + 1));
    box->setCurrentIndex(index);
    emit box->activated(index);
  }
  TLedArray* Led(int channel) { return Find<TLedArray>(meter, "LedArray" + QString::number(channel + 1)); }
  QString Unit(int channel) { return Find<QLabel>(meter, "MUnit" + QString::number(channel))->text(); }
  bool Minus(int channel) { return !Find<QFrame>(meter, "Panel" + QString::number(channel + 1))->isHidden(); }
  std::vector<int> Places(int channel) {
    std::vector<int> v;
    for (int i = 0; i < Led(channel)->Digit(); ++i) v.push_back(Led(channel)->Code(i));
    return v;
  }

  TMeter* meter = nullptr;
};

constexpr int B = segments::CodeBlank;

TEST_F(MeterPanel, CreatedWithEveryChannelDisabledAndHidden) {
  EXPECT_EQ(meter->windowTitle(), "Meter");
  EXPECT_FALSE(meter->Timer1->isActive());
  EXPECT_EQ(meter->Timer1->interval(), 100);
  EXPECT_EQ(Find<QPushButton>(meter, "RDandStop")->text(), "Stop");
  for (int ch = 0; ch < 6; ++ch) {
    const QString n = QString::number(ch + 1);
    QCheckBox* box = Find<QCheckBox>(meter, "CheckBox" + n);
    EXPECT_EQ(box->text(), QString::fromUtf8("連續儲存第 ") + n + QString::fromUtf8(" 電表值"));
    EXPECT_FALSE(box->isEnabled());
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(Find<QLabel>(meter, "Label" + n)->text(), QString::fromUtf8("選擇掃瞄時間"));
    QComboBox* combo = Find<QComboBox>(meter, "ComboBox" + n);
    EXPECT_FALSE(combo->isEnabled());
    ASSERT_EQ(combo->count(), 6);
    EXPECT_EQ(combo->itemText(0), "100ms");
    EXPECT_EQ(combo->itemText(5), "5s");
    EXPECT_EQ(combo->currentIndex(), 0);
    TLedArray* led = Led(ch);
    EXPECT_TRUE(led->isHidden());
    EXPECT_EQ(led->size(), QSize(89, 25));
    EXPECT_EQ(led->Digit(), 5);
    EXPECT_EQ(Places(ch), (std::vector<int>{0, 0, 0, 0, 0}));
    EXPECT_TRUE(Find<QLabel>(meter, "MUnit" + QString::number(ch))->isHidden());
    EXPECT_FALSE(Minus(ch));
    EXPECT_EQ(Find<QFrame>(meter, "Panel" + n)->size(), QSize(10, 3));
  }
}

TEST_F(MeterPanel, ReadingButtonStartsAndStopsTheTimer) {
  QPushButton* button = Find<QPushButton>(meter, "RDandStop");
  button->click();
  EXPECT_TRUE(meter->Timer1->isActive());
  EXPECT_EQ(button->text(), "Reading");
  button->click();
  EXPECT_FALSE(meter->Timer1->isActive());
  EXPECT_EQ(button->text(), "Stop");
  button->click();
  Click("BryMenShow1");
  EXPECT_TRUE(meter->Shown());
  meter->Frame()->close();  // the close box: timer off, caption back
  EXPECT_FALSE(meter->Timer1->isActive());
  EXPECT_EQ(button->text(), "Stop");
}

TEST_F(MeterPanel, TicksReadConnectedMetersOnTheirIntervals) {
  SimMeter& m1 = sim.serial.Add<SimMeter>(6);
  SimMeter& m2 = sim.serial.Add<SimMeter>(7);
  SimMeter& unconnected = sim.serial.Add<SimMeter>(8);
  Connect(0, 6);
  Connect(2, 7);
  DevcRS232& port = prog->G.Instruments.BryMenPorts[3];
  port.Handle = sim.serial.Open("COM8");  // open, but its meter never answered the probe
  EXPECT_FALSE(Led(0)->isHidden());
  EXPECT_TRUE(Find<QComboBox>(meter, "ComboBox1")->isEnabled());
  EXPECT_FALSE(Find<QCheckBox>(meter, "CheckBox1")->isEnabled());

  m1.reading = Reading('-', "1.23   ", '-', '2');
  m2.reading = Reading(' ', "1.234  ", '+', '4', 0x80);
  ChooseInterval(2, 2);  // "500ms"
  std::vector<int> m2Ticks;
  for (int t = 1; t <= 10; ++t) {
    const int before = m2.requests;
    meter->Timer1Timer();
    if (m2.requests > before) m2Ticks.push_back(t);
  }
  EXPECT_EQ(m1.requests, 10);
  EXPECT_EQ(m2Ticks, (std::vector<int>{5, 10}));
  EXPECT_EQ(unconnected.requests, 0);

  EXPECT_EQ(Unit(0), "DC mV");
  EXPECT_TRUE(Minus(0));
  EXPECT_EQ(Led(0)->DotCount(), 2);
  EXPECT_EQ(Places(0), (std::vector<int>{1, 2, 3, 0, 0}));  // 12.3 mV
  EXPECT_EQ(Led(0)->PointPlace(), 1);
  EXPECT_EQ(Unit(2), QString::fromUtf8("kΩ"));
  EXPECT_FALSE(Minus(2));
  EXPECT_EQ(Places(2), (std::vector<int>{1, 2, 3, 4, 0}));  // 12.34 kΩ
  EXPECT_EQ(Led(2)->PointPlace(), 1);

  // A positive reading hides the minus mark again.
  m1.reading = Reading(' ', "0.500  ", '+', '0');
  meter->Timer1Timer();
  EXPECT_FALSE(Minus(0));
  EXPECT_EQ(Unit(0), "DC V");
  EXPECT_EQ(Places(0), (std::vector<int>{0, 5, 0, 0, 0}));
}

TEST_F(MeterPanel, SilentShortAndGarbledMetersShowNoReading) {
  SimMeter& m = sim.serial.Add<SimMeter>(6);
  Connect(0, 6);
  meter->Timer1Timer();
  EXPECT_EQ(Places(0), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(Unit(0), "DC V");

  m.Arm(InstrumentFault::Silent, FaultSpan::FromNowOn());
  const int64_t t0 = sim.clock.SteadyUs();
  BryMenReading r;
  EXPECT_EQ(meter->GetBryMenData(0, r), 0);
  EXPECT_FALSE(r.Decoded);
  EXPECT_TRUE(r.Invalid);  // no frame is no reading
  EXPECT_GE(sim.clock.SteadyUs() - t0, 2'500'000);
  meter->Timer1Timer();
  EXPECT_EQ(Places(0), (std::vector<int>{B, B, B, B, B}));
  EXPECT_EQ(Unit(0), "");

  // A whole frame of 21 bytes: invalid, shown as overload.
  m.ClearFaults();
  QByteArray frame = SimMeter::Frame(Reading(' ', "1.2345 ", '+', '0'));
  m.Script({frame.left(18) + frame.right(3)});
  EXPECT_EQ(meter->GetBryMenData(0, r), 0);
  EXPECT_TRUE(r.Invalid);
  m.reading = Reading(' ', "9.9", '+', 'Z');
  meter->Timer1Timer();
  EXPECT_EQ(Places(0), (std::vector<int>{B, B, B, B, B}));
  EXPECT_EQ(Unit(0), "DC V");

  m.reading = Reading(' ', "2.000  ", '+', '0');
  EXPECT_DOUBLE_EQ(meter->GetBryMenData(0, r), 2.0);
  EXPECT_FALSE(r.Invalid);
}

TEST_F(MeterPanel, ReadingsKeepTheirMagnitudeOnTheFivePlaces) {
  SimMeter& m = sim.serial.Add<SimMeter>(6);
  Connect(0, 6);
  struct Case {
    MeterReading in;
    const char* unit;
    std::vector<int> places;
    int pointPlace;  // -1: none
  };
  const Case cases[] = {
      {Reading(' ', " 12.34 ", '+', '0'), "DC V", {1, 2, 3, 4, 0}, 1},     // 12.340, no zero before the 1
      {Reading(' ', "  123  ", '+', '0'), "DC V", {1, 2, 3, 0, 0}, 2},     // 123.00
      {Reading(' ', "1234.5 ", '-', '0'), "DC V", {1, 2, 3, 4, 5}, 3},     // 1234.5, not 12345 mV
      {Reading(' ', "123456 ", '+', '6'), "DC MV", {B, B, B, B, B}, -1},  // no unit holds it on five places
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in.text.toStdString());
    m.reading = c.in;
    meter->Timer1Timer();
    EXPECT_EQ(Unit(0), QString::fromUtf8(c.unit));
    EXPECT_EQ(Places(0), c.places);
    EXPECT_EQ(Led(0)->PointPlace(), c.pointPlace);
  }
}

TEST_F(MeterPanel, PaintsReadingsOnItsDisplays) {
  SimMeter& m = sim.serial.Add<SimMeter>(6);
  Connect(0, 6);
  m.reading = Reading('-', "8.888  ", '+', '0');
  meter->Timer1Timer();
  meter->resize(meter->sizeHint());
  const QImage image = meter->grab().toImage();
  const QRect led = Led(0)->geometry();
  int lit = 0;
  for (int y = led.top(); y <= led.bottom(); ++y)
    for (int x = led.left(); x <= led.right(); ++x)
      if (image.pixelColor(x, y) == QColor(0x33, 0x99, 0xFF)) ++lit;
  EXPECT_GT(lit, 200);
  // Every channel row fits: nothing overlaps the display or the unit label.
  EXPECT_FALSE(Find<QComboBox>(meter, "ComboBox1")->geometry().intersects(led));
  EXPECT_FALSE(Find<QLabel>(meter, "MUnit0")->geometry().intersects(led));
}

}  // namespace
