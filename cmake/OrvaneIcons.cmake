# Renders an SVG at build time with orvane_icon_render (src/app/icon), one file a size: a PNG,
# or with a name ending in .alpha the bare coverage. `pattern` names each file, @SIZE@ standing
# for its size; the files go into the variable `outputs`.
function(orvane_render_icon svg pattern outputs)
    set(args)
    set(files)
    foreach(size IN LISTS ARGN)
        string(REPLACE "@SIZE@" "${size}" file "${pattern}")
        list(APPEND args ${size} ${file})
        list(APPEND files ${file})
    endforeach()
    get_filename_component(name ${svg} NAME)
    add_custom_command(OUTPUT ${files}
        COMMAND orvane_icon_render ${svg} ${args}
        DEPENDS orvane_icon_render ${svg}
        COMMENT "Rendering ${name}"
        VERBATIM)
    set(${outputs} ${files} PARENT_SCOPE)
endfunction()
