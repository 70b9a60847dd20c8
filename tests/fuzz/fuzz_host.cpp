#include "fuzz_host.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include "link/mx_up.h"
#include "shell/main_panel.h"
#include "shell/setup_dialog.h"

QByteArray InputBytes(const uint8_t* data, size_t size) {
  return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

QList<QByteArray> InputParts(const QByteArray& input, int count) {
  QList<QByteArray> parts;
  qsizetype lineStart = 0, partStart = 0;
  while (parts.size() < count - 1) {
    const qsizetype nl = input.indexOf('\n', lineStart);
    if (nl < 0) break;
    QByteArrayView line(input.constData() + lineStart, nl - lineStart);
    if (line.endsWith('\r')) line.chop(1);
    if (line == "=====") {
      parts << input.mid(partStart, lineStart - partStart);
      partStart = nl + 1;
    }
    lineStart = nl + 1;
  }
  parts << input.mid(partStart);
  return parts;
}

void ExpectReadsBack(const char* name, const QByteArray& written, const QByteArray& again) {
  if (written == again) return;
  fprintf(stderr, "%s does not read back what was written:\n--- written\n%s\n--- written after reading it\n%s\n",
          name, written.constData(), again.constData());
  abort();
}

void EnsureApplication() {
  static int argc = 1;
  static char name[] = "mx-fuzz";
  static char* argv[] = {name, nullptr};
  if (QCoreApplication::instance()) return;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  QApplication::setApplicationName("mx-enob");
}

FuzzFolder::FuzzFolder() {
  if (!dir_.isValid()) qFatal("no temporary folder");
}

QString FuzzFolder::Path(const QString& name) const { return dir_.filePath(name); }

void FuzzFolder::Put(const QString& name, const QByteArray* bytes) const {
  const QString p = Path(name);
  if (!bytes) {
    QFile::remove(p);
    return;
  }
  QDir().mkpath(QFileInfo(p).path());
  QFile f(p);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(*bytes) != bytes->size())
    qFatal("cannot write %s", qPrintable(p));
}

QByteArray FuzzFolder::Get(const QString& name) const {
  QFile f(Path(name));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

FuzzProgram::FuzzProgram(SerialServices* serial) {
  EnsureApplication();
  QDir data(MX_DATA_DIR);
  QDirIterator it(data.path(), QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString from = it.next();
    QFile f(from);
    if (!f.open(QIODevice::ReadOnly)) qFatal("cannot read %s", qPrintable(from));
    folder_.Put(data.relativeFilePath(from), f.readAll());
  }
  Platform platform = sim_.platform;
  if (serial) platform.serial = serial;
  prog_ = std::make_unique<Program>(folder_.Path(""), platform);
  prog_->Start();
  prog_->MainPanel->USBScanClick();
  Tidy();
}

FuzzProgram::~FuzzProgram() = default;

FuzzProgram& FuzzProgram::Shared(SerialServices* serial) {
  static FuzzProgram program(serial);
  return program;
}

void FuzzProgram::Tidy() {
  sim_.board.ClearLog();
  ScriptedDialogs& d = sim_.dialogs;
  d.messages.clear();
  d.answers.clear();
  d.openAnswers.clear();
  d.saveAnswers.clear();
  d.fileRequests.clear();
  d.opened.clear();
  d.colorAnswers.clear();
}
