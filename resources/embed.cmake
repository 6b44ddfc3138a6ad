# Writes a C++ source holding the bytes of the given PNG files.
# Called as: cmake -DOUTPUT=file.cpp -DENTRIES="id=path;id=path" -P embed.cmake
set(body "// Generated from resources/pictures; do not edit.\n#include \"embedded.h\"\n\nnamespace {\n")
set(rows "")
foreach(pair IN LISTS ENTRIES)
  string(REPLACE "=" ";" parts "${pair}")
  list(GET parts 0 id)
  list(GET parts 1 path)
  file(READ "${path}" hex HEX)
  string(LENGTH "${hex}" hexlen)
  math(EXPR size "${hexlen} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){24})" "\\1\n" bytes "${bytes}")
  string(APPEND body "const unsigned char picture${id}[] = {\n${bytes}\n};\n")
  string(APPEND rows "    {${id}, picture${id}, ${size}},\n")
endforeach()
string(APPEND body "}\n\nnamespace embeddedResources {\nconst entry table[] = {\n${rows}};\nconst std::size_t count = sizeof(table) / sizeof(table[0]);\n}\n")
# Written even when unchanged: an output that kept its old time would stay older
# than pictures rewritten with the same bytes, and every build would embed
# them again.
file(WRITE "${OUTPUT}" "${body}")
