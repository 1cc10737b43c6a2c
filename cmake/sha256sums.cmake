# Writes OUTPUT in the form `sha256sum -c` reads: one line per file given after
# -P, its SHA-256 and its name, for files that lie beside OUTPUT.
#   cmake -DOUTPUT=SHA256SUMS -P sha256sums.cmake FILE...
set(lines "")
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE 4 ${last})
  set(file "${CMAKE_ARGV${i}}")
  file(SHA256 "${file}" hash)
  get_filename_component(name "${file}" NAME)
  string(APPEND lines "${hash}  ${name}\n")
endforeach()
file(WRITE "${OUTPUT}" "${lines}")
