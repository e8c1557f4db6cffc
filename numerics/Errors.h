#pragma once

#include <stdexcept>
#include <string>

// The one error type of the tool. Text() is the UTF-8 text shown to the user as it stands: in the
// window's message box, on the CLI's stderr. It is kept whole, since a message quotes what was typed
// and that may hold a NUL byte, where what() would end.
class UserError : public std::runtime_error {
 public:
  explicit UserError(const std::string& message) : std::runtime_error(message), text_(message) {}
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

// The FFT's own error (a transform length with a prime factor above the butterfly capacity).
class EMathError : public UserError {
 public:
  explicit EMathError(const std::string& message) : UserError(message) {}
};

// Raised when the user cancels a long command; it ends the command like an error, without a message.
class CommandCancelled : public std::exception {
 public:
  const char* what() const noexcept override { return "cancelled"; }
};

namespace Messages {
inline constexpr const char* RangeCheck = "範囲チェックエラー";
inline constexpr const char* ZeroDivide = "0 による浮動小数点数除算";
inline constexpr const char* InvalidOperation = "不正な浮動小数点数演算命令";
inline constexpr const char* Overflow = "浮動小数点数のオーバーフロー";
inline constexpr const char* FftLength =
    "Prime factor for FFT length too large. Change value for cMaxPrimeFactor in FFTs unit";
inline constexpr const char* ShelfF1TooLow = "f1 should be higher than 40：入力できる数値は40以上です。";
inline constexpr const char* ShelfF2TooLow =
    "f2 shoud be higher than (f1 * 2)：入力できる数値はf1の2倍以上です。";

// "'%s' は整数ではありません" with the field's text in place of %s.
std::string NotInteger(const std::string& text);
// "'%s' は浮動小数点数ではありません" with the field's text in place of %s.
std::string NotReal(const std::string& text);
}  // namespace Messages
