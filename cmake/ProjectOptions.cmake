# Language level, warnings and strict Qt defines, shared by every target through
# the interface library kova_options.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)

option(KOVA_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)
option(KOVA_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

add_library(kova_options INTERFACE)
target_compile_options(kova_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
  -Wcast-align -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough)
if(KOVA_WARNINGS_AS_ERRORS)
  target_compile_options(kova_options INTERFACE -Werror)
endif()
target_compile_definitions(kova_options INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_URL_CAST_FROM_STRING
  QT_STRICT_ITERATORS
  QT_NO_KEYWORDS)
if(KOVA_SANITIZE)
  target_compile_options(kova_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(kova_options INTERFACE -fsanitize=address,undefined)
endif()

# kova_add_test(NAME SOURCES... LABEL label [LIBS libs...])
# One QtTest program per test class, run offscreen in UTC with a timeout.
function(kova_add_test name)
  cmake_parse_arguments(T "" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE kova_options kova_test_support Qt6::Test ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  set(environment "QT_QPA_PLATFORM=offscreen;TZ=UTC;LANG=C.UTF-8;ASAN_OPTIONS=detect_leaks=1")
  set_tests_properties(${name} PROPERTIES
    LABELS "${T_LABEL}"
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "${environment}")
  # A window test runs a second time on a desktop without Japanese fonts
  # (fonts-latin.conf): what it clicks and reads must not depend on them.
  if(T_LABEL STREQUAL "gui" AND KOVA_LATIN_FONTS_CONF)
    add_test(NAME ${name}_latin COMMAND ${name})
    set_tests_properties(${name}_latin PROPERTIES
      LABELS "gui;latin-fonts"
      TIMEOUT ${T_TIMEOUT}
      ENVIRONMENT "${environment};FONTCONFIG_FILE=${KOVA_LATIN_FONTS_CONF}")
  endif()
endfunction()
