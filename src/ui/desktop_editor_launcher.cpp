// GIO's headers name struct members "signals", which Qt's keyword macro would rewrite:
// they come first.
#include <gio/gdesktopappinfo.h>

#include "desktop_editor_launcher.h"

#include "ui_log.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <memory>

namespace {

template <typename T> using GObjectPtr = std::unique_ptr<T, decltype(&g_object_unref)>;

// The desktop's own choice for plain text, from its MIME associations.
bool startDefaultEditor()
{
    const GObjectPtr<GAppInfo> app(
        g_app_info_get_default_for_type("text/plain", FALSE), g_object_unref);
    const char* id = app ? g_app_info_get_id(app.get()) : nullptr;
    if (!id)
        return false;
    // An editor that runs in a terminal would have no window of its own to show.
    const GObjectPtr<GDesktopAppInfo> entry(g_desktop_app_info_new(id), g_object_unref);
    if (!entry || g_desktop_app_info_get_boolean(entry.get(), "Terminal"))
        return false;
    // GIO starts the program from the entry's command line itself, never through a shell.
    GError* error = nullptr;
    if (g_app_info_launch(app.get(), nullptr, nullptr, &error))
        return true;
    qCWarning(lcUi, "The desktop's text editor %s could not be started: %s", id,
        error ? error->message : "no reason given");
    g_clear_error(&error);
    return false;
}

const QStringList WellKnownEditors = {
    QStringLiteral("gnome-text-editor"),
    QStringLiteral("gedit"),
    QStringLiteral("kate"),
    QStringLiteral("kwrite"),
    QStringLiteral("mousepad"),
    QStringLiteral("pluma"),
    QStringLiteral("xed"),
    QStringLiteral("featherpad"),
    QStringLiteral("leafpad"),
    QStringLiteral("geany"),
};

} // namespace

bool DesktopEditorLauncher::startEditor()
{
    if (startDefaultEditor())
        return true;
    for (const QString& editor : WellKnownEditors) {
        const QString program = QStandardPaths::findExecutable(editor);
        if (!program.isEmpty() && QProcess::startDetached(program, {}))
            return true;
    }
    return false;
}
