# The Windows build made here with mingw-w64 (no Qt for mingw on Debian): the
# Qt-free core libraries, the command-line programs and the tests that need
# no widgets. A source of an area is replaced by platform/win32/<same name>
# when that exists; files that need Qt or a Linux-only service stay out.

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

set(QM_WIN32_DIR ${PROJECT_SOURCE_DIR}/platform/win32)

# qm_win_sources(out DIR dir [EXCLUDE names...] [EXTRA files...])
function(qm_win_sources out)
  cmake_parse_arguments(A "" "DIR" "EXCLUDE;EXTRA" ${ARGN})
  file(GLOB _all CONFIGURE_DEPENDS ${A_DIR}/*.cpp)
  set(_src)
  foreach(f ${_all})
    get_filename_component(n ${f} NAME)
    if(n IN_LIST A_EXCLUDE)
      continue()
    endif()
    if(EXISTS ${QM_WIN32_DIR}/${n})
      list(APPEND _src ${QM_WIN32_DIR}/${n})
    else()
      list(APPEND _src ${f})
    endif()
  endforeach()
  list(APPEND _src ${A_EXTRA})
  set(${out} ${_src} PARENT_SCOPE)
endfunction()

function(qm_win_library name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_LIBS} PRIVATE qm_warnings)
endfunction()

# The display rule sits below platform: the wide API needs it.
qm_win_library(qm_display_text SOURCES ${PROJECT_SOURCE_DIR}/common/display_text.cpp)
qm_win_sources(_platform DIR ${PROJECT_SOURCE_DIR}/platform
  EXCLUDE desktop_entry.cpp
  EXTRA ${QM_WIN32_DIR}/wide.cpp)
qm_win_library(platform_core SOURCES ${_platform}
  LIBS qm_display_text ${QM_WIN32_LIBS})

# Loading the tools and window libraries is the Qt programs' business.
qm_win_sources(_common DIR ${PROJECT_SOURCE_DIR}/common
  EXCLUDE qt_text.cpp tools_library.cpp window_library.cpp display_text.cpp
  EXTRA ${QM_WIN32_DIR}/shortcut.cpp)
qm_win_library(common_core SOURCES ${_common} LIBS platform_core)
set_source_files_properties(${PROJECT_SOURCE_DIR}/common/update_server.cpp PROPERTIES
  COMPILE_DEFINITIONS QM_UPDATE_SERVER_URL="${QM_UPDATE_SERVER_URL}")

# Packfiles, tables and the demo game need nothing but the facade and the
# display rule.
qm_win_sources(_vpp DIR ${PROJECT_SOURCE_DIR}/vpp)
qm_win_library(vpp_core SOURCES ${_vpp} LIBS common_core platform_core)
# text_search.cpp (the view's search) uses glibc's memmem.
qm_win_sources(_tblview DIR ${PROJECT_SOURCE_DIR}/tblview EXCLUDE text_search.cpp)
qm_win_library(tblview_core SOURCES ${_tblview} LIBS common_core platform_core)
qm_win_library(qm_demo_game SOURCES ${PROJECT_SOURCE_DIR}/demo/demo_game/packfile_builder.cpp
  ${PROJECT_SOURCE_DIR}/demo/demo_game/demo_game.cpp LIBS platform_core)

# The launcher's core: catalogue, launch decision and game start. rf.exe runs
# directly there, so the Linux runner code finds no runner to put in front.
qm_win_sources(_launcher DIR ${PROJECT_SOURCE_DIR}/launcher)
qm_win_library(launcher_core SOURCES ${_launcher} LIBS vpp_core common_core platform_core)
add_executable(qm_list_levels ${PROJECT_SOURCE_DIR}/demo/list_levels/main.cpp)
target_link_libraries(qm_list_levels PRIVATE launcher_core qm_warnings)

# Setup's install, uninstall and update check: no Qt there at all.
qm_win_sources(_setup DIR ${PROJECT_SOURCE_DIR}/setup)
qm_win_library(setup_core SOURCES ${_setup} LIBS common_core platform_core)

# The Qt programs are built on a Windows machine; their resources are checked
# here, so a broken .rc or icon shows before it gets there.
include(QmWindowsResources)
qm_program_resources()
set(_rcs)
foreach(t ${QM_PROGRAMS_WITH_RESOURCES})
  list(APPEND _rcs ${QM_RC_${t}})
endforeach()
add_library(qm_program_resources OBJECT ${_rcs})

add_executable(qm_tbl2html ${PROJECT_SOURCE_DIR}/apps/qm_tbl2html/main.cpp)
target_link_libraries(qm_tbl2html PRIVATE tblview_core qm_warnings)

add_executable(qmreg ${PROJECT_SOURCE_DIR}/tools/qmreg/main.cpp)
target_link_libraries(qmreg PRIVATE common_core qm_warnings)

if(QM_BUILD_TESTS)
  enable_testing()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  find_path(QM_GTEST_SOURCE CMakeLists.txt PATHS /usr/src/googletest NO_DEFAULT_PATH
    NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  add_subdirectory(${QM_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  include(GoogleTest)
  add_subdirectory(${PROJECT_SOURCE_DIR}/tests/win32 ${CMAKE_BINARY_DIR}/tests/win32)
endif()
