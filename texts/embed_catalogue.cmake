# Writes a compiled catalogue (a .mo file) into a C++ source as bytes: cmake -DCATALOGUE=… -DNAME=…
# -DOUTPUT=… -P embed_catalogue.cmake
file(READ ${CATALOGUE} hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
file(WRITE ${OUTPUT} "// Made from ${CATALOGUE} by texts/embed_catalogue.cmake.\n"
  "#include \"texts/compiled_catalogues.h\"\n\nnamespace quillon {\nnamespace {\n\n"
  "const unsigned char kBytes[] = {${bytes}};\n\n}  // namespace\n\n"
  "const CompiledBytes ${NAME}{kBytes, ${size}};\n\n}  // namespace quillon\n")
