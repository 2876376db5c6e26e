# Copies the files that ship beside Veilcap.exe from the source tree into DST, in the layout the
# program expects: skins\, Flags\, translation\ and TASK.xml; the pictures at 150 % and 200 % in
# skins\150, skins\200, Flags\150 and Flags\200; the policy templates in policies\ (Veilcap.admx and one
# culture folder per language).
foreach(dir skins Flags translation skins/150 skins/200 Flags/150 Flags/200)
  if(EXISTS ${SRC}/assets/${dir})
    file(GLOB files ${SRC}/assets/${dir}/*.*)
    file(MAKE_DIRECTORY ${DST}/${dir})
    foreach(f IN LISTS files)
      file(COPY ${f} DESTINATION ${DST}/${dir})
    endforeach()
  endif()
endforeach()
if(EXISTS ${SRC}/assets/policies)
  file(COPY ${SRC}/assets/policies DESTINATION ${DST})
endif()
if(EXISTS ${SRC}/assets/TASK.xml)
  file(COPY ${SRC}/assets/TASK.xml DESTINATION ${DST})
endif()
