#include "numerics/Errors.h"

namespace Messages {

std::string NotInteger(const std::string& text) { return "'" + text + "' は整数ではありません"; }

std::string NotReal(const std::string& text) { return "'" + text + "' は浮動小数点数ではありません"; }

}  // namespace Messages
