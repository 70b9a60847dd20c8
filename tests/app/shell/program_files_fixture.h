#pragma once
// A Program on a folder that each case starts afresh, for the tests of the program's
// own files: the shipped data only, and the messages shown since.

#include <QDir>
#include <QFile>
#include <QStringList>

#include "app/support/program_fixture.h"

class ProgramFiles : public ProgramTest {
protected:
  // A fresh program folder with the shipped data and nothing shown yet.
  void FreshFolder() {
    StopProgram();
    ASSERT_TRUE(QDir(dir.path()).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(dir.path()));
    CopyShippedData(dir.path());
    sim.dialogs.messages.clear();
  }
  // A folder in a file's place: neither readable nor writable, also for root.
  void Block(const QString& name) {
    QFile::remove(Path(name));
    ASSERT_TRUE(QDir().mkpath(Path(name)));
  }
  QStringList Messages() const {
    QStringList texts;
    for (const auto& m : sim.dialogs.messages) texts << m.text;
    return texts;
  }
};
