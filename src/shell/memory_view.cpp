#include "shell/memory_view.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QShowEvent>
#include <QTemporaryFile>
#include <QVBoxLayout>

#include "common/errors.h"
#include "common/handler_guard.h"
#include "common/number_text.h"
#include "common/settings_reader.h"
#include "common/text_encoding.h"
#include "kit/bench.h"
#include "link/mx_up.h"
#include "platform/dialogs.h"
#include "shell/hex_keypad.h"
#include "shell/spreadsheet_export.h"
#include "shell/view_marks.h"

namespace {
constexpr int kGridSize = 17;
const char* kWarning = "warning";
}  // namespace

TMx_RAM::TMx_RAM(Bench& program, QWidget* parent)
    : TPanelForm(program, "Mx_RAM", QString::fromUtf8("記憶體"), parent) {
  auto* bar = new TTabBar(this);
  QVBoxLayout* layout = bar->FormLayout();
  // The chip definition shows the tabs and menu items of the banks it declares.
  for (int n = 0; n < 5; ++n) {
    PBank[n] = bar->AddTab(QStringLiteral("PBank%1").arg(n), QStringLiteral("Bank%1").arg(n));
    PBank[n]->hide();
    connect(PBank[n], &TTabPanel::clicked, this, GuardedSlot(P, [this, n] { PBankClick(n); }));
  }

  SGD = new TStringGrid("SGD", kGridSize, kGridSize, this);
  SGD->SetColWidths(22);
  SGD->setColumnWidth(0, 28);
  SGD->SetRowHeights(18);
  for (int c = 1; c < kGridSize; ++c) SGD->SetCell(c, 0, IntToHexW(static_cast<uint16_t>(c - 1), 1));
  SGD->StyleOf = [this](int c, int r) { return SGDStyle(c, r); };
  SGD->KeyPress = GuardedSlot(P, [this](QChar k) { SGDKeyPress(k); });
  SGD->FocusLeft = GuardedSlot(P, [this] { FormDeactivate(); });
  connect(SGD, &TStringGrid::DblClick, this, GuardedSlot(P, this, &TMx_RAM::SGDDblClick));
  connect(SGD, &TStringGrid::SelectCell, this, GuardedSlot(P, [this](int c, int r, int, int) { SGDSelectCell(c, r); }));
  SGD->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(SGD, &QWidget::customContextMenuRequested, this,
          GuardedSlot(P, [this](const QPoint& at) { RamPopup->popup(SGD->viewport()->mapToGlobal(at)); }));
  layout->addWidget(SGD, 1);

  PnlHint = new QLabel(this);
  PnlHint->setObjectName("PnlHint");
  PnlHint->hide();
  layout->addWidget(PnlHint);

  RamPopup = new QMenu(this);
  RamPopup->setObjectName("RamPopup");
  AddItem("SetMark", "Set Mark", &TMx_RAM::SetMarkClick);
  AddItem("newcolor1", "Set Mark(new color)", &TMx_RAM::newcolor1Click);
  AddItem("RstMark", "Reset Mark", &TMx_RAM::RstMarkClick);
  AddItem("RstAllMark", "Reset All Mark", &TMx_RAM::RstAllMarkClick);
  RamPopup->addSeparator();
  AddItem("SetHint1", "Set Hint", &TMx_RAM::SetHint1Click);
  AddItem("ResetHint1", "Reset Hint", &TMx_RAM::ResetHint1Click);
  AddItem("ResetAllHint1", "Reset All Hint", &TMx_RAM::ResetAllHint1Click);
  RamPopup->addSeparator();
  AddItem("LoadRam", "Load RAM Data", &TMx_RAM::LoadRamClick);
  AddItem("SaveRam", "Save RAM Data", &TMx_RAM::SaveRamClick);
  AddItem("Excel1", "Save To excel", &TMx_RAM::Excel1Click);
  for (int n = 0; n < 5; ++n) {
    RAMBANK[n] = RamPopup->addAction(QStringLiteral("RAMBANK%1").arg(n));
    RAMBANK[n]->setObjectName(QStringLiteral("RAMBANK%1").arg(n));
    RAMBANK[n]->setVisible(false);
    connect(RAMBANK[n], &QAction::triggered, this, GuardedSlot(P, [this, n] { PBankClick(n); }));
  }
  ExportDir = QDir::tempPath();
  resize(420, 380);
}

QAction* TMx_RAM::AddItem(const QString& name, const QString& caption, void (TMx_RAM::*handler)()) {
  QAction* a = RamPopup->addAction(caption);
  a->setObjectName(name);
  connect(a, &QAction::triggered, this, GuardedSlot(P, this, handler));
  return a;
}

void TMx_RAM::FormCreate() {
  move(0, 0);
  P.G.RamBank = 0;
  RowHeaders();
  StyleBankTabs();
}

void TMx_RAM::FormClose() {}

void TMx_RAM::showEvent(QShowEvent* e) {
  TPanelForm::showEvent(e);
  GuardedEvent(P, [this] {
    SGD->SetRowCount(kGridSize);
    DataUpdate(true);
  });
}

// ---- refresh and drawing ----

void TMx_RAM::RowHeaders() {
  for (int r = 1; r < kGridSize; ++r)
    SGD->SetCell(0, r, IntToHexW(static_cast<uint16_t>(P.G.RamBank * 16 + r - 1), 2) + "0");
}

void TMx_RAM::StyleBankTabs() {
  for (int n = 0; n < 5; ++n)
    PBank[n]->SetRaised(n == P.G.RamBank, n == P.G.RamBank ? ViewColor::Yellow : ViewColor::ButtonFace);
}

void TMx_RAM::DataUpdate(bool initial) {
  RowHeaders();
  for (int k = 0; k < 256; ++k) {
    const int a = P.G.RamBank * 256 + k;
    RefreshMemoryCell(P.G, a, initial);
    SGD->SetCell(k % 16 + 1, k / 16 + 1, MemoryCellText(P.G, a));
  }
  StyleBankTabs();
  SGD->Repaint();
}

void TMx_RAM::PBankClick(int bank) {
  if (bank < 0 || bank >= 5) return;
  P.G.RamBank = static_cast<uint8_t>(bank);
  StyleBankTabs();
  RowHeaders();
  DataUpdate(false);
}

int TMx_RAM::CellAddress(int col, int row) const {
  if (col < 1 || col >= kGridSize || row < 1 || row >= kGridSize) return -1;
  return P.G.RamBank * 256 + (row - 1) * 16 + col - 1;
}

bool TMx_RAM::Implemented(int address) const {
  return address >= 0 && address < MemoryMarkCount && P.G.RegMask[address] != 0;
}

CellStyle TMx_RAM::SGDStyle(int col, int row) const {
  const int a = CellAddress(col, row);
  if (a < 0) return {Qt::black, ViewColor::ButtonFace};
  if (a >= MemoryMarkCount) return {};
  CellStyle s;
  if (P.G.RegChanged[a]) s = ChangedStyle();
  else if (Marks.Mark[a]) s = {Qt::white, ViewColor::FromColorRef(Marks.MarkColor[a])};
  s.Underline = Marks.Hint[a];
  return s;
}

// ---- editing ----

void TMx_RAM::SGDDblClick() {
  const QPoint cell = SGD->MouseCell();
  const int a = CellAddress(cell.x(), cell.y());
  if (!Implemented(a)) return;
  SGD->Repaint();
  const QPoint at = SGD->CellBottomLeft(cell.x(), cell.y());
  int value = 0;
  const QString caption = "Ram" + IntToHexW(static_cast<uint16_t>(a), 4) + "=" + SGD->Cell(cell.x(), cell.y());
  if (HexKeypad->PopupHex(at.x(), at.y(), value, "FF", "00~FF", caption))
    P.Mx_UP->WriteReg(a, static_cast<uint8_t>(value), 0);
}

// Typing changes no cell text: Enter or Tab writes the text shown to its address.
void TMx_RAM::SGDKeyPress(QChar key) {
  const int col = SGD->currentColumn(), row = SGD->currentRow();
  const int a = CellAddress(col, row);
  if (a < 0) return;
  if (!Implemented(a)) {
    SGD->SetCell(col, row, "-");
    return;
  }
  if (key >= 'a' && key <= 'f') key = key.toUpper();
  if (key == '\r' || key == '\t') {
    editing_ = false;
    CommitCell(col, row);
    return;
  }
  if (!IsHexDigit(key) && key != '\b') return;
  editing_ = true;
  editCol_ = col;
  editRow_ = row;
}

void TMx_RAM::CommitCell(int col, int row) {
  const int a = CellAddress(col, row);
  if (!Implemented(a)) {
    SGD->SetCell(col, row, "-");
    return;
  }
  P.Mx_UP->WriteReg(a, static_cast<uint8_t>(HexStrToInt(SGD->Cell(col, row))), 0);
}

void TMx_RAM::SGDSelectCell(int col, int row) {
  if (!editing_ || (col == 0 && row == 0) || (col == editCol_ && row == editRow_)) return;
  editing_ = false;
  CommitCell(editCol_, editRow_);
}

void TMx_RAM::FormDeactivate() {
  if (!editing_) return;
  editing_ = false;
  CommitCell(editCol_, editRow_);
}

// ---- marks and hints ----

int TMx_RAM::MarkTarget() const {
  const QPoint cell = SGD->MouseCell();
  const int a = CellAddress(cell.x(), cell.y());
  return Implemented(a) ? a : -1;
}

// Both store the colour dialog's colour.
void TMx_RAM::SetMark(bool on) {
  const int a = MarkTarget();
  if (a < 0) return;
  Marks.Mark[a] = on;
  Marks.MarkColor[a] = ColorDlgColor;
  SGD->Repaint();
}

void TMx_RAM::SetMarkClick() { SetMark(true); }

void TMx_RAM::newcolor1Click() {
  ColorDlgColor = ViewColor::ToColorRef(P.dialogs().ChooseColor(this, ViewColor::FromColorRef(ColorDlgColor)));
  SetMarkClick();
}

void TMx_RAM::RstMarkClick() { SetMark(false); }

void TMx_RAM::RstAllMarkClick() {
  if (P.dialogs().MessageBox(this, "Are you sure to reset all mark?", kWarning, MB_YESNO) == IDNO) return;
  Marks.Mark.fill(false);
  SGD->Repaint();
}

void TMx_RAM::ResetHint1Click() {
  const int a = MarkTarget();
  if (a < 0) return;
  Marks.HintText[a].clear();
  Marks.Hint[a] = false;
  SGD->Repaint();
}

void TMx_RAM::ResetAllHint1Click() {
  if (P.dialogs().MessageBox(this, "Are you sure to reset all Hint?", kWarning, MB_YESNO) == IDNO) return;
  for (int a = 0; a < MemoryMarkCount; ++a) {
    Marks.HintText[a].clear();
    Marks.Hint[a] = false;
  }
  SGD->Repaint();
}

// ---- files ----

void TMx_RAM::SaveRamClick() {
  const QString path = P.dialogs().SaveFileName(this, FileDialogRequest::ForExtension("ram"));
  if (path.isEmpty()) return;
  if (QFileInfo::exists(path) &&
      P.dialogs().MessageBox(this, "File " + path + " exist! Overwrite?", kWarning, MB_YESNO) == IDNO)
    return;
  WriteTextLines(path, MemoryViewFileLines(P.G, Marks));
}

void TMx_RAM::LoadRamClick() {
  const QString path = P.dialogs().OpenFileName(this, FileDialogRequest::ForExtension("ram"));
  if (path.isEmpty()) return;
  SettingsReader file = SettingsReader::Open(path);
  // The values go to the shadow only, then every view refreshes once (a refresh per
  // value made a load of the 512 values take seconds); nothing goes to the chip.
  ReadMemoryViewFile(
      file, P.G, Marks, [this](int a, uint8_t v) { P.Mx_UP->SetRegShadow(a, v, 0); },
      [this] {
        P.Mx_UP->RunRefreshChain();
        DataUpdate(true);
      });
  SGD->Repaint();
}

void TMx_RAM::Excel1Click() {
  QTemporaryFile reserve(QDir(ExportDir).filePath("MxRAM-XXXXXX.xlsx"));
  reserve.setAutoRemove(false);
  if (!reserve.open()) throw EInOutError("Cannot create a file in \"" + ExportDir + "\". " + reserve.errorString());
  const QString path = reserve.fileName();
  reserve.close();
  WriteUserDataWorkbook(path, P.G);
  LastExportPath = path;
  if (!P.dialogs().OpenWithDesktop(path))
    P.dialogs().MessageBox(this,
                           "No program to show spreadsheets could be started.\nThe data is saved in " + path,
                           "Save To excel", MB_OK);
}
