#pragma once
// A window holding one instrument step grid (the calibrator's or the power supply's):
// per mode an enable and the command text sent in that mode, with its step-table file.

#include "instruments/step_tables.h"
#include "kit/form.h"

class TStepGrid;
class TTMP;

class TCommandGridForm : public TPanelForm {
  Q_OBJECT
public:
  TCommandGridForm(Bench& program, const QString& name, const QString& caption, const QString& gridName,
                   QWidget* parent = nullptr);
  // Lays the grid out with 49 rows.
  void FormCreate() override;
  // Lays the grid out again for the temperature test's mode count.
  void INI();

  TStepGrid* Grid = nullptr;
  // The temperature test, whose mode count lays the grid out (the program sets it).
  TTMP* Temperature = nullptr;

protected:
  // Writes the enabled rows of the current mode count to the program folder's `fileName`.
  void SaveTable(const QString& fileName);
  // Clears the grid's enables and commands and fills them from `fileName` when it exists.
  void LoadTable(const QString& fileName, CommandKeyRule rule);

private:
  void LayOut(int rows);
};
