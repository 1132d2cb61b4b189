# Installation to the standard places, the Debian package, the Windows version resource and the
# Windows packages.
include(GNUInstallDirs)

set(STAKORA_APP_ID org.stakora.Stakora)
install(TARGETS stakora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# "1.00": the minor number is 0 in the binary version fields.
math(EXPR STAKORA_VERSION_MINOR_NUMBER "${PROJECT_VERSION_MINOR}")
set(STAKORA_ICON ${PROJECT_SOURCE_DIR}/resources/stakora.ico)
configure_file(${CMAKE_CURRENT_LIST_DIR}/stakora.rc.in ${PROJECT_BINARY_DIR}/stakora.rc @ONLY)
if(WIN32)
    target_sources(stakora PRIVATE ${PROJECT_BINARY_DIR}/stakora.rc)
    include(${CMAKE_CURRENT_LIST_DIR}/windows/WindowsPackages.cmake)
    return()
endif()

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
set(CPACK_PACKAGE_CONTACT "The Stakora developers <stakora@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Staking plan calculator with an Italian interface")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The designed look needs a humanist sans where Segoe UI is missing; the toolkit's menus and
# buttons speak Italian with its translations.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-open-sans, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Staking plan calculator
 Type up to fifteen successive stakes and a prize multiplier; for every row
 Stakora shows the money spent so far, what a win would pay and the net result.")
include(CPack)
