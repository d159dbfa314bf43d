#include "tools/Stream.h"

#include "tools/Json.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace orrery::tool {

namespace {

bool writeAll(int fd, const char *data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

} // namespace

Cursor Output::begin() {
  if (kCapacity - mSize < kMaxRecord + 1) {
    flush();
  }
  // One byte is kept for the newline commit adds.
  return Cursor(mBuffer + mSize, mBuffer + mSize + kMaxRecord);
}

void Output::commit(const Cursor &c) {
  mSize += c.size();
  mBuffer[mSize++] = '\n';
}

void Output::line(std::string_view text) {
  if (kCapacity - mSize < text.size() + 1) {
    flush();
    if (!mFailed && kCapacity < text.size() + 1) {
      mFailed = !writeAll(mFd, text.data(), text.size());
      text = {};
    }
  }
  text.copy(mBuffer + mSize, text.size());
  mSize += text.size();
  mBuffer[mSize++] = '\n';
}

bool Output::flush() {
  if (mSize > 0 && !mFailed) {
    mFailed = !writeAll(mFd, mBuffer, mSize);
  }
  mSize = 0;
  return !mFailed;
}

LineReader::Status LineReader::next(std::string_view &line) {
  for (;;) {
    if (mBegin < mEnd) {
      const char *start = mBuffer + mBegin;
      const auto *newline = static_cast<const char *>(std::memchr(start, '\n', mEnd - mBegin));
      if (newline != nullptr) {
        mBegin = static_cast<std::size_t>(newline - mBuffer) + 1;
        if (mSkipping) {
          mSkipping = false;
          continue;
        }
        ++mLine;
        line = std::string_view(start, static_cast<std::size_t>(newline - start));
        if (!line.empty() && line.back() == '\r') {
          line.remove_suffix(1);
        }
        return Status::kLine;
      }
      if (mEof) {
        // The last line has no newline.
        line = std::string_view(start, mEnd - mBegin);
        mBegin = mEnd;
        if (mSkipping) {
          return Status::kEnd;
        }
        ++mLine;
        return Status::kLine;
      }
    }
    if (mEof) {
      return Status::kEnd;
    }
    if (mSkipping) {
      mBegin = mEnd = 0;
    } else if (mBegin > 0) {
      std::memmove(mBuffer, mBuffer + mBegin, mEnd - mBegin);
      mEnd -= mBegin;
      mBegin = 0;
    }
    if (mEnd == kCapacity) {
      // A whole buffer without a newline: report the line and drop the rest
      // of it as it arrives.
      mBegin = mEnd = 0;
      mSkipping = true;
      ++mLine;
      return Status::kTooLong;
    }
    if (mOut != nullptr) {
      mOut->flush();
    }
    const ssize_t n = ::read(mFd, mBuffer + mEnd, kCapacity - mEnd);
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return Status::kReadError;
    }
    if (n == 0) {
      mEof = true;
    } else {
      mEnd += static_cast<std::size_t>(n);
    }
  }
}

int writeResult(std::string_view command, std::string_view text) {
  if (!writeAll(1, text.data(), text.size())) {
    reportError(command, "cannot write standard output");
    return kExitFailure;
  }
  return kExitOk;
}

void reportError(std::string_view command, std::string_view message) {
  std::string text = "orrery";
  if (!command.empty()) {
    text += ' ';
    text += command;
  }
  text += ": ";
  text += message;
  text += '\n';
  writeAll(2, text.data(), text.size());
}

void reportLine(std::string_view command, long long line, std::string_view message) {
  reportError(command, "line " + std::to_string(line) + ": " + std::string(message));
}

void echoLine(Output &out, std::string_view line, StreamMode mode) {
  out.line(mode.json ? std::string_view() : line);
}

void badLine(Output &out, std::string_view command, long long line, std::string_view message,
             StreamMode mode) {
  if (mode.json) {
    LineBuffer text;
    JsonWriter(*text)
        .beginObject()
        .integer("line", static_cast<long>(line))
        .string("error", message)
        .endObject();
    out.line(text->view());
  } else {
    out.line("ERROR: " + std::string(message));
  }
  // Results of earlier lines go out first, so messages and results keep
  // their order on a terminal.
  out.flush();
  reportLine(command, line, message);
}

std::string_view withoutByteOrderMark(std::string_view line, long long number) {
  if (number == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") {
    line.remove_prefix(3);
  }
  return line;
}

} // namespace orrery::tool
