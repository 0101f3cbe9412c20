# Benchmarks: built with the normal build, never registered with CTest.
# Run them from an optimised build (the release preset): see bench/README.md.
file(GLOB LEAFMARK_BENCH_SUITE_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/suite/*.cpp
     ${CMAKE_CURRENT_LIST_DIR}/suite/*.h)
add_executable(leafmark-bench ${LEAFMARK_BENCH_SUITE_SOURCES})
target_include_directories(leafmark-bench PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(leafmark-bench PRIVATE leafmark_pagemaker leafmark_pages leafmark_imaging_view leafmark_shared
                      Qt6::Widgets)

# Benchmarks of other parts keep their own folder beside this one.
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/batch/CMakeLists.txt)
  add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/batch ${CMAKE_CURRENT_BINARY_DIR}/batch)
endif()

# Separator detection: its own program (it links the barcode reader).
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/separators/CMakeLists.txt)
  add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/separators ${CMAKE_CURRENT_BINARY_DIR}/separators)
endif()
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/docs/CMakeLists.txt)
  add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/docs ${CMAKE_CURRENT_BINARY_DIR}/docs)
endif()
