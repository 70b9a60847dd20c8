// The register lists: capacity, blocks, item access and the word key.
#include <gtest/gtest.h>

#include "common/register_model.h"

namespace {

TEST(RegisterLists, AddUpToCapacityInOrder) {
  TCRREGBytePtr list;
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Items(0), nullptr);
  for (int i = 0; i < 512; ++i) {
    ASSERT_EQ(list.Add(RegByteItem{static_cast<uint16_t>(i), static_cast<uint8_t>(i)}), 0) << i;
    ASSERT_EQ(list.Count(), i + 1);
  }
  // The 257th entry went into the second block; the 513th is refused.
  EXPECT_EQ(list.Items(256)->Address, 256);
  EXPECT_EQ(list.Items(255)->Address, 255);
  EXPECT_EQ(list.Add(RegByteItem{999, 0}), TCRREGBytePtr::Full);
  EXPECT_EQ(list.Count(), 512);
  EXPECT_EQ(list.Items(511)->Address, 511);
  EXPECT_EQ(list.Items(512), nullptr);
  EXPECT_EQ(list.Items(-1), nullptr);

  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Items(0), nullptr);
  EXPECT_EQ(list.Add(RegByteItem{7, 1}), 0);
  EXPECT_EQ(list.Items(0)->Address, 7);
}

TEST(RegisterLists, EntriesAreCopiesAndWordsHaveAKey) {
  TCRREGBitPtr bits;
  RegBitItem b;
  b.Name = "ADCON";
  b.Address = 0x0C;
  b.BitNames[0] = "ENADC";
  bits.Add(b);
  b.Name = "CHANGED";
  EXPECT_EQ(bits.Items(0)->Name, "ADCON");
  EXPECT_EQ(bits.Items(0)->BitNames[0], "ENADC");

  TCRREGWordPtr words;
  words.Add(RegWordItem{0x21, 0x20, 0});
  EXPECT_EQ(words.AddrKey(0), 0x2120);
  EXPECT_EQ(words.AddrKey(1), -1);
}

}  // namespace
