// textio/record_space.hpp — the memory where a write statement lays out its records: the
// place from which the unit hands them to the platform (the report unit's buffer, behind the
// bytes it already holds; the console's record room). The editors write each character
// once, at its final place; the unit takes the bytes when the statement ends, so nothing
// reaches it before. Knows nothing of units beyond how a record is ended in them.
//
// Past its end the memory runs on for spill_bytes more, which belong to no record: blanks
// go out as runs of 32 and short texts and digits as moves of fixed size, and whatever such
// a move stores beyond the bytes claimed is covered by the next piece or left unused. Only
// claimed bytes count, and a claim never passes the end.
#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <span>
#include <string_view>

namespace duopit::textio {

// Blanks are stored in runs of this many: one fixed-size move, of which as many as needed
// count.
constexpr std::size_t blank_run_bytes = 32;
inline constexpr std::array<char, blank_run_bytes> blank_run = {
    ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
    ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};

class RecordSpace {
 public:
  // Bytes past the end of a space that a piece may store into (see above).
  static constexpr std::size_t spill_bytes = 64;

  enum class Ending : unsigned char {
    crlf,    // a file: CR LF follows every terminated record
    marked,  // the console: each record's end is noted, for the carriage control that is
             // applied to the records when the statement ends
  };
  struct RecordEnd {
    std::size_t end;  // offset just after the record's last character
    bool terminated;  // false after a backslash: the next record continues the line
  };
  static constexpr std::size_t max_marked_records = 16;

  RecordSpace() = default;  // no room at all
  RecordSpace(char* first, char* last, Ending ending) { start(first, last, ending); }

  // Empties the space and places it at [first, last); spill_bytes more follow `last`.
  void start(char* first, char* last, Ending ending) {
    first_ = first;
    next_ = first;
    last_ = last;
    ending_ = ending;
    full_ = false;
    if (ending == Ending::marked) {  // only these count their records (constant when inlined)
      ends_used_ = 0;
    }
  }

  // Reserves `count` bytes at the current place and returns where they go, with spill_bytes
  // more behind them that may be stored into. Null, with the space marked full for good,
  // when there is not that much room.
  [[nodiscard]] char* claim(std::size_t count) {
    if (count > room()) [[unlikely]] {
      last_ = next_;
      full_ = true;
      return nullptr;
    }
    char* const at = next_;
    next_ += count;
    return at;
  }

  // `blanks` blanks, then `characters`: a record's owed blanks and the text that follows
  // them, in one claim.
  void put(std::size_t blanks, std::string_view characters) {
    char* const at = claim(blanks + characters.size());
    if (at == nullptr) [[unlikely]] {
      return;
    }
    store_blanks(at, blanks);
    store(at + blanks, characters);
  }
  void put(std::string_view characters) { put(0, characters); }
  void put_blanks(std::size_t count) { put(count, {}); }

  // Ends the record after `blanks` blanks still owed to it.
  void end_record(bool terminated, std::size_t blanks = 0) {
    if (ending_ == Ending::marked) {
      put_blanks(blanks);
      mark_end(terminated);
      return;
    }
    char* const at = claim(blanks + (terminated ? 2 : 0));
    if (at == nullptr) [[unlikely]] {
      return;
    }
    store_blanks(at, blanks);
    if (terminated) {
      std::memcpy(at + blanks, "\r\n", 2);
    }
  }

  // Bytes that may still be claimed from the current place on.
  [[nodiscard]] std::size_t room() const { return static_cast<std::size_t>(last_ - next_); }
  // The statement laid out more than the space holds: nothing of it can be kept.
  [[nodiscard]] bool full() const { return full_; }
  [[nodiscard]] std::size_t size() const { return static_cast<std::size_t>(next_ - first_); }
  [[nodiscard]] std::string_view bytes() const { return {first_, size()}; }
  // The records ended so far, for Ending::marked.
  [[nodiscard]] std::span<const RecordEnd> record_ends() const {
    return {ends_.data(), ends_used_};
  }

 private:
  // Up to 32 blanks, the usual case, as one run.
  static void store_blanks(char* at, std::size_t count) {
    if (count <= blank_run_bytes) {
      std::memcpy(at, blank_run.data(), blank_run_bytes);
    } else {
      std::memset(at, ' ', count);
    }
  }

  // Labels, the usual texts, are short: two fixed-size moves that overlap in the middle.
  static void store(char* at, std::string_view characters) {
    const std::size_t n = characters.size();
    const char* const from = characters.data();
    if (n >= 8 && n <= 16) {
      std::memcpy(at, from, 8);
      std::memcpy(at + n - 8, from + n - 8, 8);
    } else if (n >= 4 && n < 8) {
      std::memcpy(at, from, 4);
      std::memcpy(at + n - 4, from + n - 4, 4);
    } else if (n > 0) {
      std::memcpy(at, from, n);
    }
  }

  void mark_end(bool terminated) {
    if (ends_used_ == ends_.size()) {
      last_ = next_;
      full_ = true;
      return;
    }
    ends_[ends_used_++] = {size(), terminated};
  }

  char* first_ = nullptr;
  char* next_ = nullptr;
  char* last_ = nullptr;
  Ending ending_ = Ending::crlf;
  bool full_ = false;
  std::size_t ends_used_ = 0;
  std::array<RecordEnd, max_marked_records> ends_{};  // last: only the console's records use it
};

}  // namespace duopit::textio
