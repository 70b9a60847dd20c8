// Every kind of text file the program reads, as the program writes it, with LF line
// ends, and with a UTF-8 byte-order mark (EF BB BF) an editor may have saved first:
// each goes through the start-up (or the menu's download or load) and back out
// through the close (or the save). The values reach the program, nothing is told, and
// what is written back holds them, with CR LF and no mark.
#include <QFile>
#include <QKeyEvent>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <functional>

#include "adc_analysis/analysis_window.h"
#include "adc_analysis/switch_channel_test.h"
#include "block_panels/wave_generator.h"
#include "common/serial_port_file.h"
#include "common/text_encoding.h"
#include "instruments/calibrator_grid.h"
#include "instruments/power_grid.h"
#include "instruments/step_grid.h"
#include "instruments/step_tables.h"
#include "instruments/temperature_test.h"
#include "platform/serial_port_map.h"
#include "shell/main_panel.h"
#include "shell/memory_view.h"
#include "shell/register_view.h"
#include "shell/setup_dialog.h"
#include "sim/sim_board.h"
#include "sim/sim_chip_registers.h"
#include "program_files_fixture.h"

namespace {

const QByteArray kMark = "\xEF\xBB\xBF";

// Lines as the program writes them: Big5, CR LF after each.
QByteArray Lines(const QStringList& lines) { return TextFileBytes(lines); }

// The C-array export of RAM banks 0 and 1 ("Save RAM"), every word `word`.
QByteArray RamArray(uint16_t word) {
  const QString pair = QString("0x%1,0x%2").arg(word >> 8, 2, 16, QChar('0')).arg(word & 0xFF, 2, 16, QChar('0'))
                           .toUpper().replace("0X", "0x");
  QStringList l;
  for (int bank = 0; bank < 2; ++bank) {
    l << QString("unsigned char Bank%1_Array[128]={").arg(bank);
    for (int r = 0; r < 8; ++r) l << (QString(pair + ",").repeated(7) + pair + (r < 7 ? "," : ""));
    l << "};" << "";
  }
  return Lines(l);
}

// One kind of file: the files it is (each given the same line ends and mark), how the
// program reads them and writes them back.
struct Kind {
  const char* what;  // the file kind
  QList<std::pair<QString, QByteArray>> files;  // as the program writes (or ships) them
  std::function<void()> in;                     // start-up, or the menu's download / load
  std::function<void()> values;                 // what the program took from them
  std::function<void()> out;                    // close, or the save
  // The files `out` writes: those of `files` come back as the program writes them,
  // the others of `files` are left as they were given. With `holds`, the first is
  // checked for holding it instead (the program writes more than it read).
  QStringList back = {};
  QByteArray holds = {};
};

class ByteOrderMark : public ProgramFiles {
protected:
  uint8_t& Shadow(int a) const { return prog->G.Channels[0].RegShadow[a]; }
  void Connect() { ASSERT_TRUE(prog->Transport.OpenDevice(prog->G.Channels[0].Devc)); }
  // The mode count typed and entered, as the user lays out the register-change grid.
  void EnterModes(const QString& text) {
    auto* modes = Find<QLineEdit>(prog->TMP, "EModenum");
    modes->setText(text);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QCoreApplication::sendEvent(modes, &press);
  }
  QString Cell(QObject* form, const char* grid, int col, int row) const {
    return Find<TStepGrid>(form, grid)->Cells(col, row);
  }
  QAction* RamAction(const char* name) const { return prog->Mx_RAM->RamPopup->findChild<QAction*>(name); }
  // A chip of the test's own whose RAM bank 0 starts at address 0, so that line 1 of a
  // memory view file holds a value; made the chip of the running program.
  const QByteArray kProducts = "T.INC TEST 1K\r\n";
  const QByteArray kRamChip = "#RAMBANK0\r\n00H 0FFH\r\n#RAMBANK1\r\n180H 1FFH\r\n";
  void DefineRamChip() {
    WriteFile("MxSel.INC", kProducts);
    WriteFile("Include/T.INC", kRamChip);
    prog->G.Channels[0].ProductIndex = 0;
    ASSERT_TRUE(prog->Option->GetSELUP());
  }
  // A file as a fresh program writes it after `change`.
  QByteArray Written(const QString& file, const std::function<void()>& change) {
    FreshFolder();
    StartProgram();
    change();
    StopProgram();
    return ReadFile(file);
  }
};

TEST_F(ByteOrderMark, EveryTextFileReadsAsWithoutIt) {
  const QString caption = QString::fromUtf8("測試台 MX-ENOB");
  const QString hint = QString::fromUtf8("注意 hint");
  const QString command = QString::fromUtf8("輸入值");
  const QByteArray blanks(32, ' ');
  const char* regLine = "  49  50  55  60  61  62  63  64  48  73  52";
  QStringList stepValues(8, "   0   0   0   0   0   0   0   0   0   0   0");
  stepValues[2] = "  44   1   2   3   4   5   6   7   8   9  10";

  // The files only the program's own writers lay out in full.
  const QByteArray config = Written("MxADC.cfg", [&] { prog->AnxADC->EREFV->setText("3.1415"); });
  // Line 1 of each holds a value, where a mark would be read.
  const QByteArray dump = Written("dump.reg", [&] {
    Shadow(0x01) = 0x2A;
    Shadow(0x20) = 0x5A;
    Shadow(0x21) = 0xA5;
    sim.dialogs.saveAnswers << Path("dump");
    Click("SaveREG");
  });
  const QByteArray view = Written("view.ram", [&] {
    DefineRamChip();
    Shadow(0x00) = 0xA1;
    Shadow(0x185) = 0x5A;
    prog->Mx_RAM->Marks.Hint[0x1FF] = true;
    prog->Mx_RAM->Marks.HintText[0x1FF] = hint;
    sim.dialogs.saveAnswers << Path("view");
    RamAction("SaveRam")->trigger();
  });
  // A shipped file, with CR LF line ends.
  auto shipped = [](const QString& name) {
    QFile f(QString(MX_DATA_DIR) + "/" + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll().replace("\r\n", "\n").replace("\n", "\r\n") : QByteArray();
  };
  ComPortMap ports;

  const Kind kinds[] = {
      {"caption file MxAppName.cfg",
       {{"MxAppName.cfg", Lines({caption})}},
       [&] { StartProgram(); },
       [&] { EXPECT_EQ(prog->MainPanel->windowTitle(), caption); },
       [&] { StopProgram(); },
       {"MxADC.cfg"},
       Lines({caption})},
      {"main configuration file MxADC.cfg",
       {{"MxADC.cfg", config}},
       [&] { StartProgram(); },
       [&] { EXPECT_EQ(prog->AnxADC->EREFV->text(), "3.1415"); },
       [&] { StopProgram(); },
       {"MxADC.cfg"}},
      {"StepADC.txt",
       {{"StepADC.txt", Lines(QStringList{"   3   1", "   1   0   1   0   0   0   0   0", regLine} + stepValues +
                              QStringList{"   3"})}},
       [&] { StartProgram(); },
       [&] {
         TWeightCAL* w = prog->WeightCAL;
         EXPECT_EQ(w->EvStepLen->currentIndex(), 3);
         EXPECT_EQ(w->LoopStep->currentIndex(), 1);
         EXPECT_TRUE(w->SwitCh[0]->isChecked());
         EXPECT_FALSE(w->SwitCh[1]->isChecked());
         EXPECT_EQ(w->SwitchChannels[2].RegValue[0], 44);
         EXPECT_EQ(w->CurrentStep, 3);
       },
       [&] { StopProgram(); },
       {"StepADC.txt"}},
      {"step tables Register.txt, Delay.txt, ACM.txt",
       {{"Register.txt", Lines({"  1F  21" + blanks, "   7  A5" + blanks, "   8  5A" + blanks})},
        {"Delay.txt", Lines({"     7", "     9"})},
        {"ACM.txt", Lines({"   2.5", "   3.3"})}},
       [&] {
         StartProgram();
         EnterModes("4");
         Click("DownloadReg1");
       },
       [&] {
         EXPECT_EQ(Cell(prog->TMP, "RegChg", 1, 0), "1F");
         EXPECT_EQ(Cell(prog->TMP, "RegChg", 2, 0), "21");
         EXPECT_EQ(Cell(prog->TMP, "RegChg", 1, 1), "7");
         EXPECT_EQ(Cell(prog->TMP, "RegChg", 2, 2), "5A");
         EXPECT_EQ(Cell(prog->TMP, "RegChg", DelayColumn, 1), "7");
         EXPECT_EQ(Cell(prog->TMP, "RegChg", DelayColumn, 2), "9");
         EXPECT_EQ(Cell(prog->TMP, "RegChg", AcmColumn, 1), "2.5");
         EXPECT_EQ(Cell(prog->TMP, "RegChg", AcmColumn, 2), "3.3");
       },
       [&] { Click("SaveReg1"); },
       {"Register.txt", "Delay.txt", "ACM.txt"}},
      {"step table Fluke.txt",
       {{"Fluke.txt", Lines({"   1OUT 100 mV ,0 Hz ", "   2STBY"})}},
       [&] {
         StartProgram();
         Click("DownLoadFluke1");
       },
       [&] {
         EXPECT_EQ(Cell(prog->FLUKE, "FlukeGd", 1, 1), "1");
         EXPECT_EQ(Cell(prog->FLUKE, "FlukeGd", 2, 1), "OUT 100 mV ,0 Hz ");
         EXPECT_EQ(Cell(prog->FLUKE, "FlukeGd", 1, 2), "2");
       },
       [&] { Click("SaveFluke1"); },
       {"Fluke.txt"}},
      {"step table Power.txt",
       {{"Power.txt", Lines({"   1" + command, "   AOUT 2.5"})}},
       [&] {
         StartProgram();
         Click("DownloadPower1");
       },
       [&] {
         EXPECT_EQ(Cell(prog->FPower, "PowerGd", 1, 1), "1");
         EXPECT_EQ(Cell(prog->FPower, "PowerGd", 2, 1), command);
         EXPECT_EQ(Cell(prog->FPower, "PowerGd", 1, 2), "A");
       },
       [&] { Click("SavePower1"); },
       {"Power.txt"}},
      {"register dump .reg, Load REG and Save REG",
       {{"dump.reg", dump}},
       [&] {
         StartProgram();
         Connect();
         sim.dialogs.openAnswers << Path("dump.reg");
         Click("LoadREG");
       },
       [&] {
         EXPECT_EQ(Shadow(0x01), 0x2A);
         EXPECT_EQ(Shadow(0x20), 0x5A);
         EXPECT_EQ(Shadow(0x21), 0xA5);
         EXPECT_EQ(sim.board.chip.Peek(0x21), 0xA5);
       },
       [&] {
         QFile::remove(Path("dump.reg"));
         sim.dialogs.saveAnswers << Path("dump");
         Click("SaveREG");
       },
       {"dump.reg"}},
      {"memory view .ram",
       {{"MxSel.INC", kProducts}, {"Include/T.INC", kRamChip}, {"view.ram", view}},
       [&] {
         StartProgram();
         sim.dialogs.openAnswers << Path("view.ram");
         RamAction("LoadRam")->trigger();
       },
       [&] {
         EXPECT_EQ(Shadow(0x00), 0xA1);
         EXPECT_EQ(Shadow(0x185), 0x5A);
         EXPECT_EQ(prog->Mx_RAM->Marks.HintText[0x1FF], hint);
       },
       [&] {
         QFile::remove(Path("view.ram"));
         sim.dialogs.saveAnswers << Path("view");
         RamAction("SaveRam")->trigger();
       },
       {"view.ram"}},
      {"C-array .ram, Load RAM and Save RAM",
       {{"banks.ram", RamArray(0x12AB)}},
       [&] {
         StartProgram();
         Connect();
         sim.dialogs.openAnswers << Path("banks.ram");
         Click("LoadRAM");
       },
       [&] {
         for (int a : {0x80, 0xFE, 0x180, 0x1FE}) EXPECT_EQ(Shadow(a), 0x12) << a;
         for (int a : {0x81, 0xFF, 0x181, 0x1FF}) EXPECT_EQ(Shadow(a), 0xAB) << a;
         EXPECT_EQ(sim.board.chip.Peek(0x81), 0xAB);
       },
       [&] {
         QFile::remove(Path("banks.ram"));
         sim.dialogs.saveAnswers << Path("banks");
         Click("SaveTable");
       },
       {"banks.ram"}},
      {"Config/Reg.reg and Config/DAC.ram, auto-load at USB Scan",
       {{"Config/Reg.reg", Lines({"021H 0A5H", "00EH 02AH"})}, {"Config/DAC.ram", RamArray(0x12AB)}},
       [&] {
         WriteFile("Include/MX7406.INC", ReadFile("Include/MX7406.INC") + "\r\n#AUTOLOAD\r\n");
         StartProgram();
         Click("USBScan");
       },
       [&] {
         EXPECT_EQ(sim.board.chip.Peek(0x21), 0xA5);
         EXPECT_EQ(sim.board.chip.Peek(0x0E), 0x2A);
         EXPECT_EQ(sim.board.chip.Peek(0x80), 0x12);
         EXPECT_EQ(sim.board.chip.Peek(0x81), 0xAB);
       },
       [&] { StopProgram(); }},
      {"chip definition MxSel.INC and Include/MX7406.INC",
       {{"MxSel.INC", shipped("MxSel.INC")}, {"Include/MX7406.INC", shipped("Include/MX7406.INC")}},
       [&] { StartProgram(); },
       [&] {
         EXPECT_EQ(prog->Option->CbSeluP->itemText(0), "MX7406  16K");
         EXPECT_EQ(prog->G.ProductName, "MX7406");
         EXPECT_TRUE(prog->MainPanel->MenuItem("Menu_ReadAdc")->isVisible());
       },
       [&] { StopProgram(); }},
      {"panel settings WaveformSet.txt",
       {{"WaveformSet.txt", Lines({"1000", "500"})}},
       [&] { StartProgram(); },
       [&] {
         EXPECT_EQ(Find<QLineEdit>(prog->WaveGenForm, "edtDacOffset")->text(), "1000");
         EXPECT_EQ(Find<QLineEdit>(prog->WaveGenForm, "DAC_Vpp")->text(), "500");
       },
       [&] { StopProgram(); },
       {"WaveformSet.txt"}},
      {"placement file mx-enob.wst",
       {{"mx-enob.wst", "1.10\r\n1\r\nMx_Reg2\r\n   70   80  400  300    0    0\r\n"}},
       [&] {
         StartProgram();
         prog->MainPanel->show();
       },
       [&] { EXPECT_EQ(prog->Mx_Reg2->Frame()->geometry(), QRect(70, 80, 400, 300)); },
       [&] { StopProgram(); },
       {"mx-enob.wst"},
       "\r\nMx_Reg2\r\n   70   80  400  300    0    0\r\n"},
      {"serial port map MxComPorts.cfg",
       {{"MxComPorts.cfg", Lines({"COM3 /dev/ttyUSB0", "COM4 /dev/ttyACM1"})}},
       [&] {
         ports = ComPortMap();
         EXPECT_TRUE(LoadComPortMap(ports, dir.path()));  // as main() reads it
       },
       [&] {
         EXPECT_EQ(ports.Path(3), "/dev/ttyUSB0");
         EXPECT_EQ(ports.Path(4), "/dev/ttyACM1");
       },
       [] {}},
      {"test series blood.csv",
       {{"blood.csv", Lines({"1.5", "3", "6"})}},
       [&] {
         StartProgram();
         prog->AnxADC->Button1Click();
       },
       [&] {
         ASSERT_EQ(prog->G.SampleCount, 3);
         EXPECT_DOUBLE_EQ(prog->AnxADC->st.WorkSamples[0], 1.5);
         EXPECT_DOUBLE_EQ(prog->AnxADC->st.WorkSamples[2], 6);
       },
       [&] { StopProgram(); }},
  };

  const struct {
    const char* what;
    bool lf, mark;
  } variants[] = {{"as written", false, false}, {"LF line ends", true, false}, {"byte-order mark", false, true},
                  {"byte-order mark and LF line ends", true, true}};
  for (const Kind& kind : kinds)
    for (const auto& v : variants) {
      SCOPED_TRACE(testing::Message() << kind.what << ", " << v.what);
      FreshFolder();
      // A chip just powered on: nothing the case before wrote is left in it.
      sim.board.chip = SimChip();
      PowerOnMx7406(sim.board.chip);
      QList<QByteArray> given;
      for (const auto& [name, text] : kind.files) {
        ASSERT_FALSE(text.isEmpty()) << name.toStdString();
        ASSERT_TRUE(text.endsWith("\r\n")) << name.toStdString();
        QByteArray bytes = text;
        if (v.lf) bytes.replace("\r\n", "\n");
        if (v.mark) bytes.prepend(kMark);
        given << bytes;
        QFile::remove(Path(name));
        WriteFile(name, bytes);
      }
      EXPECT_NO_THROW(kind.in());
      kind.values();
      EXPECT_NO_THROW(kind.out());
      EXPECT_EQ(Messages(), QStringList());
      for (int i = 0; i < kind.files.size(); ++i) {
        const auto& [name, text] = kind.files[i];
        const bool written = kind.back.contains(name);
        if (!written || kind.holds.isEmpty()) {
          EXPECT_EQ(ReadFile(name), written ? text : given[i]) << name.toStdString();
        }
      }
      if (!kind.holds.isEmpty()) {
        const QByteArray back = ReadFile(kind.back.value(0));
        EXPECT_FALSE(back.startsWith(kMark));
        EXPECT_EQ(back.count('\n'), back.count("\r\n"));
        EXPECT_TRUE(back.contains(kind.holds)) << back.toStdString();
      }
      StopProgram();
    }
}

}  // namespace
