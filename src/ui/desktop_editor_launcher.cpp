// GIO's headers name struct members "signals", which Qt's keyword macro would rewrite:
// they come first.
#include <gio/gdesktopappinfo.h>

#include "desktop_editor_launcher.h"

#include "ui_log.h"

#include <QLibrary>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <memory>

// GIO and the libraries it brings are loaded only when an editor is asked for: linked into the
// program, loading them would delay every start.
struct GioFunctions {
    decltype(&g_app_info_get_default_for_type) defaultForType = nullptr;
    decltype(&g_app_info_get_id) id = nullptr;
    decltype(&g_desktop_app_info_new) desktopEntry = nullptr;
    decltype(&g_desktop_app_info_get_boolean) entryFlag = nullptr;
    decltype(&g_app_info_launch) launch = nullptr;
    decltype(&g_object_unref) unref = nullptr;
    decltype(&g_clear_error) clearError = nullptr;
};

namespace {

const char GioLibraryName[] = "libgio-2.0.so.0";

template <typename Function> bool resolve(QLibrary& library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(library.resolve(name));
    if (!function)
        qCWarning(
            lcUi, "%s has no %s, so the desktop's text editor is not known", GioLibraryName, name);
    return function;
}

std::unique_ptr<const GioFunctions> loadGio()
{
    // Never unloaded: the program keeps what it loads, as if it were linked.
    QLibrary library(QString::fromLatin1(GioLibraryName));
    if (!library.load()) {
        qCWarning(lcUi, "The desktop's text editor is not known: %s",
            qUtf8Printable(library.errorString()));
        return nullptr;
    }
    auto gio = std::make_unique<GioFunctions>();
    const bool resolved = resolve(library, "g_app_info_get_default_for_type", gio->defaultForType)
        && resolve(library, "g_app_info_get_id", gio->id)
        && resolve(library, "g_desktop_app_info_new", gio->desktopEntry)
        && resolve(library, "g_desktop_app_info_get_boolean", gio->entryFlag)
        && resolve(library, "g_app_info_launch", gio->launch)
        && resolve(library, "g_object_unref", gio->unref)
        && resolve(library, "g_clear_error", gio->clearError);
    return resolved ? std::move(gio) : nullptr;
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

DesktopEditorLauncher::DesktopEditorLauncher() = default;

DesktopEditorLauncher::~DesktopEditorLauncher() = default;

// The desktop's own choice for plain text, from its MIME associations.
bool DesktopEditorLauncher::startDefaultEditor()
{
    if (!m_gioLoaded) {
        m_gioLoaded = true;
        m_gio = loadGio();
    }
    if (!m_gio)
        return false;
    const GioFunctions& gio = *m_gio;
    const auto unref = [&gio](void* object) { gio.unref(object); };
    using AppInfo = std::unique_ptr<GAppInfo, decltype(unref)>;
    const AppInfo app(gio.defaultForType("text/plain", FALSE), unref);
    const char* id = app ? gio.id(app.get()) : nullptr;
    if (!id)
        return false;
    // An editor that runs in a terminal would have no window of its own to show.
    const std::unique_ptr<GDesktopAppInfo, decltype(unref)> entry(gio.desktopEntry(id), unref);
    if (!entry || gio.entryFlag(entry.get(), "Terminal"))
        return false;
    // GIO starts the program from the entry's command line itself, never through a shell.
    GError* error = nullptr;
    if (gio.launch(app.get(), nullptr, nullptr, &error))
        return true;
    qCWarning(lcUi, "The desktop's text editor %s could not be started: %s", id,
        error ? error->message : "no reason given");
    gio.clearError(&error);
    return false;
}

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
