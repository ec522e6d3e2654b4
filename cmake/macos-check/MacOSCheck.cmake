# `macos_check`: the macOS-only sources compiled by clang for syntax and types on a machine
# without macOS (see ./run). Built on request (make macos-check), never by a macOS build.
function(orvane_add_macos_check)
    find_program(ORVANE_CLANGXX NAMES clang++ clang++-14)
    find_path(ORVANE_GNUSTEP_HEADERS AppKit/AppKit.h PATHS /usr/include/GNUstep
        /usr/local/include/GNUstep NO_DEFAULT_PATH)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=include
        OUTPUT_VARIABLE gcc_include OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    set(sources)
    foreach(source IN LISTS ARGN)
        list(APPEND sources ${CMAKE_CURRENT_SOURCE_DIR}/${source})
    endforeach()
    set(qt_includes
        "$<TARGET_PROPERTY:Qt6::Core,INTERFACE_INCLUDE_DIRECTORIES>"
        "$<TARGET_PROPERTY:Qt6::Gui,INTERFACE_INCLUDE_DIRECTORIES>")
    add_custom_target(macos_check
        COMMAND bash ${PROJECT_SOURCE_DIR}/cmake/macos-check/run
            "${ORVANE_CLANGXX}" "${ORVANE_GNUSTEP_HEADERS}" "${gcc_include}" ${PROJECT_SOURCE_DIR}
            -- ${qt_includes}
            -- "$<TARGET_PROPERTY:orvane_build_flags,INTERFACE_COMPILE_DEFINITIONS>"
            -- ${sources}
        COMMENT "Compiling the macOS-only sources for syntax and types"
        VERBATIM COMMAND_EXPAND_LISTS)
endfunction()
