#include "impedance/bodyfat_test_window.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <utility>
#include <vector>

#include "common/capture_texts.h"
#include "common/errors.h"
#include "common/handler_guard.h"
#include "common/scope_exit.h"
#include "common/settings_reader.h"
#include "common/text_encoding.h"
#include "impedance/job_refresh.h"
#include "kit/bench.h"
#include "kit/plain_controls.h"
#include "platform/dialogs.h"

namespace {

const char kAutoTestWarningCaption[] = "warnning";
const char kWarningCaption[] = "warning";


// Disables controls for the length of a run and enables them again on every way out.
class RunLock {
public:
  explicit RunLock(std::vector<QWidget*> controls) : controls_(std::move(controls)) {
    for (QWidget* w : controls_) w->setEnabled(false);
  }
  ~RunLock() {
    for (QWidget* w : controls_) w->setEnabled(true);
  }
  RunLock(const RunLock&) = delete;
  RunLock& operator=(const RunLock&) = delete;

private:
  std::vector<QWidget*> controls_;
};

// Keeps a control's place in its layout while it is hidden, so the window does not
// move when the channel count changes.
void KeepPlace(QWidget* w) {
  QSizePolicy p = w->sizePolicy();
  p.setRetainSizeWhenHidden(true);
  w->setSizePolicy(p);
}

bool IsHexChar(QChar c) {
  const char16_t u = c.unicode();
  return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'F') || (u >= 'a' && u <= 'f');
}

// The key filter of the register table: hexadecimal digits, Backspace, Ctrl+C and
// Ctrl+V pass; other characters and control letters are dropped. Keys that type
// nothing (arrows, Delete, Tab) keep their ordinary work.
bool DropsTableKey(const QKeyEvent* e) {
  if (e->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) {
    const int k = e->key();
    return k >= Qt::Key_A && k <= Qt::Key_Z && k != Qt::Key_C && k != Qt::Key_V;
  }
  const QString t = e->text();
  if (t.isEmpty() || !t.at(0).isPrint()) return false;
  return !IsHexChar(t.at(0));
}

// A focus change that leaves an edit, not a switch to another window or a popup.
bool LeavesEdit(const QEvent* e) {
  if (e->type() != QEvent::FocusOut) return false;
  const Qt::FocusReason r = static_cast<const QFocusEvent*>(e)->reason();
  return r != Qt::ActiveWindowFocusReason && r != Qt::PopupFocusReason;
}

QStringList Numbered(int from, int to, const QString& suffix) {
  QStringList items;
  for (int n = from; n <= to; ++n) items << QString::number(n) + suffix;
  return items;
}

// A captioned box and the grid of its controls.
QGridLayout* GridBox(QGroupBox* box, const char* name) {
  box->setObjectName(name);
  auto* g = new QGridLayout(box);
  g->setHorizontalSpacing(4);
  g->setVerticalSpacing(3);
  return g;
}

QFrame* Separator(QWidget* parent) {
  auto* line = new QFrame(parent);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  return line;
}

}  // namespace

QString ValueEditName(int k, int j) { return "edtAddr" + QString::number(k) + '_' + QString::number(j); }

TbodyFatForm::TbodyFatForm(Bench& program, QWidget* parent)
    : TPanelForm(program, "bodyFatForm", QString::fromUtf8("Body fat GUI Form"), parent) {
  auto* top = new QHBoxLayout;
  labRref = NamedLabel("labRref", "Rref(OHM)=", this);
  labRref->setCursor(Qt::PointingHandCursor);
  labRref->installEventFilter(this);
  edtRref = Edit("edtRref", this, "1000", 90);
  edtFreq = Edit("edtFreq", this, "1000", 90);
  edtFreq->setReadOnly(true);
  top->addWidget(labRref);
  top->addWidget(edtRref);
  top->addSpacing(24);
  top->addWidget(CaptionLabel(this, "Frequency(Hz)="));
  top->addWidget(edtFreq);
  top->addStretch(1);

  auto* left = new QVBoxLayout;
  left->addWidget(BuildSettingsBox());
  left->addWidget(BuildRegisterBox());
  left->addStretch(1);

  auto* lower = new QHBoxLayout;
  lower->addWidget(BuildResultsBox());
  lower->addWidget(BuildCommands(), 0, Qt::AlignTop);
  lower->addStretch(1);
  auto* right = new QVBoxLayout;
  right->addWidget(BuildReadBox());
  right->addLayout(lower);
  right->addStretch(1);

  auto* body = new QHBoxLayout;
  body->addLayout(left);
  body->addSpacing(8);
  body->addLayout(right, 1);

  auto* main = new QVBoxLayout(this);
  main->setContentsMargins(10, 10, 10, 10);
  main->addLayout(top);
  main->addLayout(body, 1);

  ShowChannelRows(2, BodyFatMaxChannels, false);
  resize(sizeHint());
}

QLineEdit* TbodyFatForm::Edit(const QString& name, QWidget* parent, const QString& text, int width) {
  auto* e = new QLineEdit(text, parent);
  e->setObjectName(name);
  e->setFixedWidth(width);
  return e;
}

QLabel* TbodyFatForm::NamedLabel(const QString& name, const QString& text, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(name);
  return l;
}

QWidget* TbodyFatForm::BuildSettingsBox() {
  auto* box = new QGroupBox("AC Set", this);
  QGridLayout* g = GridBox(box, "GroupBoxACSet");
  rbTime = new QRadioButton("Measuring Time", box);
  rbTime->setObjectName("rbTime");
  rbAmount = new QRadioButton("Measuring Amount", box);
  rbAmount->setObjectName("rbAmount");
  rbAmount->setChecked(true);
  auto combo = [box](const char* name, const QStringList& items, int index) {
    auto* c = new QComboBox(box);
    c->setObjectName(name);
    c->addItems(items);
    c->setCurrentIndex(index);
    return c;
  };
  cbTime = combo("cbTime", Numbered(1, 10, " s"), 0);
  cbAmount = combo("cbAmount", Numbered(1, 10, "00"), 0);
  scanTimer = combo("scanTimer", {"100 ms", "250 ms", "500 ms", "1 s", "2 s"}, 1);
  cbChannels = combo("cbChannels", Numbered(1, BodyFatMaxChannels, QString()), 0);
  connect(scanTimer, &QComboBox::activated, this, GuardedSlot(P, this, &TbodyFatForm::scanTimerChange));
  connect(cbChannels, &QComboBox::activated, this, GuardedSlot(P, this, &TbodyFatForm::cbChannelsChange));
  g->addWidget(rbTime, 0, 0);
  g->addWidget(cbTime, 0, 1);
  g->addWidget(rbAmount, 1, 0);
  g->addWidget(cbAmount, 1, 1);
  g->addWidget(CaptionLabel(box, "Scan Time="), 2, 0);
  g->addWidget(scanTimer, 2, 1);
  g->addWidget(CaptionLabel(box, "channels="), 3, 0);
  g->addWidget(cbChannels, 3, 1);
  return box;
}

QWidget* TbodyFatForm::BuildRegisterBox() {
  auto* box = new QGroupBox("Register Set", this);
  QGridLayout* g = GridBox(box, "GroupBoxRegisterSet");
  auto hexEdit = [this, box](const QString& name) {
    QLineEdit* e = Edit(name, box, "00", 36);
    e->setMaxLength(2);
    e->setAlignment(Qt::AlignCenter);
    e->installEventFilter(this);
    return e;
  };
  g->addWidget(new QLabel("Addr", box), 0, 0);
  for (int k = 0; k < BodyFatColumns; ++k) {
    edtAddr[k] = hexEdit("edtAddr" + QString::number(k));
    g->addWidget(edtAddr[k], 0, k + 1);
  }
  g->addWidget(Separator(box), 1, 0, 1, BodyFatColumns + 1);
  for (int j = 0; j < BodyFatTableRows; ++j) {
    QLabel* caption = j == 0 ? new QLabel("Calculate", box) : NamedLabel("lab" + QString::number(j), QString::number(j), box);
    g->addWidget(caption, j + 2, 0);
    if (j > 0) rowControls_[j] << caption;
    for (int k = 0; k < BodyFatColumns; ++k) {
      edtValue[j][k] = hexEdit(ValueEditName(k, j));
      g->addWidget(edtValue[j][k], j + 2, k + 1);
      if (j > 0) rowControls_[j] << edtValue[j][k];
    }
  }
  return box;
}

QWidget* TbodyFatForm::BuildReadBox() {
  auto* box = new QGroupBox("AC Read", this);
  QGridLayout* g = GridBox(box, "GroupBoxACRead");
  for (int row = 0; row < 2; ++row) {
    const QString r = QString::number(row);
    const int y = row * 3;
    ReadoutRow& out = Readout[row];
    const std::pair<const char*, const char*> readings[] = {
        {"I=", "edtIDATA"}, {"Q=", "edtQDATA"}, {"Y=", "edtYDATA"}, {"Theta=", "edtTheta"}};
    QLineEdit** boxes[] = {&out.I, &out.Q, &out.Y, &out.Theta};
    int x = 0;
    for (int k = 0; k < 4; ++k) {
      g->addWidget(CaptionLabel(box, readings[k].first), y, x++);
      *boxes[k] = Edit(readings[k].second + r, box, QString(), 100);
      g->addWidget(*boxes[k], y, x++);
    }
    if (row == 0) {
      g->addWidget(CaptionLabel(box, "Gain="), y, x++);
      edtGain = Edit("edtGain", box, "5100", 100);
      edtGain->setReadOnly(true);
      g->addWidget(edtGain, y, x++);
    }
    for (int a = 1; a <= 4; ++a) {
      const QString n = QString::number(a);
      g->addWidget(CaptionLabel(box, "ADC" + n + "="), y + 1, 2 * (a - 1));
      out.Adc[a - 1] = Edit("edtADC" + n + '_' + r, box, "000000", 100);
      g->addWidget(out.Adc[a - 1], y + 1, 2 * (a - 1) + 1);
    }
    if (row == 0) g->addWidget(Separator(box), 2, 0, 1, 10);
  }
  g->setColumnStretch(10, 1);
  return box;
}

QWidget* TbodyFatForm::BuildResultsBox() {
  auto* box = new QGroupBox(this);
  QGridLayout* g = GridBox(box, "GroupBoxResults");
  for (int n = 1; n <= BodyFatMaxChannels; ++n) {
    const QString s = QString::number(n);
    edtIMP[n] = Edit("edtIMP_" + s, box, QString(), 100);
    edtDUT[n] = Edit("edtDUT_" + s, box, QString(), 80);
    QWidget* row[] = {NamedLabel("lab_" + s, s + ".", box), NamedLabel("L_Rp" + s, "Impedance(OHM)=", box), edtIMP[n],
                      NamedLabel("labDUT" + s, QString::fromUtf8("DUTΘ="), box), edtDUT[n]};
    for (int c = 0; c < 5; ++c) {
      g->addWidget(row[c], n - 1, c);
      rowControls_[n] << row[c];
    }
  }
  return box;
}

QWidget* TbodyFatForm::BuildCommands() {
  auto* w = new QWidget(this);
  auto* v = new QVBoxLayout(w);
  v->setContentsMargins(0, 0, 0, 0);
  auto button = [w](const char* name, const char* caption) {
    auto* b = new QPushButton(caption, w);
    b->setObjectName(name);
    b->setMinimumWidth(150);
    return b;
  };
  btnCalculate = button("btnCalculate", "Calculate");
  btnImpedanceTest = button("btnImpedanceTest", "Impedance Test");
  btnImpedanceTest->setEnabled(false);
  connect(btnCalculate, &QPushButton::clicked, this, GuardedSlot(P, this, &TbodyFatForm::btnCalculateClick));
  connect(btnImpedanceTest, &QPushButton::clicked, this, GuardedSlot(P, this, &TbodyFatForm::btnImpedanceTestClick));
  Label13 = NamedLabel("Label13", "1 file 0 Data", w);
  v->addWidget(btnCalculate);
  v->addWidget(btnImpedanceTest);
  v->addWidget(Label13);
  v->addSpacing(16);

  auto* box = new QGroupBox(w);
  box->setObjectName("GroupBoxAutoTest");
  auto* a = new QVBoxLayout(box);
  edtFile = Edit("edtFile", box, QString(), 150);
  edtFile->installEventFilter(this);
  labFile = NamedLabel("labFile", "0 Ram Files", box);
  btnAutoTest = button("btnAutoTest", "Auto Test");
  btnAutoTest->setParent(box);
  connect(btnAutoTest, &QPushButton::clicked, this, GuardedSlot(P, this, &TbodyFatForm::btnAutoTestClick));
  a->addWidget(edtFile);
  a->addWidget(labFile);
  a->addWidget(NamedLabel("Label2", "Only search 1 to 100 files", box));
  a->addWidget(btnAutoTest);
  v->addWidget(box);
  return w;
}

BodyFatState& TbodyFatForm::State() const { return P.G.Impedance.BodyFat; }

QString TbodyFatForm::ProgramDir() const { return P.G.AppDir.isEmpty() ? P.ExeDir : P.G.AppDir; }

BodyFatContext TbodyFatForm::Context(BodyFatRunHost& host) {
  return BodyFatContext{*P.Mx_UP, State(), P.clock(), ProgramDir(), host};
}

// ---- the runs' host -----------------------------------------------------------------

class TbodyFatForm::RunHost : public BodyFatRunHost {
public:
  explicit RunHost(TbodyFatForm& f) : f_(f) {}
  QString RrefText() const override { return f_.edtRref->text(); }
  QString FrequencyText() const override { return f_.edtFreq->text(); }
  std::array<QString, 4> AdcTexts(int row) const override {
    const ReadoutRow& r = f_.Readout[row];
    return {r.Adc[0]->text(), r.Adc[1]->text(), r.Adc[2]->text(), r.Adc[3]->text()};
  }
  void ShowCalibration(const BodyFatCalibrationTexts& t) override {
    ShowReadouts(f_.Readout[0], t.I, t.Q, t.Y, t.Theta);
    f_.edtGain->setText(t.Gain);
  }
  void ShowSample(int channel, const BodyFatSampleTexts& t) override {
    ShowReadouts(f_.Readout[1], t.I, t.Q, t.Y, t.Theta);
    if (channel < 1 || channel > BodyFatMaxChannels) return;
    f_.edtIMP[channel]->setText(t.Impedance);
    f_.edtDUT[channel]->setText(t.DutPhase);
  }
  void ShowProgress(const QString& text) override { f_.Label13->setText(text); }
  void ProcessMessages() override { QCoreApplication::processEvents(); }

private:
  static void ShowReadouts(const ReadoutRow& r, const QString& i, const QString& q, const QString& y,
                           const QString& theta) {
    r.I->setText(i);
    r.Q->setText(q);
    r.Y->setText(y);
    r.Theta->setText(theta);
  }
  TbodyFatForm& f_;
};

BodyFatTable TbodyFatForm::TableFromControls() const {
  BodyFatTable t;
  for (int k = 0; k < BodyFatColumns; ++k) t.Addr[k] = edtAddr[k]->text();
  for (int j = 0; j < BodyFatTableRows; ++j)
    for (int k = 0; k < BodyFatColumns; ++k) t.Values[j][k] = edtValue[j][k]->text();
  return t;
}

BodyFatRunInputs TbodyFatForm::RunInputs() const {
  BodyFatRunInputs in;
  in.Table = TableFromControls();
  in.Limits = BodyFatLimitsFrom(!rbAmount->isChecked(), cbTime->currentIndex(), cbAmount->currentIndex(),
                                cbChannels->currentIndex());
  const ReadoutRow& cal = Readout[0];
  in.Calibration = {cal.Adc[0]->text(), cal.Adc[1]->text(), cal.Adc[2]->text(), cal.Adc[3]->text(),
                    cal.I->text(),      cal.Q->text(),      cal.Y->text(),      cal.Theta->text()};
  in.GainText = edtGain->text();
  return in;
}

// ---- settings -----------------------------------------------------------------------

void TbodyFatForm::FormCreate() {
  BodyFatState& s = State();
  const QString path = P.ExeDir + BodyFatSettingsFile;
  if (QFile::exists(path)) {
    // A malformed number, or a line the file ends before, keeps what its control
    // holds and the other lines are read; the user learns which, in one message with
    // an address that is not hexadecimal. A file that cannot be read is not replaced
    // by the defaults.
    QStringList errors;
    BodyFatSettings st = SettingsFromControls();
    try {
      const SettingsFileFaults faults = ReadBodyFatSettings(path, st);
      if (!faults.Clean()) errors << SettingsFileMessage(BodyFatSettingsFile, faults);
    } catch (const MxError& e) {
      keepSettings_ = true;
      errors << e.Text() + "\n" + KeptUnreadText(BodyFatSettingsFile);
    }
    ApplySettings(st);
    QString addrError;
    for (int k = 0; k < BodyFatColumns; ++k) {
      try {
        s.ColumnAddr[k] = TableHex(edtAddr[k]->text());
      } catch (const MxError& e) {
        if (addrError.isEmpty()) addrError = e.Text();
      }
    }
    if (!addrError.isEmpty()) errors << addrError;
    if (!errors.isEmpty()) Warning(errors.join('\n'), QCoreApplication::applicationName());
  }
  s.ScanInterval = ScanIntervalOf(scanTimer->currentIndex(), s.ScanInterval);
  s.TestIdle = true;
  s.AutoIdle = true;
  s.PairCount = 0;
  s.AutoMode = false;
}

void TbodyFatForm::FormClose() {
  // Hiding the window leaves a run going (it can be shown again and stopped); at the
  // program's exit the runs end after their current sample.
  if (P.Closing()) {
    BodyFatState& s = State();
    s.TestIdle = true;
    s.AutoIdle = true;
  }
  P.G.AppDir = P.ExeDir;
  if (keepSettings_) return;
  try {
    SaveBodyFatSettings();
  } catch (const MxError& e) {
    // The old file stays; closing goes on.
    Warning(e.Text(), QCoreApplication::applicationName());
  }
}

void TbodyFatForm::SaveBodyFatSettings() {
  WriteTextLines(P.G.AppDir + BodyFatSettingsFile, BodyFatSettingsLines(SettingsFromControls()));
}

BodyFatSettings TbodyFatForm::SettingsFromControls() const {
  BodyFatSettings s;
  s.Mode = rbTime->isChecked() ? 0 : 1;
  s.TimeIndex = cbTime->currentIndex();
  s.AmountIndex = cbAmount->currentIndex();
  s.ScanIndex = scanTimer->currentIndex();
  s.ChannelsIndex = cbChannels->currentIndex();
  s.Table = TableFromControls();
  return s;
}

void TbodyFatForm::ApplySettings(const BodyFatSettings& st) {
  if (st.Mode == 0) rbTime->setChecked(true);
  if (st.Mode == 1) rbAmount->setChecked(true);
  // An index outside a list leaves its selector without a selection.
  cbTime->setCurrentIndex(st.TimeIndex);
  cbAmount->setCurrentIndex(st.AmountIndex);
  scanTimer->setCurrentIndex(st.ScanIndex);
  cbChannels->setCurrentIndex(st.ChannelsIndex);
  State().ChannelIndex = cbChannels->currentIndex();
  ShowChannelRows(1, State().ChannelIndex + 1, true);
  for (int k = 0; k < BodyFatColumns; ++k) edtAddr[k]->setText(st.Table.Addr[k]);
  for (int j = 0; j < BodyFatTableRows; ++j)
    for (int k = 0; k < BodyFatColumns; ++k) edtValue[j][k]->setText(st.Table.Values[j][k]);
}

// ---- input --------------------------------------------------------------------------

bool TbodyFatForm::eventFilter(QObject* watched, QEvent* event) {
  return GuardedEvent(P, [&] { return FilterEvent(watched, event); });
}

bool TbodyFatForm::FilterEvent(QObject* watched, QEvent* event) {
  if (watched == labRref) {
    // The label acts as the button does, and only while the button can be used: no
    // run before a calibration has given its gain.
    if (event->type() == QEvent::MouseButtonRelease && btnImpedanceTest->isEnabled() &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
      btnImpedanceTestClick();
    return false;
  }
  if (watched == edtFile) {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) edtFileExit();
    } else if (LeavesEdit(event)) {
      edtFileExit();
    }
    return false;
  }
  auto* edit = qobject_cast<QLineEdit*>(watched);
  if (!edit) return false;
  if (event->type() == QEvent::KeyPress) return DropsTableKey(static_cast<QKeyEvent*>(event));
  if (LeavesEdit(event)) {
    for (int k = 0; k < BodyFatColumns; ++k)
      if (edit == edtAddr[k]) edtAddrExit(k);
    // edtDataExit: an empty value becomes "00".
    if (edit->text().isEmpty()) edit->setText("00");
  }
  return false;
}

void TbodyFatForm::edtAddrExit(int k) {
  if (edtAddr[k]->text().isEmpty())
    edtAddr[k]->setText("00");
  else
    State().ColumnAddr[k] = TableHex(edtAddr[k]->text());
}

void TbodyFatForm::edtFileExit() {
  BodyFatState& s = State();
  SearchFilePairs(s, ProgramDir(), edtFile->text());
  labFile->setText(QString::number(s.PairCount) + " Ram Files");
}

void TbodyFatForm::scanTimerChange() {
  State().ScanInterval = ScanIntervalOf(scanTimer->currentIndex(), State().ScanInterval);
}

void TbodyFatForm::cbChannelsChange() {
  BodyFatState& s = State();
  const int old = s.ChannelIndex;
  const int now = cbChannels->currentIndex();
  if (now >= old)
    ShowChannelRows(old + 1, now + 1, true);
  else
    ShowChannelRows(now + 2, old + 1, false);
  s.ChannelIndex = now;
}

void TbodyFatForm::ShowChannelRows(int from, int to, bool visible) {
  for (int n = std::max(from, 1); n <= std::min(to, BodyFatMaxChannels); ++n)
    for (QWidget* w : rowControls_[n]) {
      KeepPlace(w);
      w->setVisible(visible);
    }
}

void TbodyFatForm::SetFrequencyText(const QString& text) { edtFreq->setText(text); }

// ---- runs ---------------------------------------------------------------------------

void TbodyFatForm::btnCalculateClick() {
  bool calibrated = false;
  {
    const ScopeExit refresh = RefreshChainOnExit(*P.Mx_UP);
    RunHost host(*this);
    calibrated = Calibrate(Context(host), TableFromControls()).has_value();
  }
  if (!calibrated) {
    Warning(kReadError, kWarningCaption);
    return;
  }
  btnImpedanceTest->setEnabled(true);
}

std::vector<QWidget*> TbodyFatForm::WithTable(std::initializer_list<QWidget*> controls) const {
  std::vector<QWidget*> all(controls);
  all.insert(all.end(), std::begin(edtAddr), std::end(edtAddr));
  for (const auto& row : edtValue) all.insert(all.end(), std::begin(row), std::end(row));
  return all;
}

void TbodyFatForm::btnImpedanceTestClick() {
  BodyFatState& s = State();
  if (!s.TestIdle) {
    s.TestIdle = true;  // the run ends after its current sample
    return;
  }
  if (!s.AutoIdle) return;  // no impedance run inside the automatic test
  BodyFatOutcome out;
  {
    // The windows show the shadow the run left once the window is unlocked.
    const ScopeExit refresh = RefreshChainOnExit(*P.Mx_UP);
    RunLock lock(WithTable({rbTime, cbTime, rbAmount, cbAmount, scanTimer, cbChannels, btnCalculate, btnAutoTest}));
    s.TestIdle = false;
    ScopeExit idle([&s] { s.TestIdle = true; });
    RunHost host(*this);
    out = RunImpedanceTest(Context(host), RunInputs());
  }
  if (out.End == BodyFatEnd::ConversionFailed) Warning(kReadError, kWarningCaption);
}

void TbodyFatForm::btnAutoTestClick() {
  BodyFatState& s = State();
  if (!s.AutoIdle) {
    s.AutoIdle = true;  // the test ends after its current sample
    return;
  }
  if (!s.TestIdle) return;
  BodyFatOutcome out;
  {
    const ScopeExit refresh = RefreshChainOnExit(*P.Mx_UP);
    // The label "Rref(OHM)=" too: an impedance run must not start inside the test.
    RunLock lock(WithTable({rbTime, cbTime, rbAmount, cbAmount, scanTimer, cbChannels, btnCalculate, btnImpedanceTest,
                            edtFile, labRref}));
    s.AutoIdle = false;
    s.AutoMode = true;
    ScopeExit idle([&s] {
      s.AutoIdle = true;
      s.AutoMode = false;
    });
    RunHost host(*this);
    out = RunAutoTest(Context(host), RunInputs());
  }
  // An impedance run needs a calibration: a test that never made one does not offer it.
  btnImpedanceTest->setEnabled(s.Calibrated);
  switch (out.End) {
    case BodyFatEnd::NoPairs: Warning("Error,Ram file 0", kAutoTestWarningCaption); break;
    case BodyFatEnd::ConversionFailed: Warning(kReadError, kWarningCaption); break;
    case BodyFatEnd::FileMissing: Warning("Error," + out.MissingFile + " not found", kWarningCaption); break;
    case BodyFatEnd::Finished:
    case BodyFatEnd::Stopped: break;
  }
}

void TbodyFatForm::Warning(const QString& text, const QString& caption) {
  P.dialogs().MessageBox(this, text, caption, MB_OK);
}
