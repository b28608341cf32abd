#pragma once
// Replacing a file only when the whole new content has been written. The bytes go to a
// temporary file in the target's folder, which is renamed over the target on Commit; a
// failure anywhere, or no Commit at all (a cancelled run), leaves the old file byte for
// byte and removes the temporary. The new file keeps the old one's permissions.
// A target that exists but is not a regular file (a device, a pipe) cannot be replaced
// by renaming; it is written in place, and a pipe nobody reads is refused at once.
#include <string>
#include <string_view>
#include <vector>

#include "common/text_files.h"

namespace vantrel {

class FileReplacement {
 public:
  explicit FileReplacement(const std::string& target);
  ~FileReplacement();  // removes the temporary file unless committed
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }  // plain words, as WriteTextFile

  // Adds bytes (buffered); false once anything has failed.
  bool Write(std::string_view bytes);
  // Flushes, syncs and renames over the target. False, with the target untouched, when
  // anything failed on the way.
  bool Commit();

 private:
  bool Flush();
  void Fail(int err);

  std::string target_;
  std::string temp_;     // empty when writing in place
  int fd_ = -1;
  bool committed_ = false;
  std::string pending_;
  std::string error_;
};

// WriteTextFile's replace form through a FileReplacement: GBK lines with CR LF ends.
WriteResult ReplaceTextFile(const std::string& path, const std::vector<std::string>& lines);

}  // namespace vantrel
