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
    // Qt's list is made from fontconfig's configuration, which must not be read twice at once:
    // the reader is joined as the lister replaces it. Qt's font functions may be called from
    // any thread, under one lock; the first call fills the list the whole program shares.
    m_reader = std::jthread([] { QFontDatabase::families(); });
}
