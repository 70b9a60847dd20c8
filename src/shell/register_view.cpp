#include "shell/register_view.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

#include "common/handler_guard.h"
#include "common/number_text.h"
#include "kit/bench.h"
#include "link/mx_up.h"
#include "shell/hex_keypad.h"
#include "shell/register_view_layout.h"
#include "shell/view_marks.h"

namespace {

constexpr int kWorkRegister = 0x29;
// FSR0 = 0Fh:10h, FSR1 = 11h:12h.
constexpr int kFsrHigh[2] = {0x0F, 0x11};
constexpr int kFsrLow[2] = {0x10, 0x12};

const QColor kPageColors[6] = {ViewColor::Yellow, ViewColor::Green, ViewColor::Red,
                               Qt::white,         ViewColor::Blue,  ViewColor::Lime};


}  // namespace

TMx_Reg2::TMx_Reg2(Bench& program, QWidget* parent)
    : TPanelForm(program, "Mx_Reg2", QString::fromUtf8("REG"), parent) {
  auto* bar = new TTabBar(this);
  QVBoxLayout* layout = bar->FormLayout();
  // The chip definition shows the tabs of the pages it declares.
  for (int p = 0; p < 6; ++p) {
    PPAGE[p] = bar->AddTab(QStringLiteral("PPAGE%1").arg(p + 1), QStringLiteral("PAGE%1").arg(p + 1));
    PPAGE[p]->hide();
    connect(PPAGE[p], &TTabPanel::clicked, this, GuardedSlot(P, [this, p] { PPAGEClick(p); }));
  }

  SREG = new TStringGrid("SREG", RegGridColumns, 0, this);
  SREG->SetColWidths(64);
  SREG->setColumnWidth(0, 96);
  SREG->SetRowHeights(RegGridRowHeight);
  SREG->StyleOf = [this](int c, int r) { return SREGStyle(c, r); };
  connect(SREG, &TStringGrid::DblClick, this, GuardedSlot(P, this, &TMx_Reg2::SREGDblClick));
  layout->addWidget(SREG);

  Panel1 = new QLabel("Byte ", this);
  Panel1->setObjectName("Panel1");
  layout->addWidget(Panel1);
  SByteReg = new TStringGrid("SByteReg", RegGridColumns, 0, this);
  Panel3 = new QLabel("Word", this);
  Panel3->setObjectName("Panel3");
  SWordReg = new TStringGrid("SWordReg", RegGridColumns, 0, this);
  for (TStringGrid* g : {SByteReg, SWordReg}) {
    g->SetColWidths(64);
    g->SetRowHeights(RegGridRowHeight);
    g->StyleOf = [this, g](int c, int r) { return ValueGridStyle(g, c, r); };
    connect(g, &TStringGrid::SelectCell, this,
            GuardedSlot(P, [this, g](int, int, int prevCol, int prevRow) { ValueCellLeft(g, prevCol, prevRow); }));
  }
  SByteReg->KeyPress = GuardedSlot(P, [this](QChar k) { SByteRegKeyPress(k); });
  SWordReg->KeyPress = GuardedSlot(P, [this](QChar k) { SWordRegKeyPress(k); });
  connect(SByteReg, &TStringGrid::DblClick, this, GuardedSlot(P, this, &TMx_Reg2::SByteRegDblClick));
  connect(SWordReg, &TStringGrid::DblClick, this, GuardedSlot(P, this, &TMx_Reg2::SWordRegDblClick));
  layout->addWidget(SByteReg, 3);
  layout->addWidget(Panel3);
  layout->addWidget(SWordReg, 1);

  PMBit = new QMenu(this);
  PMBit->setObjectName("PMBit");
  PMBitSet = PMBit->addAction("=1");
  PMBitSet->setObjectName("PMBitSet");
  PMBitClr = PMBit->addAction("=0");
  PMBitClr->setObjectName("PMBitClr");
  connect(PMBitSet, &QAction::triggered, this, GuardedSlot(P, this, &TMx_Reg2::PMBitSetClick));
  connect(PMBitClr, &QAction::triggered, this, GuardedSlot(P, this, &TMx_Reg2::PMBitClrClick));

  // The core panel exists and stays hidden.
  PBase = new QWidget(this);
  PBase->setObjectName("PBase");
  auto* base = new QHBoxLayout(PBase);
  PnlPC = new QLabel(" Program Counter: 1FFF", PBase);
  PnlPC->setObjectName("PnlPC");
  PnlCycle = new QLabel(" Cycle: 00000000", PBase);
  PnlCycle->setObjectName("PnlCycle");
  PnlWork = new TTabPanel("PnlWork", " Work:", PBase);
  PnlIND0 = new TTabPanel("PnlIND0", " IND0: M[", PBase);
  PnlIND1 = new TTabPanel("PnlIND1", " IND1: M[", PBase);
  for (QWidget* w : std::initializer_list<QWidget*>{PnlPC, PnlCycle, PnlWork, PnlIND0, PnlIND1}) base->addWidget(w);
  const QString modify = QString::fromUtf8("更改儲存值");
  PMWork = new QMenu(this);
  PMWork->setObjectName("PMWork");
  QAction* work = PMWork->addAction(modify);
  work->setObjectName("WorkModify");
  connect(work, &QAction::triggered, this, GuardedSlot(P, this, &TMx_Reg2::EditWork));
  connect(PnlWork, &TTabPanel::clicked, this, GuardedSlot(P, [this] { PMWork->popup(PnlWork->mapToGlobal(QPoint(0, PnlWork->height()))); }));
  TTabPanel* ind[2] = {PnlIND0, PnlIND1};
  for (int n = 0; n < 2; ++n) {
    PMIND[n] = new QMenu(this);
    PMIND[n]->setObjectName(QStringLiteral("PMIND%1").arg(n));
    QAction* value = PMIND[n]->addAction(modify);
    value->setObjectName(QStringLiteral("IND%1Modify").arg(n));
    QAction* fsr = PMIND[n]->addAction(QStringLiteral("Modify FSR%1").arg(n));
    fsr->setObjectName(QStringLiteral("FSR%1Modify").arg(n));
    connect(value, &QAction::triggered, this, GuardedSlot(P, [this, n] { EditIND(n); }));
    connect(fsr, &QAction::triggered, this, GuardedSlot(P, [this, n] { EditFSR(n); }));
    TTabPanel* field = ind[n];
    connect(field, &TTabPanel::clicked, this,
            GuardedSlot(P, [this, n, field] { PMIND[n]->popup(field->mapToGlobal(QPoint(0, field->height()))); }));
  }
  PBase->hide();
  layout->addWidget(PBase);
  resize(640, 560);
}

void TMx_Reg2::FormCreate() { move(0, 0); }

void TMx_Reg2::FormClose() {}

// ---- refresh ----

void TMx_Reg2::DataUpdate(bool initial) {
  Globals& g = P.G;
  if (TCRREGBitPtr* bits = g.RegBitList.get())
    for (int i = 0; i < bits->Count(); ++i) {
      RegBitItem* e = bits->Items(i);
      e->Value = RefreshRegister(g, e->Address);
    }
  SREG->Repaint();
  if (TCRREGBytePtr* bytes = g.RegByteList.get())
    for (int i = 0; i < bytes->Count(); ++i) {
      RegByteItem* e = bytes->Items(i);
      e->Value = RefreshRegister(g, e->Address);
      SByteReg->SetCell(i % RegGridColumns, 2 * (i / RegGridColumns) + 1, IntToHexW(e->Value, 2));
    }
  SByteReg->Repaint();
  if (TCRREGWordPtr* words = g.RegWordList.get())
    for (int i = 0; i < words->Count(); ++i) {
      RegWordItem* e = words->Items(i);
      e->Value = RefreshWordRegister(g, e->HighAddress, e->LowAddress);
      SWordReg->SetCell(i % RegGridColumns, 2 * (i / RegGridColumns) + 1, IntToHexW(e->Value, 4));
    }
  SWordReg->Repaint();

  TMx_UP& up = *P.Mx_UP;
  const int work = up.GetReg(kWorkRegister, 0);
  PnlWork->setText(" Work:" + IntToHexW(work, 2));
  const bool changed = !initial && lastWork_ >= 0 && work != lastWork_;
  PnlWork->SetLook(false, changed ? ChangedStyle() : CellStyle{Qt::black, ViewColor::ButtonFace});
  lastWork_ = work;
  TTabPanel* ind[2] = {PnlIND0, PnlIND1};
  for (int n = 0; n < 2; ++n)
    ind[n]->setText(QStringLiteral(" IND%1: M[").arg(n) + IntToHexW(FSR(n), 3) + "]=" +
                    IntToHexW(up.GetReg(FSR(n), 0), 2));
}

void TMx_Reg2::SWSREG() {
  const BitPageSpan span = BitPageRange(P.G, P.G.BitPage);
  SREG->SetRowCount(span.Count());
  SREG->SetRowHeights(RegGridRowHeight);
  SREG->setFixedHeight((span.Count() + 2) * RegGridRowHeight);
  const TCRREGBitPtr* bits = P.G.RegBitList.get();
  for (int r = 0; r < span.Count(); ++r) {
    const RegBitItem* e = bits ? bits->Items(span.First + r) : nullptr;
    SREG->SetCell(0, r, e ? e->Name : QString());
    for (int c = 1; c <= 8; ++c) SREG->SetCell(c, r, e ? e->BitNames[c - 1] : QString());
  }
  StylePageTabs();
  DataUpdate(true);
}

void TMx_Reg2::PPAGEClick(int page) {
  if (page < 0 || page >= 6) return;
  P.G.BitPage = static_cast<uint8_t>(page);
  SWSREG();
}

void TMx_Reg2::StylePageTabs() {
  for (int p = 0; p < 6; ++p)
    PPAGE[p]->SetRaised(p == P.G.BitPage, p == P.G.BitPage ? kPageColors[p] : ViewColor::ButtonFace);
}

// ---- drawing ----

CellStyle TMx_Reg2::SREGStyle(int col, int row) const {
  const TCRREGBitPtr* bits = P.G.RegBitList.get();
  const RegBitItem* e =
      bits && row >= 0 && row < SREG->RowCount() ? bits->Items(BitPageRange(P.G, P.G.BitPage).First + row) : nullptr;
  if (col == 0) {
    const bool changed = e && e->Address < RegModelSize && P.G.RegChanged[e->Address];
    return changed ? ChangedStyle() : CellStyle{Qt::black, ViewColor::ButtonFace};
  }
  const int bit = 8 - col;
  if (e && bit >= 0 && ((e->Value >> bit) & 1)) return {ViewColor::Blue, Qt::white};
  return {Qt::black, ViewColor::Silver};
}

int TMx_Reg2::EntryAt(const TStringGrid* grid, int col, int row) const {
  if (col < 0 || col >= RegGridColumns || row < 0 || row >= grid->RowCount()) return -1;
  const int i = (row / 2) * RegGridColumns + col;
  const int count = IsWord(grid) ? (P.G.RegWordList ? P.G.RegWordList->Count() : 0)
                                 : (P.G.RegByteList ? P.G.RegByteList->Count() : 0);
  return i < count ? i : -1;
}

CellStyle TMx_Reg2::ValueGridStyle(const TStringGrid* grid, int col, int row) const {
  if (row % 2 == 1) return {Qt::black, Qt::white};
  const int i = EntryAt(grid, col, row);
  bool changed = false;
  if (i >= 0 && IsWord(grid)) {
    const RegWordItem* w = P.G.RegWordList->Items(i);
    changed = (w->HighAddress < RegModelSize && P.G.RegChanged[w->HighAddress]) ||
              (w->LowAddress < RegModelSize && P.G.RegChanged[w->LowAddress]);
  } else if (i >= 0) {
    const RegByteItem* b = P.G.RegByteList->Items(i);
    changed = b->Address < RegModelSize && P.G.RegChanged[b->Address];
  }
  return changed ? ChangedStyle() : CellStyle{Qt::black, ViewColor::ButtonFace};
}

// ---- editing ----

bool TMx_Reg2::Keypad(const QPoint& at, int& value, const QString& maxText, const QString& caption) {
  const QString range = QString(maxText.size(), '0') + "~" + maxText;
  return HexKeypad->PopupHex(at.x(), at.y(), value, maxText, range, caption);
}

void TMx_Reg2::SREGDblClick() {
  const QPoint cell = SREG->MouseCell();
  const int col = cell.x(), row = cell.y();
  if (row < 0 || row >= SREG->RowCount() || col < 0 || col > 8 || !P.G.RegBitList) return;
  const RegBitItem* e = P.G.RegBitList->Items(BitPageRange(P.G, P.G.BitPage).First + row);
  if (!e) return;
  SREG->Repaint();
  const QPoint at = SREG->CellBottomLeft(col, row);
  if (col == 0) {
    int value = 0;
    const int address = e->Address;
    if (Keypad(at, value, "FF", "Ram" + IntToHexW(address, 3) + "=" + e->Name))
      P.Mx_UP->WriteReg(address, static_cast<uint8_t>(value), 0);
    return;
  }
  if (e->BitNames[col - 1] == "-") return;
  bitAddress_ = e->Address;
  bitNumber_ = 8 - col;
  if (bitAddress_ == 0x31 || bitAddress_ == 0x32) return;
  // The items read the double-clicked control's text (a grid has none) and "=1", "=0".
  PMBitSet->setText("=1");
  PMBitClr->setText("=0");
  PMBit->popup(at);
}

void TMx_Reg2::PMBitSetClick() {
  TMx_UP& up = *P.Mx_UP;
  up.WriteReg(bitAddress_, static_cast<uint8_t>(up.GetReg(bitAddress_, 0) | (1 << bitNumber_)), 0);
}

void TMx_Reg2::PMBitClrClick() {
  TMx_UP& up = *P.Mx_UP;
  up.WriteReg(bitAddress_, static_cast<uint8_t>(up.GetReg(bitAddress_, 0) & ~(1 << bitNumber_)), 0);
}

void TMx_Reg2::SByteRegDblClick() { NameCellDblClick(SByteReg); }
void TMx_Reg2::SWordRegDblClick() { NameCellDblClick(SWordReg); }

void TMx_Reg2::NameCellDblClick(TStringGrid* grid) {
  const QPoint cell = grid->MouseCell();
  const int i = EntryAt(grid, cell.x(), cell.y());
  if (i < 0 || cell.y() % 2 != 0) return;
  grid->Repaint();
  const QPoint at = grid->CellBottomLeft(cell.x(), cell.y());
  const QString name = grid->Cell(cell.x(), cell.y());
  int value = 0;
  if (IsWord(grid)) {
    if (Keypad(at, value, "FFFF", "Ram" + name)) WriteWord(i, value);
  } else {
    const int address = P.G.RegByteList->Items(i)->Address;
    if (Keypad(at, value, "FF", "Ram" + IntToHexW(address, 3) + "=" + name))
      P.Mx_UP->WriteReg(address, static_cast<uint8_t>(value), 0);
  }
}

void TMx_Reg2::WriteWord(int entry, int value) {
  const RegWordItem* w = P.G.RegWordList->Items(entry);
  if (!w) return;
  const int high = w->HighAddress, low = w->LowAddress;
  P.Mx_UP->WriteReg(high, static_cast<uint8_t>((value & 0xFFFF) >> 8), 0);
  P.Mx_UP->WriteReg(low, static_cast<uint8_t>(value & 0xFF), 0);
}

void TMx_Reg2::SByteRegKeyPress(QChar key) { ValueKey(SByteReg, key); }
void TMx_Reg2::SWordRegKeyPress(QChar key) { ValueKey(SWordReg, key); }

void TMx_Reg2::ValueKey(TStringGrid* grid, QChar key) {
  const int col = grid->currentColumn(), row = grid->currentRow();
  if (row % 2 != 1 || EntryAt(grid, col, row) < 0) return;
  if (key >= 'a' && key <= 'f') key = key.toUpper();
  if (key == '\r' || key == '\t') {
    editing_ = false;
    CommitValue(grid, col, row);
    return;
  }
  if (!IsHexDigit(key) && key != '\b') return;
  editing_ = true;
  editGrid_ = grid;
  editCol_ = col;
  editRow_ = row;
  QString text = grid->Cell(col, row);
  // Backspace takes back the last character typed.
  if (key == '\b') text.chop(1);
  else text = (text + key).right(IsWord(grid) ? 4 : 2);
  grid->SetCell(col, row, text);
}

void TMx_Reg2::ValueCellLeft(TStringGrid* grid, int prevCol, int prevRow) {
  if (!editing_ || grid != editGrid_ || prevCol != editCol_ || prevRow != editRow_) return;
  editing_ = false;
  CommitValue(grid, prevCol, prevRow);
}

void TMx_Reg2::CommitValue(TStringGrid* grid, int col, int row) {
  const int i = EntryAt(grid, col, row);
  if (i < 0) return;
  const int value = HexStrToInt(grid->Cell(col, row));
  if (IsWord(grid)) WriteWord(i, value);
  else P.Mx_UP->WriteReg(P.G.RegByteList->Items(i)->Address, static_cast<uint8_t>(value), 0);
}

// ---- the core panel ----

int TMx_Reg2::FSR(int n) const {
  const TMx_UP& up = *P.Mx_UP;
  return up.GetReg(kFsrHigh[n], 0) * 256 + up.GetReg(kFsrLow[n], 0);
}

void TMx_Reg2::EditWork() {
  int value = 0;
  const QPoint at = PnlWork->mapToGlobal(QPoint(0, PnlWork->height()));
  if (Keypad(at, value, "FF", "Work=" + IntToHexW(P.Mx_UP->GetReg(kWorkRegister, 0), 2)))
    P.Mx_UP->WriteReg(kWorkRegister, static_cast<uint8_t>(value), 0);
}

void TMx_Reg2::EditIND(int n) {
  if (n < 0 || n > 1) return;
  int value = 0;
  QWidget* field = n == 0 ? PnlIND0 : PnlIND1;
  const int fsr = FSR(n);
  const QString caption = QStringLiteral("IND%1=").arg(n) + IntToHexW(P.Mx_UP->GetReg(fsr, 0), 2);
  if (Keypad(field->mapToGlobal(QPoint(0, field->height())), value, "FF", caption))
    P.Mx_UP->WriteReg(fsr, static_cast<uint8_t>(value), 0);
}

void TMx_Reg2::EditFSR(int n) {
  if (n < 0 || n > 1) return;
  int value = 0;
  QWidget* field = n == 0 ? PnlIND0 : PnlIND1;
  const QString caption = QStringLiteral("FSR%1=").arg(n) + IntToHexW(static_cast<uint16_t>(FSR(n)), 3);
  if (!Keypad(field->mapToGlobal(QPoint(0, field->height())), value, "FFF", caption)) return;
  P.Mx_UP->WriteReg(kFsrHigh[n], static_cast<uint8_t>(value >> 8), 0);
  P.Mx_UP->WriteReg(kFsrLow[n], static_cast<uint8_t>(value & 0xFF), 0);
}
