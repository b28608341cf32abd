#include "plane/stakeout_file.h"

#include <filesystem>
#include <fstream>

#include "common/text_files.h"
#include "common/text_rules.h"

namespace vantrel {
namespace {

// Only the space separates fields here; a tab stays part of its field.
std::string_view TrimSpaces(std::string_view s) {
  const size_t b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  const size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

}  // namespace

std::array<std::string, 6> SplitStakeLine(std::string_view line) {
  std::array<std::string, 6> fields;
  std::string rest(line);
  if (rest.empty() || rest.back() != ' ') rest += ' ';
  std::string_view r = rest;
  for (int i = 0; i < 5; ++i) {
    const size_t b = r.find_first_not_of(' ');
    r = b == std::string_view::npos ? std::string_view{} : r.substr(b);
    const size_t sp = r.find(' ');
    if (sp == std::string_view::npos) {
      fields[i] = std::string(TrimSpaces(r));
      r = {};
    } else {
      fields[i] = std::string(TrimSpaces(r.substr(0, sp)));
      r = r.substr(sp + 1);
    }
  }
  fields[5] = std::string(TrimSpaces(r));
  return fields;
}

StakeLoad ParseStakeoutLines(const std::vector<std::string>& lines) {
  StakeLoad load;
  for (size_t n = 0; n < lines.size(); ++n) {
    if (lines[n].empty()) break;
    const auto f = SplitStakeLine(lines[n]);
    const auto x = ReadStrict(f[1]);
    const auto y = ReadStrict(f[2]);
    const auto h = ReadStrict(f[3]);
    if (!x || !y || !h) {
      load.complete = false;
      load.badLine = static_cast<int>(n + 1);
      break;
    }
    load.points.push_back({f[0], *x, *y, *h, f[4]});
  }
  return load;
}

StakeFileRead ReadStakeoutFile(const std::string& path) {
  StakeFileRead result;
  TextFileResult file = ReadTextFile(path);
  if (!file.ok) {
    result.error = file.error;
    return result;
  }
  result.opened = true;
  result.load = ParseStakeoutLines(file.lines);
  return result;
}

std::string StakeAddLine(const std::string& name, const std::string& x, const std::string& y,
                         const std::string& h) {
  return name + ' ' + x + ' ' + y + ' ' + h + " Add";
}

StakeAppend AppendStakeoutLines(const std::string& path, const std::vector<std::string>& lines) {
  StakeAppend result;
  std::vector<std::string> out;
  // Only a regular file is peeked at: opening a pipe to read would wait for a writer.
  if (std::error_code ec; std::filesystem::is_regular_file(path, ec)) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (in && in.tellg() > 0) {
      in.seekg(-1, std::ios::end);
      char last = 0;
      if (in.get(last) && last != '\n' && last != '\r') out.emplace_back();
    }
  }
  out.insert(out.end(), lines.begin(), lines.end());
  const WriteResult w = WriteTextFile(path, out, /*append=*/true);
  result.ok = w.ok;
  result.error = w.error;
  return result;
}

}  // namespace vantrel
