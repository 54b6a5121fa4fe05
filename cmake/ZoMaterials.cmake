# The bundle materials: what is in materials/ plus the CJK font, which is made
# at build time from Debian's Noto Sans CJK collection (the same design as
# Source Han Sans) instead of being kept in the repository.

set(ZO_CJK_COLLECTION "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc"
    CACHE FILEPATH "OpenType collection that holds the simplified-Chinese face (Debian: fonts-noto-cjk)")
set(ZO_CJK_FACE "NotoSansCJKsc-Regular"
    CACHE STRING "PostScript name of the face taken from ZO_CJK_COLLECTION")

# python3-fonttools installs into the system interpreter, which a python3 found
# first on PATH (pyenv, a venv) may not see.
find_program(ZO_FONT_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
if(NOT ZO_FONT_PYTHON)
    find_program(ZO_FONT_PYTHON NAMES python3 REQUIRED)
endif()

if(NOT EXISTS "${ZO_CJK_COLLECTION}")
    message(FATAL_ERROR "CJK font collection not found: ${ZO_CJK_COLLECTION} (install fonts-noto-cjk)")
endif()

execute_process(COMMAND "${ZO_FONT_PYTHON}" -c "import fontTools.ttLib"
                RESULT_VARIABLE zo_fonttools_missing OUTPUT_QUIET ERROR_QUIET)
if(zo_fonttools_missing)
    message(FATAL_ERROR "${ZO_FONT_PYTHON} cannot import fontTools (install python3-fonttools)")
endif()

set(ZO_MATERIALS_SOURCE_DIR "${CMAKE_CURRENT_SOURCE_DIR}/materials")
set(ZO_CJK_FONT_FILE "${CMAKE_BINARY_DIR}/materials/SourceHanSansCN-Regular.otf")

add_custom_command(
    OUTPUT "${ZO_CJK_FONT_FILE}"
    COMMAND "${ZO_FONT_PYTHON}" "${CMAKE_CURRENT_SOURCE_DIR}/cmake/extract_cjk_font.py"
            "${ZO_CJK_COLLECTION}" "${ZO_CJK_FACE}" "${ZO_CJK_FONT_FILE}"
    DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/cmake/extract_cjk_font.py" "${ZO_CJK_COLLECTION}"
    COMMENT "Extracting ${ZO_CJK_FACE} as SourceHanSansCN-Regular.otf"
    VERBATIM)
add_custom_target(zo_materials DEPENDS "${ZO_CJK_FONT_FILE}")

# Copies the materials into the folder <bundle>/Contents/Resources/materials
# after the target is built. For a Linux executable the bundle is the folder
# that holds it (see VBundleLocation).
function(zo_add_materials target bundle_dir)
    set(dest "${bundle_dir}/Contents/Resources/materials")
    add_dependencies(${target} zo_materials)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND "${CMAKE_COMMAND}" -E make_directory "${dest}"
        COMMAND "${CMAKE_COMMAND}" -E copy_directory "${ZO_MATERIALS_SOURCE_DIR}" "${dest}"
        COMMAND "${CMAKE_COMMAND}" -E copy_if_different "${ZO_CJK_FONT_FILE}" "${dest}/"
        VERBATIM)
endfunction()

# Each plug-in format's bundle folder as the running code will find it.
function(zo_add_plugin_materials shared_code_target)
    if(TARGET ${shared_code_target}_VST3)
        if(APPLE)
            zo_add_materials(${shared_code_target}_VST3 "$<TARGET_BUNDLE_DIR:${shared_code_target}_VST3>")
        else()
            # Name.vst3/Contents/<arch>-linux/Name.so
            zo_add_materials(${shared_code_target}_VST3 "$<TARGET_FILE_DIR:${shared_code_target}_VST3>/../..")
        endif()
    endif()

    if(TARGET ${shared_code_target}_LV2)
        # Name.lv2/Name.so
        zo_add_materials(${shared_code_target}_LV2 "$<TARGET_FILE_DIR:${shared_code_target}_LV2>")
    endif()

    if(TARGET ${shared_code_target}_Standalone)
        zo_add_materials(${shared_code_target}_Standalone "$<TARGET_FILE_DIR:${shared_code_target}_Standalone>")
    endif()

    if(TARGET ${shared_code_target}_AU)
        zo_add_materials(${shared_code_target}_AU "$<TARGET_BUNDLE_DIR:${shared_code_target}_AU>")
    endif()
endfunction()
