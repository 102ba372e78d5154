// The native intra-frame deinterlacer: every second line becomes the vertical 5-tap filter
// (-1, 4, 2, 4, -1) / 8 of its neighbours, for 8-bit planar YUV and gray pictures.
#pragma once

#include <cstdint>

#include "FFHeaders.h"

struct TDeinterlaceFormat {
  AVPixelFormat Format;
  int Planes;
  int ChromaShiftW;
  int ChromaShiftH;
};

// The layout of a format the deinterlacer accepts, or nullptr.
const TDeinterlaceFormat* DeinterlaceFormat(AVPixelFormat AFormat);

// Keeps the even lines and filters the odd ones; lines beyond the picture repeat its edge.
void DeinterlacePlane(const std::uint8_t* ASrc, int ASrcStride, std::uint8_t* ADst, int ADstStride,
                      int AWidth, int AHeight);

// Deinterlaces every plane of a picture of AFormat into ADst; false when the format is not
// accepted.
bool DeinterlacePicture(const std::uint8_t* const ASrc[4], const int ASrcStride[4],
                        std::uint8_t* const ADst[4], const int ADstStride[4], AVPixelFormat AFormat,
                        int AWidth, int AHeight);
