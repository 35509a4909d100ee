// Figures checked as a reader sees them: from the SVG file's own text and
// marker positions, every label names its own point (the nearest marker,
// or the marker at the far end of its leader line), no two labels overlap,
// no label or legend covers a marker, every arrow is named; titles fit at
// journal sizes; a run on other data brings back the plot's own titles.
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <QTest>
#include <QXmlStreamReader>
#include <cmath>
#include <map>
#include <memory>
#include <random>

#include "drawing/figure_drawing.h"
#include "drawing/figure_export.h"
#include "drawing/plot_builders.h"
#include "drawing/plot_run.h"
#include "tables/table_import.h"

using namespace talvex::drawing;

namespace {

// A run as the plots read it, with diagnostics when the jackknife ran.
std::shared_ptr<TPlotRun> Analyse(talvex::TDataMatrix data, bool jackknife) {
  talvex::TRunData run;
  run.matrix = std::move(data);
  run.path = "data";
  talvex::TRunOptions options;
  options.analysis.jackknife = jackknife;
  options.threads = 1;
  talvex::TAnalysis analysis;
  analysis.Compute(std::move(run), options);
  return std::make_shared<TPlotRun>(analysis.Outcome(), analysis.Outcome()->FactorCount());
}

talvex::TDataMatrix Penguins() {
  talvex::TImportOptions options;
  options.groupColumn = "species";
  options.missing = talvex::TMissingPolicy::Omit;
  options.variables = {"bill_length_mm", "bill_depth_mm", "flipper_length_mm", "body_mass_g"};
  return talvex::ImportTable(std::string(TALVEX_SOURCE_DIR) + "/../shared/data/penguins.csv",
                             options);
}

talvex::TDataMatrix Iris() {
  talvex::TAnalysisState state;
  state.LoadFile(std::string(TALVEX_SOURCE_DIR) + "/examples/iris.nts");
  talvex::TDataMatrix data = state.Data();
  data.groups = talvex::GroupsFromLabels(data.objectLabels);
  return data;
}

// A dense cloud of `n` objects on three variables.
talvex::TDataMatrix Cloud(std::size_t n) {
  std::mt19937_64 random(7);
  std::normal_distribution<double> normal;
  talvex::TDataMatrix data;
  data.objectCount = n;
  data.variableCount = 3;
  data.valueCount = n * 3;
  data.values = talvex::TFloatVector(data.valueCount);
  for (std::size_t i = 0; i < n; ++i) {
    const double a = normal(random);
    const double b = normal(random);
    data.values.Data()[i * 3] = a;
    data.values.Data()[i * 3 + 1] = 0.5 * a + b;
    data.values.Data()[i * 3 + 2] = normal(random);
    data.objectLabels.push_back("P" + std::to_string(i + 1));
  }
  data.variableLabels = {"a", "b", "c"};
  return data;
}

struct TSvgText {
  QString text;
  QRectF box;
};
struct TSvgMarker {
  QPointF centre;
  double radius = 0;
  QPolygonF outline;  // a polygon marker's; empty for a circle
};
struct TSvgLine {
  QPointF from;
  QPointF to;
};

// What the SVG shows: texts with their boxes, markers, leader lines, arrow
// shafts and the legend's frame.
struct TSvgFigure {
  std::vector<TSvgText> texts;
  std::vector<TSvgMarker> markers;
  std::vector<TSvgLine> leaders;
  std::vector<TSvgLine> arrows;
  QRectF legend;
};

std::vector<QPointF> Points(const QString& text) {
  std::vector<QPointF> points;
  QString numbers = text;
  numbers.replace(QLatin1Char('M'), QLatin1Char(' ')).replace(QLatin1Char('L'), QLatin1Char(' '));
  for (const QString& pair : numbers.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    const QStringList xy = pair.split(QLatin1Char(','));
    if (xy.size() == 2) points.emplace_back(xy[0].toDouble(), xy[1].toDouble());
  }
  return points;
}

TSvgFigure ParseSvg(const QByteArray& svg) {
  TSvgFigure figure;
  QXmlStreamReader xml(svg);
  QString stroke;
  QString fill;
  QImage device(1, 1, QImage::Format_RGB32);  // 72 dpi: a point is a pixel
  device.setDotsPerMeterX(int(std::lround(72 / 0.0254)));
  device.setDotsPerMeterY(int(std::lround(72 / 0.0254)));
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    const QXmlStreamAttributes a = xml.attributes();
    const QStringView name = xml.name();
    if (name == QLatin1String("g")) {
      stroke = a.value("stroke").toString();
      fill = a.value("fill").toString();
    } else if (name == QLatin1String("text")) {
      // On a 72-dpi device a point is a pixel of the drawing.
      QFont font = TFigureDrawing::FigureFont(a.value("font-size").toDouble());
      font.setBold(a.value("font-weight").toInt() >= 600);
      const QFontMetricsF metrics(font, &device);
      const double x = a.value("x").toDouble();
      const double y = a.value("y").toDouble();
      const QString text = xml.readElementText();
      // The ink a reader sees, not the font's line box.
      figure.texts.push_back({text, metrics.tightBoundingRect(text).translated(x, y)});
    } else if (name == QLatin1String("circle")) {
      const double r = a.value("r").toDouble();
      if (r < 30 && fill != QLatin1String("none"))
        figure.markers.push_back({{a.value("cx").toDouble(), a.value("cy").toDouble()}, r, {}});
    } else if (name == QLatin1String("path")) {
      std::vector<QPointF> points = Points(a.value("d").toString());
      if (points.size() > 1 && points.front() == points.back()) points.pop_back();
      if (points.empty() || fill == QLatin1String("#aa0000")) continue;  // arrow heads
      QRectF bounds(points.front(), QSizeF());
      QPointF sum;
      for (const QPointF& p : points) {
        bounds |= QRectF(p, QSizeF(0.001, 0.001));
        sum += p;
      }
      if (bounds.width() < 40 && bounds.height() < 40 && points.size() <= 10)
        figure.markers.push_back({sum / double(points.size()),
                                  std::max(bounds.width(), bounds.height()) / 2,
                                  QPolygonF(QList<QPointF>(points.begin(), points.end()))});
    } else if (name == QLatin1String("polyline")) {
      const std::vector<QPointF> points = Points(a.value("points").toString());
      if (points.size() != 2) continue;
      if (stroke == QLatin1String("#6e6e6e")) figure.leaders.push_back({points[0], points[1]});
      if (stroke == QLatin1String("#aa0000")) figure.arrows.push_back({points[0], points[1]});
    } else if (name == QLatin1String("rect") && stroke == QLatin1String("#a0a0a0")) {
      figure.legend = QRectF(a.value("x").toDouble(), a.value("y").toDouble(),
                             a.value("width").toDouble(), a.value("height").toDouble());
    }
  }
  // The legend's own swatches are no markers of the plot.
  std::erase_if(figure.markers,
                [&](const TSvgMarker& m) { return figure.legend.contains(m.centre); });
  return figure;
}

double Distance(QPointF p, const QRectF& box) {
  const double dx = std::max({box.left() - p.x(), 0.0, p.x() - box.right()});
  const double dy = std::max({box.top() - p.y(), 0.0, p.y() - box.bottom()});
  return std::hypot(dx, dy);
}

double Distance(QPointF a, QPointF b) { return std::hypot(a.x() - b.x(), a.y() - b.y()); }

const TFigureSize Journal{17.0, 12.0, TLengthUnit::Centimetres, 300};
const TFigureSize Small{8.0, 6.0, TLengthUnit::Centimetres, 300};

// The drawing's layout at `size`, as the exports draw it.
TDrawnFigure Layout(const TFigureDrawing& drawing, const TFigureSize& size) {
  QImage image = RenderFigureImage(drawing, size);
  QPainter painter(&image);
  return drawing.Draw(painter, QRectF(image.rect()), false);
}

// Every rule a reader relies on, checked on the SVG; `pointLabels` is the
// number of point labels drawn.
void CheckLabels(const TFigureDrawing& drawing, std::size_t& pointLabels) {
  const TFigureScene& scene = drawing.Scene();
  const TDrawnFigure layout = Layout(drawing, Journal);
  const TSvgFigure svg =
      ParseSvg(FigureFileBytes(drawing, Journal, TFigureFormat::Svg, drawing.Title()));
  const auto pixels = [&](QPointF data) {
    const double sx = (data.x() - layout.x.low) / (layout.x.high - layout.x.low);
    const double sy = (data.y() - layout.y.low) / (layout.y.high - layout.y.low);
    return QPointF(layout.plot.left() + sx * layout.plot.width(),
                   layout.plot.bottom() - sy * layout.plot.height());
  };
  // Each object's marker as the SVG has it.
  std::vector<const TSvgMarker*> markerOf(scene.items.size(), nullptr);
  for (std::size_t i = 0; i < scene.items.size(); ++i) {
    const QPointF at = pixels(scene.items[i].at);
    for (const TSvgMarker& m : svg.markers)
      if (Distance(m.centre, at) < 0.5) markerOf[i] = &m;
  }
  std::map<QString, std::vector<std::size_t>> itemsNamed;
  for (std::size_t i = 0; i < scene.items.size(); ++i) itemsNamed[scene.items[i].mark].push_back(i);
  std::map<QString, QPointF> arrowTips;
  for (const TSceneArrow& arrow : scene.arrows) arrowTips[arrow.label] = pixels(arrow.tip);

  std::vector<QRectF> labels;
  pointLabels = 0;
  double largest = 0;
  for (const TSvgMarker& m : svg.markers) largest = std::max(largest, m.radius);
  for (const TSvgText& text : svg.texts) {
    if (!layout.plot.contains(text.box.center()) || svg.legend.contains(text.box.center()))
      continue;
    labels.push_back(text.box);
    // Where the label points: its own box, or the far end of its leader.
    QPointF target;
    bool leader = false;
    for (const TSvgLine& line : svg.leaders) {
      // The leader ends on the label's box, a pixel or so from the ink.
      if (Distance(line.to, text.box) < 1.5) {
        target = line.from;
        leader = true;
      }
    }
    const auto near = [&](QPointF p) {
      return leader ? Distance(p, target) : Distance(p, text.box);
    };
    if (arrowTips.count(text.text) != 0) {
      // The nearest arrow head is its own.
      const QPointF own = arrowTips[text.text];
      for (const auto& [name, tip] : arrowTips)
        if (name != text.text) QVERIFY2(near(tip) > near(own), qPrintable(text.text));
      continue;
    }
    const auto named = itemsNamed.find(text.text);
    if (named == itemsNamed.end()) continue;  // a number of another kind
    QCOMPARE(named->second.size(), std::size_t(1));
    const TSvgMarker* own = markerOf[named->second.front()];
    QVERIFY2(own, qPrintable(text.text));
    ++pointLabels;
    // A leader starts on the rim of the largest marker drawn about its point.
    if (leader) QVERIFY2(Distance(own->centre, target) <= largest + 1.0, qPrintable(text.text));
    for (const TSvgMarker& m : svg.markers)
      if (&m != own && Distance(m.centre, own->centre) > 0.01)
        QVERIFY2(near(m.centre) > near(own->centre),
                 qPrintable(QStringLiteral("%1 leader %2: own %3 at %4,%5, other %6 at %7,%8")
                                .arg(text.text)
                                .arg(leader)
                                .arg(near(own->centre))
                                .arg(own->centre.x())
                                .arg(own->centre.y())
                                .arg(near(m.centre))
                                .arg(m.centre.x())
                                .arg(m.centre.y())));
  }
  // Every arrow is named.
  for (const TSceneArrow& arrow : scene.arrows) {
    const bool drawn = std::any_of(svg.texts.begin(), svg.texts.end(),
                                   [&](const TSvgText& t) { return t.text == arrow.label; });
    QVERIFY2(drawn, qPrintable(arrow.label));
  }
  // No two labels overlap; no label, and not the legend, covers a marker.
  for (std::size_t a = 0; a < labels.size(); ++a)
    for (std::size_t b = a + 1; b < labels.size(); ++b)
      QVERIFY(!labels[a].adjusted(0.5, 0.5, -0.5, -0.5).intersects(labels[b]));
  for (const TSvgMarker& m : svg.markers) {
    // A label may touch a polygon marker's outline, never cross it.
    for (const QRectF& box : labels)
      QVERIFY(m.outline.isEmpty()
                  ? Distance(m.centre, box) >= m.radius - 0.5
                  : !m.outline.intersects(QPolygonF(box.adjusted(0.5, 0.5, -0.5, -0.5))));
    if (!svg.legend.isEmpty()) QVERIFY(Distance(m.centre, svg.legend) >= m.radius - 0.5);
  }
}

}  // namespace

class TFigureLabelsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    penguins_ = Analyse(Penguins(), true);
    iris_ = Analyse(Iris(), true);
  }

  void penguinLabelsNameTheirOwnPoints() {
    for (TPlotKind kind : {TPlotKind::Scores, TPlotKind::Biplot, TPlotKind::Influence}) {
      TPlotChoices choices;
      choices.names = true;
      TFigureDrawing drawing;
      drawing.SetScene(BuildScene(kind, *penguins_, choices), false);
      drawing.SetLabelAll(true);
      std::size_t shown = 0;
      CheckLabels(drawing, shown);
      if (QTest::currentTestFailed()) return;
      QVERIFY(shown > 0);
      if (kind == TPlotKind::Influence) {
        // Every object the diagnostics single out carries its label.
        std::size_t singled = 0;
        for (const TSceneItem& item : drawing.Scene().items) singled += item.singledOut;
        if (shown != singled) {
          const TDrawnFigure d = Layout(drawing, Journal);
          for (std::size_t i = 0; i < drawing.Scene().items.size(); ++i) {
            const TSceneItem& item = drawing.Scene().items[i];
            if (!item.singledOut) continue;
            bool found = false;
            for (const auto& l : d.labels) found = found || l.item == int(i);
            if (!found) qWarning() << item.mark << item.at;
          }
        }
        QCOMPARE(shown, singled);
      }
    }
  }

  void irisLabelsWithRegionsNameTheirOwnPoints() {
    for (TPlotKind kind : {TPlotKind::Scores, TPlotKind::Biplot}) {
      TPlotChoices choices;
      choices.names = true;
      choices.region = TGroupRegion::ConcentrationEllipse;
      choices.hulls = true;
      TFigureDrawing drawing;
      drawing.SetScene(BuildScene(kind, *iris_, choices), false);
      drawing.SetLabelAll(true);
      std::size_t shown = 0;
      CheckLabels(drawing, shown);
      if (QTest::currentTestFailed()) return;
      QVERIFY(shown > 0);
    }
  }

  // Air quality with its gaps imputed: the objects with imputed cells, and
  // only those, are ringed; the hover names what was imputed.
  void imputedObjectsRingedAndNamed() {
    talvex::TImportOptions options;
    options.missing = talvex::TMissingPolicy::Impute;
    const talvex::TDataMatrix data = talvex::ImportTable(
        std::string(TALVEX_SOURCE_DIR) + "/tests/analysis/data/airquality.csv", options);
    QVERIFY(data.HasMissing());
    const auto snapshot = Analyse(data, false);
    for (TPlotKind kind : {TPlotKind::Scores, TPlotKind::Biplot}) {
      TPlotChoices choices;
      choices.names = true;
      const TFigureScene scene = BuildScene(kind, *snapshot, choices);
      const TScenePointSet& ring = scene.pointSets.back();
      QCOMPARE(ring.legend, QStringLiteral("Imputed values"));
      std::size_t withMissing = 0;
      for (talvex::TSize i = 0; i < data.objectCount; ++i) {
        bool any = false;
        for (talvex::TSize j = 0; j < data.variableCount; ++j)
          any = any || data.missing[i * data.variableCount + j] != 0;
        withMissing += any;
      }
      QCOMPARE(ring.items.size(), withMissing);
      for (int i : ring.items)
        QVERIFY2(scene.items[std::size_t(i)].details.contains("Imputed: "),
                 qPrintable(scene.items[std::size_t(i)].details));
      TFigureDrawing drawing;
      drawing.SetScene(scene, false);
      drawing.SetLabelAll(true);
      std::size_t shown = 0;
      CheckLabels(drawing, shown);
      if (QTest::currentTestFailed()) return;
    }
  }

  void twentyThousandPointsThinnedNoneWrong() {
    const auto cloud = Analyse(Cloud(20000), false);
    TPlotChoices choices;
    choices.names = true;
    TFigureDrawing drawing;
    drawing.SetScene(BuildScene(TPlotKind::Scores, *cloud, choices), false);
    drawing.SetLabelAll(true);
    std::size_t shown = 0;
    CheckLabels(drawing, shown);
    if (QTest::currentTestFailed()) return;
    QVERIFY(shown > 0);
    QVERIFY(shown < 20000);
  }

  void titlesFitAtJournalSizes() {
    for (TPlotKind kind : {TPlotKind::Scores, TPlotKind::Vectors, TPlotKind::Scree,
                           TPlotKind::Biplot, TPlotKind::Influence}) {
      for (bool circle : {false, true}) {
        if (circle && kind != TPlotKind::Biplot) continue;
        TPlotChoices choices;
        choices.correlationCircle = circle;
        TFigureDrawing drawing;
        drawing.SetScene(BuildScene(kind, *penguins_, choices), false);
        for (const TFigureSize& size : {Small, Journal}) {
          const TDrawnFigure drawn = Layout(drawing, size);
          const std::pair<const TDrawnFigure::TTitle*, QString> titles[] = {
              {&drawn.title, drawing.Title()},
              {&drawn.xTitle, drawing.XTitle()},
              {&drawn.yTitle, drawing.YTitle()}};
          for (const auto& [title, text] : titles) {
            QVERIFY2(!title->elided, qPrintable(QStringLiteral("%1: %2 of %3 in %4 lines")
                                                    .arg(text)
                                                    .arg(title->widest)
                                                    .arg(title->room)
                                                    .arg(title->lines.size())));
            QVERIFY2(title->widest <= title->room, qPrintable(text));
            QCOMPARE(title->lines.join(QLatin1Char(' ')), text);
          }
        }
      }
    }
    // A title far too long for 8 cm is set on two lines, not cut off.
    TFigureDrawing drawing;
    drawing.SetScene(BuildScene(TPlotKind::Scores, *penguins_, {}), false);
    drawing.SetTitles({}, {}, QStringLiteral("Component 2 (19.31%) scores"));
    const TDrawnFigure drawn = Layout(drawing, Small);
    QVERIFY2(!drawn.yTitle.elided, qPrintable(QString::number(drawn.yTitle.room)));
    QCOMPARE(drawn.yTitle.lines.size(), qsizetype(2));
  }

 private:
  std::shared_ptr<TPlotRun> penguins_;
  std::shared_ptr<TPlotRun> iris_;
};

QTEST_MAIN(TFigureLabelsTest)
#include "figure_labels_test.moc"
