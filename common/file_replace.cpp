#include "common/file_replace.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace vantrel {
namespace {

constexpr std::size_t kFlushAt = std::size_t{1} << 20;

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// A symbolic link is followed: the file it names is what gets replaced, not the link,
// also when that file does not exist yet (the link then names the file to create).
std::string Resolved(const std::string& path) {
  std::string p = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
    char buf[PATH_MAX];
    const ssize_t n = readlink(p.c_str(), buf, sizeof buf);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buf) return p;
    const std::string link(buf, static_cast<std::size_t>(n));
    p = link.front() == '/' ? link : FolderOf(p) + "/" + link;
  }
  return p;
}

std::string NameOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

FileReplacement::FileReplacement(const std::string& target) : target_(Resolved(target)) {
  struct stat st {};
  const bool exists = ::stat(target_.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) {
    Fail(EISDIR);
    return;
  }
  if (exists && !S_ISREG(st.st_mode)) {
    // Non-blocking: a pipe nobody reads fails at once instead of hanging.
    fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_TRUNC);
    if (fd_ < 0) Fail(errno);
    return;
  }
  std::string pattern = FolderOf(target_) + "/." + NameOf(target_) + ".XXXXXX";
  fd_ = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd_ < 0) {
    Fail(errno);
    return;
  }
  temp_ = pattern;
  // The new file keeps the old one's permissions; a new file gets the usual ones.
  mode_t mode = 0;
  if (exists) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  if (fchmod(fd_, mode) != 0) { /* the temporary's own 0600 is a safe fallback */ }
  if (exists && fchown(fd_, st.st_uid, st.st_gid) != 0) { /* only root can; fine */ }
}

FileReplacement::~FileReplacement() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_ && !temp_.empty()) ::unlink(temp_.c_str());
}

void FileReplacement::Fail(int err) {
  if (error_.empty()) error_ = FileErrorText(err);
}

bool FileReplacement::Write(std::string_view bytes) {
  if (!ok()) return false;
  pending_.append(bytes);
  return pending_.size() < kFlushAt || Flush();
}

bool FileReplacement::Flush() {
  if (const int err = WriteAll(fd_, pending_)) {
    Fail(err);
    return false;
  }
  pending_.clear();
  return true;
}

bool FileReplacement::Commit() {
  if (!ok() || committed_) return ok();
  if (!Flush()) return false;
  if (!temp_.empty() && fsync(fd_) != 0) {
    Fail(errno);
    return false;
  }
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) {
    Fail(errno);
    return false;
  }
  if (!temp_.empty() && std::rename(temp_.c_str(), target_.c_str()) != 0) {
    Fail(errno);
    return false;
  }
  committed_ = true;
  return true;
}

FileAppend::FileAppend(const std::string& path) : path_(path) {
  struct stat st {};
  created_ = ::stat(path.c_str(), &st) != 0;
  // Non-blocking open: a pipe nobody reads fails at once instead of hanging the dialog.
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_APPEND, 0644);
  if (fd_ < 0) {
    Fail(errno);
    return;
  }
  if (fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) before_ = st.st_size;
}

FileAppend::~FileAppend() {
  if (!committed_) TakeBack();
  if (fd_ >= 0) ::close(fd_);
}

void FileAppend::Fail(int err) {
  if (error_.empty()) error_ = FileErrorText(err);
}

void FileAppend::TakeBack() {
  if (before_ < 0) return;  // nothing to take back from a device or a pipe
  const off_t size = static_cast<off_t>(before_);
  before_ = -1;  // once is enough
  if (created_) {
    ::unlink(path_.c_str());
  } else if ((fd_ >= 0 ? ftruncate(fd_, size) : truncate(path_.c_str(), size)) != 0) {
    // The error that made us take back is the one reported.
  }
}

bool FileAppend::Write(std::string_view bytes) {
  if (!ok()) return false;
  pending_.append(bytes);
  return pending_.size() < kFlushAt || Flush();
}

bool FileAppend::Flush() {
  if (const int err = WriteAll(fd_, pending_)) {
    Fail(err);
    TakeBack();
    return false;
  }
  pending_.clear();
  return true;
}

bool FileAppend::Commit() {
  if (!ok() || committed_) return ok();
  if (!Flush()) return false;
  const int fd = fd_;
  fd_ = -1;  // closed or not, the descriptor is gone: a take-back goes through the path
  if (::close(fd) != 0) {
    Fail(errno);
    TakeBack();
    return false;
  }
  committed_ = true;
  return true;
}

WriteResult ReplaceTextFile(const std::string& path, const std::vector<std::string>& lines) {
  WriteResult result;
  FileReplacement file(path);
  for (const auto& line : lines) {
    if (!file.Write(Utf8ToGbk(line)) || !file.Write("\r\n")) break;
  }
  if (file.Commit()) {
    result.ok = true;
  } else {
    result.error = file.error();
  }
  return result;
}

int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t w = ::write(fd, bytes.data(), bytes.size());
    if (w < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(w));
  }
  return 0;
}

}  // namespace vantrel
