// The batch layer on hostile bytes: the first two bytes choose a subcommand's conversion
// and the reading options (layout, block size, stop or skip), the rest is the file. It goes
// through the real line reader, the point-file and CSV splitting, every subcommand's field
// parsing and formatting, the point-table reader and the receiver-log reader.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "batch/commands.h"
#include "batch/nmea.h"
#include "batch/point_table.h"
#include "batch/stream.h"
#include "common/line_reader.h"
#include "fuzz/memory_run.h"

namespace {

using namespace vantrel;
using namespace vantrel::batch;

std::vector<Command> AllCommands() {
  std::vector<Command> c;
  for (AngleUnit u : {AngleUnit::Dms, AngleUnit::Degrees, AngleUnit::Radians}) {
    c.push_back(SpaceToGeodeticCommand(kEllipsoid54, u));
    c.push_back(GeodeticToSpaceCommand(kEllipsoid80, u, 5));
    GaussParams g;
    g.centralMeridian = Dms2Rad(120);
    c.push_back(GeodeticToGaussCommand(g, u));
    c.push_back(GaussToGeodeticCommand(g, u));
    g.autoAnomaly = true;
    c.push_back(GeodeticToGaussCommand(g, u));
    c.push_back(GaussToGeodeticCommand(g, u));
    g.autoAnomaly = false;
    g.zoneWidth = u == AngleUnit::Dms ? 3 : 6;
    c.push_back(GeodeticToGaussCommand(g, u));
    c.push_back(GaussToGeodeticCommand(g, u));
    g.zonePrefix = true;
    g.falseEastingKm = 500;
    c.push_back(GeodeticToGaussCommand(g, u));
    c.push_back(GaussToGeodeticCommand(g, u));
    UtmParams t;
    t.zoned = u != AngleUnit::Radians;
    t.centralMeridian = ComponentMeridian(123);
    c.push_back(GeodeticToUtmCommand(t, u));
    c.push_back(UtmToGeodeticCommand(t, u));
    LambertParams l;
    l.centralMeridian = Dms2Rad(105);
    l.parallel1 = Dms2Rad(25);
    l.parallel2 = Dms2Rad(47);
    c.push_back(GeodeticToLambertCommand(l, u));
    c.push_back(LambertToGeodeticCommand(l, u));
    c.push_back(PlaneInverseCommand(u, std::nullopt));
    c.push_back(PlaneInverseCommand(u, PlanePoint{100, 200}, 2));
    c.push_back(PlaneForwardCommand(u));
    c.push_back(AnomalyCommand(u));
  }
  ZoneChangeParams z;
  z.fromMeridian = Dms2Rad(120);
  z.toMeridian = Dms2Rad(123);
  c.push_back(ZoneChangeCommand(z));
  SevenParams s;
  s.parameters = {81.37785, 197.46387, 167.83978, -1.01922, 5.04083, .197089, -14.99384};
  c.push_back(SevenCommand(s, true));
  c.push_back(SevenCommand(s, false));
  TransformState t;
  t.TransParam = {100, -50, 0.01, 1e-5};
  c.push_back(FourParameterCommand(t));
  c.push_back(RotationCommand({1, 2, 3, 4, 0.5}));
  return c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<Command> commands = AllCommands();
  if (size < 2) return 0;
  const Command& command = commands[data[0] % commands.size()];
  const uint8_t flags = data[1];
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);

  MemoryRun run(bytes);
  if (!run.ok()) return 0;
  RunOptions& o = run.options;
  o.skipBadLines = flags & 1;
  o.block = 1 + (flags >> 4) * 37;
  switch ((flags >> 1) & 3) {
    case 1: o.layout = Layout::Points; break;
    case 2: o.layout = Layout::Csv; break;
    case 3: o.columns = {"name", "B", "L", "x", "y", "X", "Y", "Z", "H", "zone", "x1", "y1", "x2", "y2"}; break;
    default: break;
  }
  if (flags & 8) o.delimiter = ';';
  const RunResult r = RunCommand(command, o);
  if (r.exitCode != 0 && r.exitCode != 1) std::abort();

  const PointTableRead table =
      ReadPointTable(bytes, flags & 64 ? "f.csv" : "f.txt", {o.layout, o.delimiter, o.columns});
  if (table.ok) {
    const PointTable& t = table.table;
    const std::size_t n = t.names.size();
    if (t.remarks.size() != n || t.values.size() != n || t.lines.size() != n) std::abort();
    for (const auto& v : t.values)
      if (v.size() < 2) std::abort();
  } else if (table.line == 0) {
    std::abort();
  }

  LineCursor lines(bytes);
  for (std::string_view line; lines.Next(line);) {
    NmeaPosition p;
    ReadLogLine(line, p);
  }
  return 0;
}
