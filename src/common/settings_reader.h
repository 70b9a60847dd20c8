#pragma once
// Reading and writing the plain-text settings files: one value a line, numbers as
// words, texts as whole lines.
//
// SettingsReader reads the main configuration and the other program files by their
// conventions: a number is the next word after blanks, TABs and line ends; past the
// end of the file a number reads as 0 and a text as empty; a word that is not an
// integer raises the input error "Invalid numeric format".
//
// PanelSettingsReader reads a panel's settings file strictly line by line: each field
// has its own line, and a line that does not read, or a field the file ends before,
// costs only that field, which keeps what it held; what was met is noted so that the
// user can be told once.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

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

private:
  explicit SettingsReader(QString text) : text_(std::move(text)) {}
  QString text_;
  qsizetype pos_ = 0;
};

// What reading a panel's settings file met that the user is told about.
struct SettingsFileFaults {
  QList<int> BadLines;  // number lines (1-based, in file order) that were empty, blank or no integer
  int Lines = 0;        // the lines the file holds
  int LastWanted = 0;   // the last line a field was read from, or wanted
  bool Short() const { return LastWanted > Lines; }
  bool Clean() const { return BadLines.isEmpty() && !Short(); }
};

class PanelSettingsReader {
public:
  // Reads the whole file, a UTF-8 byte-order mark at its start passed over; throws
  // EInOutError when it cannot be read.
  static PanelSettingsReader Open(const QString& path);
  static PanelSettingsReader FromText(const QString& text);

  // The next line as a number: the integer word at its start after blanks, the rest
  // of the line skipped. An empty or blank line, or a word that is not an integer,
  // leaves `field` as it is and is noted as a bad line; past the end of the file
  // `field` is left as it is too.
  void Int(int& field);
  // The next line whole (an empty line is an empty text); past the end of the file
  // `field` is left as it is.
  void Text(QString& field);

  const SettingsFileFaults& Faults() const { return faults_; }

private:
  explicit PanelSettingsReader(const QString& text);
  // The next line; null past the end of the file.
  const QString* NextLine();
  QStringList lines_;
  SettingsFileFaults faults_;
};

// What the user is told about the lines of the settings file `fileName` whose number
// could not be read: the file, the lines (the first few and a count of the rest) and
// that only those settings kept their defaults. Empty when there are none.
QString BadNumberLinesMessage(const QString& fileName, const QList<int>& lines);
// One message for all that reading `fileName` met: its bad lines, then, when it ended
// early, after which line and that the settings past it kept their defaults. Empty
// when the file was read clean.
QString SettingsFileMessage(const QString& fileName, const SettingsFileFaults& faults);
// Told with the error of a settings file that exists but could not be read: the
// file is left as it is at close.
QString KeptUnreadText(const QString& fileName);

// Right-aligns a decimal integer in a field of `width` characters (a longer number
// is written whole; width 0 gives the digits alone).
QString IntW(long long value, int width);
// "TRUE" or "FALSE".
inline QString BoolText(bool b) { return b ? QStringLiteral("TRUE") : QStringLiteral("FALSE"); }
