#include "common/text_encoding.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cerrno>
#include <cstring>

#include "common/errors.h"

QString DecodeBig5(const QByteArray& bytes) {
  QStringDecoder dec("Big5");
  if (!dec.isValid()) return QString::fromLatin1(bytes);
  return dec.decode(bytes);
}

QByteArray EncodeBig5(const QString& text) {
  QStringEncoder enc("Big5");
  if (!enc.isValid()) return text.toLatin1();
  return enc.encode(text);
}

bool Big5CodecPresent() { return QStringEncoder("Big5").isValid() && QStringDecoder("Big5").isValid(); }

QStringList SplitLines(const QString& text) {
  QStringList lines = text.split('\n');
  for (QString& l : lines)
    if (l.endsWith('\r')) l.chop(1);
  // A final line end does not start another line.
  if (!lines.isEmpty() && lines.last().isEmpty() && text.endsWith('\n')) lines.removeLast();
  return lines;
}

QByteArray ReadFileBytes(const QString& path) {
  const QString cannot = "Cannot open file \"" + path + "\". ";
  auto refuse = [&](const struct stat& st) {
    throw EInOutError(cannot + (S_ISDIR(st.st_mode) ? "It is a folder." : "It is not a regular file."));
  };
  // What is not a regular file is refused before it is opened; the open does not
  // wait, and what was opened is looked at again, in case the name changed hands.
  const QByteArray name = QFile::encodeName(path);
  struct stat st {};
  if (::stat(name.constData(), &st) == 0 && !S_ISREG(st.st_mode)) refuse(st);
  const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw EInOutError(cannot + QString::fromLocal8Bit(std::strerror(errno)));
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    refuse(st);
  }
  QFile f;
  if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    throw EInOutError(cannot + f.errorString());
  }
  QByteArray bytes = f.readAll();
  if (f.error() != QFileDevice::NoError) throw EInOutError("Cannot read file \"" + path + "\". " + f.errorString());
  if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
  return bytes;
}

QStringList ReadTextLines(const QString& path) { return SplitLines(DecodeBig5(ReadFileBytes(path))); }

QByteArray TextFileBytes(const QStringList& lines) {
  QByteArray out;
  for (const QString& l : lines) {
    out += EncodeBig5(l);
    out += "\r\n";
  }
  return out;
}

void WriteTextLines(const QString& path, const QStringList& lines) { WriteFileBytes(path, TextFileBytes(lines)); }

void WriteFileBytes(const QString& path, const QByteArray& bytes) {
  QString why;
  if (!TryWriteFileBytes(path, bytes, why)) throw EInOutError("Cannot create file \"" + path + "\". " + why);
}

bool TryWriteFileBytes(const QString& path, const QByteArray& bytes, QString& why) {
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly)) {
    why = f.errorString();
    return false;
  }
  // The buffer is written out and checked before the rename: a commit does not see a
  // flush that stopped part-way (a full disk) and would put the cut file in place.
  errno = 0;
  if (f.write(bytes) != bytes.size() || !f.flush() || !f.commit()) {
    const QString reason = errno != 0 ? QString::fromLocal8Bit(std::strerror(errno)) : f.errorString();
    throw EInOutError("Cannot write file \"" + path + "\". " + reason);  // the temporary file is discarded
  }
  return true;
}
