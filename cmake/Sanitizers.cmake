if(QM_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(QM_BUILD_FUZZ AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  # libFuzzer steers by coverage: the libraries under test need the coverage
  # hooks too, not only the fuzz entry points.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
