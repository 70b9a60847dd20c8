#pragma once
// Whether the register-driven views show the shadow: the memory view's cell of an
// address (in the bank it shows) and the register view's bit rows and byte cells of
// it hold the shadow's value, its implemented bits only ("-" in the memory view for
// an address the chip definition leaves out).

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/program.h"
#include "common/number_text.h"
#include "shell/memory_view.h"

// Where the views do not show the shadow at `a`, as "address view: shown/shadow" texts.
inline void ViewsAgainstShadowAt(const Program& prog, int a, std::vector<std::string>& out) {
  const Globals& g = prog.G;
  if (a < 0 || a >= RegShadowSize || a >= RegModelSize) return;
  const uint8_t v = g.Channels[0].RegShadow[a] & g.RegMask[a];
  auto differs = [&](const char* view, const QString& shown, const QString& shadow) {
    if (shown == shadow) return;
    char text[96];
    std::snprintf(text, sizeof text, "%03Xh %s: %s/%s", a, view, shown.toUtf8().constData(),
                  shadow.toUtf8().constData());
    out.emplace_back(text);
  };
  if (a / 256 == g.RamBank)
    differs("memory view", prog.Mx_RAM->SGD->Cell(a % 16 + 1, a % 256 / 16 + 1),
            g.RegMask[a] ? IntToHexW(v, 2) : QString("-"));
  if (const TCRREGBitPtr* bits = g.RegBitList.get())
    for (int i = 0; i < bits->Count(); ++i)
      if (bits->Items(i)->Address == a) differs("register view bits", IntToHexW(bits->Items(i)->Value, 2), IntToHexW(v, 2));
  if (const TCRREGBytePtr* bytes = g.RegByteList.get())
    for (int i = 0; i < bytes->Count(); ++i)
      if (bytes->Items(i)->Address == a) differs("register view byte", IntToHexW(bytes->Items(i)->Value, 2), IntToHexW(v, 2));
}

inline void ExpectViewsShowTheShadow(const Program& prog, std::initializer_list<int> addresses) {
  std::vector<std::string> out;
  for (int a : addresses) ViewsAgainstShadowAt(prog, a, out);
  EXPECT_EQ(out, std::vector<std::string>{});
}

// Every address the memory view shows and every register: where a view does not show
// the shadow.
inline std::vector<std::string> ViewsAgainstShadow(const Program& prog) {
  std::vector<std::string> out;
  for (int a = 0; a < 0x80; ++a) ViewsAgainstShadowAt(prog, a, out);
  for (int k = 0; k < 256; ++k)
    if (const int a = prog.G.RamBank * 256 + k; a >= 0x80) ViewsAgainstShadowAt(prog, a, out);
  return out;
}
