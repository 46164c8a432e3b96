# The portable package: build/<preset>/Tappolo.zip holds the folder Tappolo\ with everything
# the program needs beside it (Tappolo.exe, KeyHook.dll, schemes\, tplhelp.chm). Unzip and run.
set(package_stage ${CMAKE_BINARY_DIR}/package)
set(package_zip ${CMAKE_BINARY_DIR}/Tappolo.zip)
set(out ${CMAKE_BINARY_DIR}/out)
add_custom_command(OUTPUT ${package_zip}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${package_stage} ${package_zip}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${package_stage}/Tappolo
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Tappolo> $<TARGET_FILE:KeyHook>
            ${out}/tplhelp.chm ${package_stage}/Tappolo
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${out}/schemes ${package_stage}/Tappolo/schemes
    COMMAND ${CMAKE_COMMAND} -E chdir ${package_stage}
            ${CMAKE_COMMAND} -E tar cf ${package_zip} --format=zip Tappolo
    DEPENDS Tappolo KeyHook tappolo_schemes tappolo_help
    COMMENT "Packing Tappolo.zip"
    VERBATIM)
add_custom_target(tappolo_package ALL DEPENDS ${package_zip})
