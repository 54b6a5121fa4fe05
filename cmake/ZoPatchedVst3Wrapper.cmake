# JUCE 7.0.5's VST3 wrapper on Linux keeps the hosts' run loops in a multiset and,
# when one window closes, erases the loop by key: every entry of it goes. A host
# that gives all windows one run loop then stops serving the plug-in, and its
# other windows and change messages stand still until the last window closes.
# The wrapper is built here from a copy that erases one entry. Nothing is changed
# when the toolkit's source does not hold that line (a later JUCE).
function(zo_use_patched_vst3_wrapper)
    if(NOT TARGET juce_audio_plugin_client_VST3 OR NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
        return()
    endif()

    get_target_property(sources juce_audio_plugin_client_VST3 INTERFACE_SOURCES)
    set(original "")
    foreach(source IN LISTS sources)
        if(source MATCHES "juce_audio_plugin_client_VST3\\.cpp$")
            set(original "${source}")
        endif()
    endforeach()
    if(original STREQUAL "")
        return()
    endif()

    get_filename_component(module "${original}" DIRECTORY)
    file(READ "${module}/VST3/juce_VST3_Wrapper.cpp" wrapper)
    set(faulty "hostRunLoops.erase (runLoop);")
    string(FIND "${wrapper}" "${faulty}" at)
    if(at EQUAL -1)
        message(STATUS "VST3 wrapper: run loops already erased one at a time; using it as it is")
        return()
    endif()

    set(copy "${CMAKE_BINARY_DIR}/patched-juce/juce_audio_plugin_client")
    file(COPY "${module}/utility" DESTINATION "${copy}")
    string(REPLACE "${faulty}"
        "if (auto found = hostRunLoops.find (runLoop); found != hostRunLoops.end()) hostRunLoops.erase (found);"
        wrapper "${wrapper}")
    file(WRITE "${copy}/VST3/juce_VST3_Wrapper.cpp" "${wrapper}")
    file(WRITE "${copy}/juce_audio_plugin_client_VST3.cpp" "#include \"VST3/juce_VST3_Wrapper.cpp\"\n")

    list(TRANSFORM sources REPLACE "^${original}$" "${copy}/juce_audio_plugin_client_VST3.cpp")
    set_target_properties(juce_audio_plugin_client_VST3 PROPERTIES INTERFACE_SOURCES "${sources}")
endfunction()
