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
