# Puts the GNOME Shell extension together from door.js: one folder for GNOME
# 43 and 44 (OUT_LEGACY), one for the modules of GNOME 45 and later
# (OUT_MODULE), each named by the extension's uuid.
#   cmake -DSOURCE=packaging/gnome -DOUT_LEGACY=... -DOUT_MODULE=... -P assemble.cmake
file(READ ${SOURCE}/door.js door)
file(READ ${SOURCE}/metadata.json metadata)
foreach(format legacy module)
  string(TOUPPER ${format} upper)
  file(READ ${SOURCE}/${format}-head.js head)
  file(READ ${SOURCE}/${format}-tail.js tail)
  file(WRITE ${OUT_${upper}}/extension.js "${head}${door}${tail}")
endforeach()
file(WRITE ${OUT_LEGACY}/metadata.json "${metadata}")
string(REPLACE "\"shell-version\": [\"43\", \"44\"]" "\"shell-version\": [\"45\", \"46\", \"47\", \"48\", \"49\"]"
       module_metadata "${metadata}")
file(WRITE ${OUT_MODULE}/metadata.json "${module_metadata}")
