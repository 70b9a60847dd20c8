#pragma once
// The drawing surface of a block panel: its block-diagram picture at 1:1 on a canvas in
// a scroll area that fills the window, and the controls laid on it at the spots of the
// panel's spot map (component name -> rectangle in diagram pixels). A smaller window
// scrolls; nothing is scaled, so the controls stay on the wires drawn under them.

#include <QColor>
#include <QPolygonF>
#include <QRect>
#include <QSize>
#include <QString>
#include <vector>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QWidget;
class TTogglePanel;

// One control's place. `field`: the diagram draws a white field with the id "spot_" +
// name under the control (single controls); glyphs, bank labels and covers have none.
struct PanelSpot {
  QString name;
  QRect rect;
  bool field = false;
};
using PanelSpots = std::vector<PanelSpot>;

// The spot of a component; an empty rectangle for a name without one.
QRect SpotIn(const PanelSpots& spots, const QString& name);

// The background colour of every diagram; cover panels take it, so a covered part of a
// picture simply disappears.
QColor DiagramBackground();

// Creates in `form` a scroll area that fills it (objectName "ScrollBox1"), the canvas of
// the picture's size in it ("PanelDiagram", with the panels' font) and the picture on it
// ("Image1"). Returns the canvas.
QWidget* CreateDiagramCanvas(QWidget* form, const QString& picture, QSize size);

// Controls named by their component name and laid on `rect` (in the coordinates of
// their parent).
QLabel* SpotLabel(QWidget* parent, const QString& name, const QRect& rect, const QString& text = {});
// A combo box of the binary codes "0..0" .. "1..1" of `digits` digits.
QComboBox* SpotCodeCombo(QWidget* parent, const QString& name, const QRect& rect, int digits);
TTogglePanel* SpotToggle(QWidget* parent, const QString& name, const QRect& rect, const QString& caption);
// A read-only edit with fixed-width digits.
QLineEdit* SpotCodeDisplay(QWidget* parent, const QString& name, const QRect& rect, const QString& text);
// The colour of the diagrams' wires.
QColor DiagramWire();

// A borderless panel in the diagram's background colour, lying above what is under it.
// With a `wire` (a polyline in the coordinates of `parent`), it draws that wire through
// itself as the picture draws its wires: it hides a junction's dot on wires that stay.
QFrame* SpotCover(QWidget* parent, const QString& name, const QRect& rect, const QPolygonF& wire = {});
// A container panel over part of the diagram with a picture of its own at 1:1.
QWidget* SpotCard(QWidget* parent, const QString& name, const QRect& rect, const QString& picture);
