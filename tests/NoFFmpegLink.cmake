# Fails when one of the given programs has a NEEDED entry for an FFmpeg library: the programs must
# reach FFmpeg only through the run-time loader. Run as: cmake -DPROGRAMS="a;b" -P NoFFmpegLink.cmake
find_program(READELF readelf REQUIRED)
foreach(program IN LISTS PROGRAMS)
  execute_process(COMMAND ${READELF} -d ${program} OUTPUT_VARIABLE dynamic RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "readelf failed on ${program}")
  endif()
  string(REGEX MATCHALL "NEEDED[^\n]*lib(av|sw|postproc)[^\n]*" linked "${dynamic}")
  if(linked)
    message(FATAL_ERROR "${program} links FFmpeg: ${linked}")
  endif()
  message(STATUS "${program}: no FFmpeg library linked")
endforeach()
