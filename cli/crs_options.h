#pragma once
// Coordinate systems by EPSG code on the command line: the convert subcommand, and --crs on
// the Gauss and UTM subcommands in place of the ellipsoid, meridian and false origin.
#include "cli/options.h"
#include "geodetic/crs.h"

namespace vantrel::cli {

// The system an option names ("EPSG:4548" or "4548"), or a UsageError.
Crs CrsOption(const std::string& text, const std::string& option);

// --crs on a subcommand whose projection options AddProjection (or the UTM ones) added;
// it excludes them.
void AddCrsOption(CLI::App* app, Geo& g, bool utm);
// GaussParamsOf(g), or with --crs the Gauss-Kruger system's parameters. The inverse reads
// the zone number in front of y and checks it, so its false easting is the plain 500 km.
batch::GaussParams GaussParamsWithCrs(const Geo& g, bool inverse);
// With --crs: p set from the UTM system and true; without: false, p untouched.
bool UtmParamsFromCrs(const Geo& g, batch::UtmParams& p);

}  // namespace vantrel::cli
