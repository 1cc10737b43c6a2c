# Fails unless the acknowledgments name every library the program is made of.
#   cmake -DACKNOWLEDGMENTS=file -DPROGRAM=blindfold -P acknowledgments_check.cmake
#     (Linux: the shared libraries the program needs, as readelf reads them)
#   cmake -DACKNOWLEDGMENTS=file -DLINK_MAP=Blindfold.map -DBUILD_DIR=dir -P …
#     (Windows: the archives the static link took code from, but the build's own)
# A library that no row below knows fails as well: name it in the
# acknowledgments, then here.

# Each row: a library's file name (a regular expression), then what the
# acknowledgments call it.
set(rows
  "^libgtkmm-3"          "gtkmm"
  "^libgdkmm-3"          "gdkmm"
  "^libatkmm-"           "atkmm"
  "^libgiomm-"           "giomm"
  "^libglibmm-"          "glibmm"
  "^libpangomm-"         "pangomm"
  "^libcairomm-"         "cairomm"
  "^libsigc-"            "libsigc++"
  "^libg[dt]k-3"         "GTK 3"
  "^libglib-2"           "GLib"
  "^libgobject-2"        "GObject"
  "^libgio-2"            "GIO"
  "^libgmodule-2"        "GLib"
  "^libpango"            "Pango"
  "^libatk-1"            "ATK"
  "^libgdk_pixbuf-2"     "GdkPixbuf"
  "^libcairo"            "cairo"
  "^libharfbuzz"         "HarfBuzz"
  "^libz\\."             "zlib"
  "^libX11\\."           "libX11"
  "^libpulse"            "libpulse"
  "^libnettle"           "Nettle"
  "^libjson-glib-"       "json-glib"
  "^lib(c|m|dl|rt|pthread|resolv)\\.so" "GNU C Library"
  "^ld-linux"            "GNU C Library"
  "^libstdc\\+\\+"       "libstdc++"
  "^libgcc"              "libgcc"
  # Windows: GCC's and MinGW-w64's archives; the import libraries of Windows'
  # own DLLs are MinGW-w64's too.
  "^libpthread\\.a$"     "winpthreads"
  "^libwinpthread"       "winpthreads"
  "^MINGW/"              "MinGW-w64 runtime"
)

file(READ "${ACKNOWLEDGMENTS}" thanks)

set(libraries)
if(PROGRAM)
  find_program(READELF NAMES readelf llvm-readelf REQUIRED)
  execute_process(COMMAND ${READELF} -d "${PROGRAM}" OUTPUT_VARIABLE dynamic COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX MATCHALL "\\(NEEDED\\)[^[]*\\[[^]]+\\]" needed "${dynamic}")
  foreach(entry IN LISTS needed)
    string(REGEX REPLACE ".*\\[(.+)\\]" "\\1" name "${entry}")
    list(APPEND libraries "${name}")
  endforeach()
else()
  file(READ "${LINK_MAP}" map)
  string(REGEX MATCHALL "[^ \t\n(]+\\.a\\(" archives "${map}")
  list(REMOVE_DUPLICATES archives)
  foreach(archive IN LISTS archives)
    string(REGEX REPLACE "\\($" "" archive "${archive}")
    # The linker names the build's own archives from the folder it ran in.
    get_filename_component(archive "${archive}" REALPATH BASE_DIR "${BUILD_DIR}/src")
    get_filename_component(name "${archive}" NAME)
    if(archive MATCHES "^${BUILD_DIR}/")
      continue()  # Blindfold's own libraries
    elseif(archive MATCHES "/x86_64-w64-mingw32/lib/" AND NOT name MATCHES "pthread")
      set(name "MINGW/${name}")
    endif()
    list(APPEND libraries "${name}")
  endforeach()
endif()
list(LENGTH libraries count)
if(count EQUAL 0)
  message(FATAL_ERROR "No library found: the program or its link map was not read.")
endif()

set(faults)
foreach(library IN LISTS libraries)
  set(known FALSE)
  set(i 0)
  list(LENGTH rows rowItems)
  while(i LESS rowItems)
    list(GET rows ${i} pattern)
    math(EXPR i "${i} + 1")
    list(GET rows ${i} acknowledged)
    math(EXPR i "${i} + 1")
    if(library MATCHES "${pattern}")
      set(known TRUE)
      string(FIND "${thanks}" "${acknowledged}" at)
      if(at EQUAL -1)
        list(APPEND faults "${library}: the acknowledgments do not name ${acknowledged}")
      endif()
      break()
    endif()
  endwhile()
  if(NOT known)
    list(APPEND faults "${library}: a library the acknowledgments may not name yet")
  endif()
endforeach()
if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "Not acknowledged:\n  ${text}")
endif()
message(STATUS "${count} libraries, each acknowledged.")
