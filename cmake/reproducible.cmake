# Two builds of one commit in two folders give the same bytes: neither the
# source nor the build folder may reach a binary (debug info, __FILE__ in
# assertions, the compilation folder). Link time stamps follow
# SOURCE_DATE_EPOCH, which Debian's binutils honour and scripts/package sets.
# Off by default, since debuggers find the sources by those folders.
option(TAVORIN_REPRODUCIBLE "Keep the source and build folders out of the binaries" OFF)
if(TAVORIN_REPRODUCIBLE)
  # Only C and C++: windres takes no such option.
  add_compile_options(
    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.>"
    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}=.>")
endif()
