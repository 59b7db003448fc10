# Linux host build: unit tests of the window-free logic, and the tools that
# generate the program's bitmaps, icon and demo sounds, and the fuzz targets.
find_package(GTest REQUIRED)
include(GoogleTest)

add_subdirectory(tools)
add_subdirectory(tests/host)
add_subdirectory(tests/e2e)
add_subdirectory(companion)
add_subdirectory(tools/bench)
add_subdirectory(tools/soak)
include(cmake/fuzz.cmake)
