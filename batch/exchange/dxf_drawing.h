#pragma once
// DXF drawings written through dxflib (R2000, code page ANSI_936 so that CAD programs of the
// trade show GBK names): named points as POINT entities with their height as Z and a TEXT
// name written right after each, lines as LINE entities, each kind on its own layer. Plane
// coordinates come as surveyors give them, x north and y east; the drawing's X is east.
#include <memory>
#include <string>
#include <string_view>

#include "batch/exchange/point_formats.h"

namespace vantrel::batch {

inline constexpr std::string_view kDxfPointLayer = "POINTS";
inline constexpr std::string_view kDxfKnownLayer = "KNOWN_POINTS";
inline constexpr std::string_view kDxfNameLayer = "NAMES";
inline constexpr std::string_view kDxfLineLayer = "LINES";

class DxfDrawing {
 public:
  // Names are drawn `textHeight` drawing units high, beside their point.
  explicit DxfDrawing(double textHeight = 1.0);
  ~DxfDrawing();
  DxfDrawing(const DxfDrawing&) = delete;
  DxfDrawing& operator=(const DxfDrawing&) = delete;

  // Each call gives the bytes that follow the previous call's.
  std::string Head();
  // A point with its name (GBK bytes); z is 0 without a height.
  std::string Point(std::string_view gbkName, double x, double y, double z, std::string_view layer = kDxfPointLayer);
  std::string Line(double x1, double y1, double x2, double y2, std::string_view layer = kDxfLineLayer);
  std::string Tail();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A name or text in UTF-8 as the drawing's GBK text.
std::string DxfText(std::string_view utf8);

}  // namespace vantrel::batch
