// The panels' settings files when they are damaged: an empty or blank line in a
// number's place, a file cut short, a byte-order mark, LF or CR LF line ends, a file
// that cannot be read. Each goes through the start-up and the close: what the windows
// show, what the user is told, and the bytes written back.
#include <sys/stat.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <map>
#include <optional>
#include <set>

#include "block_panels/wave_generator.h"
#include "impedance/bodyfat_test_window.h"
#include "impedance/iq_test_window.h"
#include "program_files_fixture.h"
#include "support/fifos_in_place.h"

namespace {

// One panel's settings file: the values a window starts with and a good file whose
// every value differs from them, line by line.
struct Kind {
  const char* file;
  QStringList defaults;
  QStringList good;
  std::set<int> textLines;  // 1-based lines holding texts, not numbers
};

const Kind kWave{"WaveformSet.txt", {"2048", "200"}, {"1000", "500"}, {}};

const Kind kIq{"MxIQFormSet.txt",
               {"0", "1", "0", "0", "2", "1", "0", "0", "0", "0.1", "1", "1", "0", "0800", "0800", "1", "0800",
                "0800", "1", "0800", "0800"},
               {"2", "0", "4", "3", "5", "0", "3", "2", "3", "0.3", "2", "0", "77", "0100", "0200", "0", "0300", "0400",
                "0", "0500", "0600"},
               {10, 11, 13, 14, 15, 17, 18, 20, 21}};

Kind BodyFatKind() {
  Kind k{"bodyFatFormSet.txt", {"1", "0", "0", "1", "0"}, {"0", "4", "2", "3", "2"}, {}};
  for (int line = 6; line <= 89; ++line) {
    k.defaults << "00";
    // Addresses 1F..24, then the value of line n is n in hexadecimal.
    k.good << (line <= 11 ? QString::number(0x1F + line - 6, 16).toUpper()
                          : QString::number(line, 16).toUpper().rightJustified(2, '0'));
    k.textLines.insert(line);
  }
  return k;
}
const Kind kBodyFat = BodyFatKind();

enum class Unreadable { No, Folder, Fifo };

struct Case {
  const Kind* kind;
  const char* what;
  std::map<int, QString> lines;  // lines replaced in the good file
  int kept = -1;                 // the file cut after this many lines (-1: whole)
  bool bom = false;
  QString message;  // what the start-up tells
  Unreadable unreadable = Unreadable::No;
};

const QString kOne = "\nThat setting keeps its default; the other lines are read.";
const QString kSeveral = "\nThose settings keep their defaults; the other lines are read.";

const Case kCases[] = {
    {&kWave, "empty line 1", {{1, ""}}, -1, false,
     "Invalid numeric format in line 1 of WaveformSet.txt." + kOne},
    {&kWave, "blank line 2", {{2, " \t "}}, -1, false,
     "Invalid numeric format in line 2 of WaveformSet.txt." + kOne},
    {&kWave, "cut after line 1", {}, 1, false,
     "WaveformSet.txt ends after line 1: the setting of line 2 keeps its default."},
    {&kWave, "empty file", {}, 0, false, "WaveformSet.txt is empty: every setting keeps its default."},
    {&kWave, "byte-order mark", {}, -1, true, ""},

    {&kIq, "empty line 1, blank line 12", {{1, ""}, {12, "   "}}, -1, false,
     "Invalid numeric format in lines 1 and 12 of MxIQFormSet.txt." + kSeveral},
    // An empty text line is an empty text, in its own place.
    {&kIq, "empty lines 5 and 19, empty text line 14", {{5, ""}, {19, ""}, {14, ""}}, -1, false,
     "Invalid numeric format in lines 5 and 19 of MxIQFormSet.txt." + kSeveral},
    {&kIq, "cut after line 12", {}, 12, false,
     "MxIQFormSet.txt ends after line 12: the settings of lines 13 to 21 keep their defaults."},
    {&kIq, "blank line 9, cut after line 10", {{9, "\t"}}, 10, false,
     "Invalid numeric format in line 9 of MxIQFormSet.txt." + kOne +
         "\nMxIQFormSet.txt ends after line 10: the settings of lines 11 to 21 keep their defaults."},
    {&kIq, "byte-order mark", {}, -1, true, ""},

    {&kBodyFat, "empty line 1, blank line 3", {{1, ""}, {3, "  "}}, -1, false,
     "Invalid numeric format in lines 1 and 3 of bodyFatFormSet.txt." + kSeveral},
    // The register table's addresses and values stay in their columns and rows.
    {&kBodyFat, "empty line 5", {{5, ""}}, -1, false,
     "Invalid numeric format in line 5 of bodyFatFormSet.txt." + kOne},
    {&kBodyFat, "cut after line 3", {}, 3, false,
     "bodyFatFormSet.txt ends after line 3: the settings of lines 4 to 89 keep their defaults."},
    {&kBodyFat, "cut after line 40", {}, 40, false,
     "bodyFatFormSet.txt ends after line 40: the settings of lines 41 to 89 keep their defaults."},
    {&kBodyFat, "byte-order mark", {}, -1, true, ""},

    {&kWave, "a folder", {}, -1, false, "", Unreadable::Folder},
    {&kWave, "a FIFO", {}, -1, false, "", Unreadable::Fifo},
    {&kIq, "a folder", {}, -1, false, "", Unreadable::Folder},
    {&kIq, "a FIFO", {}, -1, false, "", Unreadable::Fifo},
    {&kBodyFat, "a folder", {}, -1, false, "", Unreadable::Folder},
    {&kBodyFat, "a FIFO", {}, -1, false, "", Unreadable::Fifo},
};

class DamagedSettingsFiles : public ProgramFiles {
protected:
  QString Text(QWidget* w, const QString& name) { return Find<QLineEdit>(w, name)->text(); }
  QString Index(QWidget* w, const QString& name) {
    return QString::number(Find<QComboBox>(w, name)->currentIndex());
  }
  QString Checked(QWidget* w, const QString& name) { return Find<QCheckBox>(w, name)->isChecked() ? "1" : "0"; }
  // The code of the first checked radio button among `names`; the last code when none is.
  QString Choice(QWidget* w, const QStringList& names) {
    for (int i = 0; i < names.size(); ++i)
      if (Find<QRadioButton>(w, names[i])->isChecked()) return QString::number(i);
    return QString::number(names.size() - 1);
  }

  // What the window of `kind` shows, as the lines of its settings file.
  QStringList Shown(const Kind& kind) {
    if (&kind == &kWave) return {Text(prog->WaveGenForm, "edtDacOffset"), Text(prog->WaveGenForm, "DAC_Vpp")};
    if (&kind == &kIq) {
      QWidget* w = prog->IQForm;
      return {Choice(w, {"rbACMode", "rbDCMode", "rbACDCMode", "rbDCACMode", "rbDCACMode2"}),
              Choice(w, {"rbACTime", "rbACAmount", "rbACManualStop"}),
              Index(w, "cbACTime"),
              Index(w, "cbACAmount"),
              Index(w, "scanCAPTimer"),
              Choice(w, {"rbDCTime", "rbDCAmount", "rbDCManualStop"}),
              Index(w, "cbDCTime"),
              Index(w, "cbDCAmount"),
              Index(w, "cbACAvg"),
              Text(w, "edtBiasTime"),
              Text(w, "edtReantionTime"),
              Checked(w, "cbADCThreshold"),
              Text(w, "edtADCThres"),
              Text(w, "edtDABIT0_1"),
              Text(w, "edtDABIT0_2"),
              Checked(w, "cbDABIT1"),
              Text(w, "edtDABIT1_1"),
              Text(w, "edtDABIT1_2"),
              Checked(w, "cbDABIT2"),
              Text(w, "edtDABIT2_1"),
              Text(w, "edtDABIT2_2")};
    }
    QWidget* w = prog->bodyFatForm;
    QStringList l = {Find<QRadioButton>(w, "rbTime")->isChecked() ? "0" : "1", Index(w, "cbTime"),
                     Index(w, "cbAmount"), Index(w, "scanTimer"), Index(w, "cbChannels")};
    for (int k = 0; k < 6; ++k) l << Text(w, "edtAddr" + QString::number(k));
    for (int j = 0; j <= 12; ++j)
      for (int k = 0; k < 6; ++k) l << Text(w, QString("edtAddr%1_%2").arg(k).arg(j));
    return l;
  }
};

bool IsFifo(const QString& path) {
  struct stat st {};
  return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

QByteArray Joined(const QStringList& lines, const char* end) {
  QByteArray out;
  for (const QString& l : lines) out += l.toLatin1() + end;
  return out;
}

TEST_F(DamagedSettingsFiles, LoseOnlyTheirDamagedLinesAndKeepWhatCannotBeRead) {
  for (const Case& c : kCases) {
    const Kind& kind = *c.kind;
    const bool readable = c.unreadable == Unreadable::No;
    for (const char* end : {"\r\n", "\n"}) {
      if (!readable && QByteArray(end) == "\n") continue;
      SCOPED_TRACE(testing::Message() << kind.file << ", " << c.what << (QByteArray(end) == "\n" ? ", LF" : ", CR LF"));
      FreshFolder();
      const QString path = Path(kind.file);

      // The file, and what each line should give: the good value, the default where a
      // number line is damaged or the file has ended, an empty text where it is empty.
      QStringList file = kind.good, expected = kind.good;
      for (const auto& [line, text] : c.lines) {
        file[line - 1] = text;
        const bool isText = kind.textLines.count(line) > 0;
        expected[line - 1] = isText ? text : kind.defaults[line - 1];
      }
      if (c.kept >= 0) {
        file = file.mid(0, c.kept);
        for (int i = c.kept; i < expected.size(); ++i) expected[i] = kind.defaults[i];
      }
      std::optional<FifosInPlace> fifo;
      if (c.unreadable == Unreadable::Folder) {
        ASSERT_TRUE(QDir().mkpath(path));
      } else if (c.unreadable == Unreadable::Fifo) {
        fifo.emplace(QStringList{path});
        ASSERT_TRUE(fifo->Made());
      } else {
        WriteFile(kind.file, (c.bom ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + Joined(file, end));
      }

      StartProgram();  // the start-up hides the panels: their close handlers run once
      const QStringList shown = Messages();
      if (readable) {
        EXPECT_EQ(shown, c.message.isEmpty() ? QStringList{} : QStringList{c.message});
        EXPECT_EQ(Shown(kind), expected);
        if (&kind == &kBodyFat) {
          // The addresses the runs write to are those shown.
          for (int k = 0; k < 6; ++k)
            EXPECT_EQ(prog->G.Impedance.BodyFat.ColumnAddr[k], expected[5 + k].toInt(nullptr, 16));
        }
        EXPECT_EQ(ReadFile(kind.file), Joined(expected, "\r\n"));
      } else {
        // Told once, with the defaults shown; the file is left where it is.
        ASSERT_EQ(shown.size(), 1) << shown.join(" | ").toStdString();
        EXPECT_TRUE(shown[0].startsWith("Cannot open file \"" + path + "\".")) << shown[0].toStdString();
        EXPECT_TRUE(shown[0].endsWith(QString("\n") + kind.file + " is kept as it is: it is not written at close."))
            << shown[0].toStdString();
        EXPECT_EQ(Shown(kind), kind.defaults);
      }

      prog->Close();
      EXPECT_EQ(Messages().size(), shown.size()) << "nothing more at the close: " << Messages().join(" | ").toStdString();
      if (readable) {
        EXPECT_EQ(ReadFile(kind.file), Joined(expected, "\r\n"));
      } else {
        EXPECT_TRUE(c.unreadable == Unreadable::Folder ? QFileInfo(path).isDir() : IsFifo(path));
        EXPECT_FALSE(fifo && fifo->Freed()) << "the program waited on the FIFO";
      }
      StopProgram();
    }
  }
}

}  // namespace
