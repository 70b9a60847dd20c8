// The program's own files when they cannot be written: the close writes every file
// it can, and each failure is shown naming its file.
#include <QDir>
#include <QFileInfo>

#include "shell/main_panel.h"
#include "support/program_fixture.h"

namespace {

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

// The files the close writes: the main window's two, the panels' settings and the
// window placements.
const char* const kCloseFiles[] = {"MxADC.cfg",          "StepADC.txt",     "MxIQFormSet.txt",
                                   "bodyFatFormSet.txt", "WaveformSet.txt", "mx-enob.wst"};

TEST_F(ProgramFiles, CloseWritesEveryFileItCanAndNamesTheOneItCannot) {
  for (const char* blocked : kCloseFiles) {
    SCOPED_TRACE(blocked);
    FreshFolder();
    StartProgram();
    for (const char* f : kCloseFiles) QFile::remove(Path(f));
    Block(blocked);
    sim.dialogs.messages.clear();

    prog->Close();
    const QStringList shown = Messages();
    ASSERT_EQ(shown.size(), 1) << shown.join(" | ").toStdString();
    EXPECT_TRUE(shown[0].contains(blocked)) << shown[0].toStdString();
    for (const char* f : kCloseFiles) {
      if (QString(f) == blocked) continue;
      EXPECT_GT(QFileInfo(Path(f)).size(), 0) << f << " not written";
    }
    EXPECT_TRUE(QFileInfo(Path(blocked)).isDir());
    // The close went on to the end: every panel was hidden.
    for (const auto& p : prog->HideOrder()) EXPECT_EQ(dynamic_cast<FormHandlers*>(p.form)->CloseRuns, 2);
    StopProgram();
    EXPECT_EQ(sim.dialogs.messages.size(), 1);  // nothing more at the destroy
  }
}

TEST_F(ProgramFiles, DestroyWithoutStartUpShowsTheUnwritableFile) {
  // The destructor closes a program whose start-up step never ran; the failed write
  // is shown, nothing escapes the destructor.
  StartProgram(false);
  Block("MxADC.cfg");
  StopProgram();
  ASSERT_EQ(sim.dialogs.messages.size(), 1);
  EXPECT_TRUE(sim.dialogs.messages[0].text.contains("MxADC.cfg"));
  EXPECT_GT(QFileInfo(Path("StepADC.txt")).size(), 0);
}

}  // namespace
