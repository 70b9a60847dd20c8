// The temperature test's files written in one go (the summary, the snapshots, the raw
// captures) on a disk that fills up part-way: the earlier file stays whole and the user
// is told which file could not be written.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <functional>

#include "common/errors.h"
#include "instruments/step_grid.h"
#include "instruments/temperature_test.h"
#include "app/support/program_fixture.h"
#include "support/file_faults.h"

namespace {

class TemperatureResultFiles : public ProgramTest {
protected:
  void SetUp() override {
    ProgramTest::SetUp();
    StartProgram();
    tmp = prog->TMP;
    tmp->CADCBRY->setCurrentIndex(1);  // "ADC": no meter files
  }
  // The temperature test's files in the program folder, temporary ones included.
  QStringList FilesWritten() const { return QDir(dir.path()).entryList({"MxTEMP*"}, QDir::Files | QDir::Hidden); }
  // What the user is told of a write that failed, "" when nothing failed.
  template <typename F>
  QString ErrorOf(F act) {
    try {
      act();
    } catch (const EInOutError& e) {
      return e.Text();
    }
    return {};
  }
  TTMP* tmp = nullptr;
};

// Each writer in turn, its file already there from an earlier run, with less room left
// than the new file takes.
TEST_F(TemperatureResultFiles, AFileThatDoesNotFitLeavesTheEarlierOneWhole) {
  ASSERT_TRUE(QDir(dir.path()).mkdir("TEMP"));
  const QString raw = "TEMP/MxTMP-0.CSV";
  const struct {
    const char* writer;
    QString file;
    std::function<void()> write;
  } cases[] = {
      {"summary", "MxTEMPA.CSV", [this] { tmp->SaveOutA(); }},
      {"SaveData", "MxTEMPB.CSV", [this] { tmp->ENSaveClick(); }},
      {"raw capture", raw, [this, raw] { tmp->SaveCaptureFile(Path(raw)); }},
  };
  const QByteArray earlier = "Test #0, , , \r\nan earlier whole file\r\n";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.writer);
    WriteFile(c.file, earlier);
    const QStringList before = FilesWritten();
    QString told;
    {
      FileSizeLimit limit(40);  // each file is longer: its title line alone is
      told = ErrorOf(c.write);
    }
    EXPECT_EQ(told, "Cannot write file \"" + Path(c.file) + "\". File too large");
    EXPECT_EQ(ReadFile(c.file), earlier);
    EXPECT_EQ(FilesWritten(), before);  // no temporary file, no fallback
    EXPECT_EQ(QDir(Path("TEMP")).entryList(QDir::Files | QDir::Hidden).size(), c.file == raw ? 1 : 0);

    // With room, the file is replaced.
    EXPECT_EQ(ErrorOf(c.write), "");
    EXPECT_NE(ReadFile(c.file), earlier);
  }
}

// A single test whose summary at the end does not fit: the run has ended (streams closed,
// controls enabled again) and says so, and the summary of the earlier run is whole.
TEST_F(TemperatureResultFiles, ASummaryThatDoesNotFitAtTheEndOfARun) {
  // Two modes, each writing register 3Ch.
  tmp->EModenum->setText("4");
  tmp->EModenumKeyPress(QChar(13));
  for (int r = 0; r < 3; ++r) tmp->RegChg->SetCells(1, r, r == 0 ? "3C" : "11");
  tmp->TTest->click();
  ASSERT_EQ(tmp->ModeCount, 2);
  const qint64 snapshot = QFile(Path("MxTEMPFOVER.CSV")).size();
  const QByteArray summary = ReadFile("MxTEMPA.CSV");
  // The snapshots after each pass fit in the room left, the summary (each row with the
  // step's temperature and humidity before it) does not.
  const qint64 room = (snapshot + summary.size()) / 2;
  ASSERT_GT(snapshot, 0);
  ASSERT_LT(snapshot, room);
  ASSERT_GT(summary.size(), room);

  WriteFile("MxTEMPA.CSV", "an earlier whole summary\r\n");
  QString told;
  {
    FileSizeLimit limit(static_cast<rlim_t>(room));
    told = ErrorOf([this] { tmp->TTestClick(); });
  }
  EXPECT_EQ(told, "Cannot write file \"" + Path("MxTEMPA.CSV") + "\". File too large");
  EXPECT_EQ(ReadFile("MxTEMPA.CSV"), "an earlier whole summary\r\n");
  EXPECT_EQ(ReadFile("MxTEMPFOVER.CSV").size(), snapshot);
  EXPECT_FALSE(tmp->FileB.IsOpen());
  EXPECT_FALSE(tmp->Running);
  EXPECT_TRUE(tmp->TTest->isEnabled());
  EXPECT_TRUE(tmp->TBg->isEnabled());
}

}  // namespace
