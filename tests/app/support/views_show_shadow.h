#pragma once
// Whether the register-driven views show the shadow: the memory view's cell (bank 0
// shown) and the register view's bit row of an address hold the shadow's value, its
// implemented bits only ("-" for an address the chip definition leaves out).

#include <gtest/gtest.h>

#include <initializer_list>

#include "app/program.h"
#include "common/number_text.h"
#include "shell/memory_view.h"

inline void ExpectViewsShowTheShadow(const Program& prog, std::initializer_list<int> addresses) {
  const Globals& g = prog.G;
  for (int a : addresses) {
    const uint8_t v = g.Channels[0].RegShadow[a] & g.RegMask[a];
    EXPECT_EQ(prog.Mx_RAM->SGD->Cell(a % 16 + 1, a / 16 + 1), g.RegMask[a] ? IntToHexW(v, 2) : QString("-"))
        << "memory view at " << a;
    const TCRREGBitPtr* bits = g.RegBitList.get();
    for (int i = 0; bits && i < bits->Count(); ++i)
      if (bits->Items(i)->Address == a) {
        EXPECT_EQ(bits->Items(i)->Value, v) << "register view at " << a;
      }
  }
}
