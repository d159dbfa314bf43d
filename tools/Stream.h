#pragma once

// Line-by-line filtering of standard input to standard output, for the
// subcommands that convert one record per line.
//
// Input is read in blocks into a fixed buffer and never held whole, so the
// memory used does not grow with the input. Results are gathered in a block
// of output that is written out before each read of new input: in a batch
// the writes are large, and a person typing lines sees each answer at once.

#include "tools/Text.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orrery::tool {

// Buffered writing to a file descriptor. A result is formatted straight into
// the buffer and committed only when complete, so a failed line leaves no
// trace in the output.
class Output {
public:
  static constexpr std::size_t kCapacity = 1 << 16;
  static constexpr std::size_t kMaxRecord = 2048; // room given to one result

  explicit Output(int fd) : mFd(fd) {}
  Output(const Output &) = delete;
  Output &operator=(const Output &) = delete;

  // A cursor over at least kMaxRecord free bytes.
  Cursor begin();
  // Keeps what the cursor wrote, followed by a newline.
  void commit(const Cursor &c);
  // Writes text and a newline, however long.
  void line(std::string_view text);
  // Writes the buffered text; false once any write has failed.
  bool flush();
  bool failed() const { return mFailed; }

private:
  int mFd;
  std::size_t mSize = 0;
  bool mFailed = false;
  char mBuffer[kCapacity];
};

class LineReader {
public:
  static constexpr std::size_t kCapacity = 1 << 16; // longest line is one less

  enum class Status { kLine, kTooLong, kEnd, kReadError };

  // out, when given, is flushed before every read of new input.
  LineReader(int fd, Output *out) : mFd(fd), mOut(out) {}
  LineReader(const LineReader &) = delete;
  LineReader &operator=(const LineReader &) = delete;

  // The next line without its newline (and without a trailing '\r'). A line
  // longer than the buffer is reported once as kTooLong and then skipped.
  Status next(std::string_view &line);
  // Number of the line last returned, counting from 1.
  long long lineNumber() const { return mLine; }

private:
  int mFd;
  Output *mOut;
  std::size_t mBegin = 0;
  std::size_t mEnd = 0;
  long long mLine = 0;
  bool mEof = false;
  bool mSkipping = false; // inside a line already reported as too long
  char mBuffer[kCapacity];
};

// Writes a whole result to standard output; kExitOk, or kExitFailure (with a
// message) when it could not be written.
int writeResult(std::string_view command, std::string_view text);

// Writes "orrery <command>: <message>" as one line on standard error.
void reportError(std::string_view command, std::string_view message);

// How a stream answers: --strict stops at the first bad line; --json writes
// JSON lines.
struct StreamMode {
  bool strict = false;
  bool json = false;
};

// Runs handler(line, cursor, message) on every line of standard input that is
// not blank or a comment, with a trailing "# comment" cut off and a UTF-8
// byte-order mark on the first line ignored. Every input line gives exactly
// one output line, so that `paste input output` keeps each row beside its
// answer: on true the cursor's text; on false a placeholder in its place
// ("ERROR: message", or {"line":N,"error":"message"} with --json) and the
// message with the line number on standard error. Blank and comment lines are
// echoed as they are (as empty lines with --json). Returns kExitOk,
// kExitBadInput when some line was bad (stopping after the first when
// strict), or kExitFailure when reading or writing failed.
template <class Handler>
int filterLines(std::string_view command, StreamMode mode, Handler &&handler);

// Writes "orrery <command>: line N: <message>" on standard error.
void reportLine(std::string_view command, long long line, std::string_view message);

// Shared parts of filterLines: echoing a blank or comment line, and
// answering and reporting a bad one.
void echoLine(Output &out, std::string_view line, StreamMode mode);
void badLine(Output &out, std::string_view command, long long line, std::string_view message,
             StreamMode mode);

// A UTF-8 byte-order mark at the start of the first line is no part of it.
std::string_view withoutByteOrderMark(std::string_view line, long long number);

template <class Handler>
int filterLines(std::string_view command, StreamMode mode, Handler &&handler) {
  auto out = std::make_unique<Output>(1);
  auto in = std::make_unique<LineReader>(0, out.get());
  std::string message;
  int status = kExitOk;
  std::string_view line;
  for (;;) {
    const LineReader::Status s = in->next(line);
    if (s == LineReader::Status::kEnd || out->failed()) {
      break;
    }
    if (s == LineReader::Status::kReadError) {
      out->flush();
      reportError(command, "cannot read standard input");
      return kExitFailure;
    }
    bool ok;
    if (s == LineReader::Status::kTooLong) {
      ok = false;
      message = "line longer than " + std::to_string(LineReader::kCapacity - 1) + " bytes";
    } else if (line = withoutByteOrderMark(line, in->lineNumber()); isBlankOrComment(line)) {
      echoLine(*out, line, mode);
      continue;
    } else {
      message.clear();
      Cursor c = out->begin();
      ok = handler(withoutComment(line), c, message);
      if (ok && c.overflowed()) {
        ok = false;
        message = "result too long";
      }
      if (ok) {
        out->commit(c);
      }
    }
    if (!ok) {
      badLine(*out, command, in->lineNumber(), message, mode);
      status = kExitBadInput;
      if (mode.strict) {
        break;
      }
    }
  }
  if (!out->flush()) {
    reportError(command, "cannot write standard output");
    return kExitFailure;
  }
  return status;
}

// The two modes of a record converter: the values given on the command line
// as one record (joined by blanks and split again, so "45,7" is two fields;
// a bad one throws UsageError), or, when there are none, every line of
// standard input through filterLines. record(fields, count, cursor, message)
// converts one record; count is the number of fields the line has, which may
// exceed the MaxFields that were stored, so a record reads fields only after
// checking count.
template <int MaxFields, class Record>
int convertRecords(std::string_view command, const std::vector<std::string> &values,
                   StreamMode mode, Record &&record) {
  std::string_view fields[MaxFields];
  if (!values.empty()) {
    std::string joined;
    for (const std::string &v : values) {
      joined += (joined.empty() ? "" : " ") + v;
    }
    const int count = splitFields(joined, fields, MaxFields);
    LineBuffer line;
    std::string message;
    if (!record(fields, count, *line, message)) {
      throw UsageError(message);
    }
    return writeResult(command, line.str() + '\n');
  }
  return filterLines(command, mode, [&](std::string_view line, Cursor &out, std::string &message) {
    const int count = splitFields(line, fields, MaxFields);
    return record(fields, count, out, message);
  });
}

} // namespace orrery::tool
