#include "app/support/view_fixture.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "shell/setup_dialog.h"
#include "shell/view_controls.h"

namespace {
void SendMouse(TStringGrid* grid, QEvent::Type type, int col, int row, Qt::MouseButton button) {
  const QPoint at = grid->visualRect(grid->model()->index(row, col)).center();
  QMouseEvent e(type, at, grid->viewport()->mapToGlobal(at), button, button, Qt::NoModifier);
  QCoreApplication::sendEvent(grid->viewport(), &e);
}
}  // namespace

void GridPress(TStringGrid* grid, int col, int row, Qt::MouseButton button) {
  SendMouse(grid, QEvent::MouseButtonPress, col, row, button);
  SendMouse(grid, QEvent::MouseButtonRelease, col, row, button);
}

void GridDoubleClick(TStringGrid* grid, int col, int row) {
  GridPress(grid, col, row);
  SendMouse(grid, QEvent::MouseButtonDblClick, col, row, Qt::LeftButton);
}

void GridType(TStringGrid* grid, const QString& keys) {
  for (QChar c : keys) {
    int code = c == '\r' ? Qt::Key_Return : c == '\t' ? Qt::Key_Tab : c == '\b' ? Qt::Key_Backspace
             : c.isLetter() ? Qt::Key_A + (c.toUpper().unicode() - u'A') : c.unicode();
    QKeyEvent e(QEvent::KeyPress, code, Qt::NoModifier, c.isPrint() ? QString(c) : QString());
    QCoreApplication::sendEvent(grid, &e);
  }
}

void ViewTest::SetUp() {
  copyData = false;
  ProgramTest::SetUp();
  // The views' tests put any value at any address: a chip that keeps every bit.
  sim.board.chip.ImplementEveryBit();
  StartProgram();
}

void ViewTest::Define(const QByteArray& definition) {
  WriteFile("MxSel.INC", "T.INC TEST 1K\r\n");
  WriteFile("Include/T.INC", definition);
  prog->G.Channels[0].ProductIndex = 0;
  ASSERT_TRUE(prog->Option->GetSELUP());
}

void ViewTest::Connect() {
  ASSERT_TRUE(prog->Transport.OpenDevice(G().Channels[0].Devc));
  sim.board.ClearLog();
}

std::vector<std::string> ViewTest::SentText() const {
  std::vector<std::string> out;
  for (const Bytes& p : Sent()) out.push_back(PacketText(p));
  return out;
}
