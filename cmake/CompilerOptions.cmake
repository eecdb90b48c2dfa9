# Compiler and linker settings shared by every target of the project.

function(moxvane_apply_options target)
    target_compile_definitions(${target} PRIVATE
        UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /WX /permissive- /utf-8)
    else()
        target_compile_options(${target} PRIVATE
            -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Werror
            -ffunction-sections -fdata-sections)
    endif()
endfunction()

# Static runtime: the program and the tests need no DLL beside them.
if(MINGW)
    add_link_options(-static -static-libgcc -static-libstdc++)
endif()
