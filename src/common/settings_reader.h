#pragma once
// Reading and writing the plain-text settings files: one value a line, numbers as
// words, texts as whole lines.
//
// Reading follows the files' conventions: a number is the next word after blanks,
// TABs and line ends; past the end of the file a number reads as 0 and a text as
// empty; a word that is not an integer raises the input error "Invalid numeric format"
// (ReadInt), or, for the panels' settings, costs only its own value (ReadIntLine into a
// field), the line noted so that the user can be told.

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

class SettingsReader {
public:
  // Reads the whole file; throws EInOutError when it cannot be opened.
  static SettingsReader Open(const QString& path);
  static SettingsReader FromText(const QString& text);

  // True when nothing but the end of the file follows the current position.
  bool Eof() const { return pos_ >= text_.size(); }
  // The next word as a decimal integer (optional sign).
  int ReadInt();
  // Skips the rest of the current line, line end included.
  void SkipLine();
  // The rest of the current line (without its end); moves to the next line.
  QString ReadText();
  // A whole line read as a Boolean: true when it equals "TRUE" without regard to case.
  bool ReadBoolLine() { return ReadText().toUpper() == "TRUE"; }
  // A number, then the rest of its line skipped.
  int ReadIntLine() {
    int v = ReadInt();
    SkipLine();
    return v;
  }
  // A number into `field`, then the rest of its line skipped. A word that is not an
  // integer leaves `field` as it is and its line is noted in BadLines(); the reading
  // goes on with the next line.
  void ReadIntLine(int& field);
  // The lines (1-based) whose number ReadIntLine(field) could not read, in file order.
  const QList<int>& BadLines() const { return badLines_; }

private:
  explicit SettingsReader(QString text) : text_(std::move(text)) {}
  // The next word as an integer; nothing when it is not one (0 past the end).
  std::optional<int> NextInt();
  QString text_;
  qsizetype pos_ = 0;
  qsizetype wordStart_ = 0;  // where the word NextInt last took begins
  QList<int> badLines_;
};

// What the user is told about the lines of the settings file `fileName` whose number
// could not be read: the file, the lines (the first few and a count of the rest) and
// that only those settings kept their defaults. Empty when there are none.
QString BadNumberLinesMessage(const QString& fileName, const QList<int>& lines);

// Right-aligns a decimal integer in a field of `width` characters (a longer number
// is written whole; width 0 gives the digits alone).
QString IntW(long long value, int width);
// "TRUE" or "FALSE".
inline QString BoolText(bool b) { return b ? QStringLiteral("TRUE") : QStringLiteral("FALSE"); }
