// The window placement file: any content is read without harm, and what the store
// writes reads back: the file written after a read, read and written again, is the
// same file.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "fuzz_host.h"
#include "shell/placement_store.h"

namespace {
void Print(const char* what, const TRestoreWin::Node& n) {
  fprintf(stderr, "%s: name %s, %d %d %d %d, state %d, shown %d\n", what, n.Name.toUtf8().toHex(' ').constData(),
          n.Left, n.Top, n.Width, n.Height, n.WindowState, n.Shown);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TRestoreWin read(QStringLiteral("/nonexistent/mx-enob"));
  read.Parse(InputBytes(data, size));
  const QByteArray written = read.Serialize();
  TRestoreWin back(QStringLiteral("/nonexistent/mx-enob"));
  back.Parse(written);
  if (back.Serialize() == written) return 0;

  const QList<TRestoreWin::Node>& a = read.PlacementTable;
  const QList<TRestoreWin::Node>& b = back.PlacementTable;
  fprintf(stderr, "the placement file does not read back what was written (%d windows written, %d read back):\n%s\n",
          int(a.size()), int(b.size()), written.constData());
  for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i) {
    if (i < a.size()) Print("written", a[i]);
    if (i < b.size()) Print("read back", b[i]);
  }
  abort();
}
