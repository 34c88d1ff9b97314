# Installed layout: programs in bin, the tools library in lib, desktop entries,
# icons and MIME types in share, so `cmake --install build/<preset> --prefix DIR`
# gives a suite the desktop can start and open files with.
include(GNUInstallDirs)

# The programs look for the tools library here, relative to their own folder.
file(RELATIVE_PATH QM_TOOLS_LIBDIR_FROM_BINDIR /prefix/${CMAKE_INSTALL_BINDIR}
     /prefix/${CMAKE_INSTALL_LIBDIR})

set(QM_DESKTOP_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/QmInstallDesktopEntry.cmake)

# qm_install_desktop(TARGET t ENTRY file.desktop.in ICON icon.svg MIME pkg.xml...):
# the desktop entry gets the installed program's full path in Exec, which is
# only known at install time (--prefix), so it is written then.
function(qm_install_desktop)
  if(WIN32)
    return() # Windows gets its shortcuts and file types from setup
  endif()
  cmake_parse_arguments(A "" "TARGET;ENTRY;ICON" "MIME" ${ARGN})
  get_filename_component(entryName ${A_ENTRY} NAME)
  string(REGEX REPLACE "\\.in$" "" entryName ${entryName})
  install(CODE "
    set(QM_ENTRY_TEMPLATE \"${CMAKE_CURRENT_SOURCE_DIR}/${A_ENTRY}\")
    set(QM_ENTRY_NAME \"${entryName}\")
    set(QM_PROGRAM_NAME \"$<TARGET_FILE_NAME:${A_TARGET}>\")
    set(QM_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
    set(QM_DATADIR \"${CMAKE_INSTALL_DATADIR}\")
    include(\"${QM_DESKTOP_SCRIPT}\")")
  install(FILES ${A_ICON} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  if(A_MIME) # a program that only offers itself for a type another one owns has none
    install(FILES ${A_MIME} DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
  endif()
endfunction()

# Once everything is in place: refresh the desktop's caches of the prefix. Left
# to the packager when staging with DESTDIR; a missing tool is no failure.
function(qm_install_refresh_caches)
  if(WIN32)
    return()
  endif()
  install(CODE "
    if(\"\$ENV{DESTDIR}\" STREQUAL \"\")
      set(_share \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}\")
      foreach(_tool update-mime-database:mime update-desktop-database:applications
                    gtk-update-icon-cache:icons/hicolor)
        string(REPLACE \":\" \";\" _pair \${_tool})
        list(GET _pair 0 _exe)
        list(GET _pair 1 _dir)
        find_program(_found \${_exe})
        if(_found)
          set(_args \"\${_share}/\${_dir}\")
          if(_exe STREQUAL \"gtk-update-icon-cache\")
            set(_args -q -t -f \"\${_share}/\${_dir}\")
          endif()
          execute_process(COMMAND \${_found} \${_args} OUTPUT_QUIET ERROR_QUIET)
        endif()
        unset(_found CACHE)
      endforeach()
    endif()")
endfunction()
