#include "adc_analysis/switch_channel_test.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>

#include "common/handler_guard.h"
#include "common/settings_reader.h"
#include "common/text_encoding.h"
#include "kit/bench.h"

namespace {
const QColor kButtonFace(0xF0, 0xF0, 0xF0);
const QColor kDesktopText(0x00, 0x00, 0x00);
const QColor kSilver(0xC0, 0xC0, 0xC0);
const QColor kBlue(0x00, 0x00, 0xFF);
const QColor kWindow(0xFF, 0xFF, 0xFF);
constexpr int kRightRoom = 130;  // the left margin and the run's buttons at the right
constexpr int kColumnGap = 4;    // between two channels' columns

QLabel* MakePanel(QWidget* parent, const QString& name, const QString& caption) {
  auto* p = new QLabel(caption, parent);
  p->setObjectName(name);
  p->setAlignment(Qt::AlignCenter);
  p->setMinimumSize(40, 20);
  p->setAutoFillBackground(true);
  p->setFrameShape(QFrame::Panel);
  p->setLineWidth(1);
  return p;
}
}  // namespace

TWeightCAL::TWeightCAL(Bench& program, QWidget* parent)
    : TPanelForm(program, "WeightCAL", "Switch ADC Channel Test", parent) {
  setMinimumSize(400, 300);
  for (int k = 0; k < 8; ++k) {
    SwitCh[k] = new QCheckBox(QStringLiteral("Channel %1").arg(k + 1), this);
    SwitCh[k]->setObjectName(QStringLiteral("SwitCh%1").arg(k + 1));
    connect(SwitCh[k], &QCheckBox::clicked, this, GuardedSlot(P, [this, k] { SwitChClick(k); }));
    PSet[k] = MakePanel(this, QStringLiteral("PSet%1").arg(k + 1), QStringLiteral("Set %1").arg(k + 1));
    PReview[k] = MakePanel(this, QStringLiteral("PReview%1").arg(k + 1), QStringLiteral("Review %1").arg(k + 1));
    PStep[k] = MakePanel(this, QStringLiteral("PStep%1").arg(k + 1), QStringLiteral("STEP-%1").arg(k + 1));
    for (QLabel* panel : {PSet[k], PReview[k], PStep[k]}) panel->installEventFilter(this);
  }
  auto addSelector = [&](QComboBox*& box, const char* name, const QString& label, const QStringList& items) {
    auto* caption = new QLabel(label, this);
    caption->setObjectName(QStringLiteral("Label") + name);
    selectorLabels_ << caption;
    box = new QComboBox(this);
    box->setObjectName(name);
    box->addItems(items);
  };
  addSelector(EvStepLen, "EvStepLen", QString::fromUtf8("每次取樣筆數"), {"1", "2", "4", "8", "16", "32", "64"});
  addSelector(LoopStep, "LoopStep", QString::fromUtf8("總共循環次數"),
              {"1", "2", "4", "8", "16", "32", "64", "128", "256"});
  QStringList bits;
  for (int b = 8; b <= 24; ++b) bits << QString::number(b);
  addSelector(TXScale, "TXScale", "Scale", bits);
  QStringList shifts;
  for (int s = 0; s < 16; ++s) shifts << QStringLiteral("shift %1").arg(s);
  ADShift = new QComboBox(this);
  ADShift->setObjectName("ADShift");
  ADShift->addItems(shifts);
  ADShift->setVisible(false);
  ADShift->setEnabled(false);
  connect(EvStepLen, &QComboBox::activated, this, GuardedSlot(P, this, &TWeightCAL::EvStepLenChange));
  connect(LoopStep, &QComboBox::activated, this, GuardedSlot(P, this, &TWeightCAL::LoopStepChange));
  connect(TXScale, &QComboBox::activated, this, GuardedSlot(P, this, &TWeightCAL::TXScaleChange));
  connect(ADShift, &QComboBox::activated, this, GuardedSlot(P, this, &TWeightCAL::ADShiftChange));

  auto button = [this](const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    return b;
  };
  SendTO40Q26 = button("SendTO40Q26", "Send");
  TestBegin = button("TestBegin", "Begin");
  SaveExcel = button("SaveExcel", "SaveExcel");
  connect(SendTO40Q26, &QPushButton::clicked, this, GuardedSlot(P, this, &TWeightCAL::SendTO40Q26Click));
  connect(TestBegin, &QPushButton::clicked, this, GuardedSlot(P, this, &TWeightCAL::TestBeginClick));
  connect(SaveExcel, &QPushButton::clicked, this, GuardedSlot(P, this, &TWeightCAL::SaveExcelClick));
  PSTP = MakePanel(this, "PSTP", "STOP");
  StylePanel(PSTP, true, true, kButtonFace, kDesktopText);
  PSTP->installEventFilter(this);

  SGDS = new QTableWidget(this);
  SGDS->setObjectName("SGDS");
  SGDS->horizontalHeader()->setVisible(false);
  SGDS->verticalHeader()->setVisible(false);
  SGDS->verticalHeader()->setDefaultSectionSize(18);
  SGDS->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Opens with its eight columns wide enough for "Channel 1" .. "Channel 8" whole.
  int boxWidth = 0;
  for (QCheckBox* box : SwitCh) boxWidth = std::max(boxWidth, box->sizeHint().width());
  resize(std::max(760, kRightRoom + 8 * (boxWidth + kColumnGap)), 420);
}

void TWeightCAL::resizeEvent(QResizeEvent* e) {
  TPanelForm::resizeEvent(e);
  GuardedEvent(P, [this] { FormResize(); });
}

// The channels' check boxes, Set and Review panels above the grid with the run's
// buttons at their right; the STEP panels, the selectors and "SaveExcel" below it.
void TWeightCAL::FormResize() {
  const int w = width(), h = height();
  SGDS->setGeometry(10, 91, std::max(0, w - 20), std::max(0, h - 160));
  const int column = std::max(48, (w - kRightRoom) / 8);
  for (int k = 0; k < 8; ++k) {
    const int x = 10 + k * column;
    SwitCh[k]->setGeometry(x, 6, column - kColumnGap, 20);
    PSet[k]->setGeometry(x, 30, column - kColumnGap, 22);
    PReview[k]->setGeometry(x, 56, column - kColumnGap, 22);
    PStep[k]->setGeometry(x, h - 63, column - kColumnGap, 22);
  }
  const int right = w - 110;
  SendTO40Q26->setGeometry(right, 4, 100, 24);
  TestBegin->setGeometry(right, 32, 100, 24);
  PSTP->setGeometry(right, 60, 100, 24);
  SaveExcel->setGeometry(right, h - 63, 100, 24);
  int x = 10;
  QComboBox* boxes[3] = {EvStepLen, LoopStep, TXScale};
  for (int i = 0; i < 3 && i < selectorLabels_.size(); ++i) {
    QLabel* caption = selectorLabels_[i];
    const int labelWidth = caption->sizeHint().width();
    caption->setGeometry(x, h - 33, labelWidth, 22);
    boxes[i]->setGeometry(x + labelWidth + 4, h - 34, 64, 24);
    x += labelWidth + 80;
  }
  ADShift->setGeometry(x, h - 34, 90, 24);
}

void TWeightCAL::FormCreate() {
  QSignalBlocker b1(EvStepLen), b2(LoopStep);
  EvStepLen->setCurrentIndex(2);
  LoopStep->setCurrentIndex(0);
  for (auto* c : SwitCh) c->setChecked(false);
  for (auto& ch : SwitchChannels) {
    std::fill(std::begin(ch.RegAddr), std::end(ch.RegAddr), 0);
    std::fill(std::begin(ch.RegValue), std::end(ch.RegValue), 0);
    ch.StepLen = 0;
    ch.LoopCount = 0;
  }
  CurrentStep = 0;
  SGDS->setColumnCount(2);
  SGDS->setRowCount(2);
  SGDS->setColumnWidth(0, 30);
  for (int k = 0; k < 8; ++k) SwitChClick(k);
}

void TWeightCAL::FormClose() {}

void TWeightCAL::SaveConfig(const QString& fileName) {
  QStringList lines;
  lines << IntW(EvStepLen->currentIndex(), 4) + IntW(LoopStep->currentIndex(), 4);
  QString checks;
  for (auto* c : SwitCh) checks += IntW(c->isChecked() ? 1 : 0, 4);
  lines << checks;
  QString regs;
  for (uint8_t a : SwitchRegList) regs += IntW(a, 4);
  lines << regs;
  for (const auto& ch : SwitchChannels) {
    QString values;
    for (uint8_t v : ch.RegValue) values += IntW(v, 4);
    lines << values;
  }
  lines << IntW(CurrentStep, 4);
  WriteTextLines(fileName, lines);
}

void TWeightCAL::LoadConfig(const QString& fileName) {
  if (!QFile::exists(fileName)) SaveConfig(fileName);
  SettingsReader in = SettingsReader::Open(fileName);
  // Each group's numbers are applied only once its line has been read whole.
  auto readLine = [&](int count) {
    std::vector<int> v(count);
    for (int& x : v) x = in.ReadInt();
    in.SkipLine();
    return v;
  };
  do {
    if (in.Eof()) break;
    auto sel = readLine(2);
    {
      QSignalBlocker b1(EvStepLen), b2(LoopStep);
      EvStepLen->setCurrentIndex(sel[0] >= 0 && sel[0] < EvStepLen->count() ? sel[0] : -1);
      LoopStep->setCurrentIndex(sel[1] >= 0 && sel[1] < LoopStep->count() ? sel[1] : -1);
    }
    if (in.Eof()) break;
    auto checks = readLine(8);
    for (int k = 0; k < 8; ++k) SwitCh[k]->setChecked(checks[k] != 0);
    for (int k = 0; k < 8; ++k) SwitChClick(k);
    if (in.Eof()) break;
    readLine(11);
    for (auto& ch : SwitchChannels) std::copy(SwitchRegList.begin(), SwitchRegList.end(), ch.RegAddr);
    if (in.Eof()) break;
    for (auto& ch : SwitchChannels) {
      auto values = readLine(11);
      for (int i = 0; i < 11; ++i) ch.RegValue[i] = static_cast<uint8_t>(values[i] & 0xFF);
    }
    if (in.Eof()) break;
    int step = readLine(1)[0];
    CurrentStep = step >= 0 && step <= 7 ? step : 0;
  } while (false);
  EvStepLenChange();
  LoopStepChange();
  PStepSet(CurrentStep);
  ClearSGD();
}

void TWeightCAL::EvStepLenChange() {
  int i = EvStepLen->currentIndex();
  uint8_t len = i >= 0 && i <= 6 ? static_cast<uint8_t>(1 << i) : 4;
  for (auto& ch : SwitchChannels) ch.StepLen = len;
  ReRowColSGD();
}

void TWeightCAL::LoopStepChange() {
  int i = LoopStep->currentIndex();
  uint16_t count = i >= 0 && i <= 8 ? static_cast<uint16_t>(1 << i) : 4;
  for (auto& ch : SwitchChannels) ch.LoopCount = count;
  ReRowColSGD();
}

void TWeightCAL::StylePanel(QLabel* panel, bool enabled, bool raised, const QColor& face, const QColor& text) {
  panel->setEnabled(enabled);
  panel->setFrameShadow(raised ? QFrame::Raised : QFrame::Sunken);
  QPalette pal = panel->palette();
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    pal.setColor(group, QPalette::Window, face);
    pal.setColor(group, QPalette::WindowText, text);
  }
  panel->setPalette(pal);
}

void TWeightCAL::SwitChClick(int k) {
  if (k < 0 || k > 7) return;
  bool on = SwitCh[k]->isChecked();
  const QColor& text = on ? kDesktopText : kSilver;
  StylePanel(PSet[k], on, on, kButtonFace, text);
  StylePanel(PReview[k], on, on, kButtonFace, text);
  StylePanel(PStep[k], on, on, kButtonFace, text);
}

void TWeightCAL::ReRowColSGD() {
  const auto& ch = SwitchChannels[0];
  int cols = ch.StepLen ? ch.StepLen + 1 : 2;
  int rows = ch.LoopCount ? ch.LoopCount + 1 : 2;
  SGDS->setColumnCount(cols);
  SGDS->setRowCount(rows);
  SGDS->setColumnWidth(0, 30);
  for (int c = 1; c < cols; ++c) SGDS->setItem(0, c, new QTableWidgetItem(QString::number(c)));
  for (int r = 1; r < rows; ++r) SGDS->setItem(r, 0, new QTableWidgetItem(QString::number(r)));
}

void TWeightCAL::ClearSGD() {
  const auto& ch = SwitchChannels[0];
  int n = ch.StepLen * ch.LoopCount;
  for (int i = 0; i < n && ch.StepLen; ++i)
    if (QTableWidgetItem* item = SGDS->item(i / ch.StepLen + 1, i % ch.StepLen + 1)) item->setText(QString());
  SGDS->viewport()->update();
}

void TWeightCAL::PStepSet(int k) {
  if (k < 0 || k > 7) k = 0;
  for (int i = 0; i <= k; ++i)
    if (!SwitCh[i]->isChecked()) {
      k = 0;
      break;
    }
  for (int i = 0; i < 8; ++i) {
    if (i == k)
      StylePanel(PStep[i], PStep[i]->isEnabled(), false, kBlue, kWindow);
    else if (SwitCh[i]->isChecked())
      StylePanel(PStep[i], true, true, kButtonFace, kDesktopText);
    else
      StylePanel(PStep[i], false, false, kButtonFace, kSilver);
  }
  const TSwitchChannel& ch = SwitchChannels[k];
  int n = ch.StepLen * ch.LoopCount;
  for (int i = 0; i < n && ch.StepLen; ++i) {
    int r = i / ch.StepLen + 1, c = i % ch.StepLen + 1;
    if (r >= SGDS->rowCount() || c >= SGDS->columnCount()) continue;
    QString text = QString::number(ch.Results[i]);
    if (QTableWidgetItem* item = SGDS->item(r, c))
      item->setText(text);
    else
      SGDS->setItem(r, c, new QTableWidgetItem(text));
  }
  SGDS->viewport()->update();
}

bool TWeightCAL::eventFilter(QObject* watched, QEvent* event) {
  return GuardedEvent(P, [&] {
    // A disabled panel does not click.
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QWidget*>(watched)->isEnabled()) {
      if (watched == PSTP) PSTPClick();
      for (int k = 0; k < 8; ++k) {
        if (watched == PStep[k]) PStepClick(k);
        if (watched == PSet[k]) PSwitchSetClick(k);
        if (watched == PReview[k]) PSwReviewClick(k);
      }
    }
    return TPanelForm::eventFilter(watched, event);
  });
}

void TWeightCAL::PStepClick(int k) {
  if (k < 0 || k > 7) return;
  CurrentStep = k;
  PStepSet(k);
}
