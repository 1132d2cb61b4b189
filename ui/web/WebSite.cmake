# The browser edition's program and its site: a folder of static files, site/, that any web
# server serves as it is.
set(web ${PROJECT_SOURCE_DIR}/ui/web)
add_executable(stakora web_main.cpp)
target_link_libraries(stakora PRIVATE stakora_web stakora_warnings)
target_link_options(stakora PRIVATE
    -Os -sENVIRONMENT=web -sASYNCIFY -sEXIT_RUNTIME=0
    "-sASYNCIFY_IMPORTS=['stakora_js_paint','stakora_js_message_box']"
    "-sEXPORTED_FUNCTIONS=['_main','_malloc','_free','_stakora_event','_stakora_report_failure']"
    "-sEXPORTED_RUNTIME_METHODS=['ccall']"
    --post-js ${web}/page.js)
set_target_properties(stakora PROPERTIES LINK_DEPENDS ${web}/page.js)

set(site ${PROJECT_BINARY_DIR}/site)
set(resources ${PROJECT_SOURCE_DIR}/resources)
set(copied ${web}/input_queue.js ${web}/boot.js ${web}/manifest.webmanifest ${resources}/footer.jpg
    ${resources}/footer@2x.jpg ${resources}/stakora-32.png ${resources}/stakora-180.png
    ${resources}/stakora-192.png ${resources}/stakora-512.png
    ${resources}/stakora-maskable-512.png ${resources}/screenshot-narrow.jpg
    ${resources}/screenshot-wide.jpg)
# Made afresh each time, so that nothing of an earlier build stays; the service worker is
# stamped last, from every other file.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_command(
    OUTPUT ${site}/index.html ${site}/stakora.css ${site}/stakora.js ${site}/stakora.wasm
           ${site}/sw.js ${PROJECT_BINARY_DIR}/window_geometry.json
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${site}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${site}
    COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:web_page_writer>
            ${web}/index.html.in ${site}/index.html ${web}/stakora.css.in ${site}/stakora.css
            ${PROJECT_BINARY_DIR}/window_geometry.json
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:stakora>
            $<TARGET_FILE_DIR:stakora>/stakora.wasm ${copied} ${site}
    COMMAND ${Python3_EXECUTABLE} ${web}/stamp_worker.py ${site} ${web}/sw.js
    DEPENDS stakora web_page_writer ${web}/index.html.in ${web}/stakora.css.in ${web}/sw.js
            ${web}/stamp_worker.py ${copied}
    COMMENT "Site ${site}"
    VERBATIM)
add_custom_target(web_site ALL DEPENDS ${site}/index.html)
