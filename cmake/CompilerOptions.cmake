# Compiler and linker settings shared by every target of the project.

function(moxvane_apply_options target)
    target_compile_definitions(${target} PRIVATE
        UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wshadow $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor> -Werror
        -ffunction-sections -fdata-sections
        # No build paths in the objects, so two builds compare equal.
        -ffile-prefix-map=${CMAKE_SOURCE_DIR}=.
        -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
endfunction()

# The program's own code uses neither exceptions nor run-time type information,
# so none of the C++ library's support for them is linked into the program.
function(moxvane_apply_exception_free_options target)
    moxvane_apply_options(${target})
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>)
    # On x86 unwind tables serve exceptions alone (x64 Windows needs its own
    # for every stack walk, so they stay there).
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        target_compile_options(${target} PRIVATE -fno-asynchronous-unwind-tables -fno-unwind-tables)
    endif()
endfunction()

# The program's own code, checked by stack canaries.
function(moxvane_apply_product_options target)
    moxvane_apply_exception_free_options(${target})
    # Stack canaries in every function with an array or an address taken.
    target_compile_options(${target} PRIVATE -fstack-protector-strong)
    # Whatever links this code links the canary and its check with it.
    target_link_libraries(${target} PUBLIC MoxvaneProcessStart)
endfunction()

# A Windows program built as the shipped one is: address-space layout
# randomisation (with 64-bit entropy on x64), no-execute data, aware of
# Remote Desktop sessions (so Windows runs it without its compatibility
# layer there; lld sets this by itself, GNU ld does not), no link timestamp,
# and nothing unused linked in. On x86 the image also declares that
# none of its code registers a structured exception handler (the image test
# finds no store to the handler chain), which satisfies the SafeSEH rule
# without a handler table.
function(moxvane_apply_image_options target)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(address_space -Wl,--high-entropy-va)
    else()
        set(address_space -Wl,--no-seh)
    endif()
    target_link_options(${target} PRIVATE
        -s -Wl,--gc-sections
        -Wl,--dynamicbase ${address_space} -Wl,--nxcompat -Wl,--tsaware -Wl,--no-insert-timestamp
        # The oldest Windows it runs on: 7 SP1 (6.1).
        -Wl,--major-subsystem-version,6 -Wl,--minor-subsystem-version,1
        -Wl,--major-os-version,6 -Wl,--minor-os-version,1)
endfunction()

# A program that the system starts at `entry`, a WINAPI function of its own
# taking no arguments, with no C run-time library: what the compilers call on
# their own comes from platform/CompilerSupport.cpp (memset) and the
# compiler's builtins (stack probes; on x86, 64-bit division): libgcc, or
# compiler-rt's where the toolchain names them.
if(NOT DEFINED MOXVANE_COMPILER_BUILTINS)
    set(MOXVANE_COMPILER_BUILTINS gcc)
endif()
function(moxvane_apply_own_start_options target entry)
    moxvane_apply_image_options(${target})
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        set(entry _${entry}@0)  # the decorated name of a WINAPI function
    endif()
    # The map lets the image test find the entry point among our functions.
    target_link_options(${target} PRIVATE -nostartfiles -nodefaultlibs -Wl,--entry,${entry}
        -Wl,-Map,$<TARGET_FILE_DIR:${target}>/$<TARGET_FILE_BASE_NAME:${target}>.map)
    target_link_libraries(${target} PRIVATE MoxvaneCompilerSupport ${MOXVANE_COMPILER_BUILTINS})
    set_target_properties(${target} PROPERTIES MOXVANE_OWN_START TRUE)
endfunction()

# The test programs and tools link the C and C++ run-time statically: they
# need no DLL beside them. Programs with their own start have none to link.
add_link_options("$<$<NOT:$<BOOL:$<TARGET_PROPERTY:MOXVANE_OWN_START>>>:-static;-static-libgcc;-static-libstdc++>")
