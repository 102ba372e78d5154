// The frame-size option text of a frame-size list row.
#include "FrameSize.h"

std::string FrameSizeToOption(std::string_view AText) {
  std::string result;
  for (char c : AText.substr(0, AText.find('('))) {
    if (c != ' ') result += c;
  }
  return result;
}
