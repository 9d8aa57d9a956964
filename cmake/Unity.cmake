# Unity builds: a library's or a test binary's sources are compiled in batches, each batch one
# compiler run over several .cpp files included one after the other, so the heavy headers they
# share (the platform layer, the standard library, GoogleTest, GTK) are read once per batch
# instead of once per file. Each file keeps the behaviour it has on its own; a file whose names
# would clash with another's in a batch (two static functions or anonymous-namespace classes of
# the same name, a file-level using-declaration, a macro) is listed below and compiled alone,
# and so is a file with definitions of its own (the test files that are told the source tree's
# path, cmake/ProjectTargets.cmake).
#
#   drawmere_unity(<target>)   called by drawmere_library and drawmere_tests
#
# The batch files (build/<preset>/<folder>/<target>_unity/batch_<n>.cpp) include their sources by
# paths from the repository root, not by absolute ones as CMake's own unity builds do: a batch
# then reads the same in every clone of the tree, and the compiler cache serves it to all of
# them (cmake/CompilerCache.cmake).
#
# DRAWMERE_UNITY=OFF compiles every file on its own (the check that each file includes what it
# uses); DRAWMERE_UNITY_BATCH sets the number of files per batch.

set(DRAWMERE_UNITY_BATCH 8 CACHE STRING "Source files per unity batch")

# Compiled alone, relative to the source root, because their names clash with a neighbour's.
set(DRAWMERE_UNITY_ALONE
    RudUvud/core/GridSizing.cpp
    RudUvud/support/DerOdoz.cpp
    RudUvud/tests/CellStreamTest.cpp
    RudUvud/xlsadapter/SettingRecords.cpp
    RudUvud/xlsadapter/XlsGridBridgeImport.cpp
    RudUvud/xlsadapter/XlsSheet.cpp
    RudUvud/xlsadapter/XlsWorkbook.cpp
    RudUvud/xlsadapter/XlsWorkbookGlobals.cpp
    RudUvud/xlsadapter/tests/EscherTreeTest.cpp
    RudUvud/xlsadapter/tests/GridBridgeTest.cpp
    app/SelectOptionForm.cpp
    engine286/Schema.cpp
    engine286/tests/DelayedCommitTests.cpp
    engine286/tests/DescriptorTests.cpp
    engine286/tests/RecordTests.cpp
    platform/backend/gtk/GtkDialogs.cpp
    platform/backend/gtk/GtkDragDrop.cpp
    platform/rtl/tests/RegistryTest.cpp
    platform/rtl/tests/StreamsTest.cpp
    platform/rtl/tests/StringListsTest.cpp
    platform/servers/WordServer.cpp
    platform/servers/XmlDomServer.cpp
    platform/win/NonClient.cpp
    platform/win/RichEditControl.cpp
    platform/win/Window.cpp
    print/VuPageList.cpp
    print/VuTypes.cpp
)

function(drawmere_unity target)
    if(NOT DRAWMERE_UNITY)
        return()
    endif()
    get_target_property(sources ${target} SOURCES)
    set(batched)
    foreach(src ${sources})
        if(NOT src MATCHES "\\.cpp$")
            continue()
        endif()
        file(RELATIVE_PATH rel "${PROJECT_SOURCE_DIR}" "${src}")
        get_source_file_property(defines "${src}" COMPILE_DEFINITIONS)
        if(rel MATCHES "^\\.\\./" OR rel IN_LIST DRAWMERE_UNITY_ALONE OR defines)
            continue()
        endif()
        list(APPEND batched "${src}")
    endforeach()
    list(LENGTH batched count)
    if(count LESS 2)
        return()
    endif()
    set(dir "${CMAKE_CURRENT_BINARY_DIR}/${target}_unity")
    set(generated)
    set(batch 0)
    set(content "")
    set(in_batch 0)
    foreach(src ${batched})
        file(RELATIVE_PATH rel "${PROJECT_SOURCE_DIR}" "${src}")
        string(APPEND content "#include \"${rel}\"\n")
        math(EXPR in_batch "${in_batch} + 1")
        if(in_batch EQUAL DRAWMERE_UNITY_BATCH)
            drawmere_unity_write("${dir}/batch_${batch}.cpp" "${content}")
            list(APPEND generated "${dir}/batch_${batch}.cpp")
            math(EXPR batch "${batch} + 1")
            set(content "")
            set(in_batch 0)
        endif()
    endforeach()
    if(in_batch GREATER 0)
        drawmere_unity_write("${dir}/batch_${batch}.cpp" "${content}")
        list(APPEND generated "${dir}/batch_${batch}.cpp")
    endif()
    # The batched files stay listed (for editors and dependency scans) but are not compiled alone.
    set_source_files_properties(${batched} PROPERTIES HEADER_FILE_ONLY ON)
    target_sources(${target} PRIVATE ${generated})
endfunction()

# Writes a batch file only when its text changes, so that a new configure rebuilds nothing.
function(drawmere_unity_write path content)
    set(text "// Made by cmake/Unity.cmake: a batch of sources compiled as one.\n${content}")
    if(EXISTS "${path}")
        file(READ "${path}" old)
        if(old STREQUAL text)
            return()
        endif()
    endif()
    file(WRITE "${path}" "${text}")
endfunction()
