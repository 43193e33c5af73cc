# zx_add_library(NAME <target> SOURCES <files...> [DEPENDS <targets...>] [QT <components...>])
# One static library per folder; the folder's own directory is its public include root
# through the project root (headers are included as "folder/file.h").
function(zx_add_library)
  cmake_parse_arguments(ARG "" "NAME" "SOURCES;DEPENDS;QT" ${ARGN})
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "zx_add_library: unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT ARG_NAME OR NOT ARG_SOURCES)
    message(FATAL_ERROR "zx_add_library: NAME and SOURCES are required")
  endif()
  add_library(${ARG_NAME} STATIC ${ARG_SOURCES})
  target_include_directories(${ARG_NAME} PUBLIC ${PROJECT_SOURCE_DIR})
  set(qt_libs Qt6::Core)
  foreach(component IN LISTS ARG_QT)
    list(APPEND qt_libs Qt6::${component})
  endforeach()
  target_link_libraries(${ARG_NAME} PUBLIC ${qt_libs} ${ARG_DEPENDS})
endfunction()

# zx_add_test(NAME <target> SOURCES <files...> [DEPENDS <targets...>] [GUI] [TIMEOUT <seconds>])
# GUI tests get a QApplication, the others a QCoreApplication; both run offscreen. TIMEOUT
# bounds each test of the target, for tests that wait on outside programs.
function(zx_add_test)
  cmake_parse_arguments(ARG "GUI" "NAME;TIMEOUT" "SOURCES;DEPENDS" ${ARGN})
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "zx_add_test: unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT ARG_NAME OR NOT ARG_SOURCES)
    message(FATAL_ERROR "zx_add_test: NAME and SOURCES are required")
  endif()
  add_executable(${ARG_NAME} ${ARG_SOURCES})
  set_target_properties(${ARG_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # Widget tests drive their windows with QTest; linking it here keeps it from depending on
  # what the optimiser drops.
  if(ARG_GUI)
    set(main zentrik_test_main_gui Qt6::Test)
  else()
    set(main zentrik_test_main)
  endif()
  target_link_libraries(${ARG_NAME} PRIVATE ${main} zentrik_test_support ${ARG_DEPENDS}
                        GTest::gtest GTest::gmock)
  target_compile_definitions(${ARG_NAME} PRIVATE
      ZX_SOURCE_DIR="${PROJECT_SOURCE_DIR}" ZX_BINARY_DIR="${CMAKE_BINARY_DIR}")
  # A test that hangs fails (after two minutes unless the test says otherwise) instead of
  # stalling the whole run.
  set(timeout 120)
  if(ARG_TIMEOUT)
    set(timeout ${ARG_TIMEOUT})
  endif()
  gtest_discover_tests(${ARG_NAME} DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT ${timeout})
endfunction()
