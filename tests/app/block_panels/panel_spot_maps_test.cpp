// The op-amp, DAC and body-fat pictures against their spot maps: each picture has the size
// its map gives, draws a white field exactly under each single control, and the panels lay
// every control named in the map on its spot; controls do not overlap but where a card or
// a cover is meant to lie over them.
#include <gtest/gtest.h>

#include <QFile>
#include <QSet>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <functional>
#include <map>

#include "app/block_panels/block_panel_fixture.h"
#include "block_panels/bodyfat_panel.h"
#include "block_panels/bodyfat_spots.h"
#include "block_panels/dac_panel.h"
#include "block_panels/dac_spots.h"
#include "block_panels/opamp_panel.h"
#include "block_panels/opamp_spots.h"

namespace {

struct Diagram {
  const char* picture;
  QSize size;
  const PanelSpots& spots;
};

std::vector<Diagram> Diagrams() {
  return {{OpampPictures::Diagram, OpampDiagramSize(), OpampSpots()},
          {DacPictures::Diagram, DacDiagramSize(), DacSpots()},
          {BodyfatPictures::Diagram, BodyfatDiagramSize(), BodyfatSpots()}};
}

QStringList FieldIds(const QByteArray& svg) {
  QStringList ids;
  QXmlStreamReader xml(svg);
  while (!xml.atEnd())
    if (xml.readNext() == QXmlStreamReader::StartElement) {
      const QString id = xml.attributes().value("id").toString();
      if (id.startsWith("spot_")) ids << id.mid(5);
    }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  return ids;
}

TEST(PanelSpotMaps, PicturesDrawAFieldUnderEachSingleControl) {
  EnsurePanelPictures();
  for (const Diagram& d : Diagrams()) {
    SCOPED_TRACE(d.picture);
    QFile f(d.picture);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    QSvgRenderer r(text);
    ASSERT_TRUE(r.isValid());
    EXPECT_EQ(r.defaultSize(), d.size);
    const QStringList ids = FieldIds(text);
    for (const QString& name : ids) {
      const QRect spot = SpotIn(d.spots, name);
      ASSERT_FALSE(spot.isEmpty()) << "field without a control: " << name.toStdString();
      const QRectF b = r.boundsOnElement("spot_" + name);
      EXPECT_NEAR(b.left(), spot.left(), 1.0) << name.toStdString();
      EXPECT_NEAR(b.top(), spot.top(), 1.0) << name.toStdString();
      EXPECT_NEAR(b.width(), spot.width(), 1.0) << name.toStdString();
      EXPECT_NEAR(b.height(), spot.height(), 1.0) << name.toStdString();
    }
    for (const PanelSpot& s : d.spots) {
      EXPECT_EQ(ids.contains(s.name), s.field) << s.name.toStdString();
      EXPECT_TRUE(QRect(QPoint(0, 0), d.size).contains(s.rect)) << s.name.toStdString();
    }
  }
  // The cards' pictures fill their cards.
  EXPECT_EQ(QSvgRenderer(QString(OpampPictures::SmallInputBank)).defaultSize(), OpampSpotOf("pnlOp1ps").size());
  EXPECT_EQ(QSvgRenderer(QString(OpampPictures::SmallOutputBank)).defaultSize(), OpampSpotOf("pnlOp1os").size());
}

// What may lie over what: the cards over the banks they replace (their own controls lie
// inside them), the covers over whatever they hide; the two glyphs of a switch share one spot.
bool MeantToOverlap(const QString& a, const QString& b) {
  auto layered = [](const QString& n) { return n.startsWith("pnlCover") || n == "pnlOp1os" || n == "pnlOp1ps"; };
  auto inCard = [](const QString& n) { return n.contains("Op1os2") || n.contains("Op1ps2") || n == "pnlOp1os_2"; };
  return layered(a) || layered(b) || inCard(a) || inCard(b);
}

QString SwitchOf(const QString& name) {
  for (const char* part : {"On", "Off", "off"}) {
    const int at = name.indexOf(part, 3);
    if (name.startsWith("btn") && at > 0) return name.left(at) + "|" + name.mid(at + QString(part).size());
  }
  return name;
}

TEST(PanelSpotMaps, ControlsDoNotOverlapButWhereTheyAreMeantTo) {
  for (const Diagram& d : Diagrams()) {
    SCOPED_TRACE(d.picture);
    std::map<QString, QRect> spots;
    QSet<QString> names;
    for (const PanelSpot& s : d.spots) {
      EXPECT_FALSE(names.contains(s.name)) << "twice: " << s.name.toStdString();
      names << s.name;
      const QString key = SwitchOf(s.name);
      if (spots.count(key)) {
        EXPECT_EQ(spots[key], s.rect) << "one spot for " << key.toStdString();
      }
      spots[key] = s.rect;
    }
    for (auto a = spots.begin(); a != spots.end(); ++a)
      for (auto b = std::next(a); b != spots.end(); ++b)
        if (!MeantToOverlap(a->first, b->first)) {
          EXPECT_FALSE(a->second.intersects(b->second)) << a->first.toStdString() << " / " << b->first.toStdString();
        }
  }
  const QRect ps = OpampSpotOf("pnlOp1ps"), os = OpampSpotOf("pnlOp1os");
  for (const PanelSpot& s : OpampSpots()) {
    if (s.name.contains("Op1ps2")) {
      EXPECT_TRUE(ps.contains(s.rect)) << s.name.toStdString();
    }
    if (s.name.contains("Op1os2") || s.name == "pnlOp1os_2") {
      EXPECT_TRUE(os.contains(s.rect)) << s.name.toStdString();
    }
  }
}

class PanelPlacementTest : public BlockPanelTest {};

TEST_F(PanelPlacementTest, EveryControlLiesOnItsSpot) {
  const std::pair<QWidget*, const PanelSpots*> panels[] = {
      {prog->OPForm, &OpampSpots()}, {prog->DACForm, &DacSpots()}, {prog->bodyfatGUIForm, &BodyfatSpots()}};
  for (auto [panel, spots] : panels) {
    SCOPED_TRACE(panel->objectName().toStdString());
    auto* canvas = Find<QWidget>(panel, "PanelDiagram");
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(panel->sizeHint(), canvas->size());
    for (const PanelSpot& s : *spots) {
      auto* w = Find<QWidget>(panel, s.name);
      if (!w) continue;
      EXPECT_EQ(QRect(w->mapTo(canvas, QPoint(0, 0)), w->size()), s.rect) << s.name.toStdString();
    }
  }
}

}  // namespace
