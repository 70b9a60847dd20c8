#include "instruments/temperature_test.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "common/errors.h"
#include "common/figure_text.h"
#include "common/handler_guard.h"
#include "common/number_text.h"
#include "common/text_encoding.h"
#include "instruments/calibrator_grid.h"
#include "instruments/meter_panel.h"
#include "instruments/power_grid.h"
#include "instruments/step_grid.h"
#include "instruments/step_tables.h"
#include "instruments/temperature_sequencer.h"
#include "kit/bench.h"
#include "link/mx_up.h"
#include "link/serial_protocols.h"
#include "platform/dialogs.h"

TTMP::TTMP(Bench& program, QWidget* parent)
    : TPanelForm(program, "TMP", QString::fromUtf8("Temperature Test"), parent) {
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setHorizontalSpacing(12);
  layout->setVerticalSpacing(6);

  StepArea = new QWidget(this);
  StepArea->setObjectName("StepArea");
  CreateStepArea();
  layout->addWidget(StepArea, 0, 0, 3, 1, Qt::AlignTop);

  auto* modeRow = new QHBoxLayout;
  modeRow->setSpacing(8);
  LModenum = new QLabel(QString::fromUtf8("輸入最大測試模式數量"), this);
  LModenum->setObjectName("LModenum");
  EModenum = new QLineEdit("1000", this);
  EModenum->setObjectName("EModenum");
  EModenum->setFixedWidth(64);
  connect(EModenum, &QLineEdit::returnPressed, this, GuardedSlot(P, [this] { EModenumKeyPress(QChar(13)); }));
  modeRow->addWidget(LModenum);
  modeRow->addWidget(EModenum);
  modeRow->addStretch(1);
  layout->addLayout(modeRow, 0, 1);

  // Until the mode count is first applied: five columns, five rows, no titles.
  RegChg = new TStepGrid("RegChg", 5, 5, this);
  RegChg->SetFixed(1, 0);
  // Room for all thirteen columns from the start, so that applying the mode count
  // does not outgrow the window.
  TextGrid full(RegChgColumns, 2);
  full.FixedRows = 0;
  LayOutRegisterGrid(full, 1);
  full.SetCell(0, 1, "Value-" + QString::number(MaxModeCount));
  RegChg->FitWidth(full);
  layout->addWidget(RegChg, 1, 1);

  TMPData = new TStepGrid("TMPData", 5, 2, this);
  TMPData->SetEditable(false);
  TMPData->setFixedHeight(150);
  connect(TMPData, &QTableView::clicked, this, GuardedSlot(P, [this] { TMPDataClick(); }));
  layout->addWidget(TMPData, 2, 1);
  layout->setRowStretch(1, 1);
  layout->setColumnStretch(1, 1);

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(1000);
  connect(Timer1, &QTimer::timeout, this, GuardedSlot(P, this, &TTMP::Timer1Timer));
  setMinimumHeight(560);
  resize(sizeHint().expandedTo(QSize(400, 600)));
}

namespace {

template <typename W>
W* Named(W* w, const char* name) {
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

QLabel* TextLabel(QWidget* parent, const char* name, const char* text) {
  return Named(new QLabel(QString::fromUtf8(text), parent), name);
}

QLineEdit* NumberEdit(QWidget* parent, const char* name, const char* text) {
  auto* e = Named(new QLineEdit(QString::fromUtf8(text), parent), name);
  e->setFixedWidth(64);
  return e;
}

}  // namespace

void TTMP::CreateStepArea() {
  QWidget* a = StepArea;
  auto* g = new QGridLayout(a);
  g->setContentsMargins(0, 0, 0, 0);
  g->setHorizontalSpacing(8);
  g->setVerticalSpacing(6);
  auto button = [&](QPushButton*& b, const char* name, const char* text, void (TTMP::*handler)()) {
    b = Named(new QPushButton(QString::fromUtf8(text), a), name);
    connect(b, &QPushButton::clicked, this, GuardedSlot(P, this, handler));
  };

  // A row of a caption and its edit, and the unit after the edit.
  auto field = [&](int row, QLabel*& label, const char* labelName, const char* caption, QLineEdit*& edit,
                   const char* editName, const char* text) {
    label = TextLabel(a, labelName, caption);
    edit = NumberEdit(a, editName, text);
    g->addWidget(label, row, 0);
    g->addWidget(edit, row, 1);
  };
  auto unit = [&](int row, QLabel*& label, const char* name, const char* text) {
    label = TextLabel(a, name, text);
    g->addWidget(label, row, 2);
  };

  // Temperature steps.
  field(0, LTempCount, "LTempCount", "輸入測試溫度數量", ETempCount, "ETempCount", "5");
  button(TMPCNTSET, "TMPCNTSET", "SET", &TTMP::TMPCNTSETClick);
  g->addWidget(TMPCNTSET, 0, 2, Qt::AlignLeft);
  field(1, LTMPBG, "LTMPBG", "輸入開始溫度", ETMPBG, "ETMPBG", "-40.0");
  unit(1, LTMPBGUnit, "LTMPBGUnit", "攝氏度");
  field(2, LTMPScale, "LTMPScale", "輸入溫度隔數", ETMPScale, "ETMPScale", "10.0");

  TMPGrid = new TStepGrid("TMPGrid", 5, 6, a);
  TMPGrid->Edit(TitleStepGrid);
  TextGrid widest(5, 2);
  TitleStepGrid(widest);
  widest.SetCell(1, 1, "-40.00");
  TMPGrid->FitWidth(widest);
  TMPGrid->setFixedHeight(16 * (MaxTempSteps / 3) + 8);
  g->addWidget(TMPGrid, 3, 0, 1, 3, Qt::AlignLeft);

  // Waits.
  field(4, LSoak, "LSoak", "等待溫度穩定時間", Edit2, "Edit2", "20");
  unit(4, LSoakUnit, "LSoakUnit", "分");
  field(5, LPDlyT, "LPDlyT", "Power Supply Delay Time", PDlyT, "PDlyT", "2000");
  unit(5, LPDlyTUnit, "LPDlyTUnit", "ms");

  // What a run measures and keeps.
  CADCBRY = Named(new QComboBox(a), "CADCBRY");
  CADCBRY->addItems({"ADC & Brymen", "ADC", "Brymen"});
  ComMode = Named(new QComboBox(a), "ComMode");
  ComMode->addItems({"ADC", "Temperature"});
  CHFULL = Named(new QCheckBox(QString::fromUtf8("儲存完整檔案"), a), "CHFULL");
  FkNOINT = Named(new QCheckBox(QString::fromUtf8("不關閉Fluke"), a), "FkNOINT");
  auto* choices = new QGridLayout;
  choices->setHorizontalSpacing(8);
  choices->addWidget(CADCBRY, 0, 0);
  choices->addWidget(ComMode, 0, 1);
  choices->addWidget(CHFULL, 1, 0);
  choices->addWidget(FkNOINT, 1, 1);
  for (int c = 0; c < 2; ++c) choices->setColumnStretch(c, 1);
  g->addLayout(choices, 6, 0, 1, 3);

  // Runs, chamber and calibrator.
  button(TBg, "TBg", "T-Begin", &TTMP::TBgClick);
  button(TTest, "TTest", "T-Test", &TTMP::TTestClick);
  button(ENSave, "ENSave", "SaveData", &TTMP::ENSaveClick);
  button(Button1, "Button1", "RUN", &TTMP::Button1Click);
  button(Button2, "Button2", "Stop", &TTMP::Button2Click);
  button(Button4, "Button4", "STBY", &TTMP::FlukeSTBYClick);
  button(LKENTER, "LKENTER", "ENTER", &TTMP::LKENTERClick);
  button(Button3, "Button3", "Button3", &TTMP::Button3Click);
  Button3->hide();
  LK330mV = Named(new QCheckBox(QString::fromUtf8("Lockout  330mV"), a), "LK330mV");
  LK3V = Named(new QCheckBox(QString::fromUtf8("Lockout  3.3V"), a), "LK3V");
  connect(LK330mV, &QCheckBox::clicked, this, GuardedSlot(P, this, &TTMP::LK330mVClick));
  connect(LK3V, &QCheckBox::clicked, this, GuardedSlot(P, this, &TTMP::LK3VClick));
  auto* buttons = new QGridLayout;
  buttons->setHorizontalSpacing(8);
  buttons->setVerticalSpacing(6);
  buttons->addWidget(TBg, 0, 0);
  buttons->addWidget(TTest, 0, 1);
  buttons->addWidget(ENSave, 0, 2);
  buttons->addWidget(Button1, 1, 0);
  buttons->addWidget(Button2, 1, 1);
  buttons->addWidget(Button4, 1, 2);
  buttons->addWidget(LK330mV, 2, 0);
  buttons->addWidget(LK3V, 2, 1);
  buttons->addWidget(LKENTER, 2, 2);
  // Columns of one width, the widest control's.
  int width = 0;
  for (int i = 0; i < buttons->count(); ++i) width = std::max(width, buttons->itemAt(i)->sizeHint().width());
  for (int c = 0; c < 3; ++c) buttons->setColumnMinimumWidth(c, width);
  g->addLayout(buttons, 7, 0, 1, 3);
  g->setColumnStretch(3, 1);
}

void TTMP::FormCreate() {
  TMPData->Edit([](TextGrid& g) {
    g.SetColWidth(0, 20);
    const char* titles[] = {"平均值", "RMS", "Noise", "Enob"};
    for (int c = 1; c <= 4; ++c) g.SetCell(c, 0, QString::fromUtf8(titles[c - 1]));
  });
  TMPCNTSETClick();
  Timer1->stop();
  CADCBRY->setCurrentIndex(MeasureAdc);
  ComMode->setCurrentIndex(0);
}

void TTMP::FormClose() {
  Running = false;  // a run stops at its next look
  Timer1->stop();
}

void TTMP::EnableRepaintTimer() { Timer1->start(); }

bool TTMP::FullChannels() const { return CHFULL->isChecked(); }

void TTMP::SetFullChannels(bool full) { CHFULL->setChecked(full); }

void TTMP::Status(int panel, const QString& text) { P.Status(panel, text); }

int TTMP::Modenum() {
  QString text = EModenum->text();
  const int n = ModeCountOf(text);
  if (text != EModenum->text()) EModenum->setText(text);
  RegChg->Edit([n](TextGrid& g) { LayOutRegisterGrid(g, n); });
  // The instrument grids follow the count, their rows numbered.
  for (TStepGrid* g : {FlukeForm->FlukeGd, PowerForm->PowerGd})
    g->Edit([n](TextGrid& grid) {
      grid.SetRowCount(n + 1);
      NumberRows(grid);
    });
  return n;
}

void TTMP::EModenumKeyPress(QChar key) {
  if (key != QChar(13)) return;
  Modenum();
  FlukeForm->INI();
  PowerForm->INI();
}

void TTMP::CountInUse() {
  const int n = Modenum();
  RegColCount = RegisterColumnsForRun(RegChg->Grid());
  ModeCount = ModesInUse(RegChg->Grid(), n);
}

void TTMP::SaveReg() {
  const int n = Modenum();
  const TextGrid& g = RegChg->Grid();
  RegColCount = RegisterColumnsForSave(g);
  ModeCount = ModesInUse(g, n);
  const QString dir = P.G.AppDir;
  WriteTextLines(dir + "Register.txt", RegisterTableLines(g, RegColCount, ModeCount));
  WriteTextLines(dir + "Delay.txt", DelayTableLines(g, ModeCount));
  WriteTextLines(dir + "ACM.txt", ColumnTableLines(g, AcmColumn, ModeCount));
}

void TTMP::DownloadReg() {
  const int n = Modenum();
  RegChg->Edit([n](TextGrid& g) {
    for (int c = 1; c <= AcmColumn; ++c) g.ClearColumn(c, 1, n);
  });
  P.G.AppDir = P.ExeDir;
  const QString dir = P.G.AppDir;
  RegDownload(dir + "Register.txt");

  auto place = [&](const QString& file, int col, QString (*read)(const QString&), const char* fallback) {
    const QString path = dir + file;
    if (!QFileInfo::exists(path)) return false;
    QStringList texts;
    for (const QString& line : ReadTextLines(path)) texts << read(line);
    RegChg->Edit([&](TextGrid& g) { PlaceColumn(texts, g, col, n, ModeCount, fallback); });
    return true;
  };
  // Without "Delay.txt" or "ACM.txt" the download stops there, without a message.
  if (!place("Delay.txt", DelayColumn, DelayLineText, DefaultDelayText)) return;
  if (!place("ACM.txt", AcmColumn, AcmLineText, DefaultAcmText)) return;
  Status(0, "Download Register Value OK !!!");
}

void TTMP::RegDownload(const QString& fileName) {
  const QStringList lines = ReadTextLines(fileName);
  const int n = Modenum();
  LoadRegisterTable(lines, RegChg->MutableGrid(), n, [this](int line) {
    RegChg->CellsChanged();
    QCoreApplication::processEvents();
    Status(0, "Download Register Value - " + QString::number(line));
  });
  RegChg->CellsChanged();
  CountInUse();
  // A preview of the result grid: one column per mode, ten at most.
  const int cols = ModeCount <= 10 ? ModeCount + 1 : 11;
  const int rows = ModeCount / 10 + 2;
  TMPData->Edit([&](TextGrid& g) {
    g.SetSize(cols, rows);
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c) g.SetCell(c, r, r == 0 && c > 0 ? "D - " + QString::number(c) : QString());
  });
}

// ---- step grid and result grid ----

void TTMP::TMPCNTSETClick() {
  const int entered = LeadingDecimal(ETempCount->text());
  // Fields that are no numbers stop here, with the step grid as it was.
  const double start = RealOrRaise(ETMPBG->text());
  const double step = RealOrRaise(ETMPScale->text());
  bool rewrite = false;
  TempCount = LimitStepCount(entered, start, step, rewrite);
  if (rewrite) ETempCount->setText(QString::number(TempCount));
  TMPGrid->Edit([&](TextGrid& steps) {
    TMPData->Edit([&](TextGrid& results) { FillStepGrid(steps, results, TempCount, start, step); });
  });
}

void TTMP::TMPDataClick() {
  TextGrid& g = TMPData->MutableGrid();
  for (int s = 1; s <= TempCount; ++s)
    for (int m = 1; m <= ModeCount; ++m) g.SetCell(m, s, FigureText(ResultMat.Figure(Figure::Average, s, m)));
  TMPData->CellsChanged();
}

void TTMP::Timer1Timer() { TMPData->viewport()->update(); }

// ---- manual chamber and calibrator commands ----

void TTMP::Button1Click() { P.Serial.ChamberRun(); }

void TTMP::Button2Click() {
  P.Serial.ChamberStop();
  Running = false;
}

CalibratorReply TTMP::Calibrator(const QString& command) {
  const CalibratorReply r = CalibratorCommand(P.Serial, P.G.Instruments, P.clock(), command);
  Status(2, r.Line);
  return r;
}

void TTMP::FlukeSTBYClick() { Calibrator("STBY"); }

bool TTMP::FlukeOPER() { return Calibrator("OPER").Length > 0; }

void TTMP::Button3Click() { Calibrator(FlukeForm->FlukeGd->Cells(2, 2)); }

void TTMP::LK330mVClick() {
  if (LK330mV->isChecked()) LK3V->setChecked(false);
}

void TTMP::LK3VClick() {
  if (LK3V->isChecked()) LK330mV->setChecked(false);
}

void TTMP::LKENTERClick() {
  auto send = [this](const char* text) {
    P.Serial.ComSendText(P.G.Instruments.FlukePort, text);
    P.Serial.ComSendText(P.G.Instruments.FlukePort, "\r");
  };
  send("STBY");
  const char* output = LK3V->isChecked() ? "OUT 600 mV ,0 Hz " : LK330mV->isChecked() ? "OUT 100 mV ,0 Hz " : nullptr;
  send("RANGELCK OFF");
  if (!output) return;
  send(output);
  send("RANGELCK ON");
  send("OUT 0 V ,0 Hz");
}

// ---- chamber ----

bool TTMP::LoadTemp() {
  const TextGrid& g = TMPGrid->Grid();
  int v[4];
  for (int k = 0; k < 4; ++k) v[k] = ChamberTenths(g.Cell(k + 1, StepNo));
  Clock& clock = P.clock();
  return TwoTries(clock, [&] { return P.Serial.ChamberWrite(ChamberSetPoints, 2, v[0], v[1]); }) &&
         TwoTries(clock, [&] { return P.Serial.ChamberWrite(ChamberSlopes, 2, v[2], v[3]); });
}

bool TTMP::ReadTemp(uint16_t& first, uint16_t& second) {
  if (!TwoTries(P.clock(), [this] { return P.Serial.ChamberRead(ChamberProcessValues, 2); })) return false;
  const uint8_t* reply = P.G.Instruments.ComRxBuf;
  auto word = [reply](int at) {
    return static_cast<uint16_t>(HexStrToInt(QString::fromLatin1(reinterpret_cast<const char*>(reply + at), 4)));
  };
  first = word(10);
  second = word(15);
  return true;
}

// ---- runs ----

// Controls that would start another run, resize the steps a run reads or recount its
// modes (the mode count's Enter and the File menu's step tables) stay disabled while
// it runs, and come back on every way out, errors included.
class TTMP::RunLock {
public:
  explicit RunLock(TTMP& t) : t_(t), count_(t.TempCount) { Enable(false); }
  ~RunLock() {
    t_.Running = false;
    t_.TempCount = count_;
    Enable(true);
    t_.Analysis.EnableCapture(true);  // also after an error inside a pass
  }
  RunLock(const RunLock&) = delete;
  RunLock& operator=(const RunLock&) = delete;

private:
  void Enable(bool on) {
    for (QWidget* w : {(QWidget*)t_.TBg, (QWidget*)t_.TTest, (QWidget*)t_.CADCBRY, (QWidget*)t_.TMPCNTSET,
                       (QWidget*)t_.EModenum})
      w->setEnabled(on);
    for (const char* item :
         {"SaveFluke1", "SaveReg1", "SavePower1", "DownLoadFluke1", "DownloadReg1", "DownloadPower1"})
      t_.P.EnableMenuItem(item, on);
  }
  TTMP& t_;
  int count_;
};

class TTMP::RunHost : public ChamberRunHost {
public:
  explicit RunHost(TTMP& t) : t_(t) {}
  bool IsRunning() const override { return t_.Running; }
  void ProcessMessages() override { QCoreApplication::processEvents(); }
  bool LoadTemp(int) override { return t_.LoadTemp(); }
  bool ChamberRun() override { return t_.P.Serial.ChamberRun(); }
  void RunCommandFailed() override {
    t_.P.dialogs().MessageBox(&t_, QString::fromUtf8("溫控廂 RUN ERROR!!!!!!!"), QCoreApplication::applicationName(),
                              MB_YES);
  }
  bool ReadTemp(int& pvTenths) override {
    uint16_t first = 0, second = 0;
    if (!t_.ReadTemp(first, second)) return false;
    pvTenths = ProcessTenths(first);
    return true;
  }
  double TargetTenths(int step) override { return 10 * RealOrRaise(t_.TMPGrid->Cells(1, step)); }
  void ShowTemperature(int pvTenths) override { t_.Status(1, FormatF(pvTenths / 10.0)); }
  void ShowSoak(int64_t elapsedUs) override { t_.Status(2, ElapsedText(elapsedUs)); }
  void CreateStreams() override {
    t_.CreateFileTempB();
    t_.CreateFileTempBryMen();
  }
  void CloseStreams() override {
    t_.CloseFileTempB();
    t_.CloseFileTempBryMen();
  }
  void MeasureStep() override { t_.TTESTCOM(); }
  int CurrentStep() const override { return t_.StepNo; }

private:
  TTMP& t_;
};

class TTMP::StepHost : public MeasureHost {
public:
  explicit StepHost(TTMP& t) : t_(t), P(t.P) {}
  bool IsRunning() const override { return t_.Running; }
  void ProcessMessages() override { QCoreApplication::processEvents(); }
  bool RefreshLink() override {
    P.Mx_UP->Disconnect();
    P.Mx_UP->CheckConnection();
    return P.G.Channels[0].Devc.Opened != 0;
  }
  void Status(int panel, const QString& text) override { t_.Status(panel, text); }
  void ChangeRegStep(uint8_t address, uint8_t value) override { t_.ChangeRegStep(0, address, value); }
  void ReadRegister(int address) override { P.Mx_UP->ReadRegs(address, 1, 0); }
  void PrepareCapture() override {
    t_.Analysis.Clear();
    t_.Analysis.EnableCapture(false);
  }
  void WaitTrigger(int seconds) override { t_.Analysis.WaitTrigger(seconds); }
  void SetReferenceText(const QString& text) override { t_.Analysis.SetReferenceText(text); }
  bool Capture(const QString& refText, uint8_t streamMode, bool temperature) override {
    return t_.Analysis.Capture(refText, streamMode, temperature);
  }
  FigureSpan ChannelResults() const override { return P.G.Channels[0].ChannelResults; }
  void RepaintResults() override { t_.TMPData->viewport()->update(); }
  double ReadMeter(int channel, BryMenReading& r) override { return t_.MeterForm->GetBryMenData(channel, r); }
  MeterMatrix& Meter(int channel) override { return t_.MeterForm->MeterAll[channel].Matrix; }
  int FilterLimit() const override { return P.G.FilterLimit; }
  ResultFileInputs FileInputs() override { return t_.FileInputs(); }
  void PassEnded(int step, int mode, bool showAverage) override {
    if (showAverage) t_.TMPData->SetCells(mode, step, FigureText(t_.ResultMat.Figure(Figure::Average, step, mode)));
    t_.Analysis.EnableCapture(true);
    t_.ENSaveClick();
  }
  void SaveRawCapture() override {
    const QString folder = P.G.AppDir + RawCaptureFolder;
    if (!QDir().mkpath(folder)) throw EInOutError("Cannot create " + folder);
    t_.SaveCaptureFile(folder + "MxTMP-" + QString::number(t_.FullFileNo) + ".CSV");
    ++t_.FullFileNo;
  }

private:
  TTMP& t_;
  Bench& P;
};

void TTMP::TESTINI() {
  Running = true;
  StepNo = 1;
  ResultMat.BeginRun();  // the summary holds only what this run measures
  CountInUse();
  // Room for the widest average, full scale below zero, in the grid's font.
  const int averageWidth = TMPData->fontMetrics().horizontalAdvance("-8388608.00") + 8;
  TMPData->Edit([this, averageWidth](TextGrid& g) {
    g.SetSize(ModeCount + 1, TempCount + 1);
    for (int c = 1; c <= ModeCount; ++c) g.SetColWidth(c, std::max(g.DefaultColWidth(), averageWidth));
    for (int r = 0; r <= TempCount; ++r)
      for (int c = 0; c <= ModeCount; ++c)
        g.SetCell(c, r, r == 0 && c > 0   ? "D - " + QString::number(c)
                        : c == 0 && r > 0 ? QString::number(r)
                                          : QString());
  });
}

bool TTMP::RefuseWithoutSteps() {
  if (TempCount >= 1) return false;
  P.dialogs().MessageBox(this, "No temperature step to run", "warning", MB_OK);
  return true;
}

void TTMP::TBgClick() {
  if (Running) {  // never a run inside a run: a call meanwhile only asks it to stop
    Running = false;
    return;
  }
  // The 150-degree rule can leave no step: nothing to set the chamber to.
  if (RefuseWithoutSteps()) return;
  RunLock lock(*this);
  const int soak = LeadingDecimal(Edit2->text());
  TESTINI();
  RunHost host(*this);
  ChamberRunSettings settings;
  settings.TempCount = TempCount;
  settings.SoakMinutes = soak;
  RunOutcome outcome = RunOutcome::Completed;
  try {
    outcome = RunChamberSteps(host, P.clock(), settings);
  } catch (...) {
    CloseFileTempB();
    CloseFileTempBryMen();
    EndRun(false);
    throw;
  }
  EndRun(true);
  if (outcome == RunOutcome::ApproachTimedOut)
    P.dialogs().MessageBox(this,
                           "The chamber did not reach step " + QString::number(StepNo) + " within " +
                               QString::number(ApproachLimitMinutes + soak) + " minutes",
                           "warning", MB_OK);
  else if (outcome == RunOutcome::ReadFailed)
    P.dialogs().MessageBox(this, "The chamber's temperature could not be read at step " + QString::number(StepNo),
                           "warning", MB_OK);
  else if (outcome == RunOutcome::SetPointFailed || outcome == RunOutcome::NextSetPointFailed)
    P.dialogs().MessageBox(this, "The chamber did not take the set point of step " + QString::number(StepNo),
                           "warning", MB_OK);
}

void TTMP::TTestClick() {
  if (Running) {
    Running = false;
    return;
  }
  if (RefuseWithoutSteps()) return;  // no step 1 to record the measurement at
  RunLock lock(*this);  // also gives the step count back
  TempCount = 1;
  TESTINI();
  try {
    CreateFileTempB();
    CreateFileTempBryMen();
    TTESTCOM();
  } catch (...) {
    CloseFileTempB();
    CloseFileTempBryMen();
    EndRun(false);
    throw;
  }
  CloseFileTempB();
  CloseFileTempBryMen();
  EndRun(true);
}

void TTMP::EndRun(bool summary) {
  TBg->setEnabled(true);
  TTest->setEnabled(true);
  Running = false;
  // The chamber is stopped and the calibrator put into standby also when the summary
  // cannot be written.
  auto stopInstruments = [this] {
    P.Serial.ChamberStop();
    FlukeSTBYClick();
    CADCBRY->setEnabled(true);
  };
  if (summary) {
    try {
      SaveOutA();
    } catch (...) {
      stopInstruments();
      throw;
    }
  }
  stopInstruments();
}

void TTMP::TTESTCOM() {
  StepHost host(*this);
  StepMeasurement(host, P.Serial, P.G.Instruments, P.clock()).Measure(Inputs(), Options(), *this, StepNo);
}

void TTMP::ChangeRegStep(int channel, uint8_t address, uint8_t value) {
  P.G.PacketBuf[5] = value;
  P.Mx_UP->WriteChipReg(address, value, channel);
}

StepInputs TTMP::Inputs() const {
  StepInputs in;
  in.Steps = &TMPGrid->Grid();
  in.Registers = &RegChg->Grid();
  in.Calibrator = &FlukeForm->FlukeGd->Grid();
  in.Power = &PowerForm->PowerGd->Grid();
  in.RegColCount = RegColCount;
  in.ModeCount = ModeCount;
  return in;
}

MeasureOptions TTMP::Options() const {
  MeasureOptions o;
  o.Choice = CADCBRY->currentIndex();
  o.TemperatureCapture = ComMode->currentIndex() != 0;
  o.FastRead = Analysis.FastRead();
  o.KeepCalibratorOn = FkNOINT->isChecked();
  o.PowerDelayText = PDlyT->text();
  o.FullCapture = CHFULL->isChecked();
  return o;
}

// ---- result files ----

ResultFileInputs TTMP::FileInputs() const {
  ResultFileInputs in;
  in.TempCount = TempCount;
  in.ModeCount = ModeCount;
  in.Limit = P.G.FilterLimit;
  in.Figures = &ResultMat;
  in.StepTemp = StepTemp;
  in.StepHumb = StepHumb;
  for (int ch = 0; ch < BryMenChannelCount; ++ch) in.Meters[ch] = &MeterForm->MeterAll[ch].Matrix;
  in.TempTitle = TMPGrid->Cells(1, 0);
  in.HumTitle = TMPGrid->Cells(2, 0);
  return in;
}

void TTMP::SaveOutA() {
  // Each step's temperature and humidity as the step grid gives them, also for a step
  // the run did not reach.
  double temp[ResultStepSlots], hum[ResultStepSlots];
  for (int s = 0; s < ResultStepSlots; ++s) {
    temp[s] = ReadReal(TMPGrid->Cells(1, s)).value_or(NoReading);
    hum[s] = ReadReal(TMPGrid->Cells(2, s)).value_or(NoReading);
  }
  ResultFileInputs in = FileInputs();
  in.GridTemp = temp;
  in.GridHumb = hum;
  WriteResultFile(P.G.AppDir + SummaryFileName, {}, SummaryLines(in));
}

void TTMP::CreateFileTempB() {
  FileB.Close();
  if (CADCBRY->currentIndex() == MeasureMeters) return;
  FileB.Create(P.G.AppDir + BFileName, P.G.AppDir + BFallbackName);
  FileB.WriteLines(BTitleLines());
}

void TTMP::CreateFileTempBryMen() {
  FileBryMen.Close();
  if (CADCBRY->currentIndex() == MeasureAdc) return;
  FileBryMen.Create(P.G.AppDir + MeterFileName, P.G.AppDir + MeterFallbackName);
  FileBryMen.WriteLine(MeterTitleLine());
}

void TTMP::CloseFileTempB() { FileB.Close(); }

void TTMP::CloseFileTempBryMen() { FileBryMen.Close(); }

void TTMP::ENSaveClick() {
  const QString dir = P.G.AppDir;
  const ResultFileInputs in = FileInputs();
  WriteResultFile(dir + BFileName, dir + BFallbackName, BSnapshotLines(in));
  if (CADCBRY->currentIndex() != MeasureAdc)
    WriteResultFile(dir + MeterFileName, dir + MeterFallbackName, MeterSnapshotLines(in));
}

void TTMP::SaveCaptureFile(const QString& fileName) {
  const QStringList texts = Analysis.GridTexts(P.G.SampleCount);
  WriteResultFile(fileName, {},
                  RawCaptureLines(
                      static_cast<int>(texts.size()), [&texts](int i) { return static_cast<long long>(LeadingDecimal(texts[i])); },
                      P.G.Channels[0].ChannelResults, P.G.FilterLimit));
}
