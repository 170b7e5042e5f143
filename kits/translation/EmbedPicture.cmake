# cmake -DNAME=... -DINPUT=... -DOUTPUT=... -P EmbedPicture.cmake
# Writes a C++ source holding the picture's bytes, which registers them under
# NAME before main() runs.
file(READ "${INPUT}" bytes HEX)
string(LENGTH "${bytes}" length)
math(EXPR size "${length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
string(MAKE_C_IDENTIFIER "${NAME}" symbol)
file(WRITE "${OUTPUT}" "// Generated from ${INPUT}; do not edit.
#include <stddef.h>

extern \"C\" void _murmelo_register_picture(const char* name, const unsigned char* data,
	size_t size);

namespace {

const unsigned char kPicture[${size}] = {
${bytes}
};

struct Registration {
	Registration() { _murmelo_register_picture(\"${NAME}\", kPicture, sizeof(kPicture)); }
} sRegistration;

} // namespace
")
