// Window placements applied at the next start of the program.
#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <functional>
#include <map>

#include "app/support/program_fixture.h"
#include "kit/form.h"
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
  // An entry's numbers as the file holds them, for a window not showing.
  static std::string Numbers(const QRect& r, Qt::WindowState s = Qt::WindowNoState) {
    const int state = s == Qt::WindowMaximized ? 1 : s == Qt::WindowMinimized ? 2 : 0;
    return QStringLiteral("%1%2%3%4%5    0")
        .arg(r.left(), 5)
        .arg(r.top(), 5)
        .arg(r.width(), 5)
        .arg(r.height(), 5)
        .arg(state, 5)
        .toStdString();
  }
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
  EXPECT_EQ(Entry("Option"), Line("Option", Numbers(shownAt)));
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


// Every panel the menu opens, and the Setup dialog, placed in one run (moved and
// resized, one maximized, one minimized) and opened at the next starts: each first
// opening shows the stored size at the top-left corner, a maximized or minimized
// panel in its state with its normal bounds kept for when it is restored. A run that
// opens nothing changes no entry.
class EveryPanelPlacement : public PlacementProgram {
protected:
  struct Opening {
    const char* item;  // the menu item that opens it
    int index;         // its panel index
    const char* name;  // its entry's name
    Qt::WindowState state = Qt::WindowNoState;  // left so in the first run
  };
  const std::vector<Opening> openings = {
      {"SMenu_RAM", 1, "Mx_RAM"},
      {"SMenu_REG", 2, "Mx_Reg2"},
      {"Menu_ReadAdc", 7, "AnxADC"},
      {"Regist", 8, "TMP"},
      {"Fluke1", 9, "FLUKE"},
      {"BryMenShow1", 10, "Meter"},
      {"Power1", 11, "FPower"},
      {"SMenu_CMP", 14, "DACForm"},
      {"IQTest1", 15, "IQForm"},
      {"WaveGen", 16, "WaveGenForm"},
      {"Bodyfat", 17, "bodyFatForm"},
      {"SMenu_Bodyfat", 18, "bodyfatGUIForm"},
      {"LoadRAM", 19, "ShowWaveForm"},
      // Last: a panel activated while another is maximized is maximized too.
      {"SMenu_OP", 4, "OPForm", Qt::WindowMinimized},
      {"SMenu_ADC", 3, "ADCForm", Qt::WindowMaximized}};

  TPanelForm* Panel(const Opening& o) const { return qobject_cast<TPanelForm*>(prog->PanelOf(o.index)); }
  // Opens it through its menu item ("Load RAM" with a file of the memory banks).
  void Open(const Opening& o) {
    if (std::string(o.item) == "LoadRAM") {
      Click("USBScan");
      sim.dialogs.saveAnswers << Path("banks");
      Click("SaveTable");
      sim.dialogs.openAnswers << Path("banks.ram");
    }
    Click(o.item);
  }
  // Opens the Setup dialog through the menu, runs `whileShown` on it and closes it;
  // gives the bounds it was shown at.
  QRect OpenSetup(const std::function<void(TOption*)>& whileShown = {}) {
    TOption* dialog = prog->Option;
    QRect shownAt;
    QTimer::singleShot(0, dialog, [&] {
      if (whileShown) whileShown(dialog);
      shownAt = dialog->geometry();
      dialog->BtClose->click();
    });
    Click("SMenu_Option");
    return shownAt;
  }
};

TEST_F(EveryPanelPlacement, EachPanelReopensAtItsStoredSizeOverRestarts) {
  // Run 1, no placement file: every panel opens at its design size at 0,0; every
  // other one is then moved and made larger.
  StartShown();
  std::map<int, QRect> normal;  // the normal bounds left at the close
  for (size_t i = 0; i < openings.size(); ++i) {
    const Opening& o = openings[i];
    Open(o);
    TPanelForm* panel = Panel(o);
    ASSERT_TRUE(panel && panel->Shown()) << o.item;
    PanelFrame* frame = panel->Frame();
    const QSize design = frame->size();
    EXPECT_EQ(frame->pos(), QPoint(0, 0)) << o.item;
    EXPECT_GE(frame->widget()->width(), panel->minimumSizeHint().width()) << o.item;
    EXPECT_GE(frame->widget()->height(), panel->minimumSizeHint().height()) << o.item;
    if (i % 2 == 0) frame->setGeometry(int(10 + 7 * i), int(20 + 5 * i), design.width() + 31, design.height() + 17);
    normal[o.index] = frame->geometry();
  }
  for (const Opening& o : openings) {
    PanelFrame* frame = Panel(o)->Frame();
    if (o.state == Qt::WindowMinimized) frame->showMinimized();
    if (o.state == Qt::WindowMaximized) frame->showMaximized();
  }
  for (const Opening& o : openings)
    ASSERT_EQ(Panel(o)->Frame()->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized), o.state) << o.item;
  const QRect setup = OpenSetup([](TOption* d) { d->move(d->x() + 25, d->y() + 15); });
  ASSERT_TRUE(setup.isValid());
  StopProgram();
  for (const Opening& o : openings)
    EXPECT_EQ(Entry(o.name), Line(o.name, Numbers(normal[o.index], o.state))) << o.item;
  EXPECT_EQ(Entry("Option"), Line("Option", Numbers(setup)));
  const QByteArray placed = ReadFile("mx-enob.wst");

  // Run 2 opens nothing: the file stays as it was.
  StartShown();
  StopProgram();
  EXPECT_EQ(ReadFile("mx-enob.wst"), placed);

  // Runs 3 and 4: each panel's first opening is at 0,0 with its stored size (a normal
  // one within the screen's), in its stored state; the Setup dialog has its stored size.
  const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
  for (const Opening& o : openings) {
    QRect& r = normal[o.index];
    r = QRect(QPoint(0, 0), o.state == Qt::WindowNoState ? r.size().boundedTo(screen) : r.size());
  }
  for (int run = 3; run <= 4; ++run) {
    StartShown();
    for (const Opening& o : openings) {
      Open(o);
      TPanelForm* panel = Panel(o);
      ASSERT_TRUE(panel && panel->Shown()) << o.item << " run " << run;
      PanelFrame* frame = panel->Frame();
      const QRect stored = normal[o.index];
      EXPECT_EQ(frame->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized), o.state)
          << o.item << " run " << run;
      EXPECT_EQ(frame->NormalGeometry(), stored) << o.item << " run " << run;
      if (o.state == Qt::WindowNoState) {
        EXPECT_EQ(frame->geometry(), stored) << o.item << " run " << run;
      }
    }
    EXPECT_EQ(OpenSetup().size(), setup.size()) << "run " << run;
    StopProgram();
    for (const Opening& o : openings)
      EXPECT_EQ(Entry(o.name), Line(o.name, Numbers(normal[o.index], o.state)))
          << o.item << " run " << run;
  }

  // Restored, the maximized and the minimized panel take their normal bounds.
  StartShown();
  for (const Opening& o : openings) {
    Open(o);
    if (o.state == Qt::WindowNoState) continue;
    PanelFrame* frame = Panel(o)->Frame();
    frame->showNormal();
    EXPECT_EQ(frame->geometry(), normal[o.index]) << o.item;
  }
}

}  // namespace
