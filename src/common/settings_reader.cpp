#include "common/settings_reader.h"

#include "common/errors.h"
#include "common/text_encoding.h"

SettingsReader SettingsReader::Open(const QString& path) { return SettingsReader(DecodeBig5(ReadFileBytes(path))); }

SettingsReader SettingsReader::FromText(const QString& text) { return SettingsReader(text); }

static bool Blank(QChar c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

int SettingsReader::ReadInt() {
  while (pos_ < text_.size() && Blank(text_[pos_])) ++pos_;
  if (pos_ >= text_.size()) return 0;
  qsizetype start = pos_;
  while (pos_ < text_.size() && !Blank(text_[pos_])) ++pos_;
  bool ok = false;
  int v = text_.mid(start, pos_ - start).toInt(&ok, 10);
  if (!ok) throw EInOutError("Invalid numeric format");
  return v;
}

void SettingsReader::SkipLine() {
  while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
  if (pos_ < text_.size()) ++pos_;
}

QString SettingsReader::ReadText() {
  qsizetype start = pos_;
  while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
  QString line = text_.mid(start, pos_ - start);
  if (line.endsWith('\r')) line.chop(1);
  if (pos_ < text_.size()) ++pos_;
  return line;
}

QString IntW(long long value, int width) { return QString::number(value).rightJustified(width, ' '); }
