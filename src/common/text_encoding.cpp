#include "common/text_encoding.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

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

QStringList SplitLines(const QString& text) {
  QStringList lines = text.split('\n');
  for (QString& l : lines)
    if (l.endsWith('\r')) l.chop(1);
  // A final line end does not start another line.
  if (!lines.isEmpty() && lines.last().isEmpty() && text.endsWith('\n')) lines.removeLast();
  return lines;
}

QStringList ReadTextLines(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) throw EInOutError("Cannot open file \"" + path + "\". " + f.errorString());
  return SplitLines(DecodeBig5(f.readAll()));
}

void WriteTextLines(const QString& path, const QStringList& lines) {
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly)) throw EInOutError("Cannot create file \"" + path + "\". " + f.errorString());
  QByteArray out;
  for (const QString& l : lines) {
    out += EncodeBig5(l);
    out += "\r\n";
  }
  f.write(out);
  if (!f.commit()) throw EInOutError("Cannot write file \"" + path + "\". " + f.errorString());
}
