# Version resources (and icons) of the Windows programs: Explorer's
# Properties page and the Add/Remove Programs list read them. Each .rc is
# generated into the build folder; the Qt build adds it to its program, the
# Qt-free win64 build compiles them all so that a broken one shows here too.

enable_language(RC)

# qm_windows_resource(name DESCRIPTION text VERSION x.y BUILD n [ICON file]):
# sets QM_RC_<name> to the generated .rc.
function(qm_windows_resource name)
  cmake_parse_arguments(A "" "DESCRIPTION;VERSION;BUILD;ICON" "" ${ARGN})
  string(REPLACE "." ";" _parts ${A_VERSION})
  list(GET _parts 0 _major)
  list(GET _parts 1 _minor)
  set(_icon "")
  if(A_ICON)
    # 1 is the first icon: the one Explorer and the taskbar show.
    set(_icon "1 ICON \"${A_ICON}\"\n")
  endif()
  set(_rc ${CMAKE_BINARY_DIR}/resources/${name}.rc)
  file(CONFIGURE OUTPUT ${_rc} @ONLY CONTENT
"#include <winver.h>

${_icon}VS_VERSION_INFO VERSIONINFO
FILEVERSION ${_major},${_minor},0,${A_BUILD}
PRODUCTVERSION ${_major},${_minor},0,${A_BUILD}
FILEFLAGSMASK VS_FFI_FILEFLAGSMASK
FILEFLAGS 0
FILEOS VOS_NT_WINDOWS32
FILETYPE VFT_APP
FILESUBTYPE 0
BEGIN
  BLOCK \"StringFileInfo\"
  BEGIN
    BLOCK \"040904E4\"
    BEGIN
      VALUE \"CompanyName\", \"Quorvel Network Team\"
      VALUE \"FileDescription\", \"${A_DESCRIPTION}\"
      VALUE \"FileVersion\", \"${A_VERSION} (Build ${A_BUILD})\"
      VALUE \"InternalName\", \"${name}\"
      VALUE \"OriginalFilename\", \"${name}.exe\"
      VALUE \"ProductName\", \"Quorvel Manager Tools\"
      VALUE \"ProductVersion\", \"${A_VERSION} (Build ${A_BUILD})\"
    END
  END
  BLOCK \"VarFileInfo\"
  BEGIN
    VALUE \"Translation\", 0x409, 1252
  END
END
")
  set(QM_RC_${name} ${_rc} PARENT_SCOPE)
endfunction()

# The suite's programs, with the versions their kit modules carry.
macro(qm_program_resources)
  set(_apps ${PROJECT_SOURCE_DIR}/apps)
  qm_windows_resource(playdeck32 DESCRIPTION "PLAYDECK32 level and MOD launcher"
    VERSION ${PROJECT_VERSION} BUILD 1 ICON ${_apps}/playdeck32/quorvel-playdeck32.ico)
  qm_windows_resource(gridlens32l DESCRIPTION "GRIDLENS32L table viewer"
    VERSION ${PROJECT_VERSION} BUILD 1 ICON ${_apps}/gridlens32l/quorvel-gridlens32l.ico)
  qm_windows_resource(packpeek32 DESCRIPTION "PACKPEEK32 packfile viewer"
    VERSION 2.0 BUILD 108 ICON ${_apps}/packpeek32/quorvel-packpeek32.ico)
  qm_windows_resource(packforge32 DESCRIPTION "PACKFORGE32 packfile editor"
    VERSION 2.0 BUILD 108 ICON ${_apps}/packforge32/quorvel-packforge32.ico)
  qm_windows_resource(qmsetup DESCRIPTION "QMSetup installer"
    VERSION ${PROJECT_VERSION} BUILD 1)
  qm_windows_resource(uninstqm DESCRIPTION "Quorvel Manager Tools uninstaller"
    VERSION ${PROJECT_VERSION} BUILD 1)
  set(QM_PROGRAMS_WITH_RESOURCES playdeck32 gridlens32l packpeek32 packforge32 qmsetup uninstqm)
endmacro()
