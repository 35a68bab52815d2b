# Common settings for every target of our own: warnings as errors, the include roots.
function(quillon_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wno-missing-field-initializers)
  target_include_directories(${target} PUBLIC "${PROJECT_SOURCE_DIR}/include" "${PROJECT_SOURCE_DIR}/src")
endfunction()

# Shipped code is built with the loop vectoriser on: the sample loops (mixing, curves,
# sample conversion) are several times faster with it, and -O2 leaves most of them scalar.
function(quillon_optimise target)
  # GCC 12 gives false -Wrestrict warnings inside std::string at -O3.
  target_compile_options(${target} PRIVATE $<$<CONFIG:Release,RelWithDebInfo>:-O3 -Wno-restrict>)
endfunction()

# A library made of every source file in the calling folder.
function(quillon_folder_library target)
  file(GLOB _sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  add_library(${target} STATIC ${_sources})
  quillon_target_defaults(${target})
  quillon_optimise(${target})
endfunction()

# A plug-in server: a shared library without the "lib" prefix in the shared server folder.
function(quillon_server target)
  file(GLOB _sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  add_library(${target} MODULE ${_sources})
  quillon_target_defaults(${target})
  quillon_optimise(${target})
  set_target_properties(${target} PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY "${QUILLON_SERVER_DIR}"
                                             CXX_VISIBILITY_PRESET hidden C_VISIBILITY_PRESET hidden)
  target_link_options(${target} PRIVATE -Wl,--no-undefined)
  install(TARGETS ${target} LIBRARY DESTINATION "${QUILLON_INSTALL_SERVER_DIR}")
endfunction()

# A test executable made of every source file in the calling folder, registered with CTest.
function(quillon_folder_tests target)
  file(GLOB _sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  add_executable(${target} ${_sources})
  quillon_target_defaults(${target})
  target_include_directories(${target} PRIVATE "${PROJECT_SOURCE_DIR}/tests")
  target_link_libraries(${target} PRIVATE ${ARGN} quillon_test_support GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST
                       PROPERTIES ENVIRONMENT "QUILLON_SERVER_DIR=${QUILLON_SERVER_DIR}"
                                  ENVIRONMENT_MODIFICATION "QT_QPA_PLATFORM=set:offscreen")
endfunction()
