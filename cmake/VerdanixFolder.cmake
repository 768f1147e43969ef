# verdanix_folder_library(<target> <folder> <sources...>): the static library of one src/ folder.
#
# Its headers are reached as "<folder>/Name.h" through an include root that holds this folder
# alone, so only the targets that link the library can include them: an include of a folder the
# target may not use fails to build.
function(verdanix_folder_library target folder)
    add_library(${target} STATIC ${ARGN})
    set(root ${CMAKE_BINARY_DIR}/include-roots/${folder})
    if(NOT EXISTS ${root}/${folder})
        file(MAKE_DIRECTORY ${root})
        file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} RESULT failed SYMBOLIC)
        if(failed)
            # No symbolic links here (a Windows account without the right): build without the guard.
            get_filename_component(root ${CMAKE_CURRENT_SOURCE_DIR} DIRECTORY)
        endif()
    endif()
    target_include_directories(${target} PUBLIC ${root})
endfunction()
