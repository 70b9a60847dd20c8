#pragma once
// Text files hold Big5 for anything beyond ASCII; these convert at the file boundary.

#include <QByteArray>
#include <QString>
#include <QStringList>

// Without a Big5 codec in the toolkit, both fall back to Latin-1: every character
// beyond it (every Chinese text, the signs ℃, ℉ and Ω) is written as '?'.
QString DecodeBig5(const QByteArray& bytes);
QByteArray EncodeBig5(const QString& text);
// Whether the toolkit has the Big5 codec both use.
bool Big5CodecPresent();

// Splits file content into lines, accepting CR LF or LF endings.
QStringList SplitLines(const QString& text);

// The bytes of a whole file. A path that cannot be opened or read, or that is not a
// regular file (a folder, a FIFO, a device: opening a FIFO waits for a writer, a
// device may never end), raises EInOutError "Cannot open file ..." with the reason.
// Every file the program reads is a text file and is read here: a UTF-8 byte-order
// mark (exactly EF BB BF at the very start, as an editor may save it) is no part of
// the text and is left out; any other first bytes (Big5 included) are kept.
QByteArray ReadFileBytes(const QString& path);
// Reads a whole text file (Big5) into lines; throws EInOutError when it cannot be read.
QStringList ReadTextLines(const QString& path);
// The bytes of a text file of these lines: Big5, each line ended by CR LF.
QByteArray TextFileBytes(const QStringList& lines);
// Writes lines with CR LF endings through a temporary file renamed over the target,
// so a failed write leaves the previous file; throws EInOutError on failure.
void WriteTextLines(const QString& path, const QStringList& lines);
// Writes a whole file the same way.
void WriteFileBytes(const QString& path, const QByteArray& bytes);
// The same, for a writer with a second name to try: when the temporary file cannot be
// created, false with the reason in `why` and nothing changed. A write or rename that
// fails still throws, the previous file left as it was.
bool TryWriteFileBytes(const QString& path, const QByteArray& bytes, QString& why);
