// The frame-size option text of a frame-size list row.
#pragma once

#include <string>
#include <string_view>

// Drops the first "(" and everything after it, then every blank: "352 x 288 (CIF)" gives
// "352x288", "1280x720" stays, an empty text stays empty.
std::string FrameSizeToOption(std::string_view AText);
