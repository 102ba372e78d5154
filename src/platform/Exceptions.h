// The ordinary exception class of components and its conversion-error kind.
#pragma once

#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A text that does not convert to the wanted number ("''%s'' is not a valid integer value").
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};
