# oleaut32 brings ole32, rpcrt4 and more with it, about a sixth of the
# program's start-up time, yet only a value conversion needs it. It is
# therefore delay-loaded: bound on the first call, from the system directory.

function(moxvane_link_oleaut32_delayed target)
    if(MINGW)
        set(library ${CMAKE_BINARY_DIR}/liboleaut32-delayed.a)
        set(definitions ${PROJECT_SOURCE_DIR}/cmake/oleaut32.def)
        add_custom_command(
            OUTPUT ${library}
            COMMAND ${CMAKE_DLLTOOL} --input-def ${definitions} --output-delaylib ${library}
            DEPENDS ${definitions}
            COMMENT "Making the delay-load import library of oleaut32")
        add_custom_target(OleAut32Delayed DEPENDS ${library})
        add_dependencies(${target} OleAut32Delayed)
        target_link_libraries(${target} PUBLIC ${library})
    elseif(MSVC)
        target_link_libraries(${target} PUBLIC oleaut32 delayimp)
        target_link_options(${target} INTERFACE /DELAYLOAD:oleaut32.dll)
    else()
        target_link_libraries(${target} PUBLIC oleaut32)
    endif()
endfunction()
