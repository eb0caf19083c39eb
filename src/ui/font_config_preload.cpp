#include "font_config_preload.h"

#include <QFontDatabase>
#include <QStringList>

#include <fontconfig/fontconfig.h>

FontConfigPreload::FontConfigPreload()
    // A configuration that cannot be read is reported by fontconfig itself, and again met by
    // Qt when it lists the fonts, as it would be without this thread.
    : m_reader([] { FcInit(); })
{
}

void FontConfigPreload::listFonts()
{
    // Qt's list is made from fontconfig's, which must not be read twice at once.
    wait();
    // Qt's font functions may be called from any thread; the first call fills the list the
    // whole program shares.
    m_reader = std::jthread([] { QFontDatabase::families(); });
}

void FontConfigPreload::wait()
{
    if (m_reader.joinable())
        m_reader.join();
}
