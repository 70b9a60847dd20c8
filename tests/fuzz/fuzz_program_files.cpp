// The files a user hands the running program, each through the handler that reads
// it and applies what it read. The first input byte chooses the file; the rest is its
// content (for the temperature test's register tables and the waveform generator's
// two files, parts separated by lines "=====").
//
// The main settings "MxADC.cfg" and the switched test's "StepADC.txt" are read by the
// start-up step, and must also read back what the program writes: what a save writes
// after the start-up, started up and saved again, is the same file.
#include <cstdlib>
#include <cstdio>

#include "adc_analysis/analysis_window.h"
#include "adc_analysis/switch_channel_test.h"
#include "block_panels/wave_generator.h"
#include "common/text_encoding.h"
#include "fuzz_host.h"
#include "impedance/bodyfat_runs.h"
#include "instruments/calibrator_grid.h"
#include "instruments/power_grid.h"
#include "instruments/temperature_test.h"
#include "link/mx_up.h"
#include "shell/main_panel.h"
#include "shell/memory_view.h"

namespace {

enum Reader {
  MainSettings,     // MxADC.cfg
  SwitchSettings,   // StepADC.txt
  LoadReg,          // a register dump through "Load REG"
  MemoryViewRam,    // the memory view's own ".ram" file
  DacTableRam,      // a ".ram" export loaded as the DAC wave table
  FlukeTable,       // Fluke.txt
  PowerTable,       // Power.txt
  RegisterTables,   // Register.txt, Delay.txt, ACM.txt
  TestSeries,       // blood.csv
  WaveGenFiles,     // Config/Reg.reg, Config/DAC.ram
  BodyFatPair,      // a ".ram" / ".reg" pair of the body-fat automatic test
  ReaderCount
};

// The start-up step reads "MxADC.cfg" and "StepADC.txt" from the program folder (a
// file that does not read is reported there, and the start-up goes on). What `save`
// writes after it, put in the program folder, must start up to the same file again.
template <typename Save>
void CheckRoundTrip(FuzzProgram& host, const char* name, Save save) {
  Program& p = host.P();
  const FuzzFolder& folder = host.Folder();
  p.MainPanel->FormActivate();
  const QString first = folder.Path(QStringLiteral("first-") + name);
  save(first);
  const QByteArray written = folder.Get(QStringLiteral("first-") + name);
  folder.Put(name, written);
  QList<ScriptedDialogs::Shown>& shown = host.Sim().dialogs.messages;
  shown.clear();
  p.MainPanel->FormActivate();
  for (const ScriptedDialogs::Shown& m : shown)
    fprintf(stderr, "starting up with what the program wrote shows: %s\n", qPrintable(m.text));
  if (!shown.isEmpty()) {
    fprintf(stderr, "--- written\n%s\n", written.constData());
    abort();
  }
  save(first);
  const QByteArray again = folder.Get(QStringLiteral("first-") + name);
  ExpectReadsBack(name, written, again);
}

}  // namespace

// The program starts before the first input, outside its time limit.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzProgram::Shared();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzProgram& host = FuzzProgram::Shared();
  if (size < 1) return 0;
  Program& p = host.P();
  const FuzzFolder& folder = host.Folder();
  const QByteArray content = InputBytes(data + 1, size - 1);
  ScriptedDialogs& dialogs = host.Sim().dialogs;
  auto choose = [&](const char* name) {
    folder.Put(name, content);
    dialogs.openAnswers = {folder.Path(name)};
  };

  Quietly([&] {
    switch (data[0] % ReaderCount) {
      case MainSettings:
        folder.Put("MxADC.cfg", content);
        CheckRoundTrip(host, "MxADC.cfg", [&](const QString& f) { p.MainPanel->SaveConfig(f); });
        break;
      case SwitchSettings:
        folder.Put("StepADC.txt", content);
        CheckRoundTrip(host, "StepADC.txt", [&](const QString& f) { p.WeightCAL->SaveConfig(f); });
        break;
      case LoadReg:
        choose("dump.reg");
        p.MainPanel->LoadREGClick();
        break;
      case MemoryViewRam:
        choose("view.ram");
        p.Mx_RAM->LoadRamClick();
        break;
      case DacTableRam:
        choose("table.ram");
        p.MainPanel->LoadRAMClick();
        break;
      case FlukeTable:
        folder.Put("Fluke.txt", content);
        p.FLUKE->DownLoadFluke();
        break;
      case PowerTable:
        folder.Put("Power.txt", content);
        p.FPower->DownloadPower();
        break;
      case RegisterTables: {
        const QList<QByteArray> parts = InputParts(content, 3);
        const char* names[] = {"Register.txt", "Delay.txt", "ACM.txt"};
        for (int i = 0; i < 3; ++i) folder.Put(names[i], i < parts.size() ? &parts[i] : nullptr);
        p.TMP->DownloadReg();
        break;
      }
      case TestSeries:
        folder.Put("blood.csv", content);
        p.AnxADC->Button1Click();
        break;
      case WaveGenFiles: {
        const QList<QByteArray> parts = InputParts(content, 2);
        folder.Put("Config/Reg.reg", &parts[0]);
        folder.Put("Config/DAC.ram", parts.size() > 1 ? &parts[1] : nullptr);
        p.WaveGenForm->LoadRegFile();
        p.WaveGenForm->LoadDACRam();
        break;
      }
      case BodyFatPair: {
        const QList<QByteArray> parts = InputParts(content, 2);
        folder.Put("pair.ram", &parts[0]);
        folder.Put("pair.reg", parts.size() > 1 ? &parts[1] : nullptr);
        LoadRamFileImage(*p.Mx_UP, ReadRamFileImage(ReadTextLines(folder.Path("pair.ram"))));
        if (parts.size() > 1) LoadRegFileValues(*p.Mx_UP, ReadRegFileValues(ReadTextLines(folder.Path("pair.reg"))));
        break;
      }
    }
  });
  host.Tidy();
  return 0;
}
