# 32-bit Windows build: the program, the remote-trigger tool and the Win32
# tests, which run under Wine.
set(CLANGSTER_ASSETS_DIR "" CACHE PATH "Folder of generated bitmaps and icon (from the host build)")
if(NOT CLANGSTER_ASSETS_DIR)
  message(FATAL_ERROR "Set CLANGSTER_ASSETS_DIR to the host build's assets folder")
endif()

add_subdirectory(framework)
add_subdirectory(res)
add_subdirectory(app)
add_subdirectory(tools/trigger)
add_subdirectory(tests/win)
