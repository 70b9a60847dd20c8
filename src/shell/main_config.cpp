#include "shell/main_config.h"

#include "common/settings_reader.h"

namespace {
// A number of a line of several, right-aligned in `width` characters; one that fills
// its field or is wider gets a blank in front, so that it never runs into the number
// before it and the file reads back.
QString Field(long long value, int width) {
  const QString digits = QString::number(value);
  return digits.size() < width ? digits.rightJustified(width, ' ') : " " + digits;
}
}  // namespace

QStringList FormatMainConfig(const QString& caption, const MainConfig& c) {
  QStringList l;
  l << caption;
  l << Field(c.ProductIndex, 4) + Field(c.LinkKind, 4) + Field(c.UartComIndex, 4) + Field(c.UartBaudIndex, 4) +
           Field(c.UartParityIndex, 4);
  for (bool f : c.ConfigFlags) l << BoolText(f);
  l << IntW(c.BitPage, 2) << IntW(c.RamBank, 2);
  l << IntW(c.OutMode, 0) << IntW(c.OutBits, 0);
  l << Field(c.NPointIndex, 4) + Field(c.TXScale, 4) << BoolText(c.MovingDiffMode);
  l << IntW(c.CFunADC, 4);
  l << IntW(c.CLPT, 4);
  l << Field(c.DmmCalValue, 8) + Field(c.DmmCalReading, 8);
  QString scale, dmm;
  for (int i = 0; i < 6; ++i) {
    scale += Field(c.AdcPresetScale[i], 4);
    dmm += Field(c.AdcPresetDmm[i], 4);
  }
  l << scale << dmm;
  l << IntW(c.ComFun, 4) << IntW(c.ADShift, 4);
  l << IntW(c.Photo, 4);
  l << c.EREFV;
  l << IntW(c.CMAVR, 4);
  l << IntW(c.CHFULL, 4);
  l << Field(c.EGv, 6) + Field(c.ChTemper, 6);
  l << BoolText(c.ChangeADI) << BoolText(c.cbEKG) << BoolText(c.updateChart);
  return l;
}

bool ReadMainConfig(const QString& path, const QString& caption, MainConfig& c,
                    const std::function<void(int)>& applyBlock) {
  SettingsReader in = SettingsReader::Open(path);
  if (in.ReadText() != caption) return false;
  auto apply = [&](int block) {
    if (applyBlock) applyBlock(block);
  };
  for (int block = 0; block < MainConfigBlocks && !in.Eof(); ++block) {
    switch (block) {
      case 0: {
        int v[5];
        for (int& x : v) x = in.ReadInt();
        in.SkipLine();
        c.ProductIndex = v[0] & 0xFFFF;
        c.LinkKind = v[1] & 0xFFFF;
        c.UartComIndex = v[2];
        c.UartBaudIndex = v[3];
        c.UartParityIndex = v[4];
        break;
      }
      case 1: {
        bool f[6];
        for (bool& x : f) x = in.ReadBoolLine();
        std::copy(std::begin(f), std::end(f), c.ConfigFlags);
        break;
      }
      case 2: {
        int page = in.ReadIntLine();
        int bank = in.ReadIntLine();
        c.BitPage = page & 0xFF;
        c.RamBank = bank & 0xFF;
        break;
      }
      case 3: {
        int mode = in.ReadIntLine();
        int bits = in.ReadIntLine();
        c.OutMode = mode;
        c.OutBits = bits & 0xFF;
        break;
      }
      case 4: {
        int n = in.ReadInt();
        int s = in.ReadInt();
        in.SkipLine();
        c.MovingDiffMode = in.ReadBoolLine();
        c.NPointIndex = n;
        c.TXScale = s;
        break;
      }
      case 5: c.CFunADC = in.ReadIntLine(); break;
      case 6: c.CLPT = in.ReadIntLine(); break;
      case 7: {
        int v = in.ReadInt();
        int r = in.ReadInt();
        in.SkipLine();
        if (v == 0 || r == 0) {
          v = 500000;
          r = 50000;
        }
        c.DmmCalValue = v;
        c.DmmCalReading = r;
        break;
      }
      case 8: {
        uint8_t scale[6], dmm[6];
        for (uint8_t& x : scale) x = static_cast<uint8_t>(in.ReadInt() & 0xFF);
        in.SkipLine();
        for (uint8_t& x : dmm) x = static_cast<uint8_t>(in.ReadInt() & 0xFF);
        in.SkipLine();
        std::copy(std::begin(scale), std::end(scale), c.AdcPresetScale);
        std::copy(std::begin(dmm), std::end(dmm), c.AdcPresetDmm);
        break;
      }
      case 9: {
        int f = in.ReadIntLine();
        int s = in.ReadIntLine();
        c.ComFun = f;
        c.ADShift = s;
        break;
      }
      case 10: c.Photo = in.ReadIntLine(); break;
      case 11: c.EREFV = in.ReadText(); break;
      case 12: c.CMAVR = in.ReadIntLine(); break;
      case 13: c.CHFULL = in.ReadIntLine(); break;
      case 14: {
        int g = in.ReadInt();
        int t = in.ReadInt();
        in.SkipLine();
        c.EGv = g;
        c.ChTemper = t;
        break;
      }
      case 15: {
        c.ChangeADI = in.ReadBoolLine();
        c.cbEKG = in.ReadBoolLine();
        c.updateChart = in.ReadBoolLine();
        break;
      }
    }
    apply(block);
  }
  return true;
}
