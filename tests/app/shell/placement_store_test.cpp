// Window placements applied at the next start of the program.
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTimer>

#include "app/support/program_fixture.h"
#include "shell/main_panel.h"
#include "shell/register_view.h"
#include "shell/setup_dialog.h"

namespace {

class PlacementProgram : public ProgramTest {
protected:
  // Starts the program and shows its main window, which applies the placements.
  void StartShown() {
    StartProgram();
    prog->MainPanel->show();
  }
  // The two lines of a window's (first) entry in the placement file as it is now.
  std::string Entry(const QByteArray& name) const {
    const QByteArray file = ReadFile("mx-enob.wst");
    const qsizetype at = file.indexOf("\r\n" + name + "\r\n");
    if (at < 0) return {};
    const qsizetype end = file.indexOf("\r\n", at + name.size() + 4);
    return file.mid(at + 2, end - at - 2).toStdString();
  }
  static std::string Line(const std::string& name, const std::string& numbers) { return name + "\r\n" + numbers; }
  // A placement file of these entries.
  void WritePlacements(const std::vector<std::string>& entries) const {
    std::string text = "1.10\r\n" + std::to_string(entries.size()) + "\r\n";
    for (const std::string& e : entries) text += e + "\r\n";
    WriteFile("mx-enob.wst", QByteArray::fromStdString(text));
  }
};

TEST_F(PlacementProgram, PanelBoundsComeBackAtTheNextRun) {
  WriteFile("mx-enob.wst", "garbage\r\n");
  StartShown();
  Click("SMenu_REG");
  prog->Mx_Reg2->Frame()->setGeometry(70, 80, 400, 300);
  StopProgram();
  QByteArray file = ReadFile("mx-enob.wst");
  ASSERT_TRUE(file.startsWith("1.10\r\n"));
  EXPECT_EQ(Entry("Mx_Reg2"), Line("Mx_Reg2", "   70   80  400  300    0    0")) << file.toStdString();

  StartShown();
  EXPECT_EQ(prog->Mx_Reg2->Frame()->geometry(), QRect(70, 80, 400, 300));
  EXPECT_FALSE(prog->Mx_Reg2->Shown());
}

// A window that did not come on screen in a run writes back the entry read for it,
// whatever the toolkit made of its bounds meanwhile; one that did is recorded anew.
TEST_F(PlacementProgram, AWindowNeverShownKeepsItsEntry) {
  const std::string setup = Line("Option", "  300  200  420  380    0    0");
  const std::string panel = Line("Mx_RAM", "   30   40  600  500    1    0");
  WritePlacements({setup, panel});
  StartShown();
  StopProgram();
  EXPECT_EQ(Entry("Option"), setup);
  EXPECT_EQ(Entry("Mx_RAM"), panel);

  // Shown this time: the Setup dialog's entry takes where it was shown.
  StartShown();
  TOption* o = prog->Option;
  QRect shownAt;
  QTimer::singleShot(0, o, [&] {
    shownAt = o->geometry();
    o->BtClose->click();
  });
  Click("SMenu_Option");
  ASSERT_TRUE(shownAt.isValid());
  StopProgram();
  EXPECT_EQ(Entry("Option"), Line("Option", QStringLiteral("%1%2%3%4    0    0")
                                                .arg(shownAt.left(), 5)
                                                .arg(shownAt.top(), 5)
                                                .arg(shownAt.width(), 5)
                                                .arg(shownAt.height(), 5)
                                                .toStdString()));
  EXPECT_EQ(Entry("Mx_RAM"), panel);
}

// A panel closed maximized is stored so (state 1 in the file) with the bounds it goes
// back to; at the next run it stays hidden and opens maximized.
TEST_F(PlacementProgram, AMaximizedPanelComesBackMaximized) {
  StartShown();
  Click("SMenu_REG");
  QMdiSubWindow* frame = prog->Mx_Reg2->Frame();
  frame->setGeometry(70, 80, 600, 500);
  frame->showMaximized();
  ASSERT_NE(frame->geometry(), QRect(70, 80, 600, 500));
  StopProgram();
  const std::string maximized = Line("Mx_Reg2", "   70   80  600  500    1    0");
  EXPECT_EQ(Entry("Mx_Reg2"), maximized);

  // A run that never opens it keeps the entry.
  StartShown();
  EXPECT_FALSE(prog->Mx_Reg2->Shown());
  StopProgram();
  EXPECT_EQ(Entry("Mx_Reg2"), maximized);

  StartShown();
  frame = prog->Mx_Reg2->Frame();
  EXPECT_FALSE(prog->Mx_Reg2->Shown());
  Click("SMenu_REG");
  EXPECT_TRUE(frame->isMaximized());
  // Restored: the stored size, at the top-left corner where a run's first opening puts it.
  frame->showNormal();
  EXPECT_EQ(frame->geometry(), QRect(0, 0, 600, 500));
  StopProgram();
  EXPECT_EQ(Entry("Mx_Reg2"), Line("Mx_Reg2", "    0    0  600  500    0    0"));
}

// A name the file holds twice: its first entry is applied, updated at the close and
// applied again at the next run; the second is written back as it was.
TEST_F(PlacementProgram, ANameTwiceGoesThroughItsFirstEntry) {
  const std::string second = Line("Mx_Reg2", "   90  100  520  470    1    0");
  WritePlacements({Line("Mx_Reg2", "   30   40  500  450    0    0"), second});
  StartShown();
  QMdiSubWindow* frame = prog->Mx_Reg2->Frame();
  EXPECT_EQ(frame->geometry(), QRect(30, 40, 500, 450));
  Click("SMenu_REG");
  EXPECT_FALSE(frame->isMaximized());
  frame->setGeometry(50, 60, 510, 460);
  StopProgram();
  const QByteArray file = ReadFile("mx-enob.wst");
  EXPECT_EQ(Entry("Mx_Reg2"), Line("Mx_Reg2", "   50   60  510  460    0    0")) << file.toStdString();
  EXPECT_EQ(file.count("\r\nMx_Reg2\r\n"), 2) << file.toStdString();
  EXPECT_TRUE(file.contains(QByteArray::fromStdString("\r\n" + second + "\r\n"))) << file.toStdString();

  StartShown();
  EXPECT_EQ(prog->Mx_Reg2->Frame()->geometry(), QRect(50, 60, 510, 460));
  Click("SMenu_REG");
  EXPECT_FALSE(prog->Mx_Reg2->Frame()->isMaximized());
}

}  // namespace
