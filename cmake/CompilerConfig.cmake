# All warnings live in one interface target; -Werror comes from CI, not from here.
add_library(qm_warnings INTERFACE)
target_compile_options(qm_warnings INTERFACE
  $<$<OR:$<CXX_COMPILER_ID:GNU>,$<CXX_COMPILER_ID:Clang>>:-Wall -Wextra -Wpedantic -Wno-missing-field-initializers>
  $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>)
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  target_compile_options(qm_warnings INTERFACE -Wno-shadow-field-in-constructor -Wno-gnu-zero-variadic-macro-arguments)
endif()
if(QM_WERROR)
  target_compile_options(qm_warnings INTERFACE -Werror)
endif()

# Hardening for every target: the programs parse packfiles, tables and
# descriptions from anywhere. Position-independent executables need the
# check below, or CMake leaves -pie off the link line.
include(CheckPIESupported)
check_pie_supported()
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-fstack-protector-strong)
  # At the link too: mingw-w64 then links libssp, which holds the checks.
  add_link_options(-fstack-protector-strong)
  # Fortify only works with the optimiser on; at -O0 it warns, and the warning
  # is an error in CI. Undefined first: some compilers predefine it.
  add_compile_options($<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE>
                      $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
  if(NOT WIN32 AND NOT APPLE)
    add_link_options(LINKER:-z,relro LINKER:-z,now)
  endif()
endif()
