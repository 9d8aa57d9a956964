# Writes one C++ source that registers the bytes of INPUT as resource NAME of type TYPE.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexlen)
math(EXPR size "${hexlen} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){32})" "\\1\n" bytes "${bytes}")
if(size EQUAL 0)
    set(bytes "0")
endif()
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT}; do not edit.
#include \"platform/rtl/Resources.h\"

namespace {
const unsigned char data[] = {
${bytes}
};
const bool registered = RegisterEmbeddedResource(\"${NAME}\", \"${TYPE}\", data, ${size});
}
")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
