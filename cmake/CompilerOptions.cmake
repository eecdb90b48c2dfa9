# Compiler and linker settings shared by every target of the project.

function(moxvane_apply_options target)
    target_compile_definitions(${target} PRIVATE
        UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /WX /permissive- /utf-8)
    else()
        target_compile_options(${target} PRIVATE
            -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Werror
            -ffunction-sections -fdata-sections
            # No build paths in the objects, so two builds compare equal.
            -ffile-prefix-map=${CMAKE_SOURCE_DIR}=.
            -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
    endif()
endfunction()

# The program's own code uses neither exceptions nor run-time type information,
# so none of the C++ library's support for them is linked into the program.
function(moxvane_apply_product_options target)
    moxvane_apply_options(${target})
    if(MSVC)
        target_compile_options(${target} PRIVATE /GR- /EHs-c-)
    else()
        target_compile_options(${target} PRIVATE -fno-exceptions -fno-rtti)
    endif()
endfunction()

# The shipped executable: address-space layout randomisation with 64-bit
# entropy, no-execute data, no link timestamp, and nothing unused linked in.
function(moxvane_apply_program_options target)
    moxvane_apply_product_options(${target})
    if(MSVC)
        target_link_options(${target} PRIVATE /DYNAMICBASE /HIGHENTROPYVA /NXCOMPAT /Brepro)
    elseif(MINGW)
        target_link_options(${target} PRIVATE
            -municode -s -Wl,--gc-sections
            -Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat -Wl,--no-insert-timestamp)
    endif()
endfunction()

# Static runtime: the program and the tests need no DLL beside them.
if(MINGW)
    add_link_options(-static -static-libgcc -static-libstdc++)
endif()
