// The register lists exist from the second window's create handler to the main window's close.
#include "app/support/program_fixture.h"

namespace {

using RegisterModel = ProgramTest;

TEST_F(RegisterModel, ListsLiveFromStartUpToClose) {
  StartProgram();
  ASSERT_NE(prog->G.RegBitList, nullptr);
  ASSERT_NE(prog->G.RegByteList, nullptr);
  ASSERT_NE(prog->G.RegWordList, nullptr);
  prog->Close();
  EXPECT_EQ(prog->G.RegBitList, nullptr);
  EXPECT_EQ(prog->G.RegByteList, nullptr);
  EXPECT_EQ(prog->G.RegWordList, nullptr);
}

}  // namespace
