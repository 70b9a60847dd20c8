// Window placements applied at the next start of the program.
#include "app/support/program_fixture.h"
#include "shell/main_panel.h"
#include "shell/register_view.h"

namespace {

using PlacementProgram = ProgramTest;

TEST_F(PlacementProgram, PanelBoundsComeBackAtTheNextRun) {
  WriteFile("mx-enob.wst", "garbage\r\n");
  StartProgram();
  prog->MainPanel->show();
  Click("SMenu_REG");
  prog->Mx_Reg2->Frame()->setGeometry(70, 80, 400, 300);
  StopProgram();
  QByteArray file = ReadFile("mx-enob.wst");
  ASSERT_TRUE(file.startsWith("1.10\r\n"));
  EXPECT_TRUE(file.contains("Mx_Reg2\r\n   70   80  400  300    0    0\r\n")) << file.toStdString();

  StartProgram();
  prog->MainPanel->show();
  EXPECT_EQ(prog->Mx_Reg2->Frame()->geometry(), QRect(70, 80, 400, 300));
  EXPECT_FALSE(prog->Mx_Reg2->Shown());
}

}  // namespace
