# Warning and sanitizer flags for the project's own targets only.
function(quillet_target_options target)
    # Qt's headers come in as system includes, so these hold our own code only.
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wold-style-cast)
    if(QUILLET_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
    target_compile_definitions(${target} PRIVATE QT_NO_KEYWORDS QT_NO_CAST_FROM_BYTEARRAY)
endfunction()

if(QUILLET_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

# One test executable per suite; GUI suites run on the offscreen platform. Each is labelled with its
# folder under tests/ (`ctest -L document`) and any LABELS given.
function(add_quillet_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    quillet_target_options(${name})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE Qt6::Test quillet_testsupport ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    get_filename_component(folder "${CMAKE_CURRENT_SOURCE_DIR}" NAME)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300
        LABELS "${folder};${ARG_LABELS}")
endfunction()
