#include "shell/main_panel.h"

#include <algorithm>
#include <QAction>
#include <QCoreApplication>
#include <QShowEvent>
#include <QStyle>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

#include "common/errors.h"
#include "common/handler_guard.h"
#include "common/text_encoding.h"
#include "common/waits.h"
#include "kit/bench.h"
#include "link/mx_up.h"
#include "link/register_files.h"
#include "platform/dialogs.h"
#include "shell/aux_download.h"
#include "shell/placement_store.h"
#include "shell/read_chip.h"
#include "shell/screen_fit_widget.h"

namespace {
const char* kDefaultCaption = "MX-ENOB TEST V1.4 for MX7406";
}

// ---- status bar ----

TStatusBar::TStatusBar(QWidget* parent) : QStatusBar(parent) {
  setObjectName("StatusBar1");
  setSizeGripEnabled(false);
  for (int i = 0; i < 3; ++i) {
    panels_[i] = new QLabel(this);
    panels_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    panels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panels_[i]->setMargin(1);
    panels_[i]->setIndent(3);
    addWidget(panels_[i]);
  }
  FitPanels();
}

void TStatusBar::SetText(int panel, const QString& text) {
  if (panel < 0 || panel >= 3) return;
  panels_[panel]->setText(text);
  if (panel == 2) FitPanels();
}

QString TStatusBar::Text(int panel) const {
  return panel >= 0 && panel < 3 ? panels_[panel]->text() : QString();
}

int TStatusBar::PanelWidth(int panel) const {
  return panel >= 0 && panel < 3 ? panels_[panel]->minimumWidth() : 0;
}

void TStatusBar::FitPanels() {
  int w = width() / 3;
  panels_[0]->setFixedWidth(w);
  panels_[1]->setFixedWidth(w);
  // A message longer than the design width is shown whole rather than cut.
  const QLabel* p = panels_[2];
  const int chrome = 2 * p->frameWidth() + 2 * p->margin() + std::max(p->indent(), 0);
  panels_[2]->setFixedWidth(std::max(Panel2Width, p->fontMetrics().horizontalAdvance(p->text()) + chrome));
}

void TStatusBar::resizeEvent(QResizeEvent* e) {
  QStatusBar::resizeEvent(e);
  FitPanels();
}

// ---- main window ----

TMainPanel::TMainPanel(Bench& program) : P(program) {
  setObjectName("MainPanel");
  resize(FirstSize);
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  MdiArea = new QMdiArea(central);
  MdiArea->setObjectName("MdiArea");
  MdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  MdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  layout->addWidget(MdiArea, 1);
  Gauge1 = new QProgressBar(central);
  Gauge1->setObjectName("Gauge1");
  Gauge1->setFixedHeight(12);
  Gauge1->setTextVisible(false);
  Gauge1->setRange(0, 100);
  layout->addWidget(Gauge1);
  setCentralWidget(central);
  StatusBar1 = new TStatusBar(this);
  setStatusBar(StatusBar1);
  MainMenu1 = menuBar();
  MainMenu1->setObjectName("MainMenu1");
  restore_ = std::make_unique<TRestoreWin>(P.ExeDir + P.ExeName);
  RestoreWin1 = restore_.get();
}

TMainPanel::~TMainPanel() = default;

void TMainPanel::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (!e->spontaneous()) GuardedEvent(P, [this] { RestoreWin1->FormShowHook(); });
}

QAction* TMainPanel::AddItem(QWidget* menu, const QString& name, const QString& caption, bool visible) {
  auto* a = new QAction(caption, menu);
  a->setObjectName(name);
  a->setVisible(visible);
  menu->addAction(a);
  return a;
}

QMenu* TMainPanel::AddMenu(const QString& name, const QString& caption, bool visible) {
  QMenu* m = MainMenu1->addMenu(caption);
  m->setObjectName(name + "Menu");
  m->menuAction()->setObjectName(name);
  m->menuAction()->setVisible(visible);
  return m;
}

QAction* TMainPanel::MenuItem(const QString& name) const { return findChild<QAction*>(name); }

void TMainPanel::FormCreate() {
  for (auto& r : PanelRecords) r.Placed = false;
  KeepOnScreen(*this);
  Gauge1->hide();
  StatusBar1->FitPanels();
  STND& ch = P.G.Channels[0];
  ch.UartPort.Handle = -1;
  ch.UartPort.Connected = 0;
  ch.Devc.Opened = 0;
  ch.Devc.Handle = InvalidHandle;

  // A caption file that cannot be read is reported; the built-in caption is used.
  P.G.AppCaption = kDefaultCaption;
  const QString captionFile = P.ExeDir + "MxAppName.cfg";
  if (QFile::exists(captionFile)) {
    try {
      const QByteArray text = ReadFileBytes(captionFile);
      QByteArray line = text.left(text.contains('\n') ? text.indexOf('\n') : text.size());
      while (line.endsWith('\r')) line.chop(1);
      P.G.AppCaption = DecodeBig5(line);
    } catch (const EInOutError& e) {
      captionUnread_ = true;
      P.ShowError(e.Text() + "\nThe built-in caption is used.");
    }
  }
  setWindowTitle(P.G.AppCaption);
  P.G.IdleTicks = 0;
}

void TMainPanel::ShowPanel(QWidget* form, int index, bool show) {
  if (!form || index < 0 || index >= 20) return;
  auto* panel = qobject_cast<TPanelForm*>(form);
  if (!panel) {
    // A dialog window: only hidden by the start-up and close steps.
    if (!show) {
      form->hide();
      if (auto* h = dynamic_cast<FormHandlers*>(form)) h->RunFormClose();
    }
    return;
  }
  QMdiSubWindow* frame = panel->Frame();
  if (!frame) {
    // The frame takes the panel's design size plus its own title bar and border.
    QSize design = panel->size().expandedTo(panel->sizeHint());
    frame = new PanelFrame(panel);
    MdiArea->addSubWindow(frame);
    frame->ensurePolished();
    QMargins m = frame->contentsMargins();
    frame->resize(design + QSize(m.left() + m.right(), m.top() + m.bottom()));
    frame->hide();
  }
  if (show) {
    _FFM& r = PanelRecords[index];
    r.Left = frame->x();
    r.Top = frame->y();
    r.Width = frame->width();
    r.Height = frame->height();
    frame->setGeometry(r.Left, r.Top, r.Width, r.Height);
    frame->show();
    panel->show();
    MdiArea->setActiveSubWindow(frame);
    frame->raise();
  } else {
    frame->hide();
    panel->RunFormClose();
  }
}

void TMainPanel::OpenPanel(QWidget* form, int index) {
  if (!form || index < 0 || index >= 20) return;
  if (!PanelRecords[index].Placed) {
    if (auto* panel = qobject_cast<TPanelForm*>(form)) {
      if (!panel->Frame()) ShowPanel(form, index, false);
      panel->Frame()->move(0, 0);
    }
    PanelRecords[index].Placed = true;
  }
  ShowPanel(form, index, true);
}

std::optional<QString> TMainPanel::FirmwareName() {
  QString name;
  if (!P.Mx_UP->ReadFirmwareName(P.G.Channels[0].Devc, name)) return std::nullopt;
  return name;
}

// ---- Read Chip and the register files ----

namespace {
const QString kWarningCaption = QStringLiteral("warning");
const QString kReadChipFail = QStringLiteral("Read Chip Fail: the board stopped answering; the views show what was read");
const QString kAuxDownloadFail =
    QStringLiteral("Download Fail: the board or the auxiliary chip did not answer; the download did not complete");
const QString kReadRegFail = QStringLiteral("Read REG Fail: the board stopped answering; the views show what was read");
}  // namespace


void TMainPanel::Menu_ReadChipClick() { Menu_ReadRAMClick(); }

// A read that ends part-way keeps what it read: the windows show it, and the user
// is told the read did not complete.
void TMainPanel::Menu_ReadRAMClick() {
  const bool complete = ReadChipIntoShadow(*P.Mx_UP);
  if (complete) P.G.ReadDone = true;
  P.Refresh(ReadChipViews);
  if (!complete) P.dialogs().MessageBox(this, kReadChipFail, kWarningCaption, MB_OK);
}

void TMainPanel::Menu_ReadREGClick() {
  const bool complete = ReadRegistersIntoShadow(*P.Mx_UP);
  P.Refresh(RefreshViews::All());
  if (!complete) P.dialogs().MessageBox(this, kReadRegFail, kWarningCaption, MB_OK);
}

void TMainPanel::SaveTableClick() {
  QString path = P.dialogs().SaveFileName(this, FileDialogRequest::ForExtension("ram"));
  if (!path.isEmpty()) WriteTextLines(path, RamArrayFileLines(P.G));
}

void TMainPanel::SaveREGClick() {
  QString path = P.dialogs().SaveFileName(this, FileDialogRequest::ForExtension("reg"));
  if (!path.isEmpty()) WriteTextLines(path, RegisterFileLines(P.G));
}

void TMainPanel::LoadREGClick() {
  QString path = P.dialogs().OpenFileName(this, FileDialogRequest::ForExtension("reg"));
  if (path.isEmpty() || !QFileInfo::exists(path)) return;
  const QStringList lines = ReadTextLines(path);
  const std::optional<RegisterLoadFailure> failed = LoadRegisterLines(*P.Mx_UP, lines);
  P.Refresh(RefreshViews::All());
  if (failed) P.dialogs().MessageBox(this, RegisterLoadFailText(*failed, lines, path), kWarningCaption, MB_OK);
}

void TMainPanel::LoadVI52R7718Click() {
  Clock& clock = P.clock();
  auto shortWait = [&] { Delay(clock, 0.01 / 86400.0); };
  auto longWait = [&] { Delay(clock, 0.1 / 86400.0); };
  auto pump = [] { QCoreApplication::processEvents(); };
  TMx_UP& up = *P.Mx_UP;
  uint8_t* xfer = P.G.XferBuf;

  P.G.ReadDone = false;
  Menu_ReadRAMClick();
  if (!P.G.ReadDone) return;
  const auto image = AuxRamImage(up, P.G);
  const auto list = AuxRegisterPairs(up);
  StatusBar1->SetText(0, "Read Finish !!!");
  pump();

  // A failed auxiliary command ends the download where it is, and the user is told.
  auto fail = [&] { P.dialogs().MessageBox(this, kAuxDownloadFail, kWarningCaption, MB_OK); };
  if (!up.UnlockAux(0) || !up.ProbeAux(0)) return fail();
  longWait();
  StatusBar1->SetText(0, "Erase Finish !!!");
  pump();
  if (!up.UnlockAux(0)) return fail();

  for (int n = 0; n < 8; ++n) {
    std::copy(image.begin() + 32 * n, image.begin() + 32 * n + 32, xfer);
    if (!up.WriteAuxMem(32 * n, 32, 0)) return fail();
    shortWait();
  }
  for (int i = 0; i < 72; ++i) {
    xfer[i % 32] = list[i];
    if (i % 32 == 31) {
      if (!up.WriteAuxMem(0x100 + 32 * (i / 32), 32, 0)) return fail();
      shortWait();
    }
  }
  if (!up.WriteAuxMem(0x140, 8, 0)) return fail();
  StatusBar1->SetText(0, "Download Finish !!!");
  pump();
  longWait();

  auto readTwice = [&](int address) {
    for (int k = 0; k < 2; ++k) {
      if (!up.ReadAuxMem(address, 0)) return false;
      shortWait();
    }
    return true;
  };
  for (int n = 0; n < 8; ++n) {
    if (!readTwice(32 * n)) return fail();
    for (int i = 0; i < 32; ++i)
      if (xfer[32 * n + i] != image[32 * n + i]) {
        P.dialogs().MessageBox(this, "Verifty Ram Fail", "warning", MB_OK);
        return;
      }
  }
  for (int n = 0; n < 4; ++n) {
    if (!readTwice(0x100 + 32 * n)) return fail();
    for (int i = 0; i < 32; ++i) {
      int k = 32 * n + i;
      if (xfer[0x100 + k] != list[k]) {
        P.dialogs().MessageBox(this, "Verifty Reg Fail", "warning", MB_OK);
        return;
      }
      if (k == 71) {
        StatusBar1->SetText(0, "Verifty OK !!!");
        return;
      }
    }
  }
}

void TMainPanel::SLEEP1Click() {
  P.G.PacketBuf[5] = 0xA5;
  P.Mx_UP->SendRegs(0xFD, 1, 0);
}

