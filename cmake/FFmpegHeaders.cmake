# FFmpeg is used through its headers only: every function is bound at run time by the loader,
# so no target may link libav*/libsw*. This interface target carries the include folders.
find_package(PkgConfig REQUIRED)
pkg_check_modules(FFMPEG REQUIRED
  libavcodec>=59 libavformat>=59 libavfilter>=8 libavutil>=57
  libswscale>=6 libswresample>=4 libavdevice>=59)
add_library(ffmpeg_headers INTERFACE)
target_include_directories(ffmpeg_headers SYSTEM INTERFACE ${FFMPEG_INCLUDE_DIRS})
