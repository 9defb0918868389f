# Installation by the file-system hierarchy (programs in bin/, read-only data
# in share/orrindale/, documentation in share/doc/orrindale/) and the Debian
# package built from it with CPack. The programs find share/orrindale from
# their own location, so any prefix works.
include(GNUInstallDirs)
set(ORRINDALE_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/orrindale)
set(ORRINDALE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/orrindale)
set(ORRINDALE_PKG_DIR ${CMAKE_BINARY_DIR}/package)

install(TARGETS orrindale-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS orrindale-cli-io RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/orrindale)
install(FILES ${ORRINDALE_BIN_DIR}/EdiDef.bin DESTINATION ${ORRINDALE_SHARE_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/data/definitions/SOURCES.md DESTINATION ${ORRINDALE_DOC_DIR}
  RENAME definitions-sources.md)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/definitions/licenses/ DESTINATION ${ORRINDALE_DOC_DIR}/licenses)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright DESTINATION ${ORRINDALE_DOC_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/docs/database.md DESTINATION ${ORRINDALE_DOC_DIR})

# Manual pages and the Debian changelog, compressed as Debian wants them
# (no name or time stamp in the gzip header, so builds are reproducible).
function(orrindale_gzip source target)
  add_custom_command(OUTPUT ${target}
    COMMAND sh -c "gzip -9nc '${source}' > '${target}'"
    DEPENDS ${source} VERBATIM)
endfunction()
file(MAKE_DIRECTORY ${ORRINDALE_PKG_DIR})
add_custom_command(OUTPUT ${ORRINDALE_PKG_DIR}/orrindale-cli.1
  COMMAND python3 ${CMAKE_SOURCE_DIR}/tools/manpage/manpage.py $<TARGET_FILE:orrindale-cli> ${PROJECT_VERSION}
    ${ORRINDALE_PKG_DIR}/orrindale-cli.1
  DEPENDS orrindale-cli ${CMAKE_SOURCE_DIR}/tools/manpage/manpage.py VERBATIM)
orrindale_gzip(${ORRINDALE_PKG_DIR}/orrindale-cli.1 ${ORRINDALE_PKG_DIR}/orrindale-cli.1.gz)
orrindale_gzip(${CMAKE_SOURCE_DIR}/docs/man/orrindale.1 ${ORRINDALE_PKG_DIR}/orrindale.1.gz)
orrindale_gzip(${CMAKE_SOURCE_DIR}/packaging/changelog ${ORRINDALE_PKG_DIR}/changelog.gz)
set(ORRINDALE_PKG_FILES ${ORRINDALE_PKG_DIR}/orrindale-cli.1.gz ${ORRINDALE_PKG_DIR}/changelog.gz)
install(FILES ${ORRINDALE_PKG_DIR}/orrindale-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${ORRINDALE_PKG_DIR}/changelog.gz DESTINATION ${ORRINDALE_DOC_DIR})

if(ORRINDALE_BUILD_GUI)
  install(TARGETS orrindale RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/help/ DESTINATION ${ORRINDALE_SHARE_DIR}/help)
  install(FILES ${ORRINDALE_PKG_DIR}/orrindale.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  list(APPEND ORRINDALE_PKG_FILES ${ORRINDALE_PKG_DIR}/orrindale.1.gz)

  # Desktop integration: menu entry, icon theme, file type, software centres.
  install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/orrindale.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/orrindale.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
  install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/org.orrindale.Orrindale.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${CMAKE_SOURCE_DIR}/data/icons/orrindale.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  set(ORRINDALE_ICON_SIZES 16 22 24 32 48 64 128 256)
  add_executable(orrindale_iconrender ${CMAKE_SOURCE_DIR}/tools/iconrender/main.cpp)
  target_link_libraries(orrindale_iconrender PRIVATE Qt6::Gui Qt6::Svg)
  set(ORRINDALE_ICON_PNGS)
  foreach(size ${ORRINDALE_ICON_SIZES})
    list(APPEND ORRINDALE_ICON_PNGS ${ORRINDALE_PKG_DIR}/icons/${size}x${size}/apps/orrindale.png)
  endforeach()
  add_custom_command(OUTPUT ${ORRINDALE_ICON_PNGS}
    COMMAND orrindale_iconrender ${CMAKE_SOURCE_DIR}/data/icons/orrindale.svg ${ORRINDALE_PKG_DIR}/icons
      ${ORRINDALE_ICON_SIZES}
    DEPENDS orrindale_iconrender ${CMAKE_SOURCE_DIR}/data/icons/orrindale.svg VERBATIM)
  list(APPEND ORRINDALE_PKG_FILES ${ORRINDALE_ICON_PNGS})
  install(DIRECTORY ${ORRINDALE_PKG_DIR}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
endif()
add_custom_target(packagefiles ALL DEPENDS ${ORRINDALE_PKG_FILES})

set(CPACK_PACKAGE_NAME orrindale)
set(CPACK_PACKAGE_VENDOR "The Orrindale developers")
set(CPACK_PACKAGE_CONTACT "The Orrindale developers <developers@orrindale.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor and viewer for ANSI X12 EDI documents")
# CPack puts the summary above this as the synopsis line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Orrindale opens X12 interchanges, matches each transaction set against its
definition (850, 856, 837 and hundreds more) and shows document and
definition side by side. Documents are edited within the definition's rules,
validated, acknowledged with a 997 or 999, converted, exported, printed,
mailed and sent to an EDI server. orrindale-cli runs the same engines in
batch.")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
