#pragma once

// GLib first: its headers use names that Qt defines as keywords ("signals" is a struct member).
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#pragma pop_macro("signals")

#include <QString>

namespace orvane::gio {

// GIO and GObject, opened on first use rather than linked: most runs never trash a file or
// list applications, and the libraries cost memory in every run. GLib itself stays linked
// (Qt's event loop loads it anyway). The headers give the functions' types.
#define ORVANE_GIO_FUNCTIONS(F)                                                                    \
    F(fileNewForPath, g_file_new_for_path)                                                         \
    F(fileTrash, g_file_trash)                                                                     \
    F(fileGetUri, g_file_get_uri)                                                                  \
    F(contentTypeGuess, g_content_type_guess)                                                      \
    F(appInfoLaunch, g_app_info_launch)                                                            \
    F(appInfoLaunchDefaultForUri, g_app_info_launch_default_for_uri)                               \
    F(appInfoGetDefaultForType, g_app_info_get_default_for_type)                                   \
    F(appInfoGetAllForType, g_app_info_get_all_for_type)                                           \
    F(appInfoGetAll, g_app_info_get_all)                                                           \
    F(appInfoGetExecutable, g_app_info_get_executable)                                             \
    F(appInfoGetCommandline, g_app_info_get_commandline)                                           \
    F(appInfoSupportsFiles, g_app_info_supports_files)                                             \
    F(appInfoSupportsUris, g_app_info_supports_uris)                                               \
    F(appInfoCreateFromCommandline, g_app_info_create_from_commandline)                            \
    F(appInfoGetId, g_app_info_get_id)                                                             \
    F(appInfoGetName, g_app_info_get_name)                                                         \
    F(appInfoShouldShow, g_app_info_should_show)                                                   \
    F(appInfoEqual, g_app_info_equal)                                                              \
    F(desktopAppInfoNew, g_desktop_app_info_new)                                                   \
    F(schemaSourceGetDefault, g_settings_schema_source_get_default)                                \
    F(schemaSourceLookup, g_settings_schema_source_lookup)                                         \
    F(schemaHasKey, g_settings_schema_has_key)                                                     \
    F(schemaGetPath, g_settings_schema_get_path)                                                   \
    F(schemaUnref, g_settings_schema_unref)                                                        \
    F(settingsNewFull, g_settings_new_full)                                                        \
    F(settingsGetValue, g_settings_get_value)                                                      \
    F(objectRef, g_object_ref)                                                                     \
    F(objectUnref, g_object_unref)

struct Functions {
#define ORVANE_GIO_MEMBER(member, function) decltype(&::function) member = nullptr;
    ORVANE_GIO_FUNCTIONS(ORVANE_GIO_MEMBER)
#undef ORVANE_GIO_MEMBER
};

// Loads GIO once (thread-safe) and keeps it for the program's life; null when it cannot be
// loaded, which is logged once. ORVANE_GIO_LIBRARY names another library (tests name a missing
// one).
const Functions *functions();

// Whether functions() has loaded GIO; never loads it.
bool isLoaded();

// Why functions() is null: the library's name and the loader's words. Empty when it is not.
QString unavailableReason();

} // namespace orvane::gio
