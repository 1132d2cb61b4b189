# Hardening and reproducibility flags for every target of ours.
#
# Linux: the hardening Debian gives its packages, taken from dpkg-buildflags at configure time
# with every feature asked for, so that the flags follow the distribution: the stack protector,
# _FORTIFY_SOURCE, RELRO and immediate binding (PIE is the compiler's default and asked for
# below). Control-flow protection (CET) is added where dpkg-buildflags does not give it.
# Windows: the stack protector, and the PE flags for ASLR (high-entropy too) and DEP asked for
# explicitly rather than left to the linker's defaults.
# Everywhere: build paths mapped away, and no link time in the exe, so that the same sources
# give the same bytes wherever they are built.
include(CheckCXXCompilerFlag)
include(CheckPIESupported)

option(STAKORA_HARDENING "Build with the distribution's hardening flags" ON)

# Sources by their path in the tree; the build folder, wherever it is (inside the sources or not),
# as ".": the compiler records it without a trailing slash as the compilation folder. The last
# map that matches wins, so a build folder inside the sources is mapped as a build folder.
add_compile_options("-ffile-prefix-map=${PROJECT_SOURCE_DIR}/="
                    "-ffile-prefix-map=${PROJECT_BINARY_DIR}=.")
if(WIN32)
    add_link_options(-Wl,--no-insert-timestamp)
endif()

if(NOT STAKORA_HARDENING OR EMSCRIPTEN OR STAKORA_SANITIZE OR STAKORA_FUZZ)
    return()
endif()

if(WIN32)
    add_compile_options(-fstack-protector-strong)
    add_link_options(-fstack-protector-strong -Wl,--dynamicbase -Wl,--nxcompat
                     -Wl,--high-entropy-va)
    return()
endif()

check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(DPKG_BUILDFLAGS)
    set(compile_flags "")
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                    ${DPKG_BUILDFLAGS} --get ${kind}
            OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE)
        separate_arguments(flags UNIX_COMMAND "${flags}")
        # Optimisation and debug info are the build type's, the path map is ours above, and a
        # user's build never turns a warning into an error.
        list(FILTER flags EXCLUDE REGEX "^-O|^-g|prefix-map")
        if(NOT STAKORA_WARNINGS_AS_ERRORS)
            list(FILTER flags EXCLUDE REGEX "^-Werror")
        endif()
        if(kind STREQUAL LDFLAGS)
            add_link_options(${flags})
        else()
            list(APPEND compile_flags ${flags})
        endif()
    endforeach()
else()
    set(compile_flags -fstack-protector-strong -D_FORTIFY_SOURCE=2 -Wformat)
    add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()
add_compile_options(${compile_flags})
if(NOT compile_flags MATCHES "-fcf-protection")
    check_cxx_compiler_flag(-fcf-protection=full STAKORA_HAS_CF_PROTECTION)
    if(STAKORA_HAS_CF_PROTECTION)
        add_compile_options(-fcf-protection=full)
    endif()
endif()
