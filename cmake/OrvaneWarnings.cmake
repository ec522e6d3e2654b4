# Every target of ours gets the same warnings and, when asked, the sanitizers.
add_library(orvane_build_flags INTERFACE)
target_compile_options(orvane_build_flags INTERFACE
    $<$<CXX_COMPILER_ID:GNU,Clang,AppleClang>:-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
        -Wold-style-cast -Wcast-align -Woverloaded-virtual -Wimplicit-fallthrough>)
if(ORVANE_WERROR)
    target_compile_options(orvane_build_flags INTERFACE -Werror)
endif()
target_compile_definitions(orvane_build_flags INTERFACE
    QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_URL_CAST_FROM_STRING
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT QT_USE_QSTRINGBUILDER)
# Nothing of ours throws or catches, so no unwinding clean-up is kept for exceptions (as KDE's
# compiler settings do); a throw from Qt or the standard library ends the program either way.
target_compile_options(orvane_build_flags INTERFACE
    $<$<CXX_COMPILER_ID:GNU,Clang,AppleClang>:-fno-exceptions>)
# Optimised for size: Orvane's own code is glue around Qt's (which does the heavy work), and a
# running Orvane keeps nearly all of its pages resident, so every kilobyte is memory it holds.
# Unused functions are dropped at link time.
set(optimised "$<NOT:$<CONFIG:Debug>>")
target_compile_options(orvane_build_flags INTERFACE
    "$<${optimised}:-Os;-ffunction-sections;-fdata-sections>")
if(APPLE)
    target_link_options(orvane_build_flags INTERFACE "$<${optimised}:-Wl,-dead_strip>")
else()
    target_link_options(orvane_build_flags INTERFACE "$<${optimised}:-Wl,--gc-sections>")
endif()
if(ORVANE_SANITIZE)
    target_compile_options(orvane_build_flags INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(orvane_build_flags INTERFACE -fsanitize=address,undefined)
endif()

# Generated sources (moc, QML type registration, cached QML) are not ours to warn about.
function(orvane_quiet_generated target)
    set_source_files_properties(${ARGN} PROPERTIES COMPILE_OPTIONS "-w")
endfunction()

# The same for the QML files of `target` compiled ahead of time, named as Qt names them.
function(orvane_quiet_qml_cache target)
    set(cached)
    foreach(qml_file IN LISTS ARGN)
        string(REGEX REPLACE "\\.qml$" "_qml.cpp" name "${target}_${qml_file}")
        list(APPEND cached ${CMAKE_CURRENT_BINARY_DIR}/.rcc/qmlcache/${name})
    endforeach()
    orvane_quiet_generated(${target} ${cached})
endfunction()
