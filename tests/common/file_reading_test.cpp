// The shared reader of whole files: only a regular file is read, and nothing waits.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "common/errors.h"
#include "common/text_encoding.h"
#include "support/fifos_in_place.h"

TEST(ReadFileBytes, ReadsOnlyRegularFiles) {
  QTemporaryDir dir;
  const QString file = dir.filePath("a.txt");
  {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("one\r\ntwo\xA5\x40");
  }
  EXPECT_EQ(ReadFileBytes(file), QByteArray("one\r\ntwo\xA5\x40"));
  EXPECT_EQ(ReadTextLines(file).value(0), "one");

  ASSERT_TRUE(QDir().mkdir(dir.filePath("folder")));
  FifosInPlace fifo({dir.filePath("fifo")});
  ASSERT_TRUE(fifo.Made());
  const struct {
    QString path;
    QString reason;
  } refused[] = {
      {dir.filePath("missing"), "No such file or directory"},
      {dir.filePath("folder"), "It is a folder."},
      {dir.filePath("fifo"), "It is not a regular file."},
      {"/dev/null", "It is not a regular file."},  // a device
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(c.path.toStdString());
    try {
      ReadFileBytes(c.path);
      ADD_FAILURE() << "read";
    } catch (const EInOutError& e) {
      EXPECT_EQ(e.Text(), "Cannot open file \"" + c.path + "\". " + c.reason);
    }
  }
  EXPECT_FALSE(fifo.Freed());
}

// A UTF-8 byte-order mark an editor saved is no part of the text: only the exact three
// bytes EF BB BF at the very start, once; every other start, Big5 included, is kept.
TEST(ReadFileBytes, LeavesOutAByteOrderMarkAtTheStart) {
  QTemporaryDir dir;
  const QString file = dir.filePath("a.txt");
  const struct {
    QByteArray content, read;
  } cases[] = {
      {"\xEF\xBB\xBF" "one\r\n", "one\r\n"},
      {"\xEF\xBB\xBF", ""},
      {"\xEF\xBB\xBF\xEF\xBB\xBF" "1", "\xEF\xBB\xBF" "1"},  // one mark only
      {"\xEF\xBB" "1", "\xEF\xBB" "1"},                      // not the whole mark
      {"\xEF\xBB\xBE" "1", "\xEF\xBB\xBE" "1"},
      {" \xEF\xBB\xBF" "1", " \xEF\xBB\xBF" "1"},            // not at the start
      {"1\r\n\xEF\xBB\xBF" "2", "1\r\n\xEF\xBB\xBF" "2"},
      {"\xA5\x40\xEF\xBB\xBF", "\xA5\x40\xEF\xBB\xBF"},      // Big5 first
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.content.toHex(' ').toStdString());
    {
      QFile f(file);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
      f.write(c.content);
    }
    EXPECT_EQ(ReadFileBytes(file), c.read);
  }
  {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("\xEF\xBB\xBF" "\xB4\xFA\xB8\xD5\r\n2\n");  // Big5 after the mark
  }
  EXPECT_EQ(ReadTextLines(file), QStringList({QString::fromUtf8("測試"), "2"}));
}
