#pragma once
// Plane control networks worked in adjustment textbooks, with the adjusted coordinates and
// standard deviations as published. The data and answers are those of
//   F. Krumm, "Geodetic Network Adjustment Examples", Rev. 3.5, Geodätisches Institut,
//   Universität Stuttgart, 2020, https://www.gis.uni-stuttgart.de/lehre/campus-docs/adjustment_examples.pdf,
// which transcribes each book's example into one data file and prints the adjusted point as
// "x (m), correction (cm), σx (cm), y (m), correction (cm), σy (cm), σP (cm)", σ scaled by
// the a-posteriori σ0. The examples below name the book each comes from.
//
// Krumm's files write x east and y north whatever the book (directions and angles clockwise);
// here x becomes Y and y becomes X. Angles and directions are kept in the book's unit (gon or
// degrees) and converted below. Every observation carries the book's own σ; the a-priori σ0
// is 1 (σ in ″ for angles, in the distances' own unit for distances), so the a-posteriori σ0
// is the book's "s0" and the coordinates' σ are the published ones.
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "adjustment/plane_network.h"

namespace vantrel::test {

// A new point as the book prints it after the adjustment, in the book's order and units.
struct PublishedPoint {
  const char* name;
  double east, north;            // m
  double sigmaEast, sigmaNorth;  // cm
  double sigmaP;                 // cm
};

struct TextbookNetwork {
  const char* source;
  adjustment::PlaneNetwork network;  // with the book's approximate coordinates of the new points
  int degreesOfFreedom;
  std::vector<PublishedPoint> published;
};

namespace textbook {

using adjustment::ObservationKind;
using adjustment::PlaneObservation;
using adjustment::PlanePoint;

inline double Gon(double g) { return g * std::numbers::pi / 200; }
inline double Dms(double d, double m = 0, double s = 0) {
  return (d + m / 60 + s / 3600) * std::numbers::pi / 180;
}
inline double Arcsec(double s) { return Dms(0, 0, s); }

inline PlanePoint Fixed(const char* name, double east, double north) {
  PlanePoint p;
  p.name = name;
  p.knownX = north;
  p.knownY = east;
  return p;
}
inline PlanePoint Approx(const char* name, double east, double north) {
  PlanePoint p;
  p.name = name;
  p.approxX = north;
  p.approxY = east;
  return p;
}
inline PlaneObservation Observation(ObservationKind kind, const char* station, const char* target,
                                    double value, double sigma) {
  PlaneObservation o;
  o.kind = kind;
  o.station = station;
  o.target = target;
  o.value = value;
  o.sigma = sigma;
  return o;
}
inline PlaneObservation Direction(const char* at, const char* to, double reading, int set, double sigma) {
  PlaneObservation o = Observation(ObservationKind::Direction, at, to, reading, sigma);
  o.set = set;
  return o;
}
inline PlaneObservation Angle(const char* at, const char* from, const char* to, double value, double sigma) {
  PlaneObservation o = Observation(ObservationKind::Angle, at, from, value, sigma);
  o.target2 = to;
  return o;
}
inline PlaneObservation Distance(const char* from, const char* to, double value, double sigma) {
  return Observation(ObservationKind::Distance, from, to, value, sigma);
}
inline PlaneObservation Azimuth(const char* from, const char* to, double value, double sigma) {
  return Observation(ObservationKind::Azimuth, from, to, value, sigma);
}

// 边角网: two new points, each a station of one direction set and of distances to four known
// points and to each other. Directions σ 0.5 mgon, distances σ 5 mm. f = 14 − 6 = 8.
inline TextbookNetwork Niemeier() {
  const double sd = Gon(0.0005), ss = 0.005;
  return {"Niemeier, Ausgleichungsrechnung, 2nd ed. (2008), pp. 156-162 and 278-281",
          {{Fixed("104", 40686.792, 26816.143), Fixed("106", 41932.838, 28872.552),
            Fixed("113", 42242.231, 27492.007), Fixed("280", 40350.846, 28835.979),
            Approx("Z108", 40759.400, 27816.100), Approx("Z110", 41373.000, 27904.000)},
           {Direction("Z108", "280", Gon(370.6444), 1, sd), Direction("Z108", "104", Gon(199.5131), 1, sd),
            Direction("Z108", "113", Gon(108.5994), 1, sd), Direction("Z110", "106", Gon(35.4146), 2, sd),
            Direction("Z110", "Z108", Gon(292.9943), 2, sd), Direction("Z110", "104", Gon(237.8763), 2, sd),
            Direction("Z110", "113", Gon(130.2278), 2, sd), Distance("Z108", "280", 1098.643, ss),
            Distance("Z108", "104", 1002.598, ss), Distance("Z108", "113", 1517.862, ss),
            Distance("Z110", "106", 1118.689, ss), Distance("Z110", "Z108", 619.905, ss),
            Distance("Z110", "104", 1286.215, ss), Distance("Z110", "113", 961.911, ss)}},
          8,
          {{"Z108", 40759.3769, 27816.1166, 0.313, 0.301, 0.434},
           {"Z110", 41373.0193, 27904.0042, 0.312, 0.289, 0.425}}};
}

// 测角网 by direction sets: one new point P, observed from three known stations and itself the
// station of a set to four known points (an intersection and a resection at once). σ 2.5 mgon.
// f = 14 − (2 + 4 orientations) = 8.
inline TextbookNetwork Grossmann() {
  const double s = Gon(0.0025);
  return {"Grossmann, Grundzüge der Ausgleichungsrechnung, 3rd ed. (1969), p. 170",
          {{Fixed("A", 9498.26, 78594.91), Fixed("B", 10367.59, 75913.25), Fixed("C", 9300.43, 75306.80),
            Fixed("D", 7115.09, 75723.68), Fixed("E", 7206.65, 78907.88), Fixed("F", 6633.27, 76701.57),
            Approx("P", 8401.88, 76607.85)},
           {Direction("A", "B", Gon(0), 1, s), Direction("A", "P", Gon(52.0596), 1, s),
            Direction("A", "E", Gon(128.6019), 1, s), Direction("C", "B", Gon(0), 2, s),
            Direction("C", "D", Gon(244.8923), 2, s), Direction("C", "P", Gon(294.4157), 2, s),
            Direction("D", "E", Gon(0), 3, s), Direction("D", "P", Gon(59.8493), 3, s),
            Direction("D", "C", Gon(110.1815), 3, s), Direction("D", "F", Gon(369.0330), 3, s),
            Direction("P", "A", Gon(0), 4, s), Direction("P", "B", Gon(89.5219), 4, s),
            Direction("P", "C", Gon(129.4256), 4, s), Direction("P", "E", Gon(337.3908), 4, s)}},
          8,
          {{"P", 8401.8637, 76607.8593, 6.422, 8.345, 10.530}}};
}

// Resection (后方交会) by three angles at U between four known points, σ 5″, 6″, 6″. f = 1.
// Krumm gives the angles in gon to 13 decimals; they are the book's 30°29′33″, 38°30′31″ and
// 10°29′57″, written so here.
inline TextbookNetwork GhilaniResection() {
  return {"Ghilani, Adjustment Computations, 5th ed. (2010), Example 15.5, p. 277",
          {{Fixed("P", 1303.599, 1458.615), Fixed("Q", 1636.436, 1310.468), Fixed("R", 1503.395, 888.362),
            Fixed("S", 1506.262, 785.061), Approx("U", 1000.030, 999.960)},
           {Angle("U", "P", "Q", Dms(30, 29, 33), Arcsec(5)), Angle("U", "Q", "R", Dms(38, 30, 31), Arcsec(6)),
            Angle("U", "R", "S", Dms(10, 29, 57), Arcsec(6))}},
          1,
          {{"U", 999.9989, 1000.0253, 2.057, 4.268, 4.738}}};
}

// A short traverse (导线) from R to S through U: two distances (σ 0.05 and 0.08) and three
// angles (σ 30″), two of them past 180°. f = 5 − 2 = 3.
inline TextbookNetwork GhilaniTraverse() {
  return {"Ghilani, Adjustment Computations, 5th ed. (2010), Example 16.1, p. 300",
          {{Fixed("Q", 1000.00, 800.00), Fixed("R", 1000.00, 1000.00), Approx("U", 1173.20, 1100.00),
            Fixed("S", 1223.00, 1186.50), Fixed("T", 1400.00, 1186.50)},
           {Distance("R", "U", 200.00, 0.05), Distance("U", "S", 100.00, 0.08),
            Angle("R", "Q", "U", Dms(240), Arcsec(30)), Angle("U", "R", "S", Dms(150), Arcsec(30)),
            Angle("S", "U", "T", Dms(240, 1), Arcsec(30))}},
          3,
          {{"U", 1173.0886, 1099.9872, 4.194, 5.264, 6.730}}};
}

// A quadrilateral with one known point and the azimuth Q→R held (σ 0.001″): eleven angles,
// six distances (σ 0.024 … 0.030, the book's units are feet, which changes nothing here).
// f = 18 − 6 = 12.
inline TextbookNetwork GhilaniQuadrilateral() {
  return {"Ghilani, Adjustment Computations, 5th ed. (2010), Example 16.2, pp. 307 and 528",
          {{Fixed("Q", 1000.00, 1000.00), Approx("R", 1003.06, 2640.01), Approx("S", 2323.07, 2638.47),
            Approx("T", 2661.75, 1096.07)},
           {Angle("Q", "R", "S", Dms(38, 48, 50.7), Arcsec(4.0)),
            Angle("Q", "S", "T", Dms(47, 46, 12.4), Arcsec(4.0)),
            Angle("Q", "T", "R", Dms(273, 24, 56.5), Arcsec(4.4)),
            Angle("R", "Q", "S", Dms(269, 57, 33.4), Arcsec(4.7)),
            Angle("S", "R", "T", Dms(257, 32, 56.8), Arcsec(4.7)),
            Angle("T", "S", "Q", Dms(279, 4, 31.2), Arcsec(4.5)),
            Angle("R", "S", "T", Dms(42, 52, 51.0), Arcsec(4.3)),
            Angle("R", "S", "Q", Dms(90, 2, 26.7), Arcsec(4.5)),
            Angle("S", "Q", "R", Dms(51, 8, 45.0), Arcsec(4.3)),
            Angle("S", "T", "Q", Dms(51, 18, 16.2), Arcsec(4.0)),
            Angle("T", "R", "S", Dms(34, 40, 5.7), Arcsec(4.0)),
            Distance("Q", "R", 1640.016, 0.026), Distance("R", "S", 1320.001, 0.024),
            Distance("S", "T", 1579.123, 0.025), Distance("T", "Q", 1664.524, 0.026),
            Distance("Q", "S", 2105.962, 0.029), Distance("R", "T", 2266.035, 0.030),
            Azimuth("Q", "R", Dms(0, 6, 24.5), Arcsec(0.001))}},
          12,
          {{"R", 1003.0572, 2640.0051, 0.001, 0.597, 0.597},
           {"S", 2323.0626, 2638.4742, 0.549, 0.660, 0.858},
           {"T", 2661.7386, 1096.0867, 0.590, 0.727, 0.936}}};
}

}  // namespace textbook

inline std::vector<TextbookNetwork> TextbookNetworks() {
  return {textbook::Niemeier(), textbook::Grossmann(), textbook::GhilaniResection(),
          textbook::GhilaniTraverse(), textbook::GhilaniQuadrilateral()};
}

}  // namespace vantrel::test
