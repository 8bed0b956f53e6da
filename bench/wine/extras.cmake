# Adds the Windows benchmarks and the soak test to a tree whose top level
# does not add them (yet). scripts/bench passes this file as
# CMAKE_PROJECT_tavorin_INCLUDE; the deferred call runs once the top level
# is read, so every target it needs exists. A deferred call cannot add a
# directory, so the lists are included; they name their own folder with
# CMAKE_CURRENT_LIST_DIR and work either way.
function(tavorin_bench_extras)
  if(WIN32 AND NOT TARGET dialog_bench)
    include(${CMAKE_SOURCE_DIR}/bench/wine/CMakeLists.txt)
  endif()
  if(TAVORIN_TESTS AND NOT TARGET store_change_test AND EXISTS ${CMAKE_SOURCE_DIR}/tests/soak/CMakeLists.txt)
    include(${CMAKE_SOURCE_DIR}/tests/soak/CMakeLists.txt)
  endif()
endfunction()
cmake_language(DEFER CALL tavorin_bench_extras)
