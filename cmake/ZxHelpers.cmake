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
  set_property(GLOBAL APPEND PROPERTY ZX_LIBRARIES ${ARG_NAME})
endfunction()

# Windows belong to the `_ui` libraries, the program (zentrik_app) and the operator over Qt
# (zentrik_ui_qt): any other library that reaches Qt Widgets or Qt PrintSupport, directly or
# through what it links, stops the configuration, so logic builds and tests without windows.
function(zx_check_windowless_libraries)
  get_property(libraries GLOBAL PROPERTY ZX_LIBRARIES)
  foreach(library IN LISTS libraries)
    if(library MATCHES "_ui$" OR library STREQUAL "zentrik_app" OR library STREQUAL "zentrik_ui_qt")
      continue()
    endif()
    set(pending ${library})
    set(seen "")
    set(path_of_${library} ${library})
    while(pending)
      list(POP_FRONT pending current)
      get_target_property(links ${current} INTERFACE_LINK_LIBRARIES)
      if(NOT links)
        continue()
      endif()
      foreach(link IN LISTS links)
        if(link MATCHES "^Qt6::(Widgets|PrintSupport)$")
          message(FATAL_ERROR
                  "${library} links ${link} (through ${path_of_${current}}); windows and printing "
                  "belong to a _ui library")
        endif()
        if(TARGET ${link} AND NOT link IN_LIST seen)
          list(APPEND seen ${link})
          list(APPEND pending ${link})
          set(path_of_${link} "${path_of_${current}} -> ${link}")
        endif()
      endforeach()
    endwhile()
  endforeach()
endfunction()

# zx_add_test(NAME <target> SOURCES <files...> [DEPENDS <targets...>] [GUI] [TIMEOUT <seconds>]
#             [ZONES <time zones...>])
# GUI tests get a QApplication, the others a QCoreApplication; both run offscreen. TIMEOUT
# bounds each test of the target, for tests that wait on outside programs. ZONES runs every
# test of the target once under each time zone (TZ), named "<zone>:<test>", instead of once
# under the test main's default zone.
function(zx_add_test)
  cmake_parse_arguments(ARG "GUI" "NAME;TIMEOUT" "SOURCES;DEPENDS;ZONES" ${ARGN})
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
  if(NOT ARG_ZONES)
    gtest_discover_tests(${ARG_NAME} DISCOVERY_TIMEOUT 60
                         PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT ${timeout})
  endif()
  foreach(zone IN LISTS ARG_ZONES)
    gtest_discover_tests(${ARG_NAME} DISCOVERY_TIMEOUT 60 TEST_PREFIX "${zone}:"
                         PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
                         ENVIRONMENT_MODIFICATION "TZ=set:${zone}" TIMEOUT ${timeout})
  endforeach()
endfunction()

# The time zones the date tests run under: no clock changes (Buenos Aires, UTC, Pago Pago far
# west), a skipped hour in the night (Madrid), a skipped half hour (Lord Howe), a skipped or
# repeated midnight (Santiago, Beirut, Azores, Havana, Asunción, São Paulo in 2018), and a
# whole day skipped (Apia in 2011, Kiritimati far east in 1994).
set(ZX_TEST_ZONES America/Argentina/Buenos_Aires UTC Europe/Madrid America/Santiago Asia/Beirut
    Atlantic/Azores America/Havana America/Asuncion America/Sao_Paulo Australia/Lord_Howe
    Pacific/Apia Pacific/Kiritimati Pacific/Pago_Pago)
