// The shared writer of whole files: a file is replaced whole or not at all.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "common/errors.h"
#include "common/text_encoding.h"
#include "support/file_faults.h"

namespace {

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A write that a full disk stops part-way: whether the bytes wait in the file's buffer
// until the end or go out at once, the earlier file stays as it was, no temporary file
// is left, and the error names the file and the reason.
TEST(WriteTextLines, AWriteStoppedPartWayLeavesTheEarlierFileWhole) {
  QTemporaryDir dir;
  const QString path = dir.filePath("settings.txt");
  const QByteArray earlier = "an earlier\r\nwhole file\r\n";
  for (int lineCount : {100, 5000}) {  // about 2 KB and 100 KB of 20-byte lines
    SCOPED_TRACE(lineCount);
    {
      QFile f(path);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write(earlier);
    }
    const QStringList lines(lineCount, "0123456789, 0123456");
    {
      FileSizeLimit limit(1000);
      try {
        WriteTextLines(path, lines);
        ADD_FAILURE() << "no error";
      } catch (const EInOutError& e) {
        EXPECT_EQ(e.Text(), "Cannot write file \"" + path + "\". File too large");
      }
    }
    EXPECT_EQ(Read(path), earlier);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"settings.txt"});

    // With room, the new file replaces the earlier one whole.
    WriteTextLines(path, lines);
    EXPECT_EQ(Read(path), QByteArray("0123456789, 0123456\r\n").repeated(lineCount));
  }
}

}  // namespace
