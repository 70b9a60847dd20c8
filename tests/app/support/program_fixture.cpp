#include "app/support/program_fixture.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include "shell/main_panel.h"
#include "support/board_faults.h"

void CopyShippedData(const QString& toDir) {
  QDir src(MX_DATA_DIR);
  QDirIterator it(src.path(), QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    QString from = it.next();
    QString rel = src.relativeFilePath(from);
    QString to = QDir(toDir).filePath(rel);
    QDir().mkpath(QFileInfo(to).path());
    QFile::copy(from, to);
  }
}

void ProgramTest::SetUp() {
  ASSERT_TRUE(dir.isValid());
  if (copyData) CopyShippedData(dir.path());
}

void ProgramTest::TearDown() { StopProgram(); }

void ProgramTest::StartProgram(bool runStartUp) {
  prog = std::make_unique<Program>(dir.path(), sim.platform);
  if (runStartUp) prog->Start();
}

void ProgramTest::StopProgram() {
  unwatched_.clear();
  prog.reset();
}

void ProgramTest::WatchRefreshes(std::function<void(RefreshView)> seen) {
  if (unwatched_.empty()) unwatched_ = prog->RegisterWindows;
  prog->RegisterWindows = unwatched_;
  if (!seen) return;
  for (Program::RegisterWindow& w : prog->RegisterWindows)
    w.dataUpdate = [seen, v = w.view, update = w.dataUpdate] {
      seen(v);
      update();
    };
}

void ProgramTest::UseBoard(SimBoard::Kind kind) {
  if (prog) prog->Transport.CloseDevice(prog->G.Channels[0].Devc);
  sim.board.ClearFaults();
  UseBoardKind(sim.board, kind);
}

void ProgramTest::WriteFile(const QString& name, const QByteArray& content) const {
  QString p = dir.filePath(name);
  QDir().mkpath(QFileInfo(p).path());
  QFile f(p);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(content);
}

QByteArray ProgramTest::ReadFile(const QString& name) const {
  QFile f(dir.filePath(name));
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

QAction* ProgramTest::Item(const QString& name) const {
  QAction* a = prog->MainPanel->MenuItem(name);
  EXPECT_NE(a, nullptr) << "no menu item " << name.toStdString();
  return a;
}

void ProgramTest::Click(const QString& menuItem) const {
  if (QAction* a = Item(menuItem)) a->trigger();
}
