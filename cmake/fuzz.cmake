# Fuzz targets (fuzz/). Where clang is at hand they are libFuzzer programs,
# built in a sub-build of their own (build/host/fuzz) because this tree's
# compiler may be another; without clang they are built here as replay
# drivers. Either way ctest runs the committed corpus and crash reproducers
# through each target once, so a fixed fault stays fixed. `make fuzz` fuzzes.
find_program(CLANGSTER_CLANG_CXX NAMES clang++ clang++-14)
find_program(CLANGSTER_CLANG_C NAMES clang clang-14)
include(${CMAKE_SOURCE_DIR}/fuzz/targets.cmake)
set(fuzz_bin ${CMAKE_BINARY_DIR}/fuzz)
if(CLANGSTER_CLANG_CXX AND CLANGSTER_CLANG_C)
  include(ExternalProject)
  ExternalProject_Add(clangster_fuzz
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${fuzz_bin}
    CMAKE_GENERATOR Ninja
    CMAKE_ARGS -DCMAKE_C_COMPILER=${CLANGSTER_CLANG_C} -DCMAKE_CXX_COMPILER=${CLANGSTER_CLANG_CXX}
               -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCLANGSTER_LIBFUZZER=ON
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
  set(fuzz_bin ${fuzz_bin}/fuzz)
else()
  add_subdirectory(fuzz)
endif()

foreach(target ${CLANGSTER_FUZZ_TARGETS})
  set(inputs ${CMAKE_SOURCE_DIR}/fuzz/corpus/${target})
  if(EXISTS ${CMAKE_SOURCE_DIR}/fuzz/crashes/${target})
    list(APPEND inputs ${CMAKE_SOURCE_DIR}/fuzz/crashes/${target})
  endif()
  add_test(NAME fuzz.${target} COMMAND ${fuzz_bin}/${target}_fuzz -runs=0 ${inputs})
  set_tests_properties(fuzz.${target} PROPERTIES LABELS fuzz)
endforeach()
