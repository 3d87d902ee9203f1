# What Windows shows of each program (its Properties, the installer's list):
# version, description and maker in a version resource, and the window's
# program its icon, made from the same pictures as on Linux.
math(EXPR brenvik_version_minor "${PROJECT_VERSION_MINOR}")
set(BRENVIK_ICO ${PROJECT_BINARY_DIR}/generated/brenvik.ico)
set(brenvik_icon_pngs)
foreach(size 16 32 48 256)
  list(APPEND brenvik_icon_pngs ${PROJECT_SOURCE_DIR}/res/icons/${size}/org.olvarn.Brenvik.png)
endforeach()
add_custom_command(OUTPUT ${BRENVIK_ICO}
  COMMAND ${PROJECT_SOURCE_DIR}/packaging/windows/make-ico.py ${BRENVIK_ICO} ${brenvik_icon_pngs}
  DEPENDS ${brenvik_icon_pngs} ${PROJECT_SOURCE_DIR}/packaging/windows/make-ico.py
  VERBATIM)
add_custom_target(brenvik_ico DEPENDS ${BRENVIK_ICO})

# brenvik_windows_resources(TARGET DESCRIPTION [ICON])
function(brenvik_windows_resources target description)
  if(NOT TARGET ${target})
    return()
  endif()
  set(BRENVIK_RC_NAME ${target})
  set(BRENVIK_RC_DESCRIPTION "${description}")
  set(BRENVIK_RC_VERSION_MAJOR ${PROJECT_VERSION_MAJOR})
  set(BRENVIK_RC_VERSION_MINOR ${brenvik_version_minor})
  set(BRENVIK_RC_ICON "")
  if(ARGN)
    set(BRENVIK_RC_ICON "128 ICON \"${BRENVIK_ICO}\"")
    set_property(SOURCE ${PROJECT_BINARY_DIR}/generated/${target}.rc TARGET_DIRECTORY ${target}
                 APPEND PROPERTY OBJECT_DEPENDS ${BRENVIK_ICO})
    add_dependencies(${target} brenvik_ico)
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/version.rc.in
                 ${PROJECT_BINARY_DIR}/generated/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${PROJECT_BINARY_DIR}/generated/${target}.rc)
endfunction()

brenvik_windows_resources(brenvik "Brenvik: radio group set-up for Trakbus wireless throttle transceivers" ICON)
brenvik_windows_resources(brenvik-cli "Brenvik command line: radio group set-up for Trakbus transceivers")
brenvik_windows_resources(brenvik-sim "Brenvik simulator: a Trakbus wireless throttle transceiver")
if(TARGET brenvik)
  # A window program: no console window opens beside it.
  set_target_properties(brenvik PROPERTIES WIN32_EXECUTABLE ON)
endif()
