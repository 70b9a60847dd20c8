// The program's own files when they cannot be read or written: the start-up goes on
// and the main window shows, the close writes every file it can, and each failure is
// shown naming its file. A panel's settings file with a damaged line loses only that
// line.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <functional>
#include <optional>

#include "block_panels/wave_generator.h"
#include "impedance/bodyfat_test_window.h"
#include "impedance/iq_test_window.h"
#include "shell/main_panel.h"
#include "shell/setup_dialog.h"
#include "support/fifos_in_place.h"
#include "program_files_fixture.h"

namespace {

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

// A folder in a file's place, or a FIFO (whose open for reading would wait for a
// writer for ever): the file is reported as one that cannot be read, and the program
// starts without it and closes.
TEST_F(ProgramFiles, StartUpGoesOnPastFilesItCannotRead) {
  struct Case {
    const char* file;
    bool shownAtStartUp;  // the placement file is read silently
  };
  const Case cases[] = {{"MxAppName.cfg", true},      {"MxSel.INC", true},       {"Include/MX7406.INC", true},
                        {"MxADC.cfg", true},          {"StepADC.txt", true},     {"MxIQFormSet.txt", true},
                        {"bodyFatFormSet.txt", true}, {"WaveformSet.txt", true}, {"mx-enob.wst", false}};
  for (const bool fifo : {false, true})
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.file << (fifo ? " as a FIFO" : " as a folder"));
      FreshFolder();
      std::optional<FifosInPlace> fifos;
      if (fifo) {
        fifos.emplace(QStringList{Path(c.file)});
        ASSERT_TRUE(fifos->Made());
      } else {
        Block(c.file);
      }
      ASSERT_NO_THROW(StartProgram());
      prog->MainPanel->show();
      EXPECT_TRUE(prog->MainPanel->isVisible());
      const QString name = QFileInfo(c.file).fileName();
      const QStringList shown = Messages();
      EXPECT_EQ(!shown.isEmpty(), c.shownAtStartUp) << shown.join(" | ").toStdString();
      // Every message is about that file, and none comes twice.
      for (const QString& text : shown) {
        EXPECT_TRUE(text.contains(name)) << text.toStdString();
        EXPECT_TRUE(!fifo || text.contains("not a regular file")) << text.toStdString();
      }
      EXPECT_EQ(QSet<QString>(shown.begin(), shown.end()).size(), shown.size());
      ASSERT_NO_THROW(StopProgram());
      for (const QString& text : Messages()) EXPECT_TRUE(text.contains(name)) << text.toStdString();
      EXPECT_FALSE(fifos && fifos->Freed()) << "the program waited on the FIFO";
    }
}

// Several FIFOs at once.
TEST_F(ProgramFiles, StartUpGoesOnPastSeveralFifos) {
  FifosInPlace fifos({Path("MxSel.INC"), Path("MxADC.cfg"), Path("bodyFatFormSet.txt")});
  ASSERT_TRUE(fifos.Made());
  ASSERT_NO_THROW(StartProgram());
  prog->MainPanel->show();
  EXPECT_TRUE(prog->MainPanel->isVisible());
  EXPECT_EQ(prog->Option->CbSeluP->count(), 64);  // the built-in product list
  const QStringList shown = Messages();
  for (const char* name : {"MxSel.INC", "MxADC.cfg", "bodyFatFormSet.txt"})
    EXPECT_EQ(shown.filter(name).size(), 1) << name << ": " << shown.join(" | ").toStdString();
  ASSERT_NO_THROW(StopProgram());
  EXPECT_FALSE(fifos.Freed()) << "the program waited on a FIFO";
}

TEST_F(ProgramFiles, UnreadableFilesStartAsMissingOnes) {
  // The caption file: the built-in caption.
  Block("MxAppName.cfg");
  StartProgram();
  EXPECT_EQ(prog->MainPanel->windowTitle(), "MX-ENOB TEST V1.4 for MX7406");
  // The product list: the built-in list of 64 products, and no chip definition.
  FreshFolder();
  Block("MxSel.INC");
  StartProgram();
  EXPECT_EQ(prog->Option->CbSeluP->count(), 64);
  EXPECT_EQ(prog->G.ProductName, "");
  // The include file: the product list is read, the chip is not known.
  FreshFolder();
  Block("Include/MX7406.INC");
  StartProgram();
  EXPECT_EQ(prog->Option->CbSeluP->itemText(0), "MX7406  16K");
  EXPECT_EQ(prog->G.ProductName, "");
  EXPECT_FALSE(prog->MainPanel->MenuItem("Menu_ReadAdc")->isVisible());
}

TEST_F(ProgramFiles, EmptyOrForeignChipDefinitionIsReported) {
  const char binary[] = "PK\x03\x04\x14\0\x08\0garbage\xff\xfe\n";
  const QByteArray cases[] = {"", "\r\n\r\n", QByteArray(binary, sizeof binary - 1)};
  for (const QByteArray& content : cases) {
    FreshFolder();
    WriteFile("Include/MX7406.INC", content);
    StartProgram();  // the definition is parsed by Setup and again after MxADC.cfg
    const QStringList shown = Messages();
    ASSERT_EQ(shown.size(), 1) << shown.join(" | ").toStdString();
    EXPECT_TRUE(shown[0].contains("MX7406.INC") && shown[0].contains("not a chip definition"))
        << shown[0].toStdString();
    // A good definition parses without a word; the fault shows again when met anew.
    QFile::remove(Path("Include/MX7406.INC"));
    CopyShippedData(dir.path());
    EXPECT_TRUE(prog->Option->GetSELUP());
    WriteFile("Include/MX7406.INC", content);
    prog->Option->GetSELUP();
    EXPECT_EQ(sim.dialogs.messages.size(), 2);
  }
}

TEST_F(ProgramFiles, ListLinesThatNameNoChipCellAreReportedOnce) {
  // The shipped definition is read without a word.
  StartProgram();
  EXPECT_TRUE(Messages().isEmpty()) << Messages().join(" | ").toStdString();
  const QByteArray shipped = ReadFile("Include/MX7406.INC");

  // The shipped definition with a line at 120h in its "#CALCULATE" list and one at
  // 200h in its "#CAPTEST" list.
  QList<QByteArray> lines = shipped.split('\n');
  const QByteArray calculate = "120H AC0 8 0 55H", captest = "200H AC 1 0 1";
  const qsizetype calculateAt = lines.indexOf("#CALCULATE") + 1;
  ASSERT_GT(calculateAt, 0);
  lines.insert(calculateAt, calculate);
  const qsizetype captestAt = lines.indexOf("#CAPTEST") + 1;
  ASSERT_GT(captestAt, calculateAt);
  lines.insert(captestAt, captest);
  FreshFolder();
  WriteFile("Include/MX7406.INC", lines.join('\n'));
  StartProgram();  // parsed by Setup and again after MxADC.cfg
  const QStringList shown = Messages();
  ASSERT_EQ(shown.size(), 1) << shown.join(" | ").toStdString();
  for (const QString& part : {QString("MX7406.INC"), "line " + QString::number(calculateAt + 1),
                              QString(calculate), "line " + QString::number(captestAt + 1), QString(captest),
                              QString("names no register or RAM byte")})
    EXPECT_TRUE(shown[0].contains(part)) << part.toStdString() << " not in: " << shown[0].toStdString();
  // The entries stay in their lists, after the shipped ones.
  const Globals& g = prog->G;
  ASSERT_EQ(g.IQRegCounts[IQ_AC0], 4);
  EXPECT_EQ(g.IQRegLists[IQ_AC0][0].Address, 0x120);
  EXPECT_EQ(g.IQRegLists[IQ_AC0][0].Value, 0x55);
  ASSERT_EQ(g.IQRegCounts[IQ_CapAC], 4);
  EXPECT_EQ(g.IQRegLists[IQ_CapAC][0].Address, 0x200);

  // Read again, the same definition says nothing more; after a clean one, it does.
  prog->Option->GetSELUP();
  EXPECT_EQ(sim.dialogs.messages.size(), 1);
  WriteFile("Include/MX7406.INC", shipped);
  EXPECT_TRUE(prog->Option->GetSELUP());
  EXPECT_EQ(sim.dialogs.messages.size(), 1);
  WriteFile("Include/MX7406.INC", lines.join('\n'));
  prog->Option->GetSELUP();
  EXPECT_EQ(sim.dialogs.messages.size(), 2);
}

// Lines joined as the program writes them, CR LF after each.
QByteArray Lines(const QStringList& lines) { return (lines.join("\r\n") + "\r\n").toLatin1(); }

// A settings file whose lines 1..5 are numbers and the rest texts: the body-fat
// test's, with line 3 (the amount index) damaged.
QStringList BodyFatLines(const QString& line3) {
  QStringList l = {"0", "4", line3, "3", "2", "1F", "20", "21", "22", "23", "24"};
  for (int n = 12; n <= 89; ++n) l << QString::number(n, 16).toUpper().rightJustified(2, '0');
  return l;
}
QStringList IqLines(const QString& line7, const QString& line16) {
  return {"2",   "0",  "4",    "3",    "5",    "0",    line7,  "2",    "3",  "0.3", "2",
          "0",   "77", "0100", "0200", line16, "0300", "0400", "0",    "0500", "0600"};
}

TEST_F(ProgramFiles, DamagedPanelSettingsFileLosesOnlyItsBadLines) {
  auto text = [this](QWidget* w, const char* name) { return Find<QLineEdit>(w, name)->text(); };
  auto index = [this](QWidget* w, const char* name) { return Find<QComboBox>(w, name)->currentIndex(); };
  struct Case {
    const char* file;
    QByteArray content;
    QString message;
    QByteArray written;  // at close: the good lines as read, a bad one as its default
    std::function<void()> controls;
  };
  const QString one = "\nThat setting keeps its default; the other lines are read.";
  const QString several = "\nThose settings keep their defaults; the other lines are read.";
  const Case cases[] = {
      {"WaveformSet.txt", "x1000\r\n500\r\n", "Invalid numeric format in line 1 of WaveformSet.txt." + one,
       "2048\r\n500\r\n",
       [&] {
         EXPECT_EQ(text(prog->WaveGenForm, "edtDacOffset"), "2048");
         EXPECT_EQ(text(prog->WaveGenForm, "DAC_Vpp"), "500");
       }},
      {"WaveformSet.txt", "1000\r\n2OO mV\r\n", "Invalid numeric format in line 2 of WaveformSet.txt." + one,
       "1000\r\n200\r\n",
       [&] {
         EXPECT_EQ(text(prog->WaveGenForm, "edtDacOffset"), "1000");
         EXPECT_EQ(text(prog->WaveGenForm, "DAC_Vpp"), "200");
       }},
      {"MxIQFormSet.txt", Lines(IqLines("3s", "yes")),
       "Invalid numeric format in lines 7 and 16 of MxIQFormSet.txt." + several, Lines(IqLines("0", "1")),
       [&] {
         TIQForm* w = prog->IQForm;
         // Before the first bad line.
         EXPECT_TRUE(w->rbACDCMode->isChecked());
         EXPECT_TRUE(Find<QRadioButton>(w, "rbACTime")->isChecked());
         EXPECT_EQ(index(w, "cbACTime"), 4);
         EXPECT_EQ(index(w, "cbACAmount"), 3);
         EXPECT_EQ(index(w, "scanCAPTimer"), 5);
         EXPECT_EQ(prog->G.Impedance.IQTest.IntervalMs, 2000);
         EXPECT_TRUE(Find<QRadioButton>(w, "rbDCTime")->isChecked());
         // The bad lines keep the defaults, and what lies between and after is read.
         EXPECT_EQ(index(w, "cbDCTime"), 0);
         EXPECT_EQ(index(w, "cbDCAmount"), 2);
         EXPECT_EQ(index(w, "cbACAvg"), 3);
         EXPECT_EQ(text(w, "edtBiasTime"), "0.3");
         EXPECT_EQ(text(w, "edtReantionTime"), "2");
         EXPECT_FALSE(Find<QCheckBox>(w, "cbADCThreshold")->isChecked());
         EXPECT_EQ(text(w, "edtADCThres"), "77");
         EXPECT_EQ(text(w, "edtDABIT0_2"), "0200");
         EXPECT_TRUE(Find<QCheckBox>(w, "cbDABIT1")->isChecked());
         EXPECT_EQ(text(w, "edtDABIT1_1"), "0300");
         EXPECT_FALSE(Find<QCheckBox>(w, "cbDABIT2")->isChecked());
         EXPECT_EQ(text(w, "edtDABIT2_2"), "0600");
       }},
      {"bodyFatFormSet.txt", Lines(BodyFatLines("2.5")),
       "Invalid numeric format in line 3 of bodyFatFormSet.txt." + one, Lines(BodyFatLines("0")),
       [&] {
         TbodyFatForm* w = prog->bodyFatForm;
         EXPECT_TRUE(Find<QRadioButton>(w, "rbTime")->isChecked());
         EXPECT_EQ(index(w, "cbTime"), 4);
         EXPECT_EQ(index(w, "cbAmount"), 0);
         EXPECT_EQ(index(w, "scanTimer"), 3);
         EXPECT_EQ(prog->G.Impedance.BodyFat.ScanInterval, 1000);
         EXPECT_EQ(index(w, "cbChannels"), 2);
         EXPECT_FALSE(Find<QLineEdit>(w, "edtAddr0_3")->isHidden());
         EXPECT_TRUE(Find<QLineEdit>(w, "edtAddr0_4")->isHidden());
         EXPECT_EQ(text(w, "edtAddr0"), "1F");
         EXPECT_EQ(prog->G.Impedance.BodyFat.ColumnAddr[5], 0x24);
         EXPECT_EQ(text(w, "edtAddr0_0"), "0C");   // line 12
         EXPECT_EQ(text(w, "edtAddr5_12"), "59");  // line 89
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    FreshFolder();
    WriteFile(c.file, c.content);
    StartProgram();
    const QStringList shown = Messages();
    ASSERT_EQ(shown, QStringList{c.message});
    c.controls();
    QFile::remove(Path(c.file));
    prog->Close();
    EXPECT_EQ(ReadFile(c.file), c.written);
    EXPECT_EQ(Messages().size(), 1) << "nothing more at the close";
    StopProgram();
  }
}

}  // namespace
