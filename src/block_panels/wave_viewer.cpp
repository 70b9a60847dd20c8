#include "block_panels/wave_viewer.h"

#include <QCoreApplication>
#include <algorithm>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "block_panels/digit_edit.h"
#include "block_panels/wave_chart.h"
#include "block_panels/wave_files.h"
#include "block_panels/wave_memory.h"
#include "common/errors.h"
#include "common/handler_guard.h"
#include "common/text_encoding.h"
#include "kit/bench.h"
#include "link/mx_up.h"
#include "platform/dialogs.h"

TShowWaveForm::TShowWaveForm(Bench& program, QWidget* parent)
    : TPanelForm(program, "ShowWaveForm", QString::fromUtf8("ShowWaveForm--From Load Ram Button "), parent) {
  edtDacSource = DigitEdit(P, this, "edtDacSource", "3300", 5, [this] { edtDacSourceKeyPress(); },
                           [this] { edtDacSourceExit(); });
  edtDacSource->setFixedWidth(edtDacSource->fontMetrics().horizontalAdvance("0000000") + 16);
  btnChangeUint = new QPushButton("Show Voltage", this);
  btnChangeUint->setObjectName("btnChangeUint");
  btnChangeUint->setMinimumWidth(
      std::max(btnChangeUint->fontMetrics().horizontalAdvance("Show Voltage"), btnChangeUint->fontMetrics().horizontalAdvance("Show Core")) + 24);
  connect(btnChangeUint, &QPushButton::clicked, this, GuardedSlot(P, [this] { btnChangeUintClick(); }));
  chartWaveform = new TWaveChart(this);

  auto* top = new QHBoxLayout;
  top->setSpacing(6);
  top->addWidget(new QLabel("DAC source voltage(mV)=", this));
  top->addWidget(edtDacSource);
  top->addSpacing(12);
  top->addWidget(btnChangeUint);
  top->addStretch();
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(10, 10, 10, 10);
  page->setSpacing(10);
  page->addLayout(top);
  page->addWidget(chartWaveform, 1);
  resize(sizeHint());
}

void TShowWaveForm::FormCreate() {
  ShowVoltage = 0;
  LastPoint = 127;
}

void TShowWaveForm::FormClose() {}

void TShowWaveForm::FollowDgrp() {
  const uint8_t g = static_cast<uint8_t>(DgrpOf(P.Mx_UP->GetReg(WaveReg::Dgrp, 0)));
  if (g != LastPoint) LastPoint = g;
}

bool TShowWaveForm::LoadAsDac() {
  FileDialogRequest request;
  request.defaultExt = "ram";
  request.filter = "*.ram|*.ram";
  const QString path = P.dialogs().OpenFileName(this, request);
  if (path.isEmpty() || !QFile::exists(path)) return false;
  const WaveTable words = RamArrayWords(ReadTextLines(path));
  const bool loaded =
      WaveRamWrite(*P.Mx_UP, words, WaveRunBitsWithGen4, [this] { P.Refresh(RefreshView::MemoryView); });
  // The register view shows registers 13 and 127 as the write left them.
  P.Refresh(RefreshView::RegisterView);
  // A load that did not reach the chip leaves the viewer as it was, and closed.
  if (!loaded) {
    P.dialogs().MessageBox(this, kWaveRamWriteFail, QCoreApplication::applicationName(), MB_OK);
    return false;
  }
  WaveWords = words;
  SourceMv = EditInteger(edtDacSource->text());
  FollowDgrp();
  Generator();
  return true;
}

void TShowWaveForm::Generator() {
  QVector<double> x, y;
  for (int i = 0; i <= LastPoint && i < WaveTableSize; ++i) {
    uint16_t& w = WaveWords[i];
    if (w / 16.0 > 4095) w = 65520;
    if (w / 16.0 < 1) w = 16;
    x << i;
    y << (ShowVoltage ? static_cast<double>(static_cast<long double>(w) * SourceMv / 4095 / 16) : w / 16.0);
  }
  chartWaveform->SetPoints(x, y);
}

void TShowWaveForm::DataUpdate() {
  if (std::optional<int> mv = SourceMillivoltsOf(P.G.Fields.VDDAX.Value)) edtDacSource->setText(QString::number(*mv));
  // The refresh runs inside every register write: an edit without a number keeps the
  // previous source voltage rather than breaking the refresh of the other windows.
  bool ok = false;
  const int v = edtDacSource->text().trimmed().toInt(&ok);
  if (ok) SourceMv = v;
  FollowDgrp();
  Generator();
}

bool TShowWaveForm::CheckDacSource() {
  const int v = EditInteger(edtDacSource->text());
  if (v < 1) {
    P.dialogs().MessageBox(this, "DAC source voltage Out Range", QCoreApplication::applicationName(), MB_OK);
    edtDacSource->setText(QString::number(SourceMv));
    return false;
  }
  if (v == SourceMv) return false;
  SourceMv = v;
  edtDacSource->setText(QString::number(v));
  return true;
}

void TShowWaveForm::edtDacSourceExit() { CheckDacSource(); }

void TShowWaveForm::edtDacSourceKeyPress() {
  if (CheckDacSource()) Generator();
}

void TShowWaveForm::btnChangeUintClick() {
  ShowVoltage = !ShowVoltage;
  chartWaveform->SetAxisFormat(ShowVoltage ? AxisFormat::Millivolts : AxisFormat::CodesBlank);
  btnChangeUint->setText(ShowVoltage ? "Show Core" : "Show Voltage");
  Generator();
}
