#include "shell/hex_keypad.h"

TMxPopSelHex::TMxPopSelHex(Program& program, QWidget* parent)
    : TDialogForm(program, "MxPopSelHex", QString(), parent) {
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
}

void TMxPopSelHex::FormCreate() {}
