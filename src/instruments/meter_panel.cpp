#include "instruments/meter_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "common/handler_guard.h"
#include "kit/bench.h"
#include "kit/segment_display.h"
#include "link/serial_protocols.h"

namespace {
const QColor kBtnFace(0xF0, 0xF0, 0xF0);
const QColor kMenuHighlight(0x33, 0x99, 0xFF);
const QColor kHighlight(0x00, 0x78, 0xD7);

// A control that keeps its place in the layout while hidden.
template <class W>
W* Keep(W* w) {
  QSizePolicy p = w->sizePolicy();
  p.setRetainSizeWhenHidden(true);
  w->setSizePolicy(p);
  return w;
}
}  // namespace

TMeter::TMeter(Bench& program, QWidget* parent)
    : TPanelForm(program, "Meter", QString::fromUtf8("Meter"), parent) {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(10, 10, 10, 10);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(8);
  for (int ch = 0; ch < BryMenChannelCount; ++ch) {
    _MeterAll& m = MeterAll[ch];
    const QString n = QString::number(ch + 1);
    m.CheckBox = new QCheckBox(this);
    m.CheckBox->setObjectName("CheckBox" + n);
    connect(m.CheckBox, &QCheckBox::clicked, this, GuardedSlot(P, [this, ch] { CheckBoxDBClick(ch); }));
    m.Label = new QLabel(QString::fromUtf8("選擇掃瞄時間"), this);
    m.Label->setObjectName("Label" + n);
    m.ComboBox = new QComboBox(this);
    m.ComboBox->setObjectName("ComboBox" + n);
    connect(m.ComboBox, &QComboBox::activated, this, GuardedSlot(P, [this, ch] { ComboBox1Change(ch); }));
    m.Panel = Keep(new QFrame(this));
    m.Panel->setObjectName("Panel" + n);
    m.Panel->setFixedSize(10, 3);
    m.Panel->setAutoFillBackground(true);
    QPalette pal = m.Panel->palette();
    pal.setColor(QPalette::Window, kHighlight);
    m.Panel->setPalette(pal);
    m.LedArray = Keep(new TLedArray(this));
    m.LedArray->setObjectName("LedArray" + n);
    m.LedArray->setFixedSize(89, 25);
    m.LedArray->SetOnColor(kMenuHighlight);
    m.LedArray->SetOffColor(kBtnFace);
    m.LedArray->SetBackColor(kBtnFace);
    m.LedArray->SetSegWidth(3);
    m.LedArray->SetMargin(2);
    m.LedArray->SetCaption("0");
    m.LedArray->SetDigit(MeterDisplayPlaces);
    m.MUnit = Keep(new QLabel(this));
    m.MUnit->setObjectName("MUnit" + QString::number(ch));
    m.MUnit->setMinimumWidth(64);
    grid->addWidget(m.CheckBox, ch, 0);
    grid->addWidget(m.Label, ch, 1);
    grid->addWidget(m.ComboBox, ch, 2);
    grid->addWidget(m.Panel, ch, 3, Qt::AlignVCenter | Qt::AlignRight);
    grid->addWidget(m.LedArray, ch, 4);
    grid->addWidget(m.MUnit, ch, 5);
  }
  RDandStop = new QPushButton(this);
  RDandStop->setObjectName("RDandStop");
  RDandStop->setMinimumWidth(90);
  connect(RDandStop, &QPushButton::clicked, this, GuardedSlot(P, this, &TMeter::RDandStopClick));
  grid->addWidget(RDandStop, BryMenChannelCount, 4, 1, 2, Qt::AlignLeft);
  grid->setColumnStretch(5, 1);
  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  connect(Timer1, &QTimer::timeout, this, GuardedSlot(P, this, &TMeter::Timer1Timer));
}

TMeter::~TMeter() = default;

void TMeter::FormCreate() {
  Timer1->stop();
  Timer1->setInterval(100);
  for (int ch = 0; ch < BryMenChannelCount; ++ch) {
    _MeterAll& m = MeterAll[ch];
    m.ComboBox->clear();
    m.ComboBox->addItems(MeterScanItems);
    m.ComboBox->setCurrentIndex(0);
    m.CheckBox->setText(QString::fromUtf8("連續儲存第 ") + QString::number(ch + 1) + QString::fromUtf8(" 電表值"));
    m.CheckBox->setChecked(false);
    for (QWidget* w : {(QWidget*)m.CheckBox, (QWidget*)m.Label, (QWidget*)m.ComboBox}) w->setEnabled(false);
    m.LedArray->SetCaption("0");
    for (QWidget* w : {(QWidget*)m.LedArray, (QWidget*)m.MUnit, (QWidget*)m.Panel}) w->setVisible(false);
  }
  TickCount = 0;
  RDandStop->setText("Stop");
  adjustSize();
}

void TMeter::FormClose() {
  Timer1->stop();
  RDandStop->setText("Stop");
}

void TMeter::RDandStopClick() {
  if (!Timer1->isActive()) {
    RDandStop->setText("Reading");
    Timer1->start();
  } else {
    RDandStop->setText("Stop");
    Timer1->stop();
  }
}

void TMeter::ComboBox1Change(int channel) {
  if (channel < 0 || channel >= BryMenChannelCount) return;
  MeterAll[channel].ScanIndex = std::clamp(MeterAll[channel].ComboBox->currentIndex(), 0, 5);
}

void TMeter::CheckBoxDBClick(int channel) {
  if (channel < 0 || channel >= BryMenChannelCount) return;
  MeterAll[channel].StoreFlag = MeterAll[channel].CheckBox->isChecked();
}

void TMeter::ShowChannel(int channel) {
  if (channel < 0 || channel >= BryMenChannelCount) return;
  _MeterAll& m = MeterAll[channel];
  m.CheckBox->setEnabled(false);
  m.Label->setEnabled(true);
  m.ComboBox->setEnabled(true);
  for (QWidget* w : {(QWidget*)m.LedArray, (QWidget*)m.MUnit, (QWidget*)m.Panel}) w->setVisible(true);
}

double TMeter::GetBryMenData(int channel, BryMenReading& r) {
  r.Invalid = false;
  r.Decoded = false;
  int length = 0;
  // A frame that did not come is no reading: invalid, as a garbled one is.
  if (channel < 0 || channel >= BryMenChannelCount || !P.Serial.BryMenReadFrame(channel, length)) {
    r.Invalid = true;
    return 0;
  }
  return DecodeBryMenFrame(P.G.Instruments.BryMenBuf, length, r);
}

void TMeter::Timer1Timer() {
  ++TickCount;
  for (int ch = 0; ch < BryMenChannelCount; ++ch) {
    _MeterAll& m = MeterAll[ch];
    if (!P.G.Instruments.BryMenPorts[ch].Connected || !MeterScanDue(TickCount, m.ScanIndex)) continue;
    BryMenReading r;
    GetBryMenData(ch, r);
    const MeterDisplay d = MeterPanelDisplay(r, r.Decoded);
    m.MUnit->setText(d.Unit);
    m.LedArray->SetDotCount(d.DotCount);
    m.Panel->setVisible(d.Minus);
    m.LedArray->SetCaption(d.Caption);
  }
}
