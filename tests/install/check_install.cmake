# cmake -DBUILD_DIR=... -DPREFIX=... -DBINDIR=... -DLIBDIR_FROM_BINDIR=... -DDATADIR=... -P
find_program(VALIDATE desktop-file-validate)
if(NOT VALIDATE)
  message("desktop-file-validate is not installed: skipped")
  cmake_language(EXIT 77)
endif()

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "install failed:\n${out}")
endif()

set(failures "")
macro(fail text)
  string(APPEND failures "${text}\n")
endmacro()

foreach(program playdeck32 gridlens32l qmsetup uninstqm qmreg)
  if(NOT EXISTS "${PREFIX}/${BINDIR}/${program}")
    fail("missing program ${BINDIR}/${program}")
  endif()
endforeach()
# Where the programs look for the tools library, seen from their folder.
if(NOT EXISTS "${PREFIX}/${BINDIR}/${LIBDIR_FROM_BINDIR}/libqm_tools.so")
  fail("the tools library is not at ${BINDIR}/${LIBDIR_FROM_BINDIR}/libqm_tools.so")
endif()

set(share "${PREFIX}/${DATADIR}")
foreach(f icons/hicolor/scalable/apps/quorvel-playdeck32.svg
          icons/hicolor/scalable/apps/quorvel-gridlens32l.svg
          mime/packages/quorvel-manager-vpp.xml mime/packages/quorvel-manager-tbl.xml)
  if(NOT EXISTS "${share}/${f}")
    fail("missing ${DATADIR}/${f}")
  endif()
endforeach()

file(GLOB entries "${share}/applications/*.desktop")
list(LENGTH entries count)
if(NOT count EQUAL 2)
  fail("expected the two programs' desktop entries, found: ${entries}")
endif()
foreach(entry ${entries})
  execute_process(COMMAND ${VALIDATE} "${entry}" RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE out)
  if(NOT rc EQUAL 0 OR NOT out STREQUAL "")
    fail("desktop-file-validate ${entry}:\n${out}")
  endif()
  # Exec names the installed program whole: quoted, as the prefix has a blank.
  file(STRINGS "${entry}" exec REGEX "^Exec=")
  get_filename_component(name "${entry}" NAME)
  if(name STREQUAL "Quorvel.Manager.PLAYDECK32.desktop")
    set(want "Exec=\"${PREFIX}/${BINDIR}/playdeck32\" %f")
  else()
    set(want "Exec=\"${PREFIX}/${BINDIR}/gridlens32l\" %f")
  endif()
  if(NOT exec STREQUAL want)
    fail("${name}: ${exec}, expected ${want}")
  endif()
endforeach()

if(failures)
  message(FATAL_ERROR "${failures}")
endif()
message("installed and checked in ${PREFIX}")
