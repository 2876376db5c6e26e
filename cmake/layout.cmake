# Copies the files that ship beside Veilcap.exe from the source tree into DST, in the layout the
# program expects: skins\, Flags\, translation\ and TASK.xml.
foreach(dir skins Flags translation)
  if(EXISTS ${SRC}/assets/${dir})
    file(GLOB files ${SRC}/assets/${dir}/*.*)
    file(MAKE_DIRECTORY ${DST}/${dir})
    foreach(f IN LISTS files)
      file(COPY ${f} DESTINATION ${DST}/${dir})
    endforeach()
  endif()
endforeach()
if(EXISTS ${SRC}/assets/TASK.xml)
  file(COPY ${SRC}/assets/TASK.xml DESTINATION ${DST})
endif()
