# What the shell ships beside the program: pictures drawn in code (kavrin_artwork and the
# build-time tool kavrin-make-pictures that writes title.bmp and setup.bmp) and the help window
# with its bundle of pages (kavrin_help, res/help). Included by src/shell/CMakeLists.txt.

add_library(kavrin_artwork STATIC
    ${CMAKE_CURRENT_LIST_DIR}/artwork.cpp ${CMAKE_CURRENT_LIST_DIR}/artwork.h
)
target_include_directories(kavrin_artwork PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(kavrin_artwork PUBLIC Qt6::Gui PRIVATE kavrin_warnings)

add_library(kavrin_help STATIC
    ${CMAKE_CURRENT_LIST_DIR}/help_window.cpp ${CMAKE_CURRENT_LIST_DIR}/help_window.h
)
set_target_properties(kavrin_help PROPERTIES AUTOMOC ON)
target_include_directories(kavrin_help PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(kavrin_help PUBLIC Qt6::Widgets PRIVATE kavrin_warnings)

add_executable(kavrin-make-pictures ${PROJECT_SOURCE_DIR}/tools/make_pictures.cpp)
target_link_libraries(kavrin-make-pictures PRIVATE kavrin_artwork kavrin_warnings)

# Puts the help bundle (a folder named Kavrin.chm, where the program looks for its help) and the
# two pictures beside the executable `target`. Every target of a folder shares one step per
# folder, so that two of them linked at once never remove and copy the same bundle together. The
# old bundle is removed first so that a deleted page does not linger; a page added, changed or
# deleted, or a rebuilt picture tool, runs the step again.
function(kavrin_ship_resources target)
    # Globbed with the folders, so that a page added or deleted changes a folder's time and is
    # picked up without editing this file.
    file(GLOB_RECURSE help_files LIST_DIRECTORIES true CONFIGURE_DEPENDS
        ${PROJECT_SOURCE_DIR}/res/help/*)
    string(MAKE_C_IDENTIFIER "${CMAKE_CURRENT_BINARY_DIR}" folder)
    set(resources kavrin_resources_${folder})
    if(NOT TARGET ${resources})
        set(stamp ${CMAKE_CURRENT_BINARY_DIR}/kavrin_resources.stamp)
        add_custom_command(OUTPUT ${stamp}
            COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_CURRENT_BINARY_DIR}/Kavrin.chm
            COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/res/help
                    ${CMAKE_CURRENT_BINARY_DIR}/Kavrin.chm
            COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                    $<TARGET_FILE:kavrin-make-pictures> ${CMAKE_CURRENT_BINARY_DIR}
            COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
            DEPENDS ${PROJECT_SOURCE_DIR}/res/help ${help_files} kavrin-make-pictures
            COMMENT "Help bundle and pictures in ${CMAKE_CURRENT_BINARY_DIR}"
            VERBATIM)
        add_custom_target(${resources} DEPENDS ${stamp})
    endif()
    add_dependencies(${target} ${resources})
endfunction()
