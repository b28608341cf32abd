#pragma once
// What the subcommands of vantrel-cli share: the registry they add themselves to, the option
// groups, the reading of option values (a wrong one is a UsageError, exit status 2), the
// batch run with its interrupt handling, and the writing of reports and messages.
#include <CLI/CLI.hpp>

#include <csignal>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "batch/commands.h"
#include "batch/stream.h"

namespace vantrel::cli {

using batch::AngleUnit;

// A wrong argument: told in a sentence, exit status 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

extern const char* const kFooter;

// The subcommands by name, each with what it does once its options are parsed.
struct Registry {
  CLI::App& app;
  std::map<std::string, std::function<int()>> run;

  // A subcommand with the common footer and the help flag in our words; `action` runs
  // when it is the one chosen.
  CLI::App* Add(const std::string& name, const std::string& text, std::function<int()> action);
};

void AddConversions(Registry& r);
void AddPlaneCommands(Registry& r);
void AddReceiverLog(Registry& r);
void AddTraverse(Registry& r);
void AddLevel(Registry& r);
void AddAdjust(Registry& r);
void AddFit4(Registry& r);
void AddFit7(Registry& r);
void AddHeightFit(Registry& r);
void AddConvert(Registry& r);

// ---------------------------------------------------------------- option groups
struct Io {
  std::vector<std::string> files;
  std::string output;
  std::string onError = "stop";
  std::string jobs;  // empty: the processors there are
  bool quiet = false;
  std::string format;
  std::string delimiter;
  std::string columns;
  std::string decimals;
  bool strict = false;
  std::string fromFormat, toFormat;  // exchange formats (cli/formats.cpp)
};

struct Geo {
  std::string ellipsoid;
  std::string angles = "dms";
  std::string cm;
  std::string zoneWidth;
  bool zonePrefix = false;
  std::string falseEasting;
  std::string falseNorthing;
  std::string planeHeight = "0";
  std::string anomaly;
  bool inverse = false;
  std::string lonRange = "180";
  std::string crs;  // --crs EPSG:code in place of the ellipsoid and projection options
};

void AddIo(CLI::App* app, Io& io);
void AddEllipsoid(CLI::App* app, Geo& g, std::string_view dflt);
void AddAngles(CLI::App* app, Geo& g);
// --lon-range of the commands that give longitudes.
void AddLongitudeRange(CLI::App* app, Geo& g);
void AddProjection(CLI::App* app, Geo& g, bool zones, bool anomaly);
// --false-easting, --false-northing and --plane-height with their own help texts.
void AddFalseOrigin(CLI::App* app, Geo& g, const std::string& easting, const std::string& northing);

// The one input file of a report ("-" standard input) and its -o file.
void AddReportFiles(CLI::App* app, std::string& file, std::string& output, const std::string& fileText,
                    const std::string& outputText);

// ---------------------------------------------------------------- option values
double Number(const std::string& text, const std::string& option);
double NumberOr(const std::string& text, const std::string& option, double dflt);
// Numbers separated by commas: exactly n of them, or any number when n is 0.
std::vector<double> Numbers(const std::string& text, const std::string& option, std::size_t n);
// A whole number from lo to hi.
long WholeNumber(const std::string& text, const std::string& option, long lo, long hi);
// Packed D.MMSS whose minutes and seconds are below 60, as typed.
double DmsOption(const std::string& text, const std::string& option);
// An angle option in radians, written in `unit`; packed D.MMSS must have minutes and seconds
// below 60. AngleOptions: n of them, comma separated.
double AngleOption(const std::string& text, const std::string& option, AngleUnit unit);
std::vector<double> AngleOptions(const std::string& text, const std::string& option, std::size_t n,
                                 AngleUnit unit);
// The same angle as packed D.MMSS, the form the Tandrel component takes a meridian in.
double PackedAngleOption(const std::string& text, const std::string& option, AngleUnit unit);
// The help of an angle option that follows --angles.
std::string AngleOptionText(const std::string& what);
Ellipsoid EllipsoidCode(const std::string& code, const std::string& option);
Ellipsoid EllipsoidOf(const Geo& g);
// The ellipsoid of UTM and Lambert: one of the Tandrel component's.
Ellipsoid ComponentEllipsoid(const Geo& g);
AngleUnit AnglesOf(const Geo& g);
batch::LongitudeRange LongitudeRangeOf(const Geo& g);
int ZoneWidthOf(const Geo& g);
int DecimalsOf(const Io& io);
batch::RunOptions RunOptionsOf(const Io& io);
batch::GaussParams GaussParamsOf(const Geo& g);

// ---------------------------------------------------------------- exchange formats
// --from-format and --to-format of the subcommands that convert point files.
void AddFormats(CLI::App* app, Io& io);
// The input is GeoJSON or KML: longitude and latitude in decimal degrees.
bool GeographicInput(const Io& io);
struct FormatPlumbing;
// Readies the run for the formats (a writer, inputs of other formats as CSV); null when an
// input could not be read (told on stderr).
std::shared_ptr<FormatPlumbing> PrepareFormats(const Io& io, const batch::Command& command,
                                               batch::RunOptions& options);

// ---------------------------------------------------------------- running
// The input and output options read first, as every file subcommand does before its own.
struct BatchRun {
  explicit BatchRun(const Io& io) : decimals(DecimalsOf(io)), options(RunOptionsOf(io)), io_(io) {}
  int decimals;
  batch::RunOptions options;
  // The command over the inputs, stopped between blocks by an interrupt.
  int Run(const batch::Command& command);

 private:
  const Io& io_;
};

// Set by SIGINT, SIGTERM or SIGHUP once StopOnSignals has been called; a second signal
// ends the program at once (the handler is reset).
extern volatile sig_atomic_t g_stop;
void StopOnSignals();

// Writes to a descriptor, again after an interrupted write; false on failure.
bool WriteOut(int fd, const std::string& s);
// A message line on standard error.
void Say(const std::string& s);
// A report to standard output as UTF-8 lines, or to -o FILE as the calculator saves its text
// files (GBK, CR LF); an HTML page is UTF-8 either way. The file is replaced only whole.
bool Deliver(const std::string& output, const std::vector<std::string>& lines, const std::string* html);
// The bytes of a named file, or of standard input for "-"; a failure is told on stderr.
std::optional<std::string> InputBytes(const std::string& path);

}  // namespace vantrel::cli
