# drawmere_embed_resources(<target> DIR <folder>)
#
# Every file of <folder> becomes a named resource that the program finds at run time
# (platform/rtl/Resources.h). The resource name is the file name without its extension;
# the type follows the extension: .bmp BITMAP, .cur CURSOR, .ico ICON, anything else RCDATA.
# A sub-folder names the type itself: res/XLSTEMPLATE/BOOK.xls has type "XLSTEMPLATE".
#
# The generated registrations sit in their own static library linked as a whole archive,
# so the linker keeps them although no code refers to them by name.

set(_drawmere_embed_script "${CMAKE_CURRENT_LIST_DIR}/EmbedResourceFile.cmake")

function(drawmere_embed_resources target)
    cmake_parse_arguments(ARG "" "DIR" "" ${ARGN})
    file(GLOB_RECURSE files CONFIGURE_DEPENDS LIST_DIRECTORIES false "${ARG_DIR}/*")
    if(NOT files)
        return()
    endif()
    set(outdir "${CMAKE_CURRENT_BINARY_DIR}/${target}_res")
    set(generated)
    foreach(file ${files})
        file(RELATIVE_PATH rel "${ARG_DIR}" "${file}")
        get_filename_component(stem "${file}" NAME_WE)
        get_filename_component(ext "${file}" LAST_EXT)
        get_filename_component(subdir "${rel}" DIRECTORY)
        string(TOLOWER "${ext}" ext)
        if(subdir)
            set(type "${subdir}")
        elseif(ext STREQUAL ".bmp")
            set(type BITMAP)
        elseif(ext STREQUAL ".cur")
            set(type CURSOR)
        elseif(ext STREQUAL ".ico")
            set(type ICON)
        else()
            set(type RCDATA)
        endif()
        string(MAKE_C_IDENTIFIER "${rel}" ident)
        set(out "${outdir}/${ident}.cpp")
        add_custom_command(
            OUTPUT "${out}"
            COMMAND "${CMAKE_COMMAND}" -DINPUT=${file} -DOUTPUT=${out} -DNAME=${stem} -DTYPE=${type}
                    -DIDENT=${ident} -P "${_drawmere_embed_script}"
            DEPENDS "${file}" "${_drawmere_embed_script}"
            COMMENT "Embedding resource ${rel}"
            VERBATIM)
        list(APPEND generated "${out}")
    endforeach()
    add_library(${target}_res STATIC ${generated})
    target_include_directories(${target}_res PRIVATE "${PROJECT_SOURCE_DIR}")
    target_link_libraries(${target}_res PRIVATE platform_rtl)
    get_target_property(kind ${target} TYPE)
    if(kind STREQUAL "EXECUTABLE")
        target_link_libraries(${target} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${target}_res>")
    else()
        target_link_libraries(${target} PUBLIC "$<LINK_LIBRARY:WHOLE_ARCHIVE,${target}_res>")
    endif()
endfunction()
