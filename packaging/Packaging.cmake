# Installation to the standard places, the Debian package, the Windows version resource and the
# Windows packages.
include(GNUInstallDirs)

set(STAKORA_APP_ID org.stakora.Stakora)
install(TARGETS stakora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The licence, as every package and the Windows resources state it.
set(STAKORA_COPYRIGHT "Copyright (c) 2026 ${STAKORA_PUBLISHER}")
set(STAKORA_LICENSE MIT)
set(STAKORA_LICENSE_FILE ${PROJECT_SOURCE_DIR}/LICENSE)

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

set(STAKORA_MONTHS_C Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
set(STAKORA_MONTHS_ISO 01 02 03 04 05 06 07 08 09 10 11 12)
set(STAKORA_MONTHS_EN January February March April May June July August September October
    November December)
set(STAKORA_MONTHS_IT gennaio febbraio marzo aprile maggio giugno luglio agosto settembre ottobre
    novembre dicembre)
# The latest release as the Debian changelog records it: its version must be the project's, and
# its date and notes go into the manual pages and the store listing.
set(debian ${CMAKE_CURRENT_LIST_DIR}/debian)
file(STRINGS ${debian}/changelog changelog)
list(GET changelog 0 heading)
if(NOT heading MATCHES "^stakora \\(([^)]+)\\)" OR NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "packaging/debian/changelog begins with '${heading}': "
                        "write its entry for ${PROJECT_VERSION} first")
endif()
set(notes "")  # an item a bullet, its further lines joined to it
foreach(line IN LISTS changelog)
    if(line MATCHES "^ -- .*, ([0-9][0-9]?) ([A-Z][a-z][a-z]) ([0-9]+) ")
        math(EXPR day "${CMAKE_MATCH_1}")
        set(year ${CMAKE_MATCH_3})
        list(FIND STAKORA_MONTHS_C ${CMAKE_MATCH_2} month)  # from 0
        break()
    elseif(line MATCHES "^  \\* (.*)")
        list(APPEND notes "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^    (.*)" AND notes)
        list(POP_BACK notes last)
        list(APPEND notes "${last} ${CMAKE_MATCH_1}")
    endif()
endforeach()
set(STAKORA_RELEASE_NOTES "")
foreach(note IN LISTS notes)
    string(REPLACE "&" "&amp;" note "${note}")
    string(REPLACE "<" "&lt;" note "${note}")
    string(APPEND STAKORA_RELEASE_NOTES "\n          <li>${note}</li>")
endforeach()
string(STRIP "${STAKORA_RELEASE_NOTES}" STAKORA_RELEASE_NOTES)
# The date as the listing, the English manual page and the Italian one write it.
list(GET STAKORA_MONTHS_ISO ${month} number)
list(GET STAKORA_MONTHS_EN ${month} english)
list(GET STAKORA_MONTHS_IT ${month} italian)
string(REGEX REPLACE "^([0-9])$" "0\\1" padded ${day})
set(STAKORA_RELEASE_DATE "${year}-${number}-${padded}")
set(STAKORA_RELEASE_DATE_EN "${day} ${english} ${year}")
set(STAKORA_RELEASE_DATE_IT "${day} ${italian} ${year}")

# The Debian documentation: the machine-readable copyright, the changelog and the manual page
# (English, and Italian for Italian locales), compressed as Debian wants them: at the highest
# level, without a name or a time in the header, so that every build gives the same bytes.
set(compressed "")
foreach(name copyright changelog stakora.1 stakora.it.1)
    configure_file(${debian}/${name} ${PROJECT_BINARY_DIR}/debian/${name} @ONLY)
endforeach()
foreach(name changelog stakora.1 stakora.it.1)
    set(input ${PROJECT_BINARY_DIR}/debian/${name})
    set(output ${input}.gz)
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
configure_file(${CMAKE_CURRENT_LIST_DIR}/${STAKORA_APP_ID}.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/${STAKORA_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/${STAKORA_APP_ID}.metainfo.xml
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
set(CPACK_PACKAGE_VENDOR "${STAKORA_PUBLISHER}")
set(CPACK_PACKAGE_CONTACT "${STAKORA_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Staking plan calculator with an Italian interface")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The designed look needs a humanist sans where Segoe UI is missing; the toolkit's menus and
# buttons speak Italian with its translations; on a Wayland desktop (GNOME's and KDE Plasma's
# default) the window is a native one, sharp at any scale, rather than one through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-open-sans, qt6-translations-l10n, qt6-wayland")
# The synopsis is the summary above; this is the extended description that follows it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Type up to fifteen successive stakes and a prize multiplier; for every row
Stakora shows the money spent so far, what a win would pay and the net result.")
# Repacked by dpkg-deb with the source's time on every file, so the package is reproducible.
string(TIMESTAMP CPACK_STAKORA_SOURCE_DATE_EPOCH "%s" UTC)  # honours SOURCE_DATE_EPOCH
set(CPACK_POST_BUILD_SCRIPTS ${debian}/RepackDeb.cmake)
include(CPack)
