# Our own targets build with every warning as an error; third-party headers come in as system headers.
function(velk_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
        -Wold-style-cast -Wcast-align -Woverloaded-virtual -Wnull-dereference -Wformat=2 -Werror)
endfunction()

# A library made of every .cpp in the calling folder. Several people add files to these folders at
# once, so the list is not kept by hand; an empty folder gives an interface library.
function(velk_folder_library name)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    if(sources)
        add_library(${name} STATIC ${sources})
        velk_warnings(${name})
        set(scope PUBLIC)
    else()
        add_library(${name} INTERFACE)
        set(scope INTERFACE)
    endif()
    target_include_directories(${name} ${scope} ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} ${scope} ${ARGN})
endfunction()
