#include "batch/stream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <deque>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>
#include <memory>

#include "common/file_replace.h"
#include "common/line_reader.h"
#include "common/text_files.h"
#include "common/text_rules.h"

namespace vantrel::batch {
namespace {

struct LineError {
  std::uint64_t line;       // within the block, from 0
  std::string_view reason;  // a static text or one the Command owns
  std::size_t outSize;      // output bytes (rows, for a RowWriter) written before the line
  bool delimited = false;   // a point line with a comma or tab: kDelimitedHint follows
};

// A converted point kept for the RowWriter, which writes in input order on one thread.
struct OwnedRow {
  std::uint64_t line;  // within the block, from 0
  std::string name, rest;
  std::vector<std::string> texts, fields;
  std::vector<double> values;
};

struct BlockResult {
  std::string out;
  std::vector<LineError> errors;
  std::uint64_t lines = 0;
  std::uint64_t points = 0;
  std::uint64_t warned = 0;
  std::map<Status, std::uint64_t> warnings;
  std::vector<OwnedRow> rows;
};

bool WriteAll(int fd, std::string_view bytes) { return vantrel::WriteAll(fd, bytes) == 0; }

// One worker's scratch space, reused from block to block.
class BlockConverter {
 public:
  BlockConverter(const Command& c, bool strict, bool rows = false) : command_(c), strict_(strict), rows_(rows) {
    in_.resize(c.inputs.size());
    out_.resize(static_cast<std::size_t>(c.values));
  }

  BlockResult Convert(const FileContext& ctx, std::string_view bytes) {
    BlockResult r;
    Parse(ctx, bytes);
    Compute();
    Emit(ctx, r);
    return r;
  }

 private:
  enum class Kind { Blank, Point, Bad };
  struct Record {
    Kind kind;
    std::string_view line;    // Blank: the line; Point: the name
    std::string_view end;     // the line's own end ("" for a last line without one)
    std::string_view rest;    // Point, point files: the remark
    std::string_view reason;  // Bad
    std::size_t texts = 0;    // first of the point's input texts
    std::size_t fields = 0;   // CSV: first of the line's fields
    std::size_t fieldCount = 0;
    bool delimited = false;   // Bad, point files: the line holds a comma or a tab
  };

  void Parse(const FileContext& ctx, std::string_view bytes) {
    records_.clear();
    texts_.clear();
    fields_.clear();
    for (auto& column : in_) column.clear();
    const std::size_t ni = command_.inputs.size();
    LineCursor cursor(bytes);
    for (std::string_view line; cursor.Next(line);) {
      Record rec{Kind::Point, line, cursor.end(), {}, {}, texts_.size(), 0, 0};
      // Blank lines, and whole-line remarks of point files, pass through as they stand.
      if (IsBlank(line) || (ctx.remarkLines && IsRemarkLine(line))) {
        rec.kind = Kind::Blank;
        records_.push_back(rec);
        continue;
      }
      std::size_t k = 0;
      if (ctx.layout == Layout::Points) {
        std::string_view rest = line;
        rec.line = TakeWord(rest);
        for (; k < ni; ++k) {
          const std::string_view t = TakeWord(rest);
          if (!Read(k, t, rec)) break;
        }
        rec.rest = TrimBlanks(rest);
        if (rec.kind == Kind::Point) {
          // The numbers between the inputs and the remark.
          std::string_view more = rec.rest;
          for (std::string_view w; rec.kind == Kind::Point && !(w = TakeWord(more)).empty();) {
            if (ReadStrict(w)) continue;
            if (IsNonFiniteNumber(w)) Refuse(rec, Status::InputNotFinite);
            break;
          }
        }
      } else {
        rec.fields = fields_.size();
        if (!SplitCsv(line, ctx.delimiter, lineFields_)) {
          rec.kind = Kind::Bad;
          rec.reason = kOpenQuote;
        } else {
          rec.fieldCount = lineFields_.size();
          fields_.insert(fields_.end(), lineFields_.begin(), lineFields_.end());
          for (; k < ni; ++k) {
            const auto idx = static_cast<std::size_t>(ctx.roleIndex[k]);
            const std::string_view t =
                idx < lineFields_.size() ? TrimBlanks(lineFields_[idx].text) : std::string_view();
            if (!Read(k, t, rec)) break;
          }
          for (std::size_t j = 1; rec.kind == Kind::Point && j < lineFields_.size(); ++j) {
            const bool input = std::find(ctx.roleIndex.begin(), ctx.roleIndex.end(), static_cast<int>(j)) !=
                               ctx.roleIndex.end();
            if (!input && IsNonFiniteNumber(lineFields_[j].text)) Refuse(rec, Status::InputNotFinite);
          }
        }
      }
      if (rec.kind == Kind::Bad) {
        rec.delimited = ctx.layout == Layout::Points && HasDelimiter(line);
        // Drop the columns this line had filled already.
        for (std::size_t j = 0; j < k; ++j) in_[j].pop_back();
        texts_.resize(rec.texts);
      }
      records_.push_back(rec);
    }
  }

  static void Refuse(Record& rec, Status why) {
    rec.kind = Kind::Bad;
    rec.reason = StatusMessage(why);
  }

  bool Read(std::size_t k, std::string_view t, Record& rec) {
    const InputColumn& column = command_.inputs[k];
    if (t.empty()) {
      rec.kind = Kind::Bad;
      rec.reason = column.missing;
      return false;
    }
    const auto v = ReadStrict(t);
    if (!v) {
      rec.kind = Kind::Bad;
      rec.reason = column.notNumber;
      return false;
    }
    in_[k].push_back(*v);
    texts_.push_back(t);
    return true;
  }

  void Compute() {
    const std::size_t n = in_.empty() ? 0 : in_[0].size();
    status_.assign(n, Status::Ok);
    std::vector<std::span<const double>> in;
    for (auto& c : in_) in.emplace_back(c);
    std::vector<std::span<double>> out;
    for (auto& c : out_) {
      c.assign(n, 0.0);
      out.emplace_back(c);
    }
    if (n > 0) command_.kernel(in, out, status_);
  }

  void Emit(const FileContext& ctx, BlockResult& r) {
    std::size_t point = 0;
    std::uint64_t lineNo = 0;
    r.out.reserve(records_.size() * 48);
    for (const Record& rec : records_) {
      const std::uint64_t here = lineNo++;
      // Each line ends as it did; a last line without an end takes the first line's, so
      // that the outputs of several files do not run together.
      const std::string_view end = rec.end.empty() ? std::string_view(ctx.lineEnd) : rec.end;
      if (rec.kind == Kind::Blank) {
        if (rows_) continue;
        r.out += rec.line;
        r.out += end;
        continue;
      }
      if (rec.kind == Kind::Bad) {
        r.errors.push_back({here, rec.reason, rows_ ? r.rows.size() : r.out.size(), rec.delimited});
        continue;
      }
      const std::size_t i = point++;
      if (!Computed(status_[i], strict_)) {
        r.errors.push_back({here, StatusMessage(status_[i]), rows_ ? r.rows.size() : r.out.size()});
        continue;
      }
      if (status_[i] != Status::Ok) ++r.warned, ++r.warnings[status_[i]];
      ++r.points;
      if (rows_) {
        KeepRow(ctx, rec, i, here, r.rows);
        continue;
      }
      if (ctx.layout == Layout::Points) {
        EmitPoint(ctx, rec, i, r.out);
      } else {
        EmitCsv(ctx, rec, i, r.out);
      }
      r.out += end;
    }
    r.lines = lineNo;
  }

  // Output item o of point i, made in place at the end of `out`.
  void AppendOutput(const Record& rec, std::size_t i, const OutputColumn& o, std::string& out) {
    if (o.copyInput >= 0) {
      out += texts_[rec.texts + static_cast<std::size_t>(o.copyInput)];
    } else {
      o.format(out, out_[static_cast<std::size_t>(o.value)][i]);
    }
  }

  // Name, outputs and remark in print zones; the numbers are ASCII, one column a byte.
  void EmitPoint(const FileContext& ctx, const Record& rec, std::size_t i, std::string& out) {
    out += rec.line;
    int column = ItemWidth(rec.line, ctx.encoding);
    for (const OutputColumn& o : command_.outputs) {
      PadToNextZone(out, column);
      const std::size_t before = out.size();
      AppendOutput(rec, i, o, out);
      column += static_cast<int>(out.size() - before);
    }
    if (!rec.rest.empty() || command_.remarkZone) {
      PadToNextZone(out, column);
      out += rec.rest;
    }
  }

  void KeepRow(const FileContext& ctx, const Record& rec, std::size_t i, std::uint64_t line,
               std::vector<OwnedRow>& rows) {
    OwnedRow row{line, std::string(rec.line), std::string(rec.rest), {}, {}, {}};
    for (const OutputColumn& o : command_.outputs) {
      AppendOutput(rec, i, o, row.texts.emplace_back());
      row.values.push_back(o.copyInput >= 0 ? in_[static_cast<std::size_t>(o.copyInput)][i]
                                            : out_[static_cast<std::size_t>(o.value)][i]);
    }
    if (ctx.layout == Layout::Csv) {
      row.name = std::string(TrimBlanks(fields_[rec.fields].text));
      for (std::size_t j = 0; j < rec.fieldCount; ++j) row.fields.emplace_back(TrimBlanks(fields_[rec.fields + j].text));
    }
    rows.push_back(std::move(row));
  }

  // The input's fields with the outputs where its first input column stood.
  void EmitCsv(const FileContext& ctx, const Record& rec, std::size_t i, std::string& out) {
    for (std::size_t j = 0; j < rec.fieldCount; ++j) {
      const int idx = static_cast<int>(j);
      if (idx == ctx.firstRole) {
        if (j > 0) out.push_back(ctx.delimiter);
        for (std::size_t o = 0; o < command_.outputs.size(); ++o) {
          if (o > 0) out.push_back(ctx.delimiter);
          AppendOutput(rec, i, command_.outputs[o], out);
        }
        continue;
      }
      if (std::find(ctx.roleIndex.begin(), ctx.roleIndex.end(), idx) != ctx.roleIndex.end()) continue;
      if (j > 0) out.push_back(ctx.delimiter);
      out += fields_[rec.fields + j].raw;
    }
  }

  const Command& command_;
  bool strict_;
  bool rows_;
  std::vector<std::vector<double>> in_, out_;
  std::vector<Status> status_;
  std::vector<Record> records_;
  std::vector<std::string_view> texts_;
  std::vector<CsvField> fields_, lineFields_;
};

// Where the converted lines go: standard output as they come, or a file replaced only
// when everything went well.
class Sink {
 public:
  explicit Sink(const RunOptions& o) : fd_(o.outputFd), path_(o.output) {
    if (!path_.empty()) file_ = std::make_unique<FileReplacement>(path_);
  }
  bool ok() const { return ok_ && (!file_ || file_->ok()); }
  std::string error() const { return file_ && !file_->ok() ? file_->error() : FileErrorText(errno_); }
  const std::string& path() const { return path_; }
  bool Write(std::string_view bytes) {
    if (!ok()) return false;
    if (file_) return file_->Write(bytes);
    if (!WriteAll(fd_, bytes)) {
      errno_ = errno;
      ok_ = false;
    }
    return ok_;
  }
  bool Commit() { return file_ ? file_->Commit() : ok(); }

 private:
  int fd_;
  std::string path_;
  std::unique_ptr<FileReplacement> file_;
  bool ok_ = true;
  int errno_ = 0;
};

// The bar on standard error while it is a terminal: share of the input read, points per
// second, time left. Drawn at most five times a second.
class Progress {
 public:
  Progress(int fd, bool on, std::optional<std::uint64_t> total)
      : fd_(fd), on_(on && ::isatty(fd) == 1), total_(total), start_(Clock::now()), last_(start_) {}
  ~Progress() { Clear(); }

  void Update(std::uint64_t bytes, std::uint64_t points) {
    if (!on_) return;
    const auto now = Clock::now();
    if (now - last_ < std::chrono::milliseconds(200)) return;
    last_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double rate = seconds > 0 ? points / seconds : 0;
    std::string line = "\r";
    if (total_ && *total_ > 0) {
      const double share = std::min(1.0, static_cast<double>(bytes) / static_cast<double>(*total_));
      const int filled = static_cast<int>(share * 30);
      line += "[" + std::string(filled, '#') + std::string(30 - filled, '.') + "] ";
      line += FormatPattern(share * 100, "0") + "%  ";
      if (share > 0) {
        const double left = seconds * (1 - share) / share;
        line += "剩余 " + FormatPattern(left, "0") + " 秒  ";
      }
    }
    line += FormatPattern(rate, "0") + " 点/秒";
    line += "\033[K";
    drawn_ = true;
    WriteAll(fd_, line);
  }
  void Clear() {
    if (drawn_) WriteAll(fd_, "\r\033[K");
    drawn_ = false;
  }

 private:
  using Clock = std::chrono::steady_clock;
  int fd_;
  bool on_;
  std::optional<std::uint64_t> total_;
  Clock::time_point start_, last_;
  bool drawn_ = false;
};

// The header line written for a CSV file: the input's with the output names in place.
std::string OutputHeader(const Command& command, const FileContext& ctx, std::string_view line) {
  std::vector<CsvField> fields;
  SplitCsv(line, ctx.delimiter, fields);
  std::string out;
  for (std::size_t j = 0; j < fields.size(); ++j) {
    const int idx = static_cast<int>(j);
    if (idx == ctx.firstRole) {
      if (j > 0) out.push_back(ctx.delimiter);
      for (std::size_t o = 0; o < command.outputs.size(); ++o) {
        if (o > 0) out.push_back(ctx.delimiter);
        out += command.outputs[o].name;
      }
      continue;
    }
    if (std::find(ctx.roleIndex.begin(), ctx.roleIndex.end(), idx) != ctx.roleIndex.end()) continue;
    if (j > 0) out.push_back(ctx.delimiter);
    out += fields[j].raw;
  }
  return out + ctx.lineEnd;
}

// Worker threads that keep their scratch space from block to block; blocks are taken in
// the order given, and each result comes back through its own future.
class Pool {
 public:
  Pool(const Command& command, bool strict, bool rows, unsigned n) {
    for (unsigned i = 0; i < n; ++i) {
      threads_.emplace_back([this, &command, strict, rows] {
        BlockConverter converter(command, strict, rows);
        for (;;) {
          std::function<void(BlockConverter&)> task;
          {
            std::unique_lock<std::mutex> lock(mutex_);
            ready_.wait(lock, [this] { return stop_ || !tasks_.empty(); });
            if (tasks_.empty()) return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
          }
          task(converter);
        }
      });
    }
  }
  ~Pool() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    ready_.notify_all();
    for (auto& t : threads_) t.join();
  }

  std::future<BlockResult> Submit(FileContext ctx, std::string bytes, std::size_t skip) {
    auto promise = std::make_shared<std::promise<BlockResult>>();
    std::future<BlockResult> result = promise->get_future();
    auto job = [promise, ctx = std::move(ctx), bytes = std::move(bytes), skip](BlockConverter& c) {
      // A failure (memory, say) reaches the caller through the future, not the thread.
      try {
        promise->set_value(c.Convert(ctx, std::string_view(bytes).substr(skip)));
      } catch (...) {
        promise->set_exception(std::current_exception());
      }
    };
    {
      std::lock_guard<std::mutex> lock(mutex_);
      tasks_.push_back(std::move(job));
    }
    ready_.notify_one();
    return result;
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::function<void(BlockConverter&)>> tasks_;
  bool stop_ = false;
  std::vector<std::thread> threads_;
};

class Runner {
 public:
  Runner(const Command& c, const RunOptions& o) : command_(c), options_(o), sink_(o) {
    jobs_ = std::max(1u, o.jobs);
  }

  RunResult Run() {
    // The share read is known when every input is a regular file.
    std::optional<std::uint64_t> total = 0;
    for (const auto& path : options_.inputs) {
      struct stat st {};
      if (path == "-" || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        total.reset();
        break;
      }
      *total += static_cast<std::uint64_t>(st.st_size);
    }
    total_ = total;
    progress_ = std::make_unique<Progress>(options_.errorFd, !options_.quiet, total);
    if (!sink_.ok()) return Fail("", 0, CannotWriteMessage(sink_.path(), sink_.error()));
    if (options_.rowWriter && !sink_.Write(options_.rowWriter->Head()))
      return Fail("", 0, CannotWriteMessage(sink_.path(), sink_.error()));
    for (const auto& path : options_.inputs) {
      if (!RunFile(path)) return Finish(false);
    }
    return Finish(true);
  }

 private:
  RunResult Fail(const std::string& file, std::uint64_t line, const std::string& reason) {
    Report(file, line, reason);
    return Finish(false);
  }

  RunResult Finish(bool complete) {
    progress_.reset();
    if (complete && options_.rowWriter) complete = sink_.Write(options_.rowWriter->Tail());
    if (complete && !sink_.Commit()) {
      Report("", 0, CannotWriteMessage(sink_.path(), sink_.error()));
      complete = false;
    }
    result_.written = complete;
    result_.exitCode = complete && result_.failed == 0 ? 0 : 1;
    return result_;
  }

  void Report(std::string file, std::uint64_t line, std::string_view reason) {
    if (progress_) progress_->Clear();
    if (const auto s = options_.sources.find(file); s != options_.sources.end()) {
      file = s->second.name;
      if (line > 0) line = line <= s->second.lines.size() ? s->second.lines[line - 1] : 1;
    }
    std::string text;
    if (!file.empty()) {
      text = file + ":";
      if (line > 0) text += std::to_string(line) + ":";
      text += " ";
    }
    text += reason;
    if (options_.messages) return options_.messages(text);
    text += "\n";
    WriteAll(options_.errorFd, text);
  }

  // False when the run must stop.
  bool RunFile(const std::string& path) {
    FileContext ctx;
    ctx.name = InputName(path);
    std::unique_ptr<LineReader> reader = path == "-" ? std::make_unique<LineReader>(0, options_.block)
                                                     : std::make_unique<LineReader>(path, true, options_.block);
    if (!reader->ok()) {
      ++result_.failed;
      Report(ctx.name, 0, "不能读取：" + reader->error());
      return options_.skipBadLines;
    }
    std::deque<std::future<BlockResult>> pending;
    std::uint64_t line = 0;  // lines of this file before the next block
    BlockConverter inline_(command_, options_.strict, options_.rowWriter != nullptr);
    bool first = true;
    std::string chunk;
    auto drain = [&](BlockResult r) {
      if (options_.rowWriter) return DrainRows(ctx.name, line, r, consumedBefore_ + reader->consumed());
      bool stop = false;
      std::size_t written = r.out.size();
      for (const LineError& e : r.errors) {
        ++result_.failed;
        Report(ctx.name, line + e.line + 1,
               e.delimited ? std::string(e.reason) + std::string(kDelimitedHint) : std::string(e.reason));
        if (!options_.skipBadLines) {
          written = e.outSize;
          stop = true;
          break;
        }
      }
      if (!sink_.Write(std::string_view(r.out).substr(0, written))) {
        Report("", 0, "不能写入" + (sink_.path().empty() ? std::string("标准输出") : sink_.path()) +
                          "：" + sink_.error());
        return false;
      }
      result_.points += r.points;
      result_.warned += r.warned;
      for (const auto& [w, k] : r.warnings) result_.warnings[w] += k;
      line += r.lines;
      progress_->Update(consumedBefore_ + reader->consumed(), result_.points);
      return !stop;
    };
    for (;;) {
      if (options_.progress && !options_.progress(consumedBefore_ + reader->consumed(), total_.value_or(0))) {
        result_.cancelled = true;
        Report("", 0, "已中断");
        return false;
      }
      if (options_.cancel && *options_.cancel) {
        result_.cancelled = true;
        Report("", 0, "已中断");
        return false;
      }
      if (!reader->NextChunk(chunk)) break;
      std::size_t skip = 0;
      if (first) {
        first = false;
        LineCursor cursor(chunk);
        std::string_view firstLine;
        cursor.Next(firstLine);
        bool header = false;
        std::string reason;
        ctx.lineEnd = std::string(FirstLineEnd(chunk));
        const LayoutChoice choice{options_.layout, options_.delimiter, options_.columns};
        if (!DecideLayout(command_.inputs, choice, path, chunk, ctx, header, reason)) {
          ++result_.failed;
          Report(ctx.name, 1, reason);
          return false;
        }
        if (header && options_.rowWriter) {
          skip = cursor.offset();
          line = 1;
        } else if (header) {
          const std::string h = OutputHeader(command_, ctx, firstLine);
          if (h != lastHeader_ && !sink_.Write(h)) {
            Report("", 0, CannotWriteMessage(sink_.path(), sink_.error()));
            return false;
          }
          lastHeader_ = h;
          skip = cursor.offset();
          line = 1;
        }
      }
      if (ctx.encoding == Encoding::Undecided) ctx.encoding = DetectEncoding(chunk);
      if (jobs_ == 1) {
        if (!drain(inline_.Convert(ctx, std::string_view(chunk).substr(skip)))) return false;
        continue;
      }
      if (!pool_) pool_ = std::make_unique<Pool>(command_, options_.strict, options_.rowWriter != nullptr, jobs_);
      pending.push_back(pool_->Submit(ctx, std::move(chunk), skip));
      chunk.clear();
      while (pending.size() > 2 * jobs_) {
        BlockResult r = pending.front().get();
        pending.pop_front();
        if (!drain(std::move(r))) return false;
      }
    }
    while (!pending.empty()) {
      BlockResult r = pending.front().get();
      pending.pop_front();
      if (!drain(std::move(r))) return false;
    }
    if (!reader->ok()) {
      ++result_.failed;
      Report(ctx.name, 0, "不能读取：" + reader->error());
      return options_.skipBadLines;
    }
    consumedBefore_ += reader->consumed();
    return true;
  }

  // A block's points through the RowWriter, its bad lines reported in line order among them.
  bool DrainRows(const std::string& file, std::uint64_t& line, BlockResult& r, std::uint64_t consumed) {
    std::string out;
    bool stop = false;
    std::size_t e = 0;
    auto report = [&](std::uint64_t at, std::string_view reason) {
      ++result_.failed;
      Report(file, line + at + 1, reason);
      stop = !options_.skipBadLines;
    };
    for (std::size_t k = 0; k <= r.rows.size() && !stop; ++k) {
      for (; e < r.errors.size() && r.errors[e].outSize <= k && !stop; ++e) {
        const LineError& err = r.errors[e];
        report(err.line, err.delimited ? std::string(err.reason) + std::string(kDelimitedHint) : std::string(err.reason));
      }
      if (k == r.rows.size() || stop) break;
      const OwnedRow& row = r.rows[k];
      const std::string why =
          options_.rowWriter->Row({row.name, row.texts, row.values, row.rest, row.fields}, out);
      if (why.empty()) {
        ++result_.points;
      } else {
        report(row.line, why);
      }
    }
    if (!sink_.Write(out)) {
      Report("", 0, CannotWriteMessage(sink_.path(), sink_.error()));
      return false;
    }
    result_.warned += r.warned;
    for (const auto& [w, k] : r.warnings) result_.warnings[w] += k;
    line += r.lines;
    progress_->Update(consumed, result_.points);
    return !stop;
  }

  const Command& command_;
  const RunOptions& options_;
  Sink sink_;
  unsigned jobs_ = 1;
  RunResult result_;
  std::unique_ptr<Progress> progress_;
  std::unique_ptr<Pool> pool_;
  std::string lastHeader_;
  std::uint64_t consumedBefore_ = 0;
  std::optional<std::uint64_t> total_;
};

}  // namespace

RunResult RunCommand(const Command& command, const RunOptions& options) {
  return Runner(command, options).Run();
}

Formatter PatternFormat(std::string pattern) {
  return [pattern = std::move(pattern)](std::string& out, double v) { AppendPattern(out, v, pattern); };
}

Formatter GeneralFormat() {
  return [](std::string& out, double v) { AppendGeneralNumber(out, v); };
}

Formatter AngleFormat(AngleUnit unit) {
  return [unit](std::string& out, double v) { AppendAngleText(out, v, unit); };
}

std::string DecimalsPattern(int decimals) {
  return "#" + std::string(decimals > 0 ? "." : "") + std::string(static_cast<std::size_t>(std::max(decimals, 0)), '0');
}

std::string InputName(const std::string& path) { return path == "-" ? std::string(kStdinName) : path; }

std::string CannotWriteMessage(const std::string& path, const std::string& error) {
  return "不能写入" + path + "：" + error;
}

}  // namespace vantrel::batch
