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
