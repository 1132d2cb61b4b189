# Installation to the standard places, the Debian package, the Windows version resource and the
# Windows packages.
include(GNUInstallDirs)

set(STAKORA_APP_ID org.stakora.Stakora)
install(TARGETS stakora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The licence, as every package and the Windows resources state it.
set(STAKORA_COPYRIGHT "Copyright (c) 2026 The Stakora developers")
set(STAKORA_LICENSE MIT)
set(STAKORA_LICENSE_FILE ${PROJECT_SOURCE_DIR}/LICENSE)

# "1.00": the minor number is 0 in the binary version fields.
math(EXPR STAKORA_VERSION_MINOR_NUMBER "${PROJECT_VERSION_MINOR}")
set(STAKORA_ICON ${PROJECT_SOURCE_DIR}/resources/stakora.ico)
configure_file(${CMAKE_CURRENT_LIST_DIR}/stakora.rc.in ${PROJECT_BINARY_DIR}/stakora.rc @ONLY)
if(WIN32)
    target_sources(stakora PRIVATE ${PROJECT_BINARY_DIR}/stakora.rc)
    include(${CMAKE_CURRENT_LIST_DIR}/windows/WindowsPackages.cmake)
    return()
endif()

# Who answers for the Debian package; a packager sets their own name and address.
set(STAKORA_MAINTAINER "The Stakora developers <developers@stakora.org>"
    CACHE STRING "Maintainer of the Debian package: Name <address>")

# The Debian documentation: the machine-readable copyright, the changelog and the manual page
# (English, and Italian for Italian locales), compressed as Debian wants them: at the highest
# level, without a name or a time in the header, so that every build gives the same bytes.
set(debian ${CMAKE_CURRENT_LIST_DIR}/debian)
configure_file(${debian}/copyright ${PROJECT_BINARY_DIR}/debian/copyright @ONLY)
configure_file(${debian}/changelog ${PROJECT_BINARY_DIR}/debian/changelog @ONLY)
set(compressed "")
foreach(pair changelog=debian/changelog stakora.1=${debian}/stakora.1
        stakora.it.1=${debian}/stakora.it.1)
    string(REPLACE "=" ";" pair "${pair}")
    list(GET pair 0 name)
    list(GET pair 1 input)
    if(NOT IS_ABSOLUTE ${input})
        set(input ${PROJECT_BINARY_DIR}/${input})
    endif()
    set(output ${PROJECT_BINARY_DIR}/debian/${name}.gz)
    add_custom_command(OUTPUT ${output}
                       COMMAND sh -c "gzip -9nc < \"$1\" > \"$2\"" gzip ${input} ${output}
                       DEPENDS ${input} VERBATIM)
    list(APPEND compressed ${output})
endforeach()
add_custom_target(debian_documentation ALL DEPENDS ${compressed})
set(doc ${CMAKE_INSTALL_DATADIR}/doc/stakora)
install(FILES ${PROJECT_BINARY_DIR}/debian/copyright ${PROJECT_BINARY_DIR}/debian/changelog.gz
        DESTINATION ${doc})
install(FILES ${PROJECT_BINARY_DIR}/debian/stakora.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_BINARY_DIR}/debian/stakora.it.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/it/man1 RENAME stakora.1.gz)

install(FILES ${CMAKE_CURRENT_LIST_DIR}/${STAKORA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/${STAKORA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The icon at every size it is drawn at, into the hicolor theme.
foreach(size 16 32 48 256)
    set(icon ${PROJECT_SOURCE_DIR}/resources/stakora-${size}.png)
    if(size EQUAL 48)
        set(icon ${PROJECT_SOURCE_DIR}/resources/stakora.png)
    endif()
    install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${STAKORA_APP_ID}.png)
endforeach()

set(CPACK_PACKAGE_NAME stakora)
set(CPACK_PACKAGE_VENDOR "The Stakora developers")
set(CPACK_PACKAGE_CONTACT "${STAKORA_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Staking plan calculator with an Italian interface")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The designed look needs a humanist sans where Segoe UI is missing; the toolkit's menus and
# buttons speak Italian with its translations.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-open-sans, qt6-translations-l10n")
# The synopsis is the summary above; this is the extended description that follows it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Type up to fifteen successive stakes and a prize multiplier; for every row
Stakora shows the money spent so far, what a win would pay and the net result.")
# Repacked by dpkg-deb with the source's time on every file, so the package is reproducible.
string(TIMESTAMP CPACK_STAKORA_SOURCE_DATE_EPOCH "%s" UTC)  # honours SOURCE_DATE_EPOCH
set(CPACK_POST_BUILD_SCRIPTS ${debian}/RepackDeb.cmake)
include(CPack)
