#include "instruments/command_grid_form.h"

#include <QFileInfo>
#include <QVBoxLayout>

#include "common/text_encoding.h"
#include "instruments/step_grid.h"
#include "instruments/temperature_test.h"
#include "kit/bench.h"

namespace {
constexpr int kGridWidth = 338;
constexpr int kGridHeight = 622;
}  // namespace

TCommandGridForm::TCommandGridForm(Bench& program, const QString& name, const QString& caption,
                                   const QString& gridName, QWidget* parent)
    : TPanelForm(program, name, caption, parent) {
  Grid = new TStepGrid(gridName, 3, InstrumentGridRows, this);
  Grid->setFixedSize(kGridWidth, kGridHeight);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Grid);
  // The window sizes itself to its grid.
  setFixedSize(kGridWidth, kGridHeight);
}

void TCommandGridForm::FormCreate() { LayOut(InstrumentGridRows); }

void TCommandGridForm::INI() { LayOut(Temperature->Modenum() + 1); }

void TCommandGridForm::LayOut(int rows) {
  Grid->Edit([rows](TextGrid& g) { LayOutInstrumentGrid(g, rows); });
}

void TCommandGridForm::SaveTable(const QString& fileName) {
  const int n = Temperature->Modenum();
  WriteTextLines(P.G.AppDir + fileName, CommandTableLines(Grid->Grid(), n));
}

void TCommandGridForm::LoadTable(const QString& fileName, CommandKeyRule rule) {
  const int n = Temperature->Modenum();
  const QString path = P.G.AppDir + fileName;
  // A missing table leaves the grid cleared.
  const QStringList lines = QFileInfo::exists(path) ? ReadTextLines(path) : QStringList();
  Grid->Edit([&](TextGrid& g) { LoadCommandTable(lines, g, n, rule); });
}
