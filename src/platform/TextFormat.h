// printf-style formatting into std::string.
#pragma once

#include <cstdarg>
#include <string>

std::string Format(const char* AFormat, ...) __attribute__((format(printf, 1, 2)));
std::string FormatV(const char* AFormat, va_list AArgs);
