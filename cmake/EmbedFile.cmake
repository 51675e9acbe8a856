# Turns a file into a C++ byte array: run with
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name -P EmbedFile.cmake
# The source defines `const unsigned char SYMBOL[]` and `const size_t SYMBOLSize`.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE "${OUTPUT}"
"// Generated from ${INPUT} at build time; do not edit.\n#include <cstddef>\n\n"
"extern const unsigned char ${SYMBOL}[] = {\n    ${bytes}\n};\n"
"extern const std::size_t ${SYMBOL}Size = ${size};\n")
