#include "instruments/temperature_test.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include "common/text_encoding.h"
#include "instruments/calibrator_grid.h"
#include "instruments/power_grid.h"
#include "instruments/step_tables.h"
#include "instruments/step_grid.h"
#include "shell/main_panel.h"
#include "shell/program.h"

TTMP::TTMP(Program& program, QWidget* parent)
    : TPanelForm(program, "TMP", QString::fromUtf8("Temperature Test"), parent) {
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setHorizontalSpacing(10);
  layout->setVerticalSpacing(6);

  StepArea = new QWidget(this);
  StepArea->setObjectName("StepArea");
  StepArea->hide();  // shown once it holds the step grid and run controls
  layout->addWidget(StepArea, 0, 0, 2, 1);

  auto* modeRow = new QHBoxLayout;
  modeRow->setSpacing(8);
  LModenum = new QLabel(QString::fromUtf8("輸入最大測試模式數量"), this);
  LModenum->setObjectName("LModenum");
  EModenum = new QLineEdit("1000", this);
  EModenum->setObjectName("EModenum");
  EModenum->setFixedWidth(64);
  connect(EModenum, &QLineEdit::returnPressed, this, [this] { EModenumKeyPress(QChar(13)); });
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
  TMPData->setFixedHeight(120);
  layout->addWidget(TMPData, 2, 1);
  layout->setRowStretch(1, 1);
  layout->setColumnStretch(1, 1);
  setMinimumHeight(520);
  resize(sizeHint().expandedTo(QSize(400, 560)));
}

void TTMP::FormCreate() {}

void TTMP::FormClose() {}

void TTMP::EnableRepaintTimer() {}

void TTMP::Status(const QString& text) { P.MainPanel->StatusBar1->SetText(0, text); }

int TTMP::Modenum() {
  QString text = EModenum->text();
  const int n = ModeCountOf(text);
  if (text != EModenum->text()) EModenum->setText(text);
  RegChg->Edit([n](TextGrid& g) { LayOutRegisterGrid(g, n); });
  // The instrument grids follow the count, their rows numbered.
  for (TStepGrid* g : {P.FLUKE->FlukeGd, P.FPower->PowerGd})
    g->Edit([n](TextGrid& grid) {
      grid.SetRowCount(n + 1);
      NumberRows(grid);
    });
  return n;
}

void TTMP::EModenumKeyPress(QChar key) {
  if (key != QChar(13)) return;
  Modenum();
  P.FLUKE->INI();
  P.FPower->INI();
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
  WriteTextLines(dir + "Delay.txt", ColumnTableLines(g, DelayColumn, ModeCount));
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
  Status("Download Register Value OK !!!");
}

void TTMP::RegDownload(const QString& fileName) {
  const QStringList lines = ReadTextLines(fileName);
  const int n = Modenum();
  LoadRegisterTable(lines, RegChg->MutableGrid(), n, [this](int line) {
    RegChg->CellsChanged();
    QCoreApplication::processEvents();
    Status("Download Register Value - " + QString::number(line));
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
