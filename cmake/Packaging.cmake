# What the Debian package installs besides the three programs (their
# install(TARGETS) rules sit beside the targets), and CPack's DEB generator.
# scripts/package drives it: a release build of its own, then `cpack -G DEB`.
#
# The changelog in packaging/ is the one place of the version history and of
# the maintainer: its newest entry must name the project's version, and its
# signature line gives the package's Maintainer field.
include(GNUInstallDirs)

set(kova_packaging "${CMAKE_CURRENT_SOURCE_DIR}/packaging")
set(kova_packaging_build "${CMAKE_CURRENT_BINARY_DIR}/packaging")
set(kova_doc_dir "${CMAKE_INSTALL_DATADIR}/doc/kova-oracle")

file(STRINGS "${kova_packaging}/changelog" kova_changelog_top LIMIT_COUNT 1)
if(NOT kova_changelog_top MATCHES "^kova-oracle \\(([^)]+)\\)")
  message(FATAL_ERROR "packaging/changelog: the first line is no entry of kova-oracle")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "packaging/changelog: the newest entry is ${CMAKE_MATCH_1}, the project is "
                      "${PROJECT_VERSION}; add an entry for ${PROJECT_VERSION}")
endif()
file(STRINGS "${kova_packaging}/changelog" kova_changelog_signatures REGEX "^ -- ")
list(GET kova_changelog_signatures 0 kova_changelog_signature)
if(NOT kova_changelog_signature MATCHES "^ -- ([^<]+ <[^>]+>)  ")
  message(FATAL_ERROR "packaging/changelog: no ' -- Name <address>  date' line")
endif()
set(kova_maintainer "${CMAKE_MATCH_1}")

# Manual pages and the changelog go gzipped, as Debian wants them: -n keeps
# the name and time out of the header, so the same text gives the same bytes.
set(kova_manual_pages kova-oracle kova-generate kova-sqlplus)
set(kova_gzipped "")
function(kova_gzip source target)
  add_custom_command(
    OUTPUT "${kova_packaging_build}/${target}.gz"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${kova_packaging_build}"
    COMMAND "${CMAKE_COMMAND}" -E copy "${source}" "${kova_packaging_build}/${target}"
    COMMAND gzip -n -9 -f "${kova_packaging_build}/${target}"
    DEPENDS "${source}"
    COMMENT "Compressing ${target}"
    VERBATIM)
  set(kova_gzipped ${kova_gzipped} "${kova_packaging_build}/${target}.gz" PARENT_SCOPE)
endfunction()
foreach(page IN LISTS kova_manual_pages)
  kova_gzip("${kova_packaging}/man/${page}.1" "${page}.1")
endforeach()
kova_gzip("${kova_packaging}/changelog" "changelog")
add_custom_target(kova_packaging_files ALL DEPENDS ${kova_gzipped})

# A stripped program keeps the compilers' .comment section, which a Debian
# package leaves out as dh_strip does. This runs after the programs are
# installed (their rules come first in the source tree).
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program kova-oracle kova-generate kova-sqlplus)
      set(file \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/\${program}\")
      if(EXISTS \"\${file}\")
        execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment \"\${file}\"
                        COMMAND_ERROR_IS_FATAL ANY)
      endif()
    endforeach()
  endif()")

foreach(page IN LISTS kova_manual_pages)
  install(FILES "${kova_packaging_build}/${page}.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
endforeach()
install(FILES "${kova_packaging}/kova-oracle.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${kova_packaging}/icons/kova-oracle.svg"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")
foreach(size 48 128)
  install(FILES "${kova_packaging}/icons/kova-oracle-${size}.png"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps"
          RENAME kova-oracle.png)
endforeach()
install(FILES "${CMAKE_CURRENT_SOURCE_DIR}/data/demo.sql" DESTINATION "${CMAKE_INSTALL_DATADIR}/kova-oracle")
install(FILES "${kova_packaging}/copyright" DESTINATION "${kova_doc_dir}")
# The package's version has no Debian revision, which makes it a native
# package: its changelog is changelog.gz.
install(FILES "${kova_packaging_build}/changelog.gz" DESTINATION "${kova_doc_dir}")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kova-oracle)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_FILE_NAME "kova-oracle_${PROJECT_VERSION}_amd64")
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}/cpack")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_CONTACT "${kova_maintainer}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${kova_maintainer}")
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its SQL drivers as plugins, which dpkg-shlibdeps cannot see: the
# embedded engine runs on QSQLITE, servers on QODBC.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6sql6-odbc")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, qt6-translations-l10n, odbc-postgresql, sqlite3")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xterm | x-terminal-emulator")
# The first line is the synopsis, the others the long description; CPack
# indents them and turns an empty line into the paragraph break " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"test data generator for Oracle schemas
KOVA-ORACLE fills the tables of an Oracle schema with test data. In its
Japanese desktop program you log in, pick a table, give each column a rule
(fixed values, values in turn, random values in a range, a sequence, values
read by a SELECT, names and addresses from Japanese dictionaries, patterns
or expressions) and enter a row count. It also shows and deletes rows,
updates them from the rules and shows a table's statistics.

kova-generate runs saved rule files and whole projects without a display,
into the database or into INSERT scripts and CSV files for the loaders;
kova-sqlplus is a line-mode SQL console that runs install scripts.

Servers are reached through ODBC (Oracle's driver, or PostgreSQL with the
orafce extension); an embedded database file speaks the same Oracle
dialect, and a demo schema is included.")

include(CPack)
