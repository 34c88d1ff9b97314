# qm_library(name DIR dir [SHARED] [LIBS ...]): a library made of every .cpp in dir.
# Globbing keeps areas that grow side by side from editing one list.
function(qm_library name)
  cmake_parse_arguments(A "SHARED" "DIR" "LIBS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${A_DIR}/*.cpp ${A_DIR}/*.h ${A_DIR}/*.qrc)
  if(NOT _src)
    return() # an area that has no code yet
  endif()
  if(A_SHARED)
    add_library(${name} SHARED ${_src})
  else()
    add_library(${name} STATIC ${_src})
  endif()
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_LIBS} PRIVATE qm_warnings)
endfunction()
