// The settings files the program reads at start-up and writes at close, read on their
// own: "MxIQFormSet.txt", "bodyFatFormSet.txt", "WaveformSet.txt" and "MxComPorts.cfg".
// The first input byte chooses the file; the rest is its content.
//
// A settings file must read back what the program writes: what is written after a
// read, read and written again, is the same file.
#include <cstdio>
#include <cstdlib>

#include "block_panels/wave_files.h"
#include "common/errors.h"
#include "common/serial_port_file.h"
#include "common/settings_reader.h"
#include "common/text_encoding.h"
#include "fuzz_host.h"
#include "impedance/bodyfat_settings.h"
#include "impedance/iq_test_settings.h"
#include "platform/serial_port_map.h"

namespace {

enum Reader { IQForm, BodyFat, Waveform, ComPorts, ReaderCount };

// Reads the input with `read` (which returns what the reading met: lines whose number
// did not read, an early end), writes what was read, and checks that the written file
// reads back whole and clean to the same file.
template <typename Settings, typename Read, typename Write>
void CheckRoundTrip(const FuzzFolder& folder, const char* name, const QByteArray& content, Read read, Write write) {
  const QString input = folder.Path(name);
  const QString first = folder.Path(QStringLiteral("first-") + name);
  const QString second = folder.Path(QStringLiteral("second-") + name);
  folder.Put(name, content);
  // Reading starts from what the program holds before it: its defaults, as a file of
  // them reads (the window starts from its controls).
  Settings s;
  write(first, s);
  (void)read(first, s);
  try {
    // A line that is not a number, or one the file ends before, keeps its value; the
    // program shows which and writes the rest as read.
    (void)read(input, s);
  } catch (const MxError&) {
    // A file that cannot be opened: shown by the program, which keeps its defaults.
  }
  write(first, s);
  Settings back;
  try {
    const SettingsFileFaults faults = read(first, back);
    if (!faults.BadLines.isEmpty()) {
      fprintf(stderr, "%s written by the program does not read back: line %d is not a number\n", name,
              faults.BadLines[0]);
      abort();
    }
    if (faults.Short()) {
      fprintf(stderr, "%s written by the program does not read back: it ends after line %d\n", name, faults.Lines);
      abort();
    }
  } catch (const MxError& e) {
    fprintf(stderr, "%s written by the program does not read back: %s\n", name, e.what());
    abort();
  }
  write(second, back);
  const QByteArray a = folder.Get(QStringLiteral("first-") + name);
  const QByteArray b = folder.Get(QStringLiteral("second-") + name);
  ExpectReadsBack(name, a, b);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzFolder folder;
  if (size < 1) return 0;
  const QByteArray content = InputBytes(data + 1, size - 1);
  switch (data[0] % ReaderCount) {
    case IQForm:
      CheckRoundTrip<IQFormSettings>(
          folder, "MxIQFormSet.txt", content,
          [](const QString& f, IQFormSettings& s) { return ReadIQFormSettings(f, s); },
          [](const QString& f, const IQFormSettings& s) { WriteIQFormSettings(f, s); });
      break;
    case BodyFat:
      CheckRoundTrip<BodyFatSettings>(
          folder, "bodyFatFormSet.txt", content,
          [](const QString& f, BodyFatSettings& s) { return ReadBodyFatSettings(f, s); },
          [](const QString& f, const BodyFatSettings& s) { WriteTextLines(f, BodyFatSettingsLines(s)); });
      break;
    case Waveform:
      CheckRoundTrip<WaveformSettings>(
          folder, "WaveformSet.txt", content,
          [](const QString& f, WaveformSettings& s) { return ReadWaveformSettings(f, s); },
          [](const QString& f, const WaveformSettings& s) { WriteWaveformSettings(f, s); });
      break;
    case ComPorts: {
      folder.Put(ComPortMapFile, content);
      ComPortMap map;
      LoadComPortMap(map, folder.Path(""));
      for (int n = 0; n <= ComPortCount + 1; ++n) (void)map.Path(n);
      break;
    }
  }
  return 0;
}
