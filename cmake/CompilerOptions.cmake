# Compiler and linker settings shared by every target of the project.

function(moxvane_apply_options target)
    target_compile_definitions(${target} PRIVATE
        UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /WX /permissive- /utf-8)
    else()
        target_compile_options(${target} PRIVATE
            -Wall -Wextra -Wpedantic -Wshadow $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor> -Werror
            -ffunction-sections -fdata-sections
            # No build paths in the objects, so two builds compare equal.
            -ffile-prefix-map=${CMAKE_SOURCE_DIR}=.
            -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
    endif()
endfunction()

# The program's own code uses neither exceptions nor run-time type information,
# so none of the C++ library's support for them is linked into the program.
function(moxvane_apply_exception_free_options target)
    moxvane_apply_options(${target})
    if(MSVC)
        target_compile_options(${target} PRIVATE /GR- /EHs-c-)
    else()
        target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>)
        # On x86 unwind tables serve exceptions alone (x64 Windows needs its
        # own for every stack walk, so they stay there).
        if(CMAKE_SIZEOF_VOID_P EQUAL 4)
            target_compile_options(${target} PRIVATE -fno-asynchronous-unwind-tables -fno-unwind-tables)
        endif()
    endif()
endfunction()

# The program's own code, checked by stack canaries.
function(moxvane_apply_product_options target)
    moxvane_apply_exception_free_options(${target})
    if(NOT MSVC)
        # Stack canaries in every function with an array or an address taken;
        # the checked forms of the C library's string functions where
        # GCC's own headers have them (mingw-w64's headers have none).
        target_compile_options(${target} PRIVATE -fstack-protector-strong)
        # Whatever links this code links the canary and its check with it.
        target_link_libraries(${target} PUBLIC MoxvaneStackGuard)
        if(MOXVANE_FORTIFY_HEADERS)
            target_compile_definitions(${target} PRIVATE _FORTIFY_SOURCE=2)
            target_include_directories(${target} SYSTEM BEFORE PRIVATE ${MOXVANE_FORTIFY_HEADERS})
        endif()
    endif()
endfunction()

# The shipped executable: address-space layout randomisation (with 64-bit
# entropy on x64), no-execute data, no link timestamp, and nothing unused
# linked in. On x86 the image also declares that none of its code registers a
# structured exception handler (the mingw-w64 runtime and the program register
# none: the image test finds no store to the handler chain), which satisfies
# the SafeSEH rule without a handler table.
function(moxvane_apply_program_options target)
    moxvane_apply_product_options(${target})
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(msvc_address_space /HIGHENTROPYVA)
        set(gnu_address_space -Wl,--high-entropy-va)
    else()
        set(msvc_address_space /SAFESEH)
        set(gnu_address_space -Wl,--no-seh)
    endif()
    if(MSVC)
        target_link_options(${target} PRIVATE /DYNAMICBASE ${msvc_address_space} /NXCOMPAT /Brepro)
    elseif(MINGW)
        target_link_options(${target} PRIVATE
            -municode -s -Wl,--gc-sections
            -Wl,--dynamicbase ${gnu_address_space} -Wl,--nxcompat -Wl,--no-insert-timestamp
            # The oldest Windows it runs on: 7 SP1 (6.1).
            -Wl,--major-subsystem-version,6 -Wl,--minor-subsystem-version,1
            -Wl,--major-os-version,6 -Wl,--minor-os-version,1)
    endif()
endfunction()

# GCC's checked C string functions, for a C library without its own.
if(MINGW AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=include
        OUTPUT_VARIABLE gcc_include OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(EXISTS ${gcc_include}/ssp/string.h)
        set(MOXVANE_FORTIFY_HEADERS ${gcc_include}/ssp)
    endif()
endif()

# Static runtime: the program and the tests need no DLL beside them.
if(MINGW)
    add_link_options(-static -static-libgcc -static-libstdc++)
endif()
