# 32-bit Windows build: the program, the remote-trigger tool and the Win32
# tests, which run under Wine.
enable_language(RC)
set(CLANGSTER_ASSETS_DIR "" CACHE PATH "Folder of generated bitmaps and icon (from the host build)")
if(NOT CLANGSTER_ASSETS_DIR)
  message(FATAL_ERROR "Set CLANGSTER_ASSETS_DIR to the host build's assets folder")
endif()

# Everything of the program but its entry point, shared with the Win32 tests.
add_library(clangster_win STATIC
  framework/Window.cpp
  framework/Control.cpp
  framework/Dialog.cpp
  framework/App.cpp
  framework/Registry.cpp
  framework/Trace.cpp
  audio/BufferFormat.cpp
  audio/SoundBuffer.cpp
  audio/DirectSoundDevice.cpp
  audio/HeldSamples.cpp
  audio/SoundOutputs.cpp
  audio/SoundPrefetch.cpp
  audio/SoundLoader.cpp
  audio/SoundDecoders.cpp
  audio/MfDecoder.cpp
  audio/AcmDecoder.cpp
  audio/StreamedBuffer.cpp
  scheme/Settings.cpp
  controls/MatrixStatic.cpp
  controls/FooButton.cpp
  controls/SliderBitmaps.cpp
  controls/ZipSliderCtl.cpp
  ui/AboutDlg.cpp
  ui/FileDialog.cpp
  ui/RemoteControlDlg.cpp
  remote/OscSocket.cpp
  ui/RenameDlg.cpp
  ui/OptionsDlg.cpp
  ui/HotkeysDlg.cpp
  app/BoardSystem.cpp
  app/BoardDlg.cpp
)
target_compile_options(clangster_win PRIVATE -Wall -Wextra)
target_link_libraries(clangster_win PUBLIC clangster_core dsound msacm32 mfuuid ole32 comctl32 comdlg32 shell32 advapi32 gdi32 user32 ws2_32)

# The resources, compiled once for the program and for tests that open its dialogs.
set(CLANGSTER_RESOURCES ${CMAKE_SOURCE_DIR}/res/Clangster.rc)
set_property(SOURCE ${CLANGSTER_RESOURCES} APPEND PROPERTY OBJECT_DEPENDS
  ${CLANGSTER_ASSETS_DIR}/Clangster.ico ${CMAKE_SOURCE_DIR}/res/resource.h)
# The glyph images and slider images change with the font table and their drawing code.
foreach(bitmap matrix_medium matrix_small slider_channel slider_thumb slider_vchannel slider_thumb_active)
  set_property(SOURCE ${CLANGSTER_RESOURCES} APPEND PROPERTY OBJECT_DEPENDS ${CLANGSTER_ASSETS_DIR}/${bitmap}.bmp)
endforeach()

add_executable(Clangster WIN32 app/BoardApp.cpp ${CLANGSTER_RESOURCES})
target_include_directories(Clangster PRIVATE ${CLANGSTER_ASSETS_DIR} ${CMAKE_SOURCE_DIR}/res)
target_link_libraries(Clangster PRIVATE clangster_win)
set_target_properties(Clangster PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/app)
# Up to 4 GB of address space on 64-bit Windows instead of 2 GB.
target_link_options(Clangster PRIVATE -Wl,--large-address-aware)

add_subdirectory(tools/trigger)
add_subdirectory(tools/bench)
add_subdirectory(tools/soak)
add_subdirectory(tests/probe)
add_subdirectory(tests/win)
