#pragma once
// Files changed all or nothing.
//
// FileReplacement replaces a file only when the whole new content has been written. The
// bytes go to a temporary file in the target's folder, which is renamed over the target
// on Commit; a failure anywhere, or no Commit at all (a cancelled run), leaves the old file
// byte for byte and removes the temporary. The new file keeps the old one's permissions.
// A target that exists but is not a regular file (a device, a pipe) cannot be replaced
// by renaming; it is written in place, and a pipe nobody reads is refused at once.
//
// FileAppend adds to the end of a file; a failure anywhere, or no Commit, cuts the file
// back to what it held (a file it had to create is removed again).
#include <string>
#include <string_view>
#include <vector>

#include "common/text_files.h"

namespace vantrel {

// Writes all the bytes to a descriptor, again after an interrupted write (EINTR); 0, or the
// errno that stopped it.
int WriteAll(int fd, std::string_view bytes);

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

class FileAppend {
 public:
  explicit FileAppend(const std::string& path);
  ~FileAppend();  // takes the added bytes back unless committed
  FileAppend(const FileAppend&) = delete;
  FileAppend& operator=(const FileAppend&) = delete;

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

  // Adds bytes (buffered); false once anything has failed.
  bool Write(std::string_view bytes);
  // Flushes and closes; false, with the file as it was, when anything failed.
  bool Commit();

 private:
  bool Flush();
  void Fail(int err);
  void TakeBack();

  std::string path_;
  int fd_ = -1;
  long long before_ = -1;  // the size it had; -1 when it is no regular file
  bool created_ = false;
  bool committed_ = false;
  std::string pending_;
  std::string error_;
};

// WriteTextFile's replace form through a FileReplacement: GBK lines with CR LF ends.
WriteResult ReplaceTextFile(const std::string& path, const std::vector<std::string>& lines);

}  // namespace vantrel
