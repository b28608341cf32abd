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

// The Read_ parsers. Fields split at ","; a 21st "," ends the method with true and no
// values taken (outputs as they were on entry, or at their starting values).
bool Read_GGA(std::string_view aline, double& obsSec, double& phi, double& lam, double& h, int32_t& quality,
              int32_t& satNo, double& hdop);
bool Read_GSN(std::string_view aline, int32_t& satNo, int32_t& ttt);
bool Read_VTG(std::string_view aline, double& vx, double& vy);
bool Read_POS(std::string_view aline, std::string& aimShipNo, std::string& shipNo, int32_t& sendPosInt);
bool Read_MSG(std::string_view aline, int32_t& n, const FieldStore& store);

}  // namespace tandrel
