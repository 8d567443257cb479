# Win32 program and Windows tests (mingw-w64). Linked statically: no runtime beyond Windows.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
set(WAYLOOM_STATIC_LINK -static -static-libgcc -static-libstdc++ -municode)

file(GLOB WIN32_PLATFORM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/win32/*.cpp)
add_library(wayloom_platform_win32 STATIC ${WIN32_PLATFORM_SOURCES})
target_include_directories(wayloom_platform_win32 PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(wayloom_platform_win32 PUBLIC wayloom_core wininet cabinet)

# The shell: every window but the program entry, so that the Windows tests link it too.
file(GLOB SHELL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/shell/*.cpp ${CMAKE_SOURCE_DIR}/src/shell/dialogs/*.cpp)
list(FILTER SHELL_SOURCES EXCLUDE REGEX "/Main\\.cpp$")
add_library(wayloom_shell STATIC ${SHELL_SOURCES})
target_link_libraries(wayloom_shell PUBLIC wayloom_platform_win32 wayloom_platform_portable
  comctl32 comdlg32 shlwapi shell32 ole32 oleaut32 uuid uxtheme gdi32 user32 kernel32 version)

# Toolbar, status and chevron images and the chevron cursor, made from the Tango icons.
set(BITMAPS_DIR ${CMAKE_BINARY_DIR}/generated)
set(BITMAP_FILES ${BITMAPS_DIR}/ToolbarLarge.bmp ${BITMAPS_DIR}/ToolbarSmall.bmp ${BITMAPS_DIR}/ToolbarHuge.bmp ${BITMAPS_DIR}/Chevron.bmp
  ${BITMAPS_DIR}/StatusLarge.bmp ${BITMAPS_DIR}/StatusSmall.bmp ${BITMAPS_DIR}/Chevron.cur
  ${BITMAPS_DIR}/DragNone.cur ${BITMAPS_DIR}/DragMove.cur ${BITMAPS_DIR}/DragCopy.cur ${BITMAPS_DIR}/DragAway.cur
  ${BITMAPS_DIR}/Splitter.cur)
add_custom_command(
  OUTPUT ${BITMAP_FILES}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_bitmaps.py ${BITMAPS_DIR}
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_bitmaps.py
  COMMENT "Making the bitmaps from the Tango icons")

set(WAYLOOM_RC ${CMAKE_SOURCE_DIR}/resources/Wayloom.rc)
# The dialog templates are included fragments: the resource compiler reports no dependencies.
file(GLOB DIALOG_FRAGMENTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/shell/dialogs/*.rc)
set_source_files_properties(${WAYLOOM_RC} PROPERTIES OBJECT_DEPENDS
  "${STRINGS_RC};${BITMAP_FILES};${CMAKE_SOURCE_DIR}/resources/Bitmaps.rc;${CMAKE_SOURCE_DIR}/src/shell/ResourceIds.h;${DIALOG_FRAGMENTS}")
add_executable(Wayloom WIN32 ${CMAKE_SOURCE_DIR}/src/shell/Main.cpp ${WAYLOOM_RC})
target_include_directories(Wayloom PRIVATE ${CMAKE_BINARY_DIR}/generated ${CMAKE_SOURCE_DIR}/resources ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(Wayloom PRIVATE wayloom_shell ${WAYLOOM_STATIC_LINK})
set_target_properties(wayloom-cli PROPERTIES LINK_FLAGS "-static -static-libgcc -static-libstdc++")

# Windows tests: GoogleTest built from Debian's sources with the cross compiler.
if(WAYLOOM_TESTS AND EXISTS /usr/src/googletest/googletest)
  add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  file(GLOB WINDOWS_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/windows/*Test.cpp)
  add_executable(wayloom_windows_tests ${WINDOWS_TEST_SOURCES} ${WAYLOOM_RC})
  target_include_directories(wayloom_windows_tests PRIVATE ${CMAKE_BINARY_DIR}/generated ${CMAKE_SOURCE_DIR}/resources ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(wayloom_windows_tests PRIVATE wayloom_shell
    gtest gtest_main comctl32 shlwapi user32 kernel32 -static -static-libgcc -static-libstdc++)
  target_link_libraries(wayloom_windows_tests PRIVATE ws2_32)
  # Ephemeris cabinets for the update's tests, made with Debian's gcab; the tests skip without them.
  find_program(GCAB gcab)
  if(GCAB)
    set(CABS ${CMAKE_BINARY_DIR}/ephemeris)
    file(MAKE_DIRECTORY ${CABS}/files)
    file(WRITE ${CABS}/files/lto.dat "Global Locate orbits\n")
    file(WRITE ${CABS}/files/packedephemeris.ee "SiRF orbits\n")
    file(WRITE ${CABS}/files/ee_meta.txt "meta\n")
    add_custom_command(OUTPUT ${CABS}/GlobalLocate.cab ${CABS}/Sirf.cab ${CABS}/NoMeta.cab
      COMMAND ${GCAB} -c -n -z ${CABS}/GlobalLocate.cab ${CABS}/files/lto.dat ${CABS}/files/ee_meta.txt
      COMMAND ${GCAB} -c -n -z ${CABS}/Sirf.cab ${CABS}/files/packedephemeris.ee ${CABS}/files/ee_meta.txt
      COMMAND ${GCAB} -c -n ${CABS}/NoMeta.cab ${CABS}/files/lto.dat
      COMMENT "Making the ephemeris cabinets")
    add_custom_target(ephemeris_cabinets DEPENDS ${CABS}/GlobalLocate.cab)
    add_dependencies(wayloom_windows_tests ephemeris_cabinets)
    target_compile_definitions(wayloom_windows_tests PRIVATE WAYLOOM_EPHEMERIS_CABINETS="Z:${CABS}")
  endif()
  # A small driver that starts Wayloom.exe, reads its window and closes it.
  add_executable(WindowProbe ${CMAKE_SOURCE_DIR}/tests/windows/WindowProbe.cpp)
  target_include_directories(WindowProbe PRIVATE ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(WindowProbe PRIVATE comctl32 user32 kernel32 -static -static-libgcc -static-libstdc++ -municode)
  # The companion editor played in a process of its own, and a second Wayloom.exe: both
  # started by the exchange tests from the tests' own folder.
  add_executable(FakeCompanion WIN32 ${CMAKE_SOURCE_DIR}/tests/windows/FakeCompanion.cpp)
  target_link_libraries(FakeCompanion PRIVATE user32 kernel32 -static -static-libgcc -static-libstdc++ -municode)
  add_dependencies(wayloom_windows_tests FakeCompanion Wayloom)
endif()
