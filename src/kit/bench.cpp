#include "kit/bench.h"

#include <QApplication>
#include <QDir>

#include "platform/dialogs.h"

namespace {
QString WithSlash(QString dir) {
  dir = QDir::fromNativeSeparators(dir);
  if (!dir.endsWith('/')) dir += '/';
  return dir;
}
}  // namespace

Bench::Bench(const QString& programDir, const Platform& platform, const QString& exeName)
    : Plat(platform),
      ExeDir(WithSlash(programDir)),
      ExeName(exeName),
      Transport(*platform.usb, G),
      ChipDef(G, ExeDir) {
  G.IncludeDir = ExeDir;
}

void Bench::ShowError(const QString& text) const {
  QWidget* over = QApplication::activeWindow();
  Plat.dialogs->MessageBox(over ? over : MainWindow, text, QCoreApplication::applicationName(), MB_OK);
}
