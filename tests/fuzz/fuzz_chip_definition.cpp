// The chip definition parsed and applied to a running program: every window that
// listens to the parse takes what concerns it, then the register-driven windows
// refresh and Read Chip reads the registers the new model declares.
//
// Input: the include file; or the product list "MxSel.INC", a line "=====", and the
// include file. The include file is written as "Include/MX7406.INC", the file the
// shipped product list names.
#include <QFile>

#include "fuzz_host.h"
#include "link/mx_up.h"
#include "shell/main_panel.h"
#include "shell/setup_dialog.h"

// The program starts before the first input, outside its time limit.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzProgram::Shared();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzProgram& host = FuzzProgram::Shared();
  static const QByteArray shippedList = host.Folder().Get("MxSel.INC");
  Program& p = host.P();

  const QList<QByteArray> parts = InputParts(InputBytes(data, size), 2);
  host.Folder().Put("MxSel.INC", parts.size() == 2 ? parts[0] : shippedList);
  host.Folder().Put("Include/MX7406.INC", parts.last());
  p.G.Channels[0].ProductIndex = 0;
  Quietly([&] {
    p.Option->GetSELUP();
    p.Mx_UP->RunRefreshChain();
    p.MainPanel->Menu_ReadChipClick();
  });
  host.Tidy();
  return 0;
}
