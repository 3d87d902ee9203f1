# The window for Windows builds on Qt for Windows as scripts/build-qt-windows
# installs it (Debian ships none); that Qt's tools (moc, rcc, uic) are the
# host's, Debian's own Qt of the same version.
set(BRENVIK_QT_WINDOWS "" CACHE PATH "Qt for Windows, as scripts/build-qt-windows installs it (its --prefix)")
if(NOT EXISTS "${BRENVIK_QT_WINDOWS}/lib/cmake/Qt6/Qt6Config.cmake")
  message(FATAL_ERROR
    "The window for Windows needs Qt for Windows, which Debian does not ship. Build it once "
    "(about an hour) with scripts/build-qt-windows and configure with "
    "-DBRENVIK_QT_WINDOWS=\"$(scripts/build-qt-windows --prefix)\" (make windows does), "
    "or leave the window out with -DBRENVIK_BUILD_GUI=OFF.")
endif()
# The toolchain lets packages be found below the target's root only: the
# Qt's prefix becomes one such root.
list(PREPEND CMAKE_FIND_ROOT_PATH ${BRENVIK_QT_WINDOWS})
list(PREPEND CMAKE_PREFIX_PATH ${BRENVIK_QT_WINDOWS}/lib/cmake)
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
