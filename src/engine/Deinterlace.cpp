// The native intra-frame deinterlacer: every second line becomes the vertical 5-tap filter
// (-1, 4, 2, 4, -1) / 8 of its neighbours, for 8-bit planar YUV and gray pictures.
#include "Deinterlace.h"

#include <algorithm>
#include <cstring>

namespace {

const TDeinterlaceFormat Formats[] = {
    {AV_PIX_FMT_YUV420P, 3, 1, 1},  {AV_PIX_FMT_YUVJ420P, 3, 1, 1}, {AV_PIX_FMT_YUV422P, 3, 1, 0},
    {AV_PIX_FMT_YUVJ422P, 3, 1, 0}, {AV_PIX_FMT_YUV444P, 3, 0, 0},  {AV_PIX_FMT_YUVJ444P, 3, 0, 0},
    {AV_PIX_FMT_YUV440P, 3, 0, 1},  {AV_PIX_FMT_YUVJ440P, 3, 0, 1}, {AV_PIX_FMT_YUV411P, 3, 2, 0},
    {AV_PIX_FMT_YUV410P, 3, 2, 2},  {AV_PIX_FMT_GRAY8, 1, 0, 0},
};

}  // namespace

const TDeinterlaceFormat* DeinterlaceFormat(AVPixelFormat AFormat) {
  for (const TDeinterlaceFormat& f : Formats)
    if (f.Format == AFormat) return &f;
  return nullptr;
}

void DeinterlacePlane(const std::uint8_t* ASrc, int ASrcStride, std::uint8_t* ADst, int ADstStride,
                      int AWidth, int AHeight) {
  const auto line = [&](int y) {
    return ASrc + static_cast<std::ptrdiff_t>(std::clamp(y, 0, AHeight - 1)) * ASrcStride;
  };
  for (int y = 0; y < AHeight; ++y) {
    std::uint8_t* out = ADst + static_cast<std::ptrdiff_t>(y) * ADstStride;
    if (y % 2 == 0) {
      std::memcpy(out, line(y), AWidth);
      continue;
    }
    const std::uint8_t *m2 = line(y - 2), *m1 = line(y - 1), *c = line(y), *p1 = line(y + 1),
                       *p2 = line(y + 2);
    for (int x = 0; x < AWidth; ++x) {
      const int sum = -m2[x] + 4 * m1[x] + 2 * c[x] + 4 * p1[x] - p2[x];
      out[x] = static_cast<std::uint8_t>(std::clamp((sum + 4) >> 3, 0, 255));
    }
  }
}

bool DeinterlacePicture(const std::uint8_t* const ASrc[4], const int ASrcStride[4],
                        std::uint8_t* const ADst[4], const int ADstStride[4], AVPixelFormat AFormat,
                        int AWidth, int AHeight) {
  const TDeinterlaceFormat* format = DeinterlaceFormat(AFormat);
  if (!format) return false;
  for (int p = 0; p < format->Planes; ++p) {
    const int w = p == 0 ? AWidth : -((-AWidth) >> format->ChromaShiftW);
    const int h = p == 0 ? AHeight : -((-AHeight) >> format->ChromaShiftH);
    DeinterlacePlane(ASrc[p], ASrcStride[p], ADst[p], ADstStride[p], w, h);
  }
  return true;
}
