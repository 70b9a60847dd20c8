#include "common/settings_reader.h"

#include <QStringList>
#include <algorithm>

#include "common/errors.h"
#include "common/text_encoding.h"

SettingsReader SettingsReader::Open(const QString& path) { return SettingsReader(DecodeBig5(ReadFileBytes(path))); }

SettingsReader SettingsReader::FromText(const QString& text) { return SettingsReader(text); }

static bool Blank(QChar c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

std::optional<int> SettingsReader::NextInt() {
  while (pos_ < text_.size() && Blank(text_[pos_])) ++pos_;
  wordStart_ = pos_;
  if (pos_ >= text_.size()) return 0;
  while (pos_ < text_.size() && !Blank(text_[pos_])) ++pos_;
  bool ok = false;
  const int v = QStringView(text_).sliced(wordStart_, pos_ - wordStart_).toInt(&ok, 10);
  if (!ok) return std::nullopt;
  return v;
}

int SettingsReader::ReadInt() {
  const std::optional<int> v = NextInt();
  if (!v) throw EInOutError("Invalid numeric format");
  return *v;
}

void SettingsReader::ReadIntLine(int& field) {
  if (const std::optional<int> v = NextInt())
    field = *v;
  else
    badLines_ << static_cast<int>(QStringView(text_).first(wordStart_).count(u'\n')) + 1;
  SkipLine();
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

QString BadNumberLinesMessage(const QString& fileName, const QList<int>& lines) {
  if (lines.isEmpty()) return {};
  // A damaged file can have many such lines: the first few name where to look.
  constexpr qsizetype listed = 5;
  QStringList shown;
  for (qsizetype i = 0; i < std::min(lines.size(), listed); ++i) shown << QString::number(lines[i]);
  QString where;
  if (lines.size() == 1)
    where = "line " + shown[0];
  else if (lines.size() <= listed)
    where = "lines " + shown.mid(0, shown.size() - 1).join(", ") + " and " + shown.last();
  else
    where = "lines " + shown.join(", ") + " and " + QString::number(lines.size() - listed) + " more";
  return "Invalid numeric format in " + where + " of " + fileName + ".\n" +
         (lines.size() == 1 ? "That setting keeps its default; the other lines are read."
                            : "Those settings keep their defaults; the other lines are read.");
}

QString IntW(long long value, int width) { return QString::number(value).rightJustified(width, ' '); }
