# Where an installation puts everything (the FHS layout under a prefix), and
# the Debian package that CPack makes of it (scripts/build-package). The
# programs install themselves in their own folders; the data is installed here.
include(GNUInstallDirs)
# Our libraries are static and Qt lies in the system's library path: installed
# programs carry no RPATH (qt_standard_project_setup() would add $ORIGIN ones).
set(CMAKE_SKIP_INSTALL_RPATH ON)

set(BRENVIK_APP_ID org.olvarn.Brenvik)
# Found by the program from its own folder (help/HelpFileLocation.cpp).
set(BRENVIK_HELP_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/brenvik/help)
set(BRENVIK_DOC_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/doc/brenvik)

# Debian wants man pages and changelogs gzipped at the highest level without
# a name or time stamp (-n), so that the package is the same on every build.
set(BRENVIK_GZIP_DIR ${PROJECT_BINARY_DIR}/gzipped)
function(brenvik_gzipped source name out_var)
  set(plain ${BRENVIK_GZIP_DIR}/${name})
  add_custom_command(OUTPUT ${plain}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${BRENVIK_GZIP_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${plain}
    COMMAND gzip -9nf ${plain}
    DEPENDS ${source}
    VERBATIM)
  set(${out_var} ${plain}.gz PARENT_SCOPE)
endfunction()

set(BRENVIK_MAN_PAGES brenvik-cli brenvik-sim)
if(BRENVIK_BUILD_GUI)
  list(PREPEND BRENVIK_MAN_PAGES brenvik)
endif()
set(gzipped_files)
foreach(page IN LISTS BRENVIK_MAN_PAGES)
  brenvik_gzipped(${PROJECT_SOURCE_DIR}/res/man/${page}.1 ${page}.1 page_gz)
  install(FILES ${page_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  list(APPEND gzipped_files ${page_gz})
endforeach()
brenvik_gzipped(${PROJECT_SOURCE_DIR}/packaging/changelog changelog changelog_gz)
list(APPEND gzipped_files ${changelog_gz})
add_custom_target(brenvik_gzipped ALL DEPENDS ${gzipped_files})

install(FILES ${changelog_gz} ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${BRENVIK_DOC_INSTALL_DIR})

# bash-completion loads a program's file by the program's name, on first use.
if(NOT WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/res/completion/brenvik-cli ${PROJECT_SOURCE_DIR}/res/completion/brenvik-sim
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
endif()

if(BRENVIK_BUILD_GUI)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/res/help/ DESTINATION ${BRENVIK_HELP_INSTALL_DIR})
  install(FILES ${PROJECT_SOURCE_DIR}/res/${BRENVIK_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/res/${BRENVIK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  foreach(size 16 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/res/icons/${size}/${BRENVIK_APP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  install(FILES ${PROJECT_SOURCE_DIR}/res/icons/${BRENVIK_APP_ID}.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# The package. Its Depends come from the libraries the programs link
# (dpkg-shlibdeps); fonts-dejavu-extra holds the form's dialog font.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brenvik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Olvarn <brenvik@olvarn.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "radio group set-up for Trakbus wireless throttle transceivers")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${PROJECT_SOURCE_DIR}/packaging/description)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-dejavu-extra)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
