// The network drawing of the adjustment window: points, observed lines and error ellipses
// from the adjustment itself, levelling routes laid out as a diagram, the blunder in red.
#include <QGraphicsEllipseItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QLabel>
#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <set>

#include "app/page4/network_adjust_frm.h"
#include "app/page4/page4_parts.h"
#include "common/text_rules.h"

namespace vantrel {
namespace {

QGraphicsItem* NetMark(QGraphicsScene* scene, QPointF at, bool known, const std::string& name, QPointF away) {
  QAbstractGraphicsShapeItem* mark;
  if (known) {
    mark = new QGraphicsPolygonItem(QPolygonF({{0, -7}, {6, 4}, {-6, 4}}));
    mark->setBrush(QColor("#1f3f8f"));
  } else {
    mark = new QGraphicsEllipseItem(-4, -4, 8, 8);
    mark->setBrush(Qt::white);
  }
  mark->setPen(QPen(QColor("#1f3f8f"), 1.5));
  mark->setFlag(QGraphicsItem::ItemIgnoresTransformations);
  mark->setPos(at);
  mark->setZValue(3);
  mark->setData(NetworkAdjustFrm::kItemKind, known ? "known" : "new");
  mark->setData(NetworkAdjustFrm::kItemName, QString::fromStdString(name));
  scene->addItem(mark);
  auto* label = new QGraphicsSimpleTextItem(QString::fromStdString(name), mark);
  const QRectF box = label->boundingRect();
  // Names stand on the side away from the network's middle, so lines rarely cross them.
  const double len = std::hypot(away.x(), away.y());
  const QPointF dir = len > 0 ? away / len : QPointF(1, -1) / std::sqrt(2.0);
  label->setPos(dir.x() * (box.width() / 2 + 9) - box.width() / 2, dir.y() * (box.height() / 2 + 9) - box.height() / 2);
  return mark;
}

void NetLine(QGraphicsScene* scene, QPointF p, QPointF q, bool blunder, const std::string& name) {
  QPen pen(blunder ? QColor("#d01010") : QColor("#1f3f8f"), blunder ? 3.5 : 1.2);
  pen.setCosmetic(true);
  QGraphicsLineItem* line = scene->addLine(QLineF(p, q), pen);
  line->setZValue(blunder ? 2 : 1);
  line->setData(NetworkAdjustFrm::kItemKind, blunder ? "blunder" : "line");
  line->setData(NetworkAdjustFrm::kItemName, QString::fromStdString(name));
}

// An invisible frame a little larger than the points, so that "全图" leaves room for the names.
void NetFrame(QGraphicsScene* scene, const std::vector<QPointF>& points) {
  QRectF r;
  for (const QPointF& p : points) r = r.united(QRectF(p, QSizeF(1e-6, 1e-6)));
  const double m = std::max({r.width(), r.height(), 1.0}) * 0.12;
  scene->addRect(r.adjusted(-m, -m, m, m), Qt::NoPen);
}

// A diagram of the levelling routes: points spaced as the number of routes between them
// (stress majorisation from a circle, so the same file always gives the same picture).
std::vector<QPointF> NetRouteDiagram(size_t n, const std::vector<std::pair<size_t, size_t>>& routes) {
  std::vector<QPointF> p(n);
  for (size_t i = 0; i < n; ++i) {
    const double t = 2 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(n);
    p[i] = QPointF(std::sin(t), -std::cos(t)) * (100.0 * static_cast<double>(n) / std::numbers::pi);
  }
  if (n < 3 || n > 300) return p;  // beyond a few hundred points the circle will do
  std::vector<std::vector<size_t>> next(n);
  for (const auto& [a, b] : routes) next[a].push_back(b), next[b].push_back(a);
  std::vector<std::vector<double>> d(n, std::vector<double>(n, 0));
  for (size_t s = 0; s < n; ++s) {
    std::vector<int> hops(n, -1);
    std::vector<size_t> queue{s};
    hops[s] = 0;
    for (size_t k = 0; k < queue.size(); ++k)
      for (size_t t : next[queue[k]])
        if (hops[t] < 0) hops[t] = hops[queue[k]] + 1, queue.push_back(t);
    // Points on separate routes stand a little beyond the farthest of the others.
    for (size_t t = 0; t < n; ++t) d[s][t] = 200.0 * (hops[t] < 0 ? static_cast<double>(n) / 2 + 1 : hops[t]);
  }
  // Classical scaling first (the two leading eigenvectors of the doubly centred squared
  // distances, by power iteration): a start without the circle's crossings.
  std::vector<std::vector<double>> b(n, std::vector<double>(n));
  std::vector<double> rowMean(n, 0);
  double mean = 0;
  for (size_t i = 0; i < n; ++i)
    for (size_t j = 0; j < n; ++j) rowMean[i] += d[i][j] * d[i][j] / n, mean += d[i][j] * d[i][j] / n / n;
  for (size_t i = 0; i < n; ++i)
    for (size_t j = 0; j < n; ++j) b[i][j] = -0.5 * (d[i][j] * d[i][j] - rowMean[i] - rowMean[j] + mean);
  std::vector<std::vector<double>> axes;
  std::vector<double> roots;
  for (int axis = 0; axis < 2; ++axis) {
    std::vector<double> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = axis ? std::cos(1.0 + i) : 1.0 + static_cast<double>(i) / n;
    double lambda = 0;
    for (int k = 0; k < 100; ++k) {
      for (const auto& u : axes) {  // deflate the axis found before
        double dot = 0;
        for (size_t i = 0; i < n; ++i) dot += u[i] * v[i];
        for (size_t i = 0; i < n; ++i) v[i] -= dot * u[i];
      }
      std::vector<double> w(n, 0);
      for (size_t i = 0; i < n; ++i)
        for (size_t j = 0; j < n; ++j) w[i] += b[i][j] * v[j];
      double norm = 0;
      for (double x : w) norm += x * x;
      norm = std::sqrt(norm);
      if (!(norm > 1e-12)) break;
      lambda = norm;
      for (size_t i = 0; i < n; ++i) v[i] = w[i] / norm;
    }
    axes.push_back(v);
    roots.push_back(std::sqrt(lambda));
  }
  // A little of the circle is kept, so that no two points start on one spot.
  for (size_t i = 0; i < n; ++i) p[i] = p[i] * 0.05 + QPointF(axes[0][i] * roots[0], axes[1][i] * roots[1]);
  for (int iteration = 0; iteration < 200; ++iteration)
    for (size_t i = 0; i < n; ++i) {
      QPointF sum;
      double weights = 0;
      for (size_t j = 0; j < n; ++j) {
        if (j == i) continue;
        const QPointF v = p[i] - p[j];
        const double len = std::max(std::hypot(v.x(), v.y()), 1e-9), w = 1 / (d[i][j] * d[i][j]);
        sum += w * (p[j] + d[i][j] * v / len);
        weights += w;
      }
      p[i] = sum / weights;
    }
  return p;
}

// The report's data-snooping paragraphs, in the order of its sections (plane, then levelling).
std::vector<std::string> NetSnooping(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  const std::string head = "数据探测 (Baarda";
  for (const std::string& l : lines)
    if (l.compare(0, head.size(), head) == 0) out.push_back(l);
  return out;
}

}  // namespace

// ---------------------------------------------------------------- the drawing

void NetworkAdjustFrm::Draw() {
  const batch::NetworkAdjustment& a = adjusted_->adjustment;
  // The entry's own network when the file has it, else the one it has.
  const bool plane = a.plane && !a.plane->points.empty() && (mode_ == Mode::Plane || !a.levelling);
  if (plane) DrawPlane(a, adjusted_->file);
  else if (a.levelling) DrawLevelling(a, adjusted_->file);
  // The blunder as the report names it.
  const std::vector<std::string> snooping = NetSnooping(adjusted_->lines);
  if (!snooping.empty()) {
    const std::string& s = plane ? snooping.front() : snooping.back();
    const size_t colon = s.find("): ");
    const QString said = QString::fromStdString(colon == std::string::npos ? s : s.substr(colon + 3));
    const bool suspect = said.startsWith("最可能的粗差");
    blunderLabel_->setText(suspect ? said + " (图中红线)" : said);
    blunderLabel_->setStyleSheet(suspect ? "color: #d01010; font-weight: bold;" : "");
  }
  view_->FitAll();
}

void NetworkAdjustFrm::DrawPlane(const batch::NetworkAdjustment& a, const batch::NetworkFile& f) {
  const adjustment::PlaneResult& r = *a.plane;
  // Scene x east, y south: the map as drawn on paper, the screen's y running down.
  auto at = [&](size_t i) { return QPointF(r.points[i].y, -r.points[i].x); };
  std::map<std::string, size_t> index;
  std::vector<QPointF> all;
  QPointF middle;
  for (size_t i = 0; i < r.points.size(); ++i) {
    index.emplace(r.points[i].name, i);
    all.push_back(at(i));
    middle += at(i) / static_cast<double>(r.points.size());
  }
  NetFrame(scene_, all);

  std::set<std::pair<size_t, size_t>> joined, red;
  auto join = [&](const std::string& p, const std::string& q, std::set<std::pair<size_t, size_t>>& into) {
    const auto i = index.find(p), j = index.find(q);
    if (i != index.end() && j != index.end() && i->second != j->second) into.insert(std::minmax(i->second, j->second));
  };
  for (size_t k = 0; k < f.plane.observations.size(); ++k) {
    const adjustment::PlaneObservation& o = f.plane.observations[k];
    auto& into = static_cast<int>(k) == r.suspectObservation ? red : joined;
    join(o.station, o.target, into);
    if (o.kind == adjustment::ObservationKind::Angle) join(o.station, o.target2, into);
  }
  for (const auto& [i, j] : joined)
    if (!red.count({i, j})) NetLine(scene_, at(i), at(j), false, r.points[i].name + "-" + r.points[j].name);
  for (const auto& [i, j] : red) NetLine(scene_, at(i), at(j), true, r.points[i].name + "-" + r.points[j].name);

  // The ellipses drawn to the HTML report's factor: the same picture at any zoom.
  const double factor = batch::NetworkEllipseScale(a, adjusted_->options);
  QPen ellipsePen(QColor("#c0392b"), 1.2);
  ellipsePen.setCosmetic(true);
  for (size_t i = 0; i < r.points.size(); ++i) {
    const adjustment::AdjustedPlanePoint& p = r.points[i];
    const adjustment::PlanePoint& in = f.plane.points.at(i);
    NetMark(scene_, at(i), in.knownX || in.knownY, p.name, at(i) - middle);
    if (!p.adjustedX && !p.adjustedY) continue;
    const double e = p.ellipse.major * factor, g = p.ellipse.minor * factor;
    auto* ellipse = scene_->addEllipse(-e, -g, 2 * e, 2 * g, ellipsePen);
    // The major axis at its azimuth φ, clockwise from north: the scene's x axis turned by φ − 90°.
    ellipse->setRotation(p.ellipse.azimuth * 180 / std::numbers::pi - 90);
    ellipse->setPos(at(i));
    ellipse->setZValue(4);
    ellipse->setData(kItemKind, "ellipse");
    ellipse->setData(kItemName, QString::fromStdString(p.name));
  }
  scaleLabel_->setText("▲ 已知点  ○ 待定点    误差椭圆放大 " + QString::fromStdString(GeneralNumberText(factor)) + " 倍");
}

// Levelling points have no plane position: where the file's plane network has them all they
// stand there, else the routes are drawn as a diagram.
void NetworkAdjustFrm::DrawLevelling(const batch::NetworkAdjustment& a, const batch::NetworkFile& f) {
  const adjustment::LevellingResult& r = *a.levelling;
  std::map<std::string, QPointF> planePos;
  if (a.plane)
    for (const adjustment::AdjustedPlanePoint& p : a.plane->points) planePos.emplace(p.name, QPointF(p.y, -p.x));
  bool placed = !r.points.empty();
  for (const adjustment::AdjustedLevelPoint& p : r.points) placed = placed && planePos.count(p.name);
  std::map<std::string, size_t> index;
  for (size_t i = 0; i < r.points.size(); ++i) index.emplace(r.points[i].name, i);
  std::vector<std::pair<size_t, size_t>> routes;
  for (const adjustment::LevelLine& l : f.levelLines)
    if (index.count(l.from) && index.count(l.to)) routes.emplace_back(index[l.from], index[l.to]);
  const size_t n = r.points.size();
  const std::vector<QPointF> diagram = placed ? std::vector<QPointF>() : NetRouteDiagram(n, routes);
  std::map<std::string, QPointF> pos;
  std::vector<QPointF> all;
  QPointF middle;
  for (size_t i = 0; i < n; ++i) {
    const QPointF p = placed ? planePos[r.points[i].name] : diagram[i];
    pos[r.points[i].name] = p;
    all.push_back(p);
    middle += p / static_cast<double>(n);
  }
  NetFrame(scene_, all);
  for (size_t k = 0; k < f.levelLines.size(); ++k) {
    const adjustment::LevelLine& l = f.levelLines[k];
    if (pos.count(l.from) && pos.count(l.to))
      NetLine(scene_, pos[l.from], pos[l.to], static_cast<int>(k) == r.suspectLine, l.from + "-" + l.to);
  }
  for (size_t i = 0; i < n; ++i)
    NetMark(scene_, pos[r.points[i].name], f.levelPoints.at(i).knownHeight.has_value(), r.points[i].name,
            pos[r.points[i].name] - middle);
  scaleLabel_->setText(placed ? "▲ 已知高程点  ○ 待定点    点位按平面坐标"
                              : "▲ 已知高程点  ○ 待定点    水准路线示意 (点位不按比例)");
}

}  // namespace vantrel
