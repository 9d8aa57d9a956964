# Compiles through ccache when it is installed, set up by the build itself so that every clone
# of the tree on a machine shares one cache: a developer's build warms CI's, and the other way.
#
#   - CCACHE_BASEDIR is the source root: paths under it reach the cache (and the compiler) as
#     paths relative to the folder the compiler runs in, which is the same in every clone
#     (build/<preset>/<folder>);
#   - CCACHE_NOHASHDIR leaves that folder's absolute name out of the key (only debug information
#     would show it);
#   - the sloppiness lets a fresh checkout (every file just written) and the precompiled
#     headers' time stamps hit the cache.
#
# The cache itself is ccache's own (CCACHE_DIR, or its default folder), so a setting there
# still applies: the size, or where the cache lives. DRAWMERE_CCACHE=OFF compiles without it.

option(DRAWMERE_CCACHE "Compile through ccache when it is installed" ON)
find_program(CCACHE_PROGRAM ccache)
if(DRAWMERE_CCACHE AND CCACHE_PROGRAM AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
    set(drawmere_launcher
        "${CMAKE_COMMAND}" -E env
        "CCACHE_BASEDIR=${PROJECT_SOURCE_DIR}"
        CCACHE_NOHASHDIR=1
        "CCACHE_SLOPPINESS=include_file_ctime,include_file_mtime,pch_defines,time_macros"
        "${CCACHE_PROGRAM}")
    set(CMAKE_C_COMPILER_LAUNCHER ${drawmere_launcher})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${drawmere_launcher})
endif()
