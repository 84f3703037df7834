// A plain field reader to compare the runtime's block reader with: one read per byte (an
// unbuffered C stream), one seek per look-back, the length asked of the file system at every
// end test, exactly as the rules of field input are stated. Number fields are read as doubles;
// the value comes from strtod on the accepted text, so the comparison holds for numbers of up
// to 17 digits and small exponents.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "tests/unit/files/file_test_support.h"

namespace rt::testing {

class ReferenceReader {
 public:
  explicit ReferenceReader(const std::string& path)
      : path_(path), file_(std::fopen(path.c_str(), "rb")) {
    if (file_ == nullptr) {
      ADD_FAILURE() << "cannot open " << path;
      return;
    }
    // Every fgetc is one read of the file, so bytes appended meanwhile are seen.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    if (length() != 0 && std::fgetc(file_) == 26) hitEnd_ = true;
    std::fseek(file_, 0, SEEK_SET);
  }
  ~ReferenceReader() {
    if (file_ != nullptr) std::fclose(file_);
  }
  ReferenceReader(const ReferenceReader&) = delete;
  ReferenceReader& operator=(const ReferenceReader&) = delete;

  // Outcomes in the form of runFieldOp.
  std::string run(FieldOp op) {
    switch (op) {
      case FieldOp::String: return stringField();
      case FieldOp::Double: return numberField();
      default: return atEnd() ? "eof" : "more";
    }
  }

  bool atEnd() { return position() >= length() || hitEnd_; }

  // Every byte of the file has been consumed.
  bool drained() { return position() >= length(); }

 private:
  int next() {
    if (file_ == nullptr) {
      hitEnd_ = true;
      return -1;
    }
    // A stream that met the end once reads again only with its end indicator cleared.
    std::clearerr(file_);
    const int byte = std::fgetc(file_);
    if (byte == EOF) {
      hitEnd_ = true;
      return -1;
    }
    hitEnd_ = false;
    if (byte == 26) {
      back();
      hitEnd_ = true;
      return -1;
    }
    return byte;
  }
  void back() { std::fseek(file_, -1, SEEK_CUR); }
  int64_t position() { return file_ == nullptr ? 0 : static_cast<int64_t>(std::ftell(file_)); }
  int64_t length() {
    std::error_code error;
    const uintmax_t bytes = std::filesystem::file_size(path_, error);
    return error ? 0 : static_cast<int64_t>(bytes);
  }

  void lineEnd(int c) {
    int n = next();
    if (n < 0) return;
    if (n == (c == '\r' ? '\n' : '\r') && next() < 0) return;
    back();
  }

  void skipToFieldEnd(int c) {
    while (c >= 0 && c != ',') {
      if (c == '\r' || c == '\n') return lineEnd(c);
      if (c == ' ') {
        int n = next();
        if (n < 0) return;
        if (n != ' ' && n != ',' && n != '\r' && n != '\n') return back();
        c = n;
      } else {
        c = next();
      }
    }
  }

  std::string stringField() {
    int c;
    do c = next();
    while (c == ' ' || c == '\t');
    if (c < 0) return " #62";
    std::string field;
    if (c == '"') {
      while ((c = next()) >= 0 && c != '"') field += static_cast<char>(c);
    } else {
      for (; c >= 0 && c != '\r' && c != '\n' && c != ','; c = next())
        field += static_cast<char>(c);
      while (!field.empty() && (field.back() == ' ' || field.back() == '\t')) field.pop_back();
    }
    while (c >= 0 && c != '\r' && c != '\n' && c != ',') c = next();
    if (c == '\r' || c == '\n') lineEnd(c);
    return field;
  }

  std::string numberField() {
    int c;
    do c = next();
    while (c == ' ');
    if (c < 0) return "0 #62";
    std::string text;
    long double value = 0;
    if (c == '&') {
      c = next();
      int base = (c == 'H' || c == 'h') ? 16 : (c == 'O' || c == 'o') ? 8 : 0;
      if (base != 0) {
        while ((c = next()) >= 0 && std::isxdigit(c) && (base == 16 || (c >= '0' && c <= '7')))
          text += static_cast<char>(c);
        value = static_cast<long double>(
            static_cast<int64_t>(std::strtoull(text.c_str(), nullptr, base)));
      }
    } else {
      // Accept the longest prefix the recogniser takes: sign, digits, one point, one exponent.
      int part = 0;  // 0 start, 1 mantissa, 2 fraction, 3 exponent letter, 4 exponent
      for (; c >= 0; c = next()) {
        if ((c == '-' || c == '+') && (part == 0 || part == 3))
          part += 1;
        else if (c == '.' && part < 2)
          part = 2;
        else if ((c == 'E' || c == 'e' || c == 'D' || c == 'd') && part < 3) {
          part = 3;
          c = 'E';
        } else if (c >= '0' && c <= '9')
          part = part <= 1 ? 1 : part == 2 ? 2 : 4;
        else
          break;
        text += static_cast<char>(c);
      }
      value = std::strtod(text.c_str(), nullptr);
      if (value == 0) value = 0;  // no digits: plain zero
    }
    skipToFieldEnd(c);
    if (std::isinf(value)) return "0 #6";
    return formatNumber(value);
  }

  std::string path_;
  std::FILE* file_;
  bool hitEnd_ = false;
};

// Random field text: words, numbers of every form, quotes, blanks, separators and line ends.
inline std::string randomFieldText(std::mt19937& random, size_t bytes) {
  static const std::string kPieces[] = {",",       ",",
                                        ",",       "\r\n",
                                        "\r\n",    "\r",
                                        "\n",      "\n\r",
                                        " ",       "  ",
                                        "\t",      "\"",
                                        "QQ1ABC",  "dBm",
                                        "-12",     "+7",
                                        "3.25",    ".5",
                                        "-0.0625", "1E3",
                                        "2d-2",    "6.02e+23",
                                        "1e-400",  "9e400",
                                        "&HFF",    "&h7fff",
                                        "&O17",    "&o",
                                        "&",       "&Z",
                                        "-",       "+",
                                        ".",       "E",
                                        "e5",      "0000",
                                        "12abc",   std::string(1, '\0')};
  static const char* const kSeparators[] = {",", " ", "\r\n"};
  std::string text;
  std::uniform_int_distribution<size_t> pick(0, std::size(kPieces) - 1);
  std::uniform_int_distribution<size_t> pickSeparator(0, std::size(kSeparators) - 1);
  while (text.size() < bytes) {
    const std::string piece = kPieces[pick(random)];
    text += piece;
    // Digits never run on into the next piece: numbers keep to 17 significant digits, the
    // precision the reference reader converts alike.
    if (piece.find_first_of("0123456789") != std::string::npos)
      text += kSeparators[pickSeparator(random)];
  }
  return text;
}

}  // namespace rt::testing
