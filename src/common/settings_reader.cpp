#include "common/settings_reader.h"

#include <QStringList>
#include <algorithm>

#include "common/errors.h"
#include "common/text_encoding.h"

SettingsReader SettingsReader::Open(const QString& path) { return SettingsReader(DecodeBig5(ReadFileBytes(path))); }

SettingsReader SettingsReader::FromText(const QString& text) { return SettingsReader(text); }

namespace {
bool Blank(QChar c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

// The word at `pos` after blanks, `pos` moved past it; empty at the end of the text.
QStringView WordAt(QStringView text, qsizetype& pos) {
  while (pos < text.size() && Blank(text[pos])) ++pos;
  const qsizetype start = pos;
  while (pos < text.size() && !Blank(text[pos])) ++pos;
  return text.sliced(start, pos - start);
}
}  // namespace

int SettingsReader::ReadInt() {
  const QStringView word = WordAt(text_, pos_);
  if (word.isEmpty()) return 0;
  bool ok = false;
  const int v = word.toInt(&ok, 10);
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

// ---- panel settings files ----

PanelSettingsReader PanelSettingsReader::Open(const QString& path) {
  // ReadFileBytes leaves out a byte-order mark an editor may have saved before line 1.
  return PanelSettingsReader(DecodeBig5(ReadFileBytes(path)));
}

PanelSettingsReader PanelSettingsReader::FromText(const QString& text) { return PanelSettingsReader(text); }

PanelSettingsReader::PanelSettingsReader(const QString& text) {
  // An empty file holds no line at all.
  if (!text.isEmpty()) lines_ = SplitLines(text);
  faults_.Lines = static_cast<int>(lines_.size());
}

const QString* PanelSettingsReader::NextLine() {
  const int index = faults_.LastWanted++;
  return index < lines_.size() ? &lines_[index] : nullptr;
}

void PanelSettingsReader::Int(int& field) {
  const QString* line = NextLine();
  if (!line) return;
  qsizetype pos = 0;
  bool ok = false;
  const int v = WordAt(*line, pos).toInt(&ok, 10);
  if (ok)
    field = v;
  else
    faults_.BadLines << faults_.LastWanted;
}

void PanelSettingsReader::Text(QString& field) {
  if (const QString* line = NextLine()) field = *line;
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

QString SettingsFileMessage(const QString& fileName, const SettingsFileFaults& faults) {
  QStringList parts;
  if (!faults.BadLines.isEmpty()) parts << BadNumberLinesMessage(fileName, faults.BadLines);
  if (faults.Short()) {
    const int first = faults.Lines + 1, last = faults.LastWanted;
    const QString missing = first == last ? "the setting of line " + QString::number(first) + " keeps its default."
                                          : "the settings of lines " + QString::number(first) + " to " +
                                                QString::number(last) + " keep their defaults.";
    parts << (faults.Lines == 0 ? fileName + " is empty: every setting keeps its default."
                                : fileName + " ends after line " + QString::number(faults.Lines) + ": " + missing);
  }
  return parts.join('\n');
}

QString KeptUnreadText(const QString& fileName) {
  return fileName + " is kept as it is: it is not written at close.";
}
