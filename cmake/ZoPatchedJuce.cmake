# Faults of JUCE 7.0.5 on Linux that a user of the plug-in meets, mended in
# copies of the toolkit's files made at configure time; included on Linux only.
# Each mend leaves the toolkit as it is when its source no longer holds the
# faulty lines (a later JUCE).

# Replaces FROM with TO in the text, or clears the text when it does not hold
# FROM, so that after a series of calls a caller patches all or nothing.
function(zo_replace text_var from to)
    string(FIND "${${text_var}}" "${from}" at)
    if(at EQUAL -1)
        set(${text_var} "" PARENT_SCOPE)
    else()
        string(REPLACE "${from}" "${to}" text "${${text_var}}")
        set(${text_var} "${text}" PARENT_SCOPE)
    endif()
endfunction()

# The module's unity source, as the target lists it, and its folder.
function(zo_module_source target pattern source_var folder_var)
    get_target_property(sources ${target} INTERFACE_SOURCES)
    set(found "")
    foreach(source IN LISTS sources)
        if(source MATCHES "${pattern}")
            set(found "${source}")
        endif()
    endforeach()
    set(${source_var} "${found}" PARENT_SCOPE)
    get_filename_component(folder "${found}" DIRECTORY)
    set(${folder_var} "${folder}" PARENT_SCOPE)
endfunction()

# Compiles the module from the unity text written into COPY: the files named in
# MENDED come from beside it (written there by the caller), every other file it
# includes from the module. With ONLY_PATCHED, a target compiles the copy only
# when its ZO_PATCHED_JUCE property is set, and the toolkit's own source otherwise.
function(zo_compile_module_copy target original module copy unity mended only_patched)
    string(REGEX REPLACE "#include \"([^\"]+)\"" "#include \"${module}/\\1\"" unity "${unity}")
    foreach(file IN LISTS mended)
        string(REPLACE "\"${module}/${file}\"" "\"${file}\"" unity "${unity}")
    endforeach()
    get_filename_component(name "${original}" NAME)
    file(WRITE "${copy}/${name}" "${unity}")

    set(replacement "${copy}/${name}")
    if(only_patched)
        set(replacement "$<IF:$<BOOL:$<TARGET_PROPERTY:ZO_PATCHED_JUCE>>,${copy}/${name},${original}>")
    endif()
    get_target_property(sources ${target} INTERFACE_SOURCES)
    list(TRANSFORM sources REPLACE "^${original}$" "${replacement}")
    set_target_properties(${target} PROPERTIES INTERFACE_SOURCES "${sources}")
endfunction()

# The VST3 wrapper keeps the hosts' run loops in a multiset and, when one window
# closes, erases the loop by key: every entry of it goes. A host that gives all
# windows one run loop then stops serving the plug-in, and its other windows and
# change messages stand still until the last window closes. Here one entry goes.
#
# The LV2 wrapper copies each input port into its buffer without asking whether
# the host connected it (and fills each output port while suspended): a host
# that leaves a port unconnected crashes it. Here an unconnected input reads as
# silence and an unconnected output is left alone.
function(zo_use_patched_plugin_wrappers)

    if(TARGET juce_audio_plugin_client_VST3)
        zo_module_source(juce_audio_plugin_client_VST3 "juce_audio_plugin_client_VST3\\.cpp$" original module)
        file(READ "${module}/VST3/juce_VST3_Wrapper.cpp" wrapper)
        zo_replace(wrapper "hostRunLoops.erase (runLoop);"
            "if (auto found = hostRunLoops.find (runLoop); found != hostRunLoops.end()) hostRunLoops.erase (found);")
        if(wrapper STREQUAL "")
            message(STATUS "VST3 wrapper: run loops already erased one at a time; using it as it is")
        else()
            # The wrapper includes its module's utility folder by a relative path.
            set(copy "${CMAKE_BINARY_DIR}/patched-juce/juce_audio_plugin_client_VST3")
            file(COPY "${module}/utility" DESTINATION "${copy}")
            file(WRITE "${copy}/VST3/juce_VST3_Wrapper.cpp" "${wrapper}")
            zo_compile_module_copy(juce_audio_plugin_client_VST3 "${original}" "${module}" "${copy}"
                "#include \"VST3/juce_VST3_Wrapper.cpp\"\n" "VST3/juce_VST3_Wrapper.cpp" OFF)
        endif()
    endif()

    if(TARGET juce_audio_plugin_client_LV2)
        zo_module_source(juce_audio_plugin_client_LV2 "juce_audio_plugin_client_LV2\\.cpp$" original module)
        file(READ "${module}/LV2/juce_LV2_Client.cpp" wrapper)
        zo_replace(wrapper "audio.copyFrom (i, 0, ports.getBufferForAudioInput (i), audio.getNumSamples());"
            "if (const auto* input = ports.getBufferForAudioInput (i)) audio.copyFrom (i, 0, input, audio.getNumSamples()); else audio.clear (i, 0, audio.getNumSamples());")
        zo_replace(wrapper "std::fill (ptr, ptr + numSteps, 0.0f);"
            "if (ptr != nullptr) std::fill (ptr, ptr + numSteps, 0.0f);")
        if(wrapper STREQUAL "")
            message(STATUS "LV2 wrapper: the toolkit's source differs; using it as it is")
        else()
            set(copy "${CMAKE_BINARY_DIR}/patched-juce/juce_audio_plugin_client_LV2")
            file(WRITE "${copy}/LV2/juce_LV2_Client.cpp" "${wrapper}")
            zo_compile_module_copy(juce_audio_plugin_client_LV2 "${original}" "${module}" "${copy}"
                "#include \"LV2/juce_LV2_Client.cpp\"\n" "LV2/juce_LV2_Client.cpp" OFF)
        endif()
    endif()
endfunction()

# The plug-in's windows inside a host's windows (every VST3 and LV2 window on
# Linux) meet five faults of the X11 peer:
# - All such windows share one parent position on the screen, that of the window
#   that last saw an event, so the toolkit puts them all at one place: the window
#   in front takes the pointer of every other, whose hover then shows in it.
#   Here each window keeps its own.
# - When a window gains the X focus, the toolkit hands the keyboard focus to the
#   component that held it when the window last lost the X focus, even when a
#   click has given it to another component of the window in the meantime (the
#   click's focus request reaches the server before the focus event comes back),
#   so typed keys go to that earlier component. Here a component of the window
#   that already holds the focus keeps it.
# - Events that another Xlib call on the shared connection has read (the OpenGL
#   renderer's, a query of the mouse position) wait in Xlib's queue, where
#   polling the connection no longer finds them, until the next event arrives:
#   a key or a click can stand still. Here each window's vertical-blank timer
#   hands such events on.
# - A click makes the window manager focus the host's top-level window and offer
#   it the focus; the host (Ardour's GTK) then takes it for a window of its own,
#   stamped with the click's time. The toolkit takes the focus for the clicked
#   window at the server's current time, which may still be the click's
#   millisecond: the server then grants the host's later request, the clicked box
#   loses the focus and the keys go to the host. Here a click into a window that
#   lacks the focus takes it only once the server's clock has passed the click,
#   so that requests stamped with the click's time are refused.
# - After a menu (or anything else) has asked for the pointer's state, the next
#   move takes its buttons from the pointer as it is when the move is read, not
#   as the move found them. A click that comes as the pointer arrives is then
#   already down, and the move is taken for the press: the window asks for the
#   focus at once, before the mend above can wait, and the host's answer to the
#   click takes it back (the menu just opened closes). Here a move takes its
#   buttons from the move itself, and the press stays the press's.
# Only targets with the property ZO_PATCHED_JUCE compile the mended copy: a test
# host built from the toolkit stays the toolkit's own.
function(zo_use_patched_linux_peer)
    zo_module_source(juce_gui_basics "juce_gui_basics\\.cpp$" original module)
    if(original STREQUAL "")
        return()
    endif()

    file(READ "${module}/native/juce_linux_Windowing.cpp" windowing)
    zo_replace(windowing "auto physicalParentPosition = XWindowSystem::getInstance()->getPhysicalParentScreenPosition();"
        "auto physicalParentPosition = parentScreenPosition;")
    zo_replace(windowing "auto physicalBounds = XWindowSystem::getInstance()->getWindowBounds (windowH, parentWindow);"
        "auto physicalBounds = XWindowSystem::getInstance()->getWindowBounds (windowH, parentWindow);\n        parentScreenPosition = XWindowSystem::getInstance()->getPhysicalParentScreenPosition();")
    zo_replace(windowing "            repainter->dispatchDeferredRepaints();\n    }\n"
        "            repainter->dispatchDeferredRepaints();\n\n        dispatchQueuedEvents();\n    }\n\n    static void dispatchQueuedEvents()\n    {\n        auto* display = XWindowSystem::getInstance()->getDisplay();\n        bool queued = false;\n\n        if (display != nullptr)\n        {\n            XWindowSystemUtilities::ScopedXLock xLock;\n            queued = X11Symbols::getInstance()->xEventsQueued (display, QueuedAlready) > 0;\n        }\n\n        if (queued)\n            LinuxEventLoopInternal::invokeEventLoopCallbackForFd (X11Symbols::getInstance()->xConnectionNumber (display));\n    }\n")
    zo_replace(windowing "    bool focused = false;\n"
        "    bool focused = false;\n    Point<int> parentScreenPosition;\n")
    file(READ "${module}/windows/juce_ComponentPeer.cpp" peer)
    zo_replace(peer "void ComponentPeer::handleFocusGain()\n{\n"
        "void ComponentPeer::handleFocusGain()\n{\n    if (auto* focused = Component::currentlyFocusedComponent; (focused == &component || component.isParentOf (focused)) && focused->isShowing())\n        return;\n\n")
    file(READ "${module}/native/x11/juce_linux_XWindowSystem.cpp" xwindows)
    file(READ "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/ZoWaitForServerTime.inc" wait_for_server_time)
    zo_replace(xwindows "void XWindowSystem::handleButtonPressEvent (LinuxComponentPeer* peer, const XButtonPressedEvent& buttonPressEvent, int buttonModifierFlag) const\n"
        "${wait_for_server_time}void XWindowSystem::handleButtonPressEvent (LinuxComponentPeer* peer, const XButtonPressedEvent& buttonPressEvent, int buttonModifierFlag) const\n")
    zo_replace(xwindows "    updateKeyModifiers ((int) movedEvent.state);\n    Keys::refreshStaleMouseKeys();\n"
        "    updateKeyModifiers ((int) movedEvent.state);\n\n    if (Keys::modifierKeysAreStale)\n    {\n        const auto state = movedEvent.state;\n        ModifierKeys::currentModifiers = ModifierKeys::currentModifiers.withoutMouseButtons()\n            .withFlags (((state & Button1Mask) != 0 ? ModifierKeys::leftButtonModifier : 0)\n                        | ((state & Button2Mask) != 0 ? ModifierKeys::middleButtonModifier : 0)\n                        | ((state & Button3Mask) != 0 ? ModifierKeys::rightButtonModifier : 0));\n        Keys::modifierKeysAreStale = false;\n    }\n")
    zo_replace(xwindows "    ModifierKeys::currentModifiers = ModifierKeys::currentModifiers.withFlags (buttonModifierFlag);\n    peer->toFront (true);\n"
        "    ModifierKeys::currentModifiers = ModifierKeys::currentModifiers.withFlags (buttonModifierFlag);\n\n    if (! isFocused ((::Window) peer->getNativeHandle()))\n        zoWaitForServerTimeAfter (display, buttonPressEvent.time);\n\n    peer->toFront (true);\n")
    file(READ "${original}" unity)
    zo_replace(unity "#include \"juce_gui_basics.h\"\n"
        "#include \"juce_gui_basics.h\"\n#include <juce_events/native/juce_linux_EventLoopInternal.h>\n")
    if(windowing STREQUAL "" OR peer STREQUAL "" OR xwindows STREQUAL "" OR unity STREQUAL "")
        message(STATUS "X11 peer: the toolkit's source differs; using it as it is")
        return()
    endif()

    set(copy "${CMAKE_BINARY_DIR}/patched-juce/juce_gui_basics")
    file(WRITE "${copy}/native/juce_linux_Windowing.cpp" "${windowing}")
    file(WRITE "${copy}/windows/juce_ComponentPeer.cpp" "${peer}")
    file(WRITE "${copy}/native/x11/juce_linux_XWindowSystem.cpp" "${xwindows}")
    zo_compile_module_copy(juce_gui_basics "${original}" "${module}" "${copy}" "${unity}"
        "native/juce_linux_Windowing.cpp;windows/juce_ComponentPeer.cpp;native/x11/juce_linux_XWindowSystem.cpp" ON)
endfunction()

# The toolkit's XEmbedComponent, which its VST3 and LV2 hosts embed a plug-in's
# window with (the tests' host), answers a ConfigureNotify of its client with an
# asynchronous call on its raw this, which may run after it is gone. Here the
# call first asks whether the component still exists. The plug-in never embeds
# a window; only a host built from the toolkit meets this.
function(zo_use_patched_xembed)
    zo_module_source(juce_gui_extra "juce_gui_extra\\.cpp$" original module)
    if(original STREQUAL "")
        return()
    endif()

    file(READ "${module}/native/juce_linux_XEmbedComponent.cpp" xembed)
    zo_replace(xembed "MessageManager::callAsync ([this] {componentMovedOrResized (owner, true, true);});"
        "MessageManager::callAsync ([this, alive = Component::SafePointer<Component> (&owner)] { if (alive != nullptr) componentMovedOrResized (owner, true, true); });")
    file(READ "${original}" unity)
    if(xembed STREQUAL "" OR unity STREQUAL "")
        message(STATUS "XEmbedComponent: the toolkit's source differs; using it as it is")
        return()
    endif()

    set(copy "${CMAKE_BINARY_DIR}/patched-juce/juce_gui_extra")
    file(WRITE "${copy}/native/juce_linux_XEmbedComponent.cpp" "${xembed}")
    zo_compile_module_copy(juce_gui_extra "${original}" "${module}" "${copy}" "${unity}"
        "native/juce_linux_XEmbedComponent.cpp" OFF)
endfunction()
