# The Windows packages beside stakora.exe: the installer (NSIS) and the portable zip.
find_program(MAKENSIS makensis REQUIRED)
set(STAKORA_SETUP ${PROJECT_BINARY_DIR}/stakora-${PROJECT_VERSION}-setup.exe)
set(STAKORA_ZIP ${PROJECT_BINARY_DIR}/stakora-${PROJECT_VERSION}-win64.zip)
set(script ${CMAKE_CURRENT_LIST_DIR}/stakora.nsi)
add_custom_command(
    OUTPUT ${STAKORA_SETUP}
    COMMAND ${MAKENSIS} -V2 -DEXE=$<TARGET_FILE:stakora> -DICON=${STAKORA_ICON}
            -DOUTFILE=${STAKORA_SETUP} ${script}
    DEPENDS stakora ${script} ${STAKORA_ICON}
    COMMENT "Installer ${STAKORA_SETUP}")

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
add_custom_target(windows_packages ALL DEPENDS ${STAKORA_SETUP} ${STAKORA_ZIP})
