# The Windows packages beside stakora.exe: the installer (NSIS) and the portable zip. The exe
# itself needs neither: without NSIS, only the installer is left out, and building it says why.
find_program(MAKENSIS makensis)
set(STAKORA_SETUP ${PROJECT_BINARY_DIR}/stakora-${PROJECT_VERSION}-setup.exe)
set(STAKORA_ZIP ${PROJECT_BINARY_DIR}/stakora-${PROJECT_VERSION}-win64.zip)
set(script ${CMAKE_CURRENT_LIST_DIR}/stakora.nsi)
if(MAKENSIS)
    add_custom_command(
        OUTPUT ${STAKORA_SETUP}
        COMMAND ${MAKENSIS} -V2 -DEXE=$<TARGET_FILE:stakora> -DICON=${STAKORA_ICON}
                -DOUTFILE=${STAKORA_SETUP} ${script}
        DEPENDS stakora ${script} ${STAKORA_ICON}
        COMMENT "Installer ${STAKORA_SETUP}")
else()
    message(STATUS "makensis not found: the installer is not built (apt-get install nsis)")
    add_custom_command(
        OUTPUT ${STAKORA_SETUP}
        COMMAND ${CMAKE_COMMAND} -E echo
                "The installer needs NSIS: apt-get install nsis, then configure again."
        COMMAND ${CMAKE_COMMAND} -E false
        COMMENT "Installer ${STAKORA_SETUP}")
endif()

# The reader's note with Windows line ends, for every Notepad.
set(portable ${PROJECT_BINARY_DIR}/portable)
configure_file(${CMAKE_CURRENT_LIST_DIR}/LEGGIMI.txt ${portable}/LEGGIMI.txt NEWLINE_STYLE CRLF)
add_custom_command(
    OUTPUT ${STAKORA_ZIP}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:stakora> ${portable}/stakora.exe
    COMMAND ${CMAKE_COMMAND} -E chdir ${portable}
            ${CMAKE_COMMAND} -E tar cf ${STAKORA_ZIP} --format=zip stakora.exe LEGGIMI.txt
    DEPENDS stakora ${CMAKE_CURRENT_LIST_DIR}/LEGGIMI.txt
    COMMENT "Portable zip ${STAKORA_ZIP}")
add_custom_target(windows_zip ALL DEPENDS ${STAKORA_ZIP})
# Built by default only where it can be; `cmake --build . --target windows_packages` asks for it.
if(MAKENSIS)
    add_custom_target(windows_packages ALL DEPENDS ${STAKORA_SETUP} ${STAKORA_ZIP})
else()
    add_custom_target(windows_packages DEPENDS ${STAKORA_SETUP} ${STAKORA_ZIP})
endif()
