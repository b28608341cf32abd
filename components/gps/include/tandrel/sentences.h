#pragma once
// Receiver sentence cutting and splitting, free of the component layer so that fuzzers
// and benchmarks reach them directly. A field list is any callable that stores text at
// a 1-based index and returns false when the index does not fit.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tandrel {

using FieldStore = std::function<bool(int32_t index, std::string_view text)>;

// Longest receive buffer the four GetAline_ cutters accept (their positions are 16-bit).
inline constexpr std::size_t kMaxCutBuffer = 32767;

// Steps shared by the GetAline_ cutters: drop stray bytes before "$", cut the text up to
// the first CR LF. False (nothing consumed) for a buffer over kMaxCutBuffer.
bool CutSentence(std::string& inBuff, std::string& aline);
// XOR of the codes between "$" and "*" equals the hex value after "*".
bool ChecksumOk(std::string_view aline);
// Hex text read as the platform's "&H" prefix reads it; not hexadecimal reads as 0.
uint32_t ReadHex(std::string_view text);

bool GetAline_Ok(std::string& inBuff, std::string& aline);
bool GetAline_Command(std::string& inBuff, std::string& aline);
// The field cutters zero their outputs only for a sentence cut and rejected; while nothing
// is cut the caller's values stay.
bool GetAline_Babi(std::string& inBuff, std::string& aline, int32_t& lorR, double& waterH, double& babiH,
                   double& bt2cx, double& bt2xk);
bool GetAline_DianLJ(std::string& inBuff, std::string& aline, double& fwj);
bool Read_Aline(std::string_view alineIn, int32_t& n, const FieldStore& store,
                const std::function<void()>& clearStored);
bool GetBlank_Line_Ok(std::string& inBuff, std::string& aline, std::string_view startMsg, std::string_view endMsg,
                      std::string_view fieldSep, bool checksum, int32_t checksumStart, int32_t& n,
                      const FieldStore& store);

// $GPGGA,092750.000,5321.6802,N,00630.3372,W,1,8,1.03,61.7,M,55.2,M,,*76
// A GGA fix as its fields say it; the checksum is ChecksumOk's business, not the parser's.
struct GgaFix {
  double time = 0;        // field 2, hhmmss.ss as one number
  double latitude = 0;    // fields 3 and 4: radians, negative when field 4 reads "S"
  double longitude = 0;   // fields 5 and 6: radians, negative when field 6 reads "W"
  bool south = false;     // field 4 is "S" (blanks around it do not count)
  bool west = false;      // field 6 is "W"
  int32_t quality = 0;    // field 7
  int32_t satellites = 0; // field 8
  double hdop = 0;        // field 9
  double height = 0;      // field 10: antenna altitude above the geoid, m
  double separation = 0;  // field 12: geoid separation, m (Read_GGA's H)

  // Latitude and longitude without their hemisphere, as Read_GGA has always given them.
  double LatitudeAsSent() const { return south ? -latitude : latitude; }
  double LongitudeAsSent() const { return west ? -longitude : longitude; }
  // Height above the ellipsoid: the altitude plus the separation.
  double EllipsoidalHeight() const { return height + separation; }
};

enum class GgaRead {
  Fix,         // every field read
  Overlong,    // a 21st ",": no GGA layout, nothing read (the fix is as it was)
  Unreadable,  // quality or satellites outside 32 bits; the fix is reset to zeros
};

// Numbers by the lenient rule (text that is no number reads as 0), latitude and longitude
// from ddmm.mmmm with the parsers' value of pi.
GgaRead ParseGga(std::string_view aline, GgaFix& fix);

// The Read_ parsers. Fields split at ","; a 21st "," ends the method with true and no
// values taken (outputs as they were on entry, or at their starting values).
//
// Read_GGA, the component's form of ParseGga, keeps its out-parameters for clients:
//   Obs_Sec  field 2, hhmmss.ss as one number
//   Phi, Lam fields 3 and 5 in radians, unsigned: the hemisphere letters are not applied
//   H        field 12, the geoid separation (not a height)
//   Quality, Sat_No, Hdop  fields 7, 8 and 9
// On a quality or satellite count outside 32 bits it returns false with Obs_Sec, Phi,
// Lam, Sat_No and Hdop zeroed, Quality and H untouched.
bool Read_GGA(std::string_view aline, double& obsSec, double& phi, double& lam, double& h, int32_t& quality,
              int32_t& satNo, double& hdop);
bool Read_GSN(std::string_view aline, int32_t& satNo, int32_t& ttt);
bool Read_VTG(std::string_view aline, double& vx, double& vy);
bool Read_POS(std::string_view aline, std::string& aimShipNo, std::string& shipNo, int32_t& sendPosInt);
bool Read_MSG(std::string_view aline, int32_t& n, const FieldStore& store);

}  // namespace tandrel
