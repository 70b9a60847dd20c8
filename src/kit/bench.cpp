#include "kit/bench.h"

#include <QCoreApplication>
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
  Plat.dialogs->MessageBox(MainWindow, text, QCoreApplication::applicationName(), MB_OK);
}

bool Bench::Attempt(const std::function<void()>& step) const {
  try {
    step();
    return true;
  } catch (const std::exception& e) {
    ShowError(QString::fromStdString(e.what()));
  } catch (...) {
    ShowError("Unknown error");
  }
  return false;
}
