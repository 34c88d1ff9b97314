# Include folders: sources write includes from the project root ("area/file.h"),
# but a target must see only the headers of the libraries it links. So each
# library gets its own include tree in the build folder, holding links to its
# headers only (build/include/<target>/<area>/<file>.h), and exports that tree
# instead of the whole source tree. Including a header of a library one does
# not link fails to compile instead of failing (or working by luck) at link.
#
# qm_export_headers(target DIR dir [SKIP sub ...] [HEADERS file.h ...]): export
# dir's headers (and those of its sub-folders other than the SKIPped ones), or
# only the HEADERS named, as "<dir relative to the project root>/<file>.h".
function(qm_export_headers target)
  cmake_parse_arguments(A "" "DIR" "SKIP;HEADERS" ${ARGN})
  set(_root ${CMAKE_BINARY_DIR}/include/${target})
  file(REMOVE_RECURSE ${_root})
  if(A_HEADERS)
    list(TRANSFORM A_HEADERS PREPEND ${A_DIR}/ OUTPUT_VARIABLE _headers)
  else()
    file(GLOB_RECURSE _headers CONFIGURE_DEPENDS ${A_DIR}/*.h)
  endif()
  foreach(h ${_headers})
    file(RELATIVE_PATH _in_dir ${A_DIR} ${h})
    set(_skipped FALSE)
    foreach(s ${A_SKIP})
      if(_in_dir MATCHES "^${s}/")
        set(_skipped TRUE)
      endif()
    endforeach()
    if(NOT _skipped)
      file(RELATIVE_PATH _rel ${PROJECT_SOURCE_DIR} ${h})
      get_filename_component(_dir ${_root}/${_rel} DIRECTORY)
      file(MAKE_DIRECTORY ${_dir})
      file(CREATE_LINK ${h} ${_root}/${_rel} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} PUBLIC ${_root})
endfunction()

# qm_library(name DIR dir [SHARED] [LIBS ...]): a library made of every .cpp in dir.
# Globbing keeps areas that grow side by side from editing one list. A ui/
# sub-folder is a library of its own and is not exported with its area.
function(qm_library name)
  cmake_parse_arguments(A "SHARED" "DIR" "LIBS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${A_DIR}/*.cpp ${A_DIR}/*.h ${A_DIR}/*.qrc)
  if(NOT _src)
    return() # an area that has no code yet
  endif()
  if(WIN32)
    qm_windows_sources(_src ${A_DIR} ${_src})
  endif()
  if(A_SHARED)
    add_library(${name} SHARED ${_src})
  else()
    add_library(${name} STATIC ${_src})
  endif()
  qm_export_headers(${name} DIR ${A_DIR} SKIP ui)
  target_link_libraries(${name} PUBLIC ${A_LIBS} PRIVATE qm_warnings)
endfunction()

# qm_header_check(target HEADERS h ...): compiles each header alone in a
# translation unit of its own, so a header that leans on what its includers
# happen to include first fails the build.
function(qm_header_check target)
  cmake_parse_arguments(A "" "" "HEADERS" ${ARGN})
  set(_srcs)
  foreach(h ${A_HEADERS})
    file(RELATIVE_PATH _rel ${PROJECT_SOURCE_DIR} ${h})
    string(MAKE_C_IDENTIFIER ${_rel} _id)
    set(_cpp ${CMAKE_CURRENT_BINARY_DIR}/header_check/${_id}.cpp)
    file(CONFIGURE OUTPUT ${_cpp} CONTENT "#include \"${_rel}\"\n")
    list(APPEND _srcs ${_cpp})
  endforeach()
  add_library(${target}_header_check OBJECT ${_srcs})
  set_target_properties(${target}_header_check PROPERTIES AUTOMOC OFF)
  target_link_libraries(${target}_header_check PRIVATE ${target} qm_warnings)
endfunction()

# A Windows build takes platform/win32/<name> for every file of that name, and
# platform_core gets the wide-string helper. (With Qt on Windows only; the
# Qt-free build is QmWindowsCore.)
function(qm_windows_sources out dir)
  set(_win32 ${PROJECT_SOURCE_DIR}/platform/win32)
  set(_res)
  foreach(f ${ARGN})
    get_filename_component(n ${f} NAME)
    if(EXISTS ${_win32}/${n})
      list(APPEND _res ${_win32}/${n})
    else()
      list(APPEND _res ${f})
    endif()
  endforeach()
  if(dir STREQUAL "${PROJECT_SOURCE_DIR}/platform")
    list(APPEND _res ${_win32}/wide.cpp)
  endif()
  set(${out} ${_res} PARENT_SCOPE)
endfunction()

# qm_add_area_folders(): every folder below this one that has a CMakeLists.txt,
# so a new area's benchmarks or fuzz targets need no list to be edited.
macro(qm_add_area_folders)
  file(GLOB _areas CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt)
  foreach(_area ${_areas})
    get_filename_component(_dir ${_area} DIRECTORY)
    add_subdirectory(${_dir})
  endforeach()
endmacro()

# qm_window_program(program LIBS ... WINDOW_LIBS ... [STATIC_RUNTIME]): the
# program from main.cpp, and its window from window_main.cpp in a library of
# its own (lib<program>_window), which the program loads with
# qm::RunWindowLibrary only when a window is wanted, so its command lines start
# without the widget toolkit. STATIC_RUNTIME links the C++ run-time into the
# program: loading and relocating the shared one costs a short command more
# than its work. Both are installed; QM_WINDOW_LIBRARY names the library.
function(qm_window_program program)
  cmake_parse_arguments(A "STATIC_RUNTIME" "" "LIBS;WINDOW_LIBS" ${ARGN})
  add_executable(${program} main.cpp)
  target_link_libraries(${program} PRIVATE ${A_LIBS} qm_warnings)
  set(lib ${program}_window)
  add_library(${lib} SHARED window_main.cpp)
  target_link_libraries(${lib} PRIVATE ${A_WINDOW_LIBS} qm_warnings)
  set_target_properties(${lib} PROPERTIES CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  if(NOT WIN32)
    # Only the entry leaves the library; the static libraries inside keep theirs.
    target_link_options(${lib} PRIVATE LINKER:--exclude-libs,ALL)
    # Only the libraries the command-line paths really call load at start.
    target_link_options(${program} PRIVATE LINKER:--as-needed)
    if(A_STATIC_RUNTIME)
      target_link_options(${program} PRIVATE -static-libstdc++ -static-libgcc)
    endif()
  endif()
  target_compile_definitions(${program} PRIVATE QM_WINDOW_LIBRARY="$<TARGET_FILE_NAME:${lib}>")
  add_dependencies(${program} ${lib})
  install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(TARGETS ${lib} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()
