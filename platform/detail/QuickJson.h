// A quick reader of plain JSON text. It gives a SAX consumer the events
// nlohmann's reader gives it, in the same order and with the same values,
// for text without escapes, without bytes outside ASCII in its strings,
// without a byte order mark, and without integers of more than 18 digits.
// Anything else it declines at once, and the caller reads the text the full
// way: this reader never reports a fault, it only leaves the text to the
// reader that does.
#ifndef TAVSOFTWARE_PLATFORM_DETAIL_QUICKJSON_H
#define TAVSOFTWARE_PLATFORM_DETAIL_QUICKJSON_H

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace Port {

enum class QuickJsonResult {
  kRead,     // the whole text, every event taken
  kRefused,  // the consumer refused an event; nothing read after it
  kDeclined  // not plain enough, or not JSON: read it the full way
};

// `Sax` has the event functions of nlohmann::json_sax (null, boolean,
// number_integer, number_unsigned, number_float, string, key, start_object,
// end_object, start_array, end_array); each returns false to stop.
template <class Sax>
class QuickJson {
 public:
  QuickJson(std::string_view text, Sax& sax)
      : p_(text.data()), end_(text.data() + text.size()), sax_(sax) {}

  QuickJsonResult Read() {
    SkipBlanks();
    const QuickJsonResult r = Value(0);
    if (r != QuickJsonResult::kRead) return r;
    SkipBlanks();
    return p_ == end_ ? r : QuickJsonResult::kDeclined;
  }

 private:
  using R = QuickJsonResult;
  // Deeper text is rare and left to the full reader, which needs no stack.
  static constexpr int kDeepest = 256;

  static R Took(bool taken) { return taken ? R::kRead : R::kRefused; }

  void SkipBlanks() {
    while (p_ != end_ && (*p_ == ' ' || *p_ == '\n' || *p_ == '\r' || *p_ == '\t')) ++p_;
  }

  R Value(int depth) {
    if (p_ == end_) return R::kDeclined;
    switch (*p_) {
      case '{': return Object(depth + 1);
      case '[': return Array(depth + 1);
      case '"': {
        std::string s;
        if (!String(s)) return R::kDeclined;
        return Took(sax_.string(s));
      }
      case 't': return Word("true") ? Took(sax_.boolean(true)) : R::kDeclined;
      case 'f': return Word("false") ? Took(sax_.boolean(false)) : R::kDeclined;
      case 'n': return Word("null") ? Took(sax_.null()) : R::kDeclined;
      default: return Number();
    }
  }

  R Object(int depth) {
    if (depth > kDeepest) return R::kDeclined;
    ++p_;
    if (!sax_.start_object(static_cast<std::size_t>(-1))) return R::kRefused;
    SkipBlanks();
    if (p_ != end_ && *p_ == '}') {
      ++p_;
      return Took(sax_.end_object());
    }
    for (;;) {
      if (p_ == end_ || *p_ != '"') return R::kDeclined;
      std::string key;
      if (!String(key)) return R::kDeclined;
      if (!sax_.key(key)) return R::kRefused;
      SkipBlanks();
      if (p_ == end_ || *p_ != ':') return R::kDeclined;
      ++p_;
      SkipBlanks();
      if (const R r = Value(depth); r != R::kRead) return r;
      SkipBlanks();
      if (p_ == end_) return R::kDeclined;
      if (*p_ == '}') {
        ++p_;
        return Took(sax_.end_object());
      }
      if (*p_ != ',') return R::kDeclined;
      ++p_;
      SkipBlanks();
    }
  }

  R Array(int depth) {
    if (depth > kDeepest) return R::kDeclined;
    ++p_;
    if (!sax_.start_array(static_cast<std::size_t>(-1))) return R::kRefused;
    SkipBlanks();
    if (p_ != end_ && *p_ == ']') {
      ++p_;
      return Took(sax_.end_array());
    }
    for (;;) {
      if (const R r = Value(depth); r != R::kRead) return r;
      SkipBlanks();
      if (p_ == end_) return R::kDeclined;
      if (*p_ == ']') {
        ++p_;
        return Took(sax_.end_array());
      }
      if (*p_ != ',') return R::kDeclined;
      ++p_;
      SkipBlanks();
    }
  }

  // A string without escapes, control characters or bytes beyond ASCII.
  bool String(std::string& out) {
    const char* from = ++p_;
    while (p_ != end_) {
      const auto c = static_cast<unsigned char>(*p_);
      if (c == '"') {
        out.assign(from, p_);
        ++p_;
        return true;
      }
      if (c == '\\' || c < 0x20 || c >= 0x80) return false;
      ++p_;
    }
    return false;
  }

  bool Word(std::string_view word) {
    if (static_cast<std::size_t>(end_ - p_) < word.size() ||
        std::string_view(p_, word.size()) != word)
      return false;
    p_ += word.size();
    return true;
  }

  static bool Digit(char c) { return c >= '0' && c <= '9'; }

  R Number() {
    const char* from = p_;
    const bool negative = *p_ == '-';
    if (negative) ++p_;
    if (p_ == end_ || !Digit(*p_)) return R::kDeclined;
    if (*p_ == '0')
      ++p_;
    else
      while (p_ != end_ && Digit(*p_)) ++p_;
    const std::size_t digits = static_cast<std::size_t>(p_ - from) - negative;
    bool integer = true;
    if (p_ != end_ && *p_ == '.') {
      integer = false;
      ++p_;
      if (p_ == end_ || !Digit(*p_)) return R::kDeclined;
      while (p_ != end_ && Digit(*p_)) ++p_;
    }
    if (p_ != end_ && (*p_ == 'e' || *p_ == 'E')) {
      integer = false;
      ++p_;
      if (p_ != end_ && (*p_ == '+' || *p_ == '-')) ++p_;
      if (p_ == end_ || !Digit(*p_)) return R::kDeclined;
      while (p_ != end_ && Digit(*p_)) ++p_;
    }
    const std::string text(from, p_);
    if (integer) {
      if (digits > 18) return R::kDeclined;
      if (negative) return Took(sax_.number_integer(std::strtoll(text.c_str(), nullptr, 10)));
      return Took(sax_.number_unsigned(std::strtoull(text.c_str(), nullptr, 10)));
    }
    const double value = std::strtod(text.c_str(), nullptr);
    if (!std::isfinite(value)) return R::kDeclined;
    return Took(sax_.number_float(value, text));
  }

  const char* p_;
  const char* end_;
  Sax& sax_;
};

template <class Sax>
QuickJsonResult ReadQuickJson(std::string_view text, Sax& sax) {
  return QuickJson<Sax>(text, sax).Read();
}

}  // namespace Port

#endif  // TAVSOFTWARE_PLATFORM_DETAIL_QUICKJSON_H
