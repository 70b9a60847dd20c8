// The panels' pictures: every SVG of the resources loads and is well-formed, the glyphs
// have the sizes their spots expect, and the ADC diagram agrees with the spot map.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <map>

#include "block_panels/adc_spots.h"
#include "block_panels/panel_kit.h"

namespace {

// The pictures compiled into the program.
QStringList ResourcePictures() {
  EnsurePanelPictures();
  return QDir(":/").entryList({"*.svg"}, QDir::Files);
}

QByteArray ReadResource(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

// Ids and root element of an SVG; fails the test on malformed XML.
struct SvgFacts {
  QString root;
  QStringList ids;
};
SvgFacts ParseSvg(const QByteArray& text, const QString& name) {
  SvgFacts facts;
  QXmlStreamReader xml(text);
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    if (facts.root.isEmpty()) facts.root = xml.name().toString();
    QString id = xml.attributes().value("id").toString();
    if (!id.isEmpty()) facts.ids << id;
  }
  EXPECT_FALSE(xml.hasError()) << name.toStdString() << ": " << xml.errorString().toStdString();
  return facts;
}

TEST(PanelPictures, EveryResourcePictureLoadsAndIsWellFormed) {
  QStringList files = ResourcePictures();
  ASSERT_GE(files.size(), 9);
  for (const QString& f : files) {
    QString path = ":/" + f;
    QByteArray text = ReadResource(path);
    ASSERT_FALSE(text.isEmpty()) << "not in the resources: " << f.toStdString();
    QSvgRenderer r(text);
    EXPECT_TRUE(r.isValid()) << f.toStdString();
    EXPECT_FALSE(r.defaultSize().isEmpty()) << f.toStdString();
    EXPECT_EQ(ParseSvg(text, f).root, "svg") << f.toStdString();
  }
}

TEST(PanelPictures, GlyphsAndConverterPicturesFitTheirSpots) {
  QSize h = AdcSpotOf(AdcGlyphName("IN1P", 0, true)).size();
  QSize v = AdcSpotOf("IN1STon").size();
  QSize inx = AdcSpotOf("INX00").size();
  for (bool closed : {true, false}) {
    EXPECT_EQ(QSvgRenderer(SwitchPicture(closed, GlyphAxis::Horizontal)).defaultSize(), h);
    EXPECT_EQ(QSvgRenderer(SwitchPicture(closed, GlyphAxis::Vertical)).defaultSize(), v);
  }
  QSet<QString> distinct;
  for (int i = 0; i < 4; ++i) {
    QString path = ConverterPicture(i);
    distinct << QString::fromUtf8(ReadResource(path));
    EXPECT_EQ(QSvgRenderer(path).defaultSize(), inx) << path.toStdString();
  }
  EXPECT_EQ(distinct.size(), 4);  // four different pictures
  EXPECT_EQ(QSvgRenderer(QString(PanelPictures::AdcDiagram)).defaultSize(), AdcDiagramSize());
}

// Spots of the selector arrays and of the pictures sharing one spot.
bool IsArraySpot(const QString& name) {
  static const QRegularExpression re("^(IN1[PN][01]{4}|VR1[PN][01]{2})(on|off)$|^LINP|^LINN|^LVR1[PN]|^INX|^IN1ST");
  return re.match(name).hasMatch();
}

TEST(AdcSpots, DiagramFieldsMatchTheSpotMap) {
  QByteArray text = ReadResource(PanelPictures::AdcDiagram);
  SvgFacts facts = ParseSvg(text, "diagram");
  QSvgRenderer r(text);
  QSet<QString> fields;
  for (const QString& id : facts.ids) {
    if (!id.startsWith("spot_")) continue;
    QString name = id.mid(5);
    fields << name;
    QRect spot = AdcSpotOf(name);
    ASSERT_FALSE(spot.isEmpty()) << "field without spot: " << name.toStdString();
    QRectF b = r.boundsOnElement(id);
    EXPECT_NEAR(b.left(), spot.left(), 1.0) << name.toStdString();
    EXPECT_NEAR(b.top(), spot.top(), 1.0) << name.toStdString();
    EXPECT_NEAR(b.width(), spot.width(), 1.0) << name.toStdString();
    EXPECT_NEAR(b.height(), spot.height(), 1.0) << name.toStdString();
  }
  for (const AdcSpot& s : AdcSpots())
    if (!IsArraySpot(s.name)) {
      EXPECT_TRUE(fields.contains(s.name)) << "no field drawn for " << s.name.toStdString();
    }
}

TEST(AdcSpots, SelectorArraysAreComplete) {
  for (auto [field, n] : {std::pair{"IN1P", 16}, {"IN1N", 16}, {"VR1P", 4}, {"VR1N", 4}})
    for (int i = 0; i < n; ++i) {
      QRect closed = AdcSpotOf(AdcGlyphName(field, i, true));
      EXPECT_FALSE(closed.isEmpty()) << field << i;
      EXPECT_EQ(closed, AdcSpotOf(AdcGlyphName(field, i, false)));
      QRect label = AdcSpotOf(AdcLabelName(field, i));
      EXPECT_FALSE(label.isEmpty()) << field << i;
      EXPECT_EQ(label.center().y(), closed.center().y()) << "label beside its switch";
      EXPECT_LT(label.right(), closed.left());
    }
  EXPECT_EQ(AdcGlyphName("IN1P", 5, true), "IN1P0101on");
  EXPECT_EQ(AdcGlyphName("VR1N", 3, false), "VR1N11off");
  EXPECT_EQ(AdcLabelName("IN1P", 5), "LINP05");
  EXPECT_EQ(AdcLabelName("IN1N", 15), "LINN15");
  EXPECT_EQ(AdcLabelName("VR1P", 2), "LVR1P2");
  EXPECT_EQ(AdcConverterName(2), "INX10");
  EXPECT_TRUE(AdcSpotOf("NoSuchControl").isEmpty());
}

// Controls sharing a spot: the two glyphs of a switch, the converter pictures.
QString SpotGroup(const QString& name) {
  if (name.startsWith("INX")) return "INX";
  if (name.endsWith("off")) return name.chopped(3);
  if (name.endsWith("on")) return name.chopped(2);
  return name;
}

TEST(AdcSpots, ControlsLieInsideTheDiagramAndDoNotOverlap) {
  const QRect diagram(QPoint(0, 0), AdcDiagramSize());
  const QRect temp = AdcSpotOf("PTemp");
  std::map<QString, QRect> groups;
  QSet<QString> names;
  for (const AdcSpot& s : AdcSpots()) {
    EXPECT_FALSE(names.contains(s.name)) << "twice: " << s.name.toStdString();
    names << s.name;
    EXPECT_TRUE(diagram.contains(s.rect)) << s.name.toStdString();
    QString g = SpotGroup(s.name);
    if (groups.count(g)) {
      EXPECT_EQ(groups[g], s.rect) << "one spot for " << g.toStdString();
    }
    groups[g] = s.rect;
  }
  for (auto a = groups.begin(); a != groups.end(); ++a)
    for (auto b = std::next(a); b != groups.end(); ++b) {
      bool nested = (a->first == "PTemp" && temp.contains(b->second)) ||
                    (b->first == "PTemp" && temp.contains(a->second));
      if (!nested) {
        EXPECT_FALSE(a->second.intersects(b->second)) << a->first.toStdString() << " / " << b->first.toStdString();
      }
    }
}

}  // namespace
