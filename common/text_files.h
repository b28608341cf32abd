#pragma once
// Text files as surveyors' instruments and editors write them: GBK (code page 936)
// bytes, CR LF line ends (LF or lone CR accepted when reading), items in print zones.
// Inside the program every text is UTF-8; conversion happens only here.
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// GBK bytes to UTF-8. A byte sequence that is not GBK becomes U+FFFD and decoding goes
// on with the next byte, so one bad byte never loses the rest of a file.
std::string GbkToUtf8(std::string_view gbk);

// UTF-8 to GBK. A character GBK cannot hold becomes '?'; invalid UTF-8 likewise.
std::string Utf8ToGbk(std::string_view utf8);

// True when the bytes are GBK text through and through: GbkToUtf8 would put no U+FFFD in.
// Decoding then encoding such bytes gives them back unchanged.
bool IsGbkText(std::string_view gbk);

// Splits file bytes into lines at CR LF, LF or a lone CR. A final line without an end
// is kept; no empty line is made after a final line end.
std::vector<std::string> SplitLines(std::string_view bytes);

// Splits a line on runs of blanks (spaces and tabs); leading and trailing blanks give
// no empty items.
std::vector<std::string> SplitBlanks(std::string_view line);

// Width of a UTF-8 text in print columns: one per ASCII character, two per character
// that GBK stores in two bytes.
int PrintWidth(std::string_view utf8);

// Lays items out in print zones 14 columns wide: the first item at column 1, each
// further item at the start of the next zone that leaves at least one blank after the
// previous item (an item ending exactly on a zone boundary pushes the next item one
// more zone on, so items never run together).
std::string PrintZones(const std::vector<std::string>& items);

// The same layout for items that are GBK bytes already (one column per byte), added to
// the end of `out` as one line without its end.
void AppendPrintZones(std::string& out, std::initializer_list<std::string_view> gbkItems);
// The layout one item at a time, for writers that make each item in place: before every
// item after the first, this pads `out` from `column` (the print column the line has
// reached) to the start of the next zone and sets `column` there.
void PadToNextZone(std::string& out, int& column);

// The plain-words reason for a failed file operation's errno ("文件或路径不存在", "磁盘已满" ...).
std::string FileErrorText(int err);

struct TextFileResult {
  bool ok = false;
  std::string error;                // plain-words reason when !ok (UTF-8)
  std::vector<std::string> lines;   // UTF-8, without line ends
};

// Reads a whole GBK text file into UTF-8 lines.
TextFileResult ReadTextFile(const std::string& path);

struct FileBytesResult {
  bool ok = false;
  std::string error;  // plain-words reason when !ok (UTF-8)
  std::string bytes;
};

// The bytes of a regular file; a folder, pipe or device is refused with a reason.
FileBytesResult ReadFileBytes(const std::string& path);

// Whether bytes are well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF; a sequence cut short is not).
bool IsValidUtf8(std::string_view bytes);

// How a file that may be GBK or UTF-8 is told apart: a UTF-8 byte-order mark is dropped
// from `bytes`, and what is left is UTF-8 when it is well-formed UTF-8, else GBK.
bool TakeAsUtf8(std::string_view& bytes);

// Text from such a file, by that rule, as UTF-8.
std::string GbkOrUtf8ToUtf8(std::string_view bytes);

struct WriteResult {
  bool ok = false;
  std::string error;
};

// Writes (or, with append, adds to the end of) a file: each line encoded as GBK and
// ended with CR LF. The data is flushed and the close checked, so a full disk is
// reported, not silently lost. Appending never truncates what the file held.
WriteResult WriteTextFile(const std::string& path, const std::vector<std::string>& lines,
                          bool append);

}  // namespace vantrel
