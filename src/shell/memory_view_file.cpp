#include "shell/memory_view_file.h"

#include "common/globals.h"
#include "common/number_text.h"
#include "common/settings_reader.h"
#include "link/register_files.h"

QStringList MemoryViewFileLines(const Globals& g, const MemoryMarks& marks) {
  QStringList lines;
  lines.reserve(4 * MemoryViewFileAddresses);
  for (int a = 0; a < MemoryViewFileAddresses; ++a)
    lines << (g.RegMask[a] ? IntToHexW(ShadowAt(g, a), 2) : QStringLiteral("-"));
  for (int a = 0; a < MemoryViewFileAddresses; ++a) {
    lines << IntW(marks.Mark[a] ? 1 : 0, 2) + IntW(marks.Hint[a] ? 1 : 0, 2);
    lines << QString::number(static_cast<int32_t>(marks.MarkColor[a]));
    lines << marks.HintText[a];
  }
  return lines;
}

void ReadMemoryViewFile(SettingsReader& file, const Globals& g, MemoryMarks& marks,
                        const std::function<void(int address, uint8_t value)>& store,
                        const std::function<void()>& valuesDone) {
  for (int a = 0; a < MemoryViewFileAddresses; ++a) {
    const QString line = file.ReadText();
    store(a, g.RegMask[a] ? static_cast<uint8_t>(HexStrToInt(line)) : 0);
  }
  valuesDone();
  for (int a = 0; a < MemoryViewFileAddresses; ++a) {
    const int mark = file.ReadInt();
    const int hint = file.ReadInt();
    file.SkipLine();
    marks.Mark[a] = mark == 1;
    marks.Hint[a] = hint == 1;
    marks.MarkColor[a] = static_cast<uint32_t>(file.ReadIntLine());
    marks.HintText[a] = file.ReadText();
  }
}
