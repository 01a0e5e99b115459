# Adds every immediate subdirectory that has a CMakeLists.txt, in name order,
# so that a new module only needs its own folder.
function(trelwin_add_subdirectories)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# Test labels choose which tests a build runs (see scripts/test). A folder's
# tests, and those of the folders below it, carry the folder's labels; set
# them before the subdirectories are added:
#   set_property(DIRECTORY PROPERTY LABELS concurrency)
# One executable's tests get more through trelwin_add_test(... LABELS ...).
# trelwin_add_label_targets then makes, for each label, the target
# trelwin_tests_<label> that builds the executables in the label's folders
# and those given the label, so that a build which runs one label builds no
# more than that.

# The labels of the current folder and of the folders above it.
function(trelwin_folder_labels out dir)
  set(labels "")
  while(dir)
    get_property(own DIRECTORY ${dir} PROPERTY LABELS)
    list(APPEND labels ${own})
    get_property(dir DIRECTORY ${dir} PROPERTY PARENT_DIRECTORY)
  endwhile()
  list(REMOVE_DUPLICATES labels)
  set(${out} "${labels}" PARENT_SCOPE)
endfunction()

function(_trelwin_label_executable target labels)
  foreach(label IN LISTS labels)
    set_property(GLOBAL APPEND PROPERTY TRELWIN_TEST_LABELS ${label})
    set_property(GLOBAL APPEND PROPERTY TRELWIN_LABEL_TARGETS_${label} ${target})
  endforeach()
endfunction()

function(_trelwin_label_folder dir)
  trelwin_folder_labels(labels ${dir})
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_property(type TARGET ${target} PROPERTY TYPE)
    if(type STREQUAL "EXECUTABLE")
      _trelwin_label_executable(${target} "${labels}")
    endif()
  endforeach()
  get_property(children DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(child IN LISTS children)
    _trelwin_label_folder(${child})
  endforeach()
endfunction()

# Called once after every test folder was added: trelwin_tests_<label> for
# each label of the current folder's tree.
function(trelwin_add_label_targets)
  _trelwin_label_folder(${CMAKE_CURRENT_SOURCE_DIR})
  get_property(labels GLOBAL PROPERTY TRELWIN_TEST_LABELS)
  list(REMOVE_DUPLICATES labels)
  foreach(label IN LISTS labels)
    get_property(targets GLOBAL PROPERTY TRELWIN_LABEL_TARGETS_${label})
    list(REMOVE_DUPLICATES targets)
    add_custom_target(trelwin_tests_${label})
    add_dependencies(trelwin_tests_${label} ${targets})
  endforeach()
endfunction()

# trelwin_add_test(NAME <name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>] [SERIAL])
# A GoogleTest executable whose cases CTest runs one by one.
function(trelwin_add_test)
  cmake_parse_arguments(T "SERIAL" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT TARGET GTest::gtest_main)
    find_package(GTest REQUIRED)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  include(GoogleTest)
  set(props TIMEOUT ${T_TIMEOUT} LABELS "${T_LABELS}")
  if(T_SERIAL)
    list(APPEND props RUN_SERIAL TRUE)
  endif()
  gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60 PROPERTIES ${props})
  _trelwin_label_executable(${T_NAME} "${T_LABELS}")
endfunction()

# trelwin_add_fuzzer(NAME <name> SOURCES <files...> LIBS <targets...>)
# A libFuzzer target; only built with TRELWIN_FUZZ (clang). Every build with
# tests also links the entry point with a driver that replays the inputs in
# the folder's seeds/ and regressions/, run by CTest as <name>_replay.
function(trelwin_add_fuzzer)
  cmake_parse_arguments(F "" "NAME" "SOURCES;LIBS" ${ARGN})
  if(TRELWIN_TESTS)
    add_executable(${F_NAME}_replay ${F_SOURCES} ${CMAKE_SOURCE_DIR}/tests/fuzz/replay_main.cpp)
    target_link_libraries(${F_NAME}_replay PRIVATE ${F_LIBS})
    add_test(NAME ${F_NAME}_replay
      COMMAND ${F_NAME}_replay ${CMAKE_CURRENT_SOURCE_DIR}/seeds ${CMAKE_CURRENT_SOURCE_DIR}/regressions)
    set_tests_properties(${F_NAME}_replay PROPERTIES TIMEOUT 120 LABELS fuzz)
  endif()
  if(NOT TRELWIN_FUZZ)
    return()
  endif()
  add_executable(${F_NAME} ${F_SOURCES})
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
endfunction()

# trelwin_add_benchmark(NAME <name> SOURCES <files...> LIBS <targets...>)
function(trelwin_add_benchmark)
  cmake_parse_arguments(B "" "NAME" "SOURCES;LIBS" ${ARGN})
  if(NOT TRELWIN_BENCH)
    return()
  endif()
  find_package(benchmark REQUIRED)
  add_executable(${B_NAME} ${B_SOURCES})
  target_link_libraries(${B_NAME} PRIVATE ${B_LIBS} benchmark::benchmark)
endfunction()

# trelwin_add_tests_per_file(PREFIX <prefix> LIBS <targets...> [CONCURRENT <stems...>])
# One test executable per *_test.cpp file of the current folder, so that a
# folder's suites build and fail independently. The files named (without
# .cpp) under CONCURRENT run code on several threads at once and get the
# label concurrency.
function(trelwin_add_tests_per_file)
  cmake_parse_arguments(P "" "PREFIX" "LIBS;CONCURRENT" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  set(libs "")
  foreach(lib IN LISTS P_LIBS)
    if(TARGET ${lib})
      list(APPEND libs ${lib})
    endif()
  endforeach()
  set(P_LIBS ${libs})
  foreach(test IN LISTS tests)
    get_filename_component(stem ${test} NAME_WE)
    set(labels "")
    if(stem IN_LIST P_CONCURRENT)
      set(labels concurrency)
    endif()
    trelwin_add_test(NAME ${P_PREFIX}_${stem} SOURCES ${test} LIBS ${P_LIBS} LABELS ${labels})
  endforeach()
endfunction()
