#pragma once
// A Program on a temporary folder with the simulated board, as the tests drive it.

#include <gtest/gtest.h>

#include <QAction>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <vector>

#include "app/program.h"
#include "sim/sim_platform.h"

// Copies the shipped data files into a folder.
void CopyShippedData(const QString& toDir);

// Bytes as they went to the board, for comparisons.
using Bytes = std::vector<uint8_t>;

class ProgramTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // Creates the program (and runs the start-up step unless told not to).
  void StartProgram(bool runStartUp = true);
  // Destroys the program as the main window's close and destroy would.
  void StopProgram();
  // Makes the simulated board one board of `kind` (driver "Mxusb-0" or HID index 0),
  // every fault cleared and the program's link to the board before it closed.
  void UseBoard(SimBoard::Kind kind);

  QString Path(const QString& name) const { return dir.filePath(name); }
  void WriteFile(const QString& name, const QByteArray& content) const;
  QByteArray ReadFile(const QString& name) const;

  // A menu item of the main window by its component name.
  QAction* Item(const QString& name) const;
  void Click(const QString& menuItem) const;

  // Calls `seen` with each register-driven window as it refreshes, before its refresh
  // runs; an empty function stops watching.
  void WatchRefreshes(std::function<void(RefreshView)> seen);

  // Host -> board packets since the log was last cleared.
  std::vector<Bytes> Sent() const { return sim.board.Sent(); }

  template <typename T>
  T* Find(QObject* owner, const QString& name) const {
    T* w = owner->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << "no control " << name.toStdString();
    return w;
  }

  QTemporaryDir dir;
  SimPlatform sim;
  std::unique_ptr<Program> prog;
  bool copyData = true;

private:
  std::vector<Program::RegisterWindow> unwatched_;
};
