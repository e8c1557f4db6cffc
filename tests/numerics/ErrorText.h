#pragma once

#include <functional>
#include <string>

#include "numerics/Errors.h"

// The UserError text that operation raises, or "no error".
inline std::string ErrorText(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const UserError& error) {
    return error.what();
  }
  return "no error";
}
