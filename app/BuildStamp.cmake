# Writes the build stamp header: the time of the build (yymmdd-hhmm, local time, or
# SOURCE_DATE_EPOCH when set) and an MD5 digest over the program's sources, which names
# the sources that this build was made from.
#
#   cmake -DSOURCE_LIST=<file with one source path a line> -DSOURCE_ROOT=<dir>
#         -DOUTPUT=<header> -P BuildStamp.cmake

file(STRINGS "${SOURCE_LIST}" sources)
list(SORT sources)
set(manifest "")
foreach(source IN LISTS sources)
  file(MD5 "${source}" hash)
  file(RELATIVE_PATH name "${SOURCE_ROOT}" "${source}")
  string(APPEND manifest "${hash}  ${name}\n")
endforeach()
string(MD5 digest "${manifest}")
string(TOUPPER "${digest}" digest)
string(TIMESTAMP stamp "%y%m%d-%H%M")

file(WRITE "${OUTPUT}.tmp"
  "#pragma once\n"
  "// Generated at build time by app/BuildStamp.cmake; do not edit.\n\n"
  "inline constexpr char kBuildStamp[] = \"${stamp}\";\n"
  "inline constexpr char kSourceDigest[] = \"${digest}\";\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
