# velon_windows_resources(target description file): gives a Windows program the project's icon, a version
# resource with the project's one version number and the asInvoker manifest. Needs the velon-version target
# (launcher/), whose velon_version.h the resource reads.
set(VELON_WINDOWS_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "the Windows programs' resources")
function(velon_windows_resources target description file)
    get_filename_component(name ${file} NAME_WE)
    set(VELON_RESOURCE_NAME ${name})
    set(VELON_RESOURCE_FILE ${file})
    set(VELON_RESOURCE_DESCRIPTION ${description})
    set(VELON_ICON ${VELON_WINDOWS_DIR}/velon-configurator.ico)
    set(VELON_VERSION_TEXT ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
    set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}-resources)
    set(VELON_MANIFEST ${dir}/${name}.exe.manifest)
    configure_file(${VELON_WINDOWS_DIR}/program.manifest.in ${VELON_MANIFEST} @ONLY)
    configure_file(${VELON_WINDOWS_DIR}/program.rc.in ${dir}/${name}.rc @ONLY)
    target_sources(${target} PRIVATE ${dir}/${name}.rc)
    set_property(SOURCE ${dir}/${name}.rc APPEND PROPERTY OBJECT_DEPENDS ${VELON_ICON} ${VELON_MANIFEST})
    target_link_libraries(${target} PRIVATE velon-version)
endfunction()
