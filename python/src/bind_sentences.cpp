// Receiver sentences: a stream the caller feeds with bytes, cut by Tandrel's cutters and
// parsed by its parsers, the way a client program drives the component.
#include <cstdint>
#include <string>
#include <vector>

#include "binding.h"
#include "tandrel/receive_buffer.h"
#include "tandrel/sentences.h"

namespace vantrel::python {

namespace {

// The cutters refuse a buffer past kMaxCutBuffer; bytes are handed over in pieces well
// below it, and the receive buffer trims what never completes a sentence.
constexpr std::size_t kPiece = 4096;

enum class Kind { Other, GGA, VTG, HDT, GSN, POS };

struct Cut {
  Kind kind = Kind::Other;
  std::string line;
  std::vector<std::string> fields;
  double v[7] = {};
  int32_t n[3] = {};
};

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> f;
  int32_t n = 0;
  auto store = [&f](int32_t i, std::string_view text) {
    if (static_cast<std::size_t>(i) > f.size()) f.resize(static_cast<std::size_t>(i));
    f[static_cast<std::size_t>(i) - 1] = std::string(text);
    return true;
  };
  tandrel::Read_Aline(line, n, store, [&f] { f.clear(); });
  return f;
}

std::string Type(const std::vector<std::string>& f) {
  if (f.empty() || f[0].size() != 6) return {};
  return f[0].substr(3);
}

std::string Field(const std::vector<std::string>& f, std::size_t k) { return k <= f.size() ? f[k - 1] : std::string(); }

// The Read_ parsers take no values from a sentence of more than 20 commas; it stays a plain one.
bool TooManyFields(const std::vector<std::string>& f) { return f.size() > 21; }

Cut Parse(std::string line) {
  Cut c;
  c.fields = Fields(line);
  const std::string type = Type(c.fields);
  if (type == "GGA") {
    // lat and lon stay as sent: the record carries the hemisphere letters beside them.
    tandrel::GgaFix fix;
    if (tandrel::ParseGga(line, fix) == tandrel::GgaRead::Fix) {
      c.kind = Kind::GGA;
      c.v[0] = fix.time, c.v[1] = fix.LatitudeAsSent(), c.v[2] = fix.LongitudeAsSent(), c.v[3] = fix.separation;
      c.v[4] = fix.hdop, c.v[5] = fix.height;
      c.n[0] = fix.quality, c.n[1] = fix.satellites;
    }
  } else if (type == "VTG" && !TooManyFields(c.fields)) {
    double vx = 0, vy = 0;
    if (tandrel::Read_VTG(line, vx, vy)) c.kind = Kind::VTG, c.v[0] = vx, c.v[1] = vy;
  } else if (type == "GSN" && !TooManyFields(c.fields)) {
    int32_t sats = 0, ttt = 0;
    if (tandrel::Read_GSN(line, sats, ttt)) c.kind = Kind::GSN, c.n[0] = sats, c.n[1] = ttt;
  } else if (type == "POS" && !TooManyFields(c.fields)) {
    std::string aim, ship;
    int32_t send = 0;
    if (tandrel::Read_POS(line, aim, ship, send)) c.kind = Kind::POS, c.n[0] = send;
  } else if (type == "HDT" || type == "hdt") {
    // The heading cutter reads a whole buffer; the sentence goes through it once more.
    std::string buffer = line + "\r\n", cut;
    double heading = 0;
    if (tandrel::GetAline_DianLJ(buffer, cut, heading)) c.kind = Kind::HDT, c.v[0] = heading;
  }
  c.line = std::move(line);
  return c;
}

class SentenceStream {
 public:
  explicit SentenceStream(bool checksum) : checksum_(checksum) {}

  std::vector<Cut> Feed(std::string_view data) {
    std::vector<Cut> out;
    while (!data.empty()) {
      const std::string_view piece = data.substr(0, kPiece);
      data.remove_prefix(piece.size());
      buff_.Append(piece);
      CutAll(out);
    }
    return out;
  }

  void Finish() { dropped_ += buff_.DropAll(); }

  bool checksum() const { return checksum_; }
  std::size_t sentences = 0, rejected = 0;
  std::size_t dropped() const { return dropped_; }
  std::size_t pending() const { return buff_.size(); }

 private:
  void CutAll(std::vector<Cut>& out) {
    const tandrel::ReceiveBuffer::Cutter cutter = checksum_ ? tandrel::GetAline_Ok : tandrel::GetAline_Command;
    std::string line;
    for (;;) {
      const auto cut = buff_.Next(cutter, line);
      if (cut == tandrel::ReceiveBuffer::Cut::Wait) break;
      if (cut == tandrel::ReceiveBuffer::Cut::Rejected) {
        ++rejected;
        continue;
      }
      ++sentences;
      out.push_back(Parse(std::move(line)));
    }
    dropped_ += buff_.Trim();
  }

  bool checksum_;
  tandrel::ReceiveBuffer buff_;
  std::size_t dropped_ = 0;
};

struct Records {
  py::object sentence, gga, vtg, hdt, gsn, pos;
};

py::object Record(const Records& r, const Cut& c) {
  py::str name(c.fields.empty() || c.fields[0].empty() ? std::string() : c.fields[0].substr(1));
  py::bytes raw(c.line);
  py::str line = raw.attr("decode")("latin-1");
  py::list fields;
  for (const auto& f : c.fields) fields.append(py::bytes(f).attr("decode")("latin-1"));
  auto text = [&](std::size_t k) { return py::bytes(Field(c.fields, k)).attr("decode")("latin-1"); };
  switch (c.kind) {
    case Kind::GGA:
      return r.gga(name, line, fields, c.v[0], c.v[1], c.v[2], c.v[3], c.n[0], c.n[1], c.v[4], text(4), text(6), c.v[5]);
    case Kind::VTG: return r.vtg(name, line, fields, c.v[0], c.v[1]);
    case Kind::HDT: return r.hdt(name, line, fields, c.v[0]);
    case Kind::GSN: return r.gsn(name, line, fields, c.n[0], c.n[1]);
    case Kind::POS: return r.pos(name, line, fields, c.n[0]);
    case Kind::Other: break;
  }
  return r.sentence(name, line, fields);
}

}  // namespace

void BindSentences(py::module_& m) {
  Records r;
  r.sentence = DefineRecord(m, "Sentence", {"name", "sentence", "fields"},
                            "A receiver sentence no parser reads: name ('GPGSV'), the sentence without its CR LF, "
                            "and its fields split at ',' (field 0 is '$GPGSV', the checksum stays in the last).");
  r.gga = DefineRecord(m, "GGA", {"name", "sentence", "fields", "time", "lat", "lon", "height", "quality", "satellites",
                                  "hdop", "ns", "ew", "altitude"},
                       "A GGA fix as Tandrel's Read_GGA gives it: time hhmmss.ss as one number; lat and lon in "
                       "radians, unsigned (ns and ew hold the hemisphere letters 'N'/'S', 'E'/'W'); height field 12 "
                       "(in the standard layout the geoid separation, m); quality, satellites; hdop; altitude "
                       "field 10 (antenna altitude, m) by the lenient rule.");
  r.vtg = DefineRecord(m, "VTG", {"name", "sentence", "fields", "course", "speed_kmh"},
                       "Course over ground (degrees true, field 2) and speed (km/h, field 8), as Read_VTG reads them.");
  r.hdt = DefineRecord(m, "HDT", {"name", "sentence", "fields", "heading"},
                       "A $HEHDT heading in degrees, as Tandrel's GetAline_DianLJ reads it.");
  r.gsn = DefineRecord(m, "GSN", {"name", "sentence", "fields", "satellites", "ttt"},
                       "A GSN sentence: satellites (field 2) and ttt (field 11), as Read_GSN reads them.");
  r.pos = DefineRecord(m, "POS", {"name", "sentence", "fields", "send_pos"},
                       "A POS sentence: send_pos (field 4), as Read_POS reads it.");

  py::class_<SentenceStream>(m, "SentenceStream", R"doc(Cuts receiver sentences out of bytes as they arrive.

Feed it whatever a file or a serial port (opened by the caller) delivered; each feed returns
the records of the sentences it completed, in order: GGA, VTG, HDT, GSN, POS, or Sentence for
any other. Stray bytes before "$" are skipped; a partial sentence waits for the next feed.
With checksum=True (default) a sentence needs a correct "*hh" (GetAline_Ok); False takes every
"$...CR LF" (GetAline_Command). Bytes are taken as Latin-1 characters.)doc")
      .def(py::init<bool>(), py::arg("checksum") = true)
      .def("feed", [r](SentenceStream& s, py::object data) {
        // bytes, bytearray, memoryview: whatever a file or a port's read gives.
        PyObject* raw = PyBytes_FromObject(data.ptr());
        if (!raw) throw py::error_already_set();
        std::string bytes = py::reinterpret_steal<py::bytes>(raw);
        std::vector<Cut> cuts;
        {
          py::gil_scoped_release unlocked;
          cuts = s.Feed(bytes);
        }
        py::list out;
        for (const Cut& c : cuts) out.append(Record(r, c));
        return out;
      }, py::arg("data"), "Adds received bytes (bytes-like); returns the list of records of the sentences completed.")
      .def("finish", &SentenceStream::Finish, "Drops what is left (at most the start of a sentence) at the end of the input.")
      .def_readonly("sentences", &SentenceStream::sentences, "Sentences cut so far.")
      .def_readonly("rejected", &SentenceStream::rejected, "Complete sentences refused (wrong or missing checksum).")
      .def_property_readonly("dropped", &SentenceStream::dropped, "Bytes of unfinished sentences thrown away.")
      .def_property_readonly("pending", &SentenceStream::pending, "Bytes waiting for the rest of a sentence.")
      .def_property_readonly("checksum", &SentenceStream::checksum);
}

}  // namespace vantrel::python
